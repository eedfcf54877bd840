#include "storage/RemovalHistory.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <vector>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

const QString LimitFileName = u"removed-limit"_s;
const QString FileSuffix = u".removed"_s;
// One history file may hold a whole block of a pair of entries as large as they can be.
constexpr qsizetype MaxFileBytes = qsizetype(1) << 34;

QString canonicalFolder(const QString& path) {
    const QFileInfo folder(path.isEmpty() ? u"."_s : path);
    const QString canonical = folder.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder.absoluteFilePath()) : canonical;
}

// A name of its own for every list folder: its last part, readable, and a hash of the whole path.
QString historyName(const QString& listFolder) {
    const QByteArray path = listFolder.toUtf8();
    QString name = QFileInfo(listFolder).fileName().left(48);
    name.replace(u'/', u'_');
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(u"folder"_s);
    return name + u'-' +
           QString::number(XXH3_64bits(path.constData(), size_t(path.size())), 16)
               .rightJustified(16, u'0');
}

} // namespace

RemovalHistory::RemovalHistory(const QString& listFolder, const QString& stateFolder)
    : listFolder_(canonicalFolder(listFolder)),
      folder_(stateFolder + u"/removed/"_s + historyName(listFolder_)) {}

QString RemovalHistory::defaultStateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(u'/'))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/Quillbook"_s;
}

qint64 RemovalHistory::limit(const QString& stateFolder) {
    QFile setting(stateFolder + u'/' + LimitFileName);
    if (!setting.open(QIODevice::ReadOnly))
        return DefaultLimit;
    bool ok = false;
    const qint64 bytes = setting.read(64).trimmed().toLongLong(&ok);
    return ok && bytes > 0 ? bytes : DefaultLimit;
}

void RemovalHistory::setLimit(qint64 bytes, const QString& stateFolder) {
    if (!QDir().mkpath(stateFolder))
        throw Failure(u"Cannot create folder \"%1\""_s.arg(fullPath(stateFolder)));
    writeFileAtomically(stateFolder + u'/' + LimitFileName, QByteArray::number(bytes) + '\n');
}

qint64 RemovalHistory::fileSize(qint64 limit) {
    return std::clamp(limit / 16, qint64(1) << 10, qint64(64) << 20);
}

QStringList RemovalHistory::files() const {
    QStringList names =
        QDir(folder_).entryList({u"*"_s + FileSuffix}, QDir::Files | QDir::Hidden, QDir::Name);
    for (QString& name : names)
        name = folder_ + u'/' + name;
    return names;
}

void RemovalHistory::read(const std::function<void(RemovalBlock&&)>& take, Order order) const {
    QStringList names = files();
    if (order == Order::NewestFirst)
        std::reverse(names.begin(), names.end());
    for (const QString& name : names) {
        const std::optional<QByteArray> bytes = readWholeFileIfPresent(name, MaxFileBytes);
        if (!bytes)
            continue; // trimmed meanwhile
        if (order == Order::OldestFirst) {
            readRemovalBlocks(*bytes, take);
            continue;
        }
        std::vector<RemovalBlock> blocks;
        readRemovalBlocks(*bytes,
                          [&blocks](RemovalBlock&& block) { blocks.push_back(std::move(block)); });
        for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
            take(std::move(*block));
    }
}

void RemovalHistory::trim(qint64 limit) const {
    const QStringList names = files();
    std::vector<qint64> sizes;
    qint64 total = 0;
    for (const QString& name : names) {
        sizes.push_back(QFileInfo(name).size());
        total += sizes.back();
    }
    for (qsizetype i = 0; i + 1 < names.size() && total > limit; ++i) {
        QFile::remove(names[i]);
        total -= sizes[size_t(i)];
    }
}

} // namespace quill
