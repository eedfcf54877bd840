#include "listings/FileListing.h"

#include "core/ByteText.h"
#include "listings/DirectoryReader.h"
#include "listings/IoFailure.h"
#include "listings/PathResolution.h"
#include "listings/Wildcard.h"
#include "listings/WorkingDirectory.h"
#include "listings/WorkingDirectoryGuard.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

constexpr qsizetype busyFromLine = 100;

QByteArray startDirectory() {
    try {
        return currentWorkingDirectory();
    } catch (const IoFailure&) {
        return {};
    }
}

QByteArray joined(const QByteArray& directory, QByteArrayView name) {
    QByteArray path = directory;
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
    return path;
}

// Tells the busy handler when the reading ends, also when it fails.
class BusyScope {
public:
    explicit BusyScope(const FileListing::BusyHandler& handler) : handler_(handler) {}
    ~BusyScope() {
        if (busy_ && handler_)
            handler_(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void start() {
        busy_ = true;
        if (handler_)
            handler_(true);
    }

private:
    const FileListing::BusyHandler& handler_;
    bool busy_ = false;
};

} // namespace

FileListing::FileListing(const QLocale& locale) : FileListing(startDirectory(), locale) {}

FileListing::FileListing(QByteArray directory, const QLocale& locale)
    : directory_(std::move(directory)), order_(locale),
      caseSensitive_(volumeIsCaseSensitive(directory_)) {}

QByteArray FileListing::selectedPath() const {
    if (selected_ < 0 || selected_ >= lines_.size())
        return {};
    return joined(directory_, lines_.at(selected_));
}

bool FileListing::samePath(QByteArrayView a, QByteArrayView b) const {
    if (caseSensitive_)
        return a == b;
    return displayText(a).compare(displayText(b), Qt::CaseInsensitive) == 0;
}

qsizetype FileListing::findLine(QByteArrayView name) const {
    // The exact spelling first: on a volume that tells case apart "a.txt" and "A.txt" are
    // two files.
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (lines_.at(i) == name)
            return i;
    }
    const QString wanted = displayText(name);
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (displayText(lines_.at(i)).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void FileListing::read() {
    // A reading makes the listing's folder the working directory, the first one on demand too.
    changeWorkingDirectory(directory_);
    lines_ = linesOf(directory_, pattern_, order_, busy_);
    caseSensitive_ = volumeIsCaseSensitive(directory_);
    selected_ = -1;
    read_ = true;
}

void FileListing::pointAt(QByteArrayView path) {
    if (path.isEmpty() || (selected_ >= 0 && samePath(path, selectedPath())))
        return;

    // Work on a copy so that a failure leaves the listing as it was.
    FileListing next = *this;
    WorkingDirectoryGuard guard;
    const ResolvedPath resolved = resolvePath(path);

    bool mustRead = !next.read_;
    bool didRead = false;
    const auto readNext = [&] {
        next.read();
        didRead = true;
    };
    if (!next.samePath(resolved.directory, next.directory_)) {
        changeWorkingDirectory(resolved.directory);
        next.directory_ = currentWorkingDirectory();
        next.caseSensitive_ = volumeIsCaseSensitive(next.directory_);
        mustRead = true;
    }
    if (hasWildcard(resolved.lastPart)) {
        if (resolved.lastPart != next.pattern_) {
            next.pattern_ = resolved.lastPart;
            mustRead = true;
        }
        if (mustRead)
            readNext();
    } else if (!resolved.lastPart.isEmpty()) {
        if (mustRead)
            readNext();
        next.selected_ = next.findLine(resolved.lastPart);
        if (!isExistingFile(joined(next.directory_, resolved.lastPart)))
            throw Failure(u"Invalid file name - %1"_s.arg(displayText(path)));
        if (next.selected_ < 0) {
            // A file the pattern leaves out becomes the pattern itself.
            next.pattern_ = resolved.lastPart;
            readNext();
            next.selected_ = next.findLine(resolved.lastPart);
        }
    } else if (mustRead) {
        readNext();
    }

    if (didRead) {
        // A reading happens in the listing's folder, which stays the working directory.
        changeWorkingDirectory(next.directory_);
        guard.release();
    }
    *this = std::move(next);
}

const EntryList& FileListing::lines() {
    if (!read_)
        read();
    return lines_;
}

EntryList FileListing::linesOf(const QByteArray& directory, QByteArrayView pattern,
                               const NameOrder& order, const BusyHandler& busy) {
    std::vector<Wildcard> patterns;
    for (const QByteArrayView piece : QByteArray(pattern.data(), pattern.size()).split(';'))
        patterns.emplace_back(piece);

    BusyScope busyScope(busy);
    std::vector<QByteArray> names;
    DirectoryReader reader(directory);
    reader.read([&](QByteArrayView name, DirectoryReader::Kind kind) {
        if (kind == DirectoryReader::Kind::Directory)
            return;
        const std::u32string folded = Wildcard::folded(name);
        for (const Wildcard& wildcard : patterns) {
            if (!wildcard.matches(folded))
                continue;
            names.push_back(DirectoryReader::lineFor(name));
            if (qsizetype(names.size()) == busyFromLine + 1)
                busyScope.start();
        }
    });
    order.sort(names);

    EntryList lines;
    qsizetype bytes = 0;
    for (const QByteArray& name : names)
        bytes += name.size();
    lines.reserve(bytes, qsizetype(names.size()));
    for (const QByteArray& name : names)
        lines.append(name);
    return lines;
}

} // namespace quill
