#include "window/ListingCommands.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "listings/ListingFile.h"
#include "storage/ListFile.h"

#include <QGuiApplication>

#include <utility>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

// Writes the listing file and loads the primary field's entries from it, from the cache folder
// when the listed folder refused it. A listing file that cannot be opened again is passed over
// silently; the edit text and the secondary field stay.
template <class Listing>
void listInto(FieldCombo& field, Listing& listing, const std::optional<QByteArray>& path,
              const char16_t* fileName, const QByteArray& cacheFolder) {
    const QString written =
        writeListingFile(listing, path, QString::fromUtf16(fileName), cacheFolder);
    try {
        field.replaceAllEntries(readListFile(written));
    } catch (const OpenFailure&) {
    }
}

void showBusy(bool busy) {
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

ListingCommands::ListingCommands(Dialogs& dialogs, FieldCombo& primary, FixedFolders folders)
    : dialogs_(dialogs), primary_(primary), folders_(std::move(folders)) {
    FileListBox1.setBusyHandler(showBusy);
}

std::optional<QByteArray> ListingCommands::path(Folder folder) {
    switch (folder) {
    case Folder::Root:
        return folders_.root;
    case Folder::ProgramFiles:
        return folders_.programFiles;
    case Folder::Windows:
        return folders_.windows;
    case Folder::Asked:
        break;
    }
    const std::optional<QString> answer =
        dialogs_.prompt(u"Choose Directory"_s, u"Directory Label:"_s, QString());
    if (!answer)
        return std::nullopt;
    return storedBytes(*answer);
}

void ListingCommands::listDirectories(Folder folder) {
    listInto(primary_, DirectoryListBox1, path(folder), DirectoryListFileName,
             folders_.listingCache);
}

void ListingCommands::listFiles(Folder folder) {
    listInto(primary_, FileListBox1, path(folder), FileListFileName, folders_.listingCache);
}

} // namespace quill
