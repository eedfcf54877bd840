#include "dialogs/Dialogs.h"
#include "window/TForm1.h"
#include "core/ByteText.h"
#include "core/Failure.h"
#include "fields/FieldCombo.h"
#include "listings/ListingFile.h"
#include "storage/ListFile.h"

#include <QGuiApplication>

#include <optional>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QString listingFile(const char16_t* name) {
    return QString::fromUtf16(name);
}

// The answer of the "Choose Directory" prompt as path bytes; nothing when it was cancelled.
std::optional<QByteArray> askDirectory(Dialogs& dialogs) {
    const std::optional<QString> answer =
        dialogs.prompt(u"Choose Directory"_s, u"Directory Label:"_s, QString());
    if (!answer)
        return std::nullopt;
    return storedBytes(*answer);
}

// Writes the listing file and loads the primary field's entries from it, from the cache folder
// when the listed folder refused it. A listing file that cannot be opened again is passed over
// silently; the edit text and the secondary field stay.
template <class Listing>
void listInto(FieldCombo& field, Listing& listing, const std::optional<QByteArray>& path,
              const QString& fileName, const QByteArray& cacheFolder) {
    const QString written = writeListingFile(listing, path, fileName, cacheFolder);
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

void TForm1::DirectoryList1Click() {
    Exit1Click();
    listInto(*ComboBox1, DirectoryListBox1, services_.folders.root,
             listingFile(DirectoryListFileName), services_.folders.listingCache);
}

void TForm1::ProgramFilesList1Click() {
    Exit1Click();
    listInto(*ComboBox1, DirectoryListBox1, services_.folders.programFiles,
             listingFile(DirectoryListFileName), services_.folders.listingCache);
}

void TForm1::ChooseaDirectory1Click() {
    Exit1Click();
    const std::optional<QByteArray> answer = askDirectory(*services_.dialogs);
    listInto(*ComboBox1, DirectoryListBox1, answer, listingFile(DirectoryListFileName),
             services_.folders.listingCache);
}

void TForm1::Root1Click() {
    FileListBox1.setBusyHandler(showBusy);
    listInto(*ComboBox1, FileListBox1, services_.folders.root, listingFile(FileListFileName),
             services_.folders.listingCache);
}

void TForm1::Windows1Click() {
    FileListBox1.setBusyHandler(showBusy);
    listInto(*ComboBox1, FileListBox1, services_.folders.windows, listingFile(FileListFileName),
             services_.folders.listingCache);
}

void TForm1::Any1Click() {
    Exit1Click();
    const std::optional<QByteArray> answer = askDirectory(*services_.dialogs);
    FileListBox1.setBusyHandler(showBusy);
    listInto(*ComboBox1, FileListBox1, answer, listingFile(FileListFileName),
             services_.folders.listingCache);
}

} // namespace quill
