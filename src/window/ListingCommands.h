#pragma once

#include "listings/DirectoryListing.h"
#include "listings/FileListing.h"
#include "listings/FixedFolders.h"

#include <QByteArray>

#include <optional>

namespace quill {

class Dialogs;
class FieldCombo;

// The listing commands: they write the folders or the files of a folder into a listing file and
// load the primary field's entries from it. The hidden listings start at the working directory
// they are made in and keep their folders and lines for the whole run.
class ListingCommands {
public:
    // Which folder a command lists: one of the fixed folders, or one the user is asked for.
    enum class Folder { Root, ProgramFiles, Windows, Asked };

    ListingCommands(Dialogs& dialogs, FieldCombo& primary, FixedFolders folders);

    void listDirectories(Folder folder);
    void listFiles(Folder folder);

    DirectoryListing DirectoryListBox1;
    FileListing FileListBox1;

private:
    // The folder's path bytes; nothing when the user cancelled the question.
    std::optional<QByteArray> path(Folder folder);

    Dialogs& dialogs_;
    FieldCombo& primary_;
    FixedFolders folders_;
};

} // namespace quill
