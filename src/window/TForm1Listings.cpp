#include "window/ListingCommands.h"
#include "window/TForm1.h"

namespace quill {

// The folder listings close a data take first; the file listings of the fixed folders do not.

void TForm1::DirectoryList1Click() {
    Exit1Click();
    listings_->listDirectories(ListingCommands::Folder::Root);
}

void TForm1::ProgramFilesList1Click() {
    Exit1Click();
    listings_->listDirectories(ListingCommands::Folder::ProgramFiles);
}

void TForm1::ChooseaDirectory1Click() {
    Exit1Click();
    listings_->listDirectories(ListingCommands::Folder::Asked);
}

void TForm1::Root1Click() {
    listings_->listFiles(ListingCommands::Folder::Root);
}

void TForm1::Windows1Click() {
    listings_->listFiles(ListingCommands::Folder::Windows);
}

void TForm1::Any1Click() {
    Exit1Click();
    listings_->listFiles(ListingCommands::Folder::Asked);
}

} // namespace quill
