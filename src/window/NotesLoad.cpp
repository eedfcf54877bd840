#include "window/NotesLoad.h"

#include "core/Failure.h"
#include "rtf/LayoutSweep.h"
#include "rtf/NotesCapacity.h"
#include "rtf/NotesDocument.h"
#include "rtf/NotesFootprint.h"
#include "storage/SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <new>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

// Files from this size on show the progress window from the start of the reading; the other
// phases show it once they take longer than a slice.
constexpr qint64 LongLoad = 1024 * 1024;
// The event loop turns at least this often while a load goes on.
constexpr std::chrono::milliseconds Slice(25);

[[noreturn]] void failLoad() {
    throw Failure(u"Failed to Load Stream"_s);
}

// The width the pane lays its text out at once it is open: its vertical scroll bar is shown
// throughout the load, and where a style lets the bar overlap the text this is narrower than
// the text is laid out, which only makes the document measure taller.
qreal openTextWidth(const QTextEdit& pane) {
    return pane.contentsRect().width() - pane.verticalScrollBar()->sizeHint().width();
}

} // namespace

NotesLoad::NotesLoad(Dialogs& dialogs, QTextEdit& pane, qint64 memoryBudget,
                     std::function<void()> showPane)
    : dialogs_(dialogs), pane_(pane), memoryBudget_(memoryBudget), showPane_(std::move(showPane)) {
    sinceYield_.start();
}

NotesLoad::~NotesLoad() = default;

void NotesLoad::run(const QString& path) {
    const QByteArray bytes = read(path);
    size_ = std::max<qint64>(bytes.size(), 1);
    try {
        std::unique_ptr<QTextDocument> document = build(bytes);
        measure(*document);
        place(std::move(document));
    } catch (const std::bad_alloc&) {
        failLoad();
    }
}

QByteArray NotesLoad::read(const QString& path) {
    NotesFootprint footprint;
    // The document the file becomes must fit in the memory budget and in the pane: checked
    // while reading, so that a file that keeps growing stops at the budget and plain text with
    // too many paragraphs is refused before it is read to its end.
    const auto checkFits = [&] {
        if (footprint.memoryBytes() > memoryBudget_ || !footprint.fitsPane())
            failLoad();
    };
    const ReadWatcher watch = [&](QByteArrayView soFar, qint64 size) {
        footprint.count(soFar);
        checkFits();
        if (!progress_ && size >= LongLoad) {
            size_ = size;
            progress_ = dialogs_.startProgress(u"Open Notes As...."_s, Phases * size);
        }
        if (progress_ && !report(Reading, double(soFar.size()) / double(size_)))
            throw LoadCancelled();
    };
    QByteArray bytes;
    try {
        // The file's bytes count too while it loads, so no file larger than that is read at all.
        bytes = readWholeFile(path, qsizetype(memoryBudget_), watch);
    } catch (const OpenFailure&) {
        throw;
    } catch (const Failure&) {
        failLoad();
    } catch (const std::bad_alloc&) {
        failLoad();
    }
    footprint.finish(bytes);
    checkFits();
    return bytes;
}

std::unique_ptr<QTextDocument> NotesLoad::build(const QByteArray& bytes) {
    auto document = std::make_unique<QTextDocument>();
    // What the pane gives its text: the window's font, centred paragraphs, its margin.
    const QTextDocument& shown = *pane_.document();
    document->setDefaultFont(shown.defaultFont());
    document->setDefaultTextOption(shown.defaultTextOption());
    document->setDocumentMargin(shown.documentMargin());
    // Rich text is judged on its document, as it grows: a file with too many paragraphs, or a
    // too long one, stops as soon as it shows.
    bool tooLarge = false;
    const bool complete = loadNotes(bytes, *document, [&](qsizetype done) {
        tooLarge = document->blockCount() > NotesCapacity::MostParagraphs ||
                   document->lastBlock().length() - 1 > NotesCapacity::LongestParagraph;
        return !tooLarge && yield(Building, double(done) / double(size_));
    });
    if (tooLarge || (complete && !NotesCapacity::holdsParagraphs(*document)))
        failLoad();
    if (!complete || !finished(Building))
        throw LoadCancelled();
    return document;
}

void NotesLoad::measure(QTextDocument& document) {
    // The pane's layout loops for ever on a line that lies below its height limit. Measured
    // first on pages as tall as the pane holds, where such a line goes on to a next page, the
    // document never reaches the pane unless it fits.
    document.documentLayout()->setPaintDevice(pane_.viewport());
    document.setPageSize(QSizeF(openTextWidth(pane_), NotesCapacity::TallestDocument));
    LayoutSweep sweep(document);
    for (bool more = true; more;) {
        more = sweep.advance(Slice);
        if (!NotesCapacity::holdsLines(sweep.paragraphs(), sweep.lines()) ||
            sweep.height() > NotesCapacity::TallestDocument)
            failLoad();
        if (more && !yield(Measuring, sweep.done()))
            throw LoadCancelled();
    }
    if (!finished(Measuring))
        throw LoadCancelled();
}

void NotesLoad::place(std::unique_ptr<QTextDocument> document) {
    const bool wasHidden = pane_.isHidden();
    const int height = pane_.height();
    const QTextOption::WrapMode wrap = pane_.wordWrapMode();
    // The pane's first document belongs to the pane's inner control, which would delete it.
    std::unique_ptr<QTextDocument> previous(pane_.document());
    previous->setParent(nullptr);
    // Runs before `document` goes, so the pane never holds a deleted document.
    auto restore = qScopeGuard([&] {
        previous->setParent(&pane_);
        previous->documentLayout()->setPaintDevice(pane_.viewport());
        pane_.setDocument(previous.release());
        pane_.setWordWrapMode(wrap);
        pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        if (wasHidden)
            pane_.hide();
        pane_.resize(pane_.width(), height);
    });
    // Shown with its vertical scroll bar, at its open size, before the layout: a later change
    // of the pane's width or visibility would lay the whole document out again.
    pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showPane_();
    // The pane imposes its wrap mode on every document it is given.
    pane_.setWordWrapMode(document->defaultTextOption().wrapMode());
    document->documentLayout()->setPaintDevice(pane_.viewport());
    pane_.setDocument(document.get());
    pane_.setTextCursor(QTextCursor(document.get()));
    LayoutSweep sweep(*document);
    while (sweep.advance(Slice)) {
        if (!yield(Placing, sweep.done()))
            throw LoadCancelled();
    }
    if (!finished(Placing))
        throw LoadCancelled();
    restore.dismiss();
    document.release()->setParent(&pane_);
    previous.reset();
    // The bar goes again when the text needs none.
    pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool NotesLoad::yield(Phase phase, double fraction) {
    if (sinceYield_.elapsed() < Slice.count())
        return true;
    if (!progress_)
        progress_ = dialogs_.startProgress(u"Open Notes As...."_s, Phases * size_);
    return report(phase, fraction);
}

bool NotesLoad::finished(Phase phase) {
    return !progress_ || report(phase, 1);
}

bool NotesLoad::report(Phase phase, double fraction) {
    const bool goOn = progress_->update(qint64((int(phase) + fraction) * double(size_)));
    sinceYield_.restart();
    return goOn;
}

} // namespace quill
