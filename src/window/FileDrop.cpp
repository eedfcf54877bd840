#include "window/FileDrop.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "exchange/ImportSource.h"
#include "exchange/PairIndex.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <optional>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// The question shows this many of the new pairs, each side cut to a line's width.
constexpr qsizetype shownPairs = 5;
constexpr qsizetype shownCharacters = 40;

// The one local file a drag carries; nothing for text, several files or remote ones.
std::optional<QString> localFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1)
        return std::nullopt;
    const QUrl url = data->urls().front();
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
        return std::nullopt;
    return url.toLocalFile();
}

QString shown(QByteArrayView entry) {
    const QString text = displayText(entry);
    return text.size() > shownCharacters ? text.first(shownCharacters - 1) + u'\u2026' : text;
}

void append(EntryList& list, QByteArrayView entry) {
    if (!list.append(entry))
        throw Failure(u"List too large"_s);
}

} // namespace

FileDrop::FileDrop(QWidget* window, std::initializer_list<QWidget*> alsoOn,
                   std::function<void(const QString&)> dropped)
    : QObject(window), dropped_(std::move(dropped)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget* widget : alsoOn)
        widget->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!localFile(drag->mimeData()))
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> file = localFile(drop->mimeData());
        if (!file)
            break;
        drop->acceptProposedAction();
        dropped_(*file);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

FileDrop::Addition FileDrop::addition(const QString& path, const PairLists& lists) {
    const QString name = QFileInfo(path).fileName();
    ImportSource source;
    source.path = path;
    PairLists pairs;
    try {
        pairs = readImportSource(source, std::nullopt, {});
    } catch (const OpenFailure&) {
        throw; // it names the file itself
    } catch (const Failure& failure) {
        throw Failure(name + u": "_s + failure.message());
    }

    Addition addition;
    const qsizetype length = lists.size();
    for (qsizetype i = lists.words.size(); i < length; ++i)
        append(addition.words, {});
    for (qsizetype i = lists.meanings.size(); i < length; ++i)
        append(addition.meanings, {});
    QString shownLines;
    const PairIndex known(lists);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (known.contains(pairs.word(i), pairs.meaning(i)))
            continue;
        append(addition.words, pairs.word(i));
        append(addition.meanings, pairs.meaning(i));
        if (++addition.fresh <= shownPairs)
            shownLines += u'\n' + shown(pairs.word(i)) + u" \u2013 "_s + shown(pairs.meaning(i));
    }
    if (addition.fresh > shownPairs)
        shownLines += u"\n\u2026"_s;
    addition.question =
        (addition.fresh == 1
             ? u"Add 1 new pair from %1?"_s.arg(name)
             : u"Add %1 new pairs from %2?"_s.arg(QString::number(addition.fresh), name)) +
        u'\n' + shownLines;
    return addition;
}

} // namespace quill
