#include "storage/RemovalRecorder.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

// Blocks of about a mebibyte, written a few at a time: a save that removes millions of pairs
// costs about what writing them as list files costs.
constexpr qsizetype BlockContent = qsizetype(1) << 20;
constexpr qsizetype WriteSize = qsizetype(4) << 20;
constexpr qsizetype MaxFileBytes = qsizetype(1) << 34;

QString historyFileName(const QString& folder, qint64 number) {
    return folder + u'/' + QString::number(number).rightJustified(10, u'0') + u".removed"_s;
}

int openFile(const QString& name, int flags) {
    return ::open(QFile::encodeName(name).constData(), flags | O_CLOEXEC, 0600);
}

bool writeAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

// Where the whole blocks of a history file end. Only a file a kill cut short in the middle of a
// block is read whole; otherwise its last block alone is checked.
qint64 wholeBlocksEnd(int fd, const QString& name, qint64 size) {
    char trailer[RemovalTrailerSize];
    if (size >= RemovalHeaderSize + RemovalTrailerSize &&
        ::pread(fd, trailer, sizeof trailer, off_t(size - RemovalTrailerSize)) ==
            ssize_t(sizeof trailer)) {
        const std::optional<qsizetype> whole =
            removalBlockEndingWith(QByteArrayView(trailer, sizeof trailer));
        if (whole && *whole <= size) {
            QByteArray last(*whole, Qt::Uninitialized);
            if (::pread(fd, last.data(), size_t(*whole), off_t(size - *whole)) == ssize_t(*whole) &&
                readRemovalBlocks(last) == *whole)
                return size;
        }
    }
    return size == 0 ? 0 : readRemovalBlocks(readWholeFile(name, MaxFileBytes));
}

} // namespace

RemovalRecorder::RemovalRecorder(RemovalHistory history, qint64 limit)
    : history_(std::move(history)), limit_(limit), fileSize_(RemovalHistory::fileSize(limit)) {
    const QString folder = history_.folder();
    if (!QDir().mkpath(folder))
        throw Failure(u"Cannot save the lists: the removal history \"%1\" cannot be created"_s.arg(
            fullPath(folder)));
    // The pairs are the user's own: the history is for the user's eyes only.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    lock_.emplace(folder);
    buffer_.reserve(WriteSize + BlockContent);
}

RemovalRecorder::~RemovalRecorder() {
    if (!committed_)
        rollBack();
}

void RemovalRecorder::openNewest() {
    const QStringList names = history_.files();
    if (names.isEmpty()) {
        // Which folder the history is of, for whoever looks into the state folder.
        QFile note(history_.folder() + u"/folder"_s);
        if (note.open(QIODevice::WriteOnly))
            note.write(history_.listFolder().toUtf8() + '\n');
        return startFile(1);
    }
    const QString& name = names.last();
    lastNumber_ = QFileInfo(name).baseName().toLongLong();
    const int fd = openFile(name, O_RDWR);
    if (fd < 0)
        fail(errno, name);
    qint64 whole = -1;
    int error = 0;
    try {
        const qint64 size = ::lseek(fd, 0, SEEK_END);
        whole = size < 0 ? -1 : wholeBlocksEnd(fd, name, size);
        if (whole < 0 || (whole < size && ::ftruncate(fd, off_t(whole)) != 0))
            error = errno;
    } catch (const Failure&) {
        ::close(fd);
        throw;
    }
    if (error != 0) {
        ::close(fd);
        fail(error, name);
    }
    if (whole >= fileSize_) {
        ::close(fd);
        return startFile(lastNumber_ + 1);
    }
    // Only from here on does a rollback cut the file back, to what it held.
    firstSize_ = whole;
    files_.push_back({fd, name, whole, false});
}

void RemovalRecorder::startFile(qint64 number) {
    const QString name = historyFileName(history_.folder(), number);
    const int fd = openFile(name, O_RDWR | O_CREAT | O_EXCL);
    if (fd < 0)
        fail(errno, name);
    files_.push_back({fd, name, 0, true});
    lastNumber_ = number;
}

void RemovalRecorder::record(const PairView& lists, const PairRanges& ranges, const QString& cause,
                             qint64 time) {
    if (files_.empty())
        openNewest();
    const qsizetype content = std::min(BlockContent, qsizetype(fileSize_));
    bool continues = false;
    for (const auto& [from, to] : ranges) {
        for (qsizetype index = from; index < to; continues = true) {
            index = appendRemovalBlock(buffer_, lists, index, to, time, cause, continues, content);
            if (files_.back().size + buffer_.size() >= fileSize_) {
                flush();
                startFile(lastNumber_ + 1);
            } else if (buffer_.size() >= WriteSize) {
                flush();
            }
        }
    }
}

void RemovalRecorder::flush() {
    Written& file = files_.back();
    if (!writeAll(file.fd, buffer_))
        fail(errno, file.name);
    file.size += buffer_.size();
    buffer_.resize(0);
}

void RemovalRecorder::sync() {
    flush();
    bool created = false;
    for (const Written& file : files_) {
        if (::fsync(file.fd) != 0)
            fail(errno, file.name);
        created = created || file.created;
    }
    if (!created)
        return;
    // The new files' names are on the disk only once their folder is synced too.
    const int folder = openFile(history_.folder(), O_RDONLY | O_DIRECTORY);
    const int error = folder < 0 || ::fsync(folder) != 0 ? errno : 0;
    if (folder >= 0)
        ::close(folder);
    if (error != 0)
        fail(error, history_.folder());
}

void RemovalRecorder::commit() {
    for (const Written& file : files_)
        ::close(file.fd);
    files_.clear();
    committed_ = true;
    history_.trim(limit_);
}

void RemovalRecorder::fail(int error, QString name) {
    rollBack();
    const QString message =
        u"Cannot save the lists: the removal history \"%1\" cannot be written"_s.arg(
            fullPath(name));
    if (error == ENOSPC)
        throw NoSpaceFailure(withNoSpaceCause(message));
    throw Failure(message + u". "_s + errorText(error));
}

void RemovalRecorder::rollBack() {
    buffer_.resize(0);
    for (const Written& file : files_) {
        if (file.created)
            ::unlink(QFile::encodeName(file.name).constData());
        else if (::ftruncate(file.fd, off_t(firstSize_)) != 0) {
            // What stays is whole blocks and the start of one, which readers pass over.
        }
        ::close(file.fd);
    }
    files_.clear();
}

} // namespace quill
