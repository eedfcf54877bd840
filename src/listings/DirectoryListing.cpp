#include "listings/DirectoryListing.h"

#include "core/ByteText.h"
#include "listings/DirectoryReader.h"
#include "listings/IoFailure.h"
#include "listings/PathResolution.h"
#include "listings/WorkingDirectory.h"
#include "listings/WorkingDirectoryGuard.h"

#include <vector>

namespace quill {
namespace {

QByteArray startDirectory() {
    try {
        return currentWorkingDirectory();
    } catch (const IoFailure&) {
        return {};
    }
}

} // namespace

DirectoryListing::DirectoryListing(const QLocale& locale)
    : DirectoryListing(startDirectory(), locale) {}

DirectoryListing::DirectoryListing(QByteArray directory, const QLocale& locale)
    : directory_(std::move(directory)), order_(locale),
      caseSensitive_(volumeIsCaseSensitive(directory_)) {}

bool DirectoryListing::isHeld(QByteArrayView path) const {
    if (caseSensitive_)
        return path == directory_;
    return displayText(path).compare(displayText(directory_), Qt::CaseInsensitive) == 0;
}

void DirectoryListing::pointAt(QByteArrayView path) {
    if (path.isEmpty() || isHeld(path))
        return;
    WorkingDirectoryGuard guard;
    const ResolvedPath resolved = resolvePath(path);
    changeWorkingDirectory(resolved.directory);
    QByteArray directory = currentWorkingDirectory();
    EntryList lines = linesOf(directory, order_);

    caseSensitive_ = volumeIsCaseSensitive(directory);
    directory_ = std::move(directory);
    lines_ = std::move(lines);
    read_ = true;
    guard.release();
}

const EntryList& DirectoryListing::lines() {
    if (!read_) {
        lines_ = linesOf(directory_, order_);
        caseSensitive_ = volumeIsCaseSensitive(directory_);
        read_ = true;
    }
    return lines_;
}

EntryList DirectoryListing::linesOf(const QByteArray& directory, const NameOrder& order) {
    std::vector<QByteArray> folders;
    DirectoryReader reader(directory);
    reader.setSkipHidden(true);
    reader.setDirectoriesOnly(true);
    reader.read([&](QByteArrayView name, DirectoryReader::Kind) {
        folders.push_back(DirectoryReader::lineFor(name));
    });
    order.sort(folders);

    EntryList lines;
    lines.append("/");
    for (const QByteArray& part : directory.split('/')) {
        if (!part.isEmpty())
            lines.append(DirectoryReader::lineFor(part));
    }
    for (const QByteArray& folder : folders)
        lines.append(folder);
    return lines;
}

} // namespace quill
