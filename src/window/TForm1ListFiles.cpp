#include "fields/FieldCombo.h"
#include "storage/ListFile.h"
#include "storage/SaveLeftovers.h"
#include "storage/TextBuffer.h"
#include "window/TForm1.h"

#include <optional>
#include <utility>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QString fixedFile(const char16_t* name) {
    return QString::fromUtf16(name);
}

} // namespace

void TForm1::FormActivate() {
    // A window killed between naming a save's temporary file and the rename leaves it here.
    removeSaveLeftovers(QString(), startedAt_);
    // A missing list file is no error at start-up (a new folder): the later steps are skipped.
    // One that exists and cannot be read is reported, before a save could replace it.
    std::optional<EntryList> phrases = readListFileIfPresent(fixedFile(PhraseFileName));
    if (!phrases)
        return;
    ComboBox1->replaceAllEntries(std::move(*phrases));
    std::optional<EntryList> meanings = readListFileIfPresent(fixedFile(MeanFileName));
    if (!meanings)
        return;
    ComboBox2->replaceAllEntries(std::move(*meanings));
    ComboBox1->select(0);
    ComboBox2->select(0);
}

void TForm1::saveFields() {
    // Both files or neither: a failure before the renames leaves the old pair in place.
    writeListFilePair(fixedFile(PhraseFileName), ComboBox1->entries(), fixedFile(MeanFileName),
                      ComboBox2->entries());
}

void TForm1::SaveFields1Click() {
    saveFields();
}

void TForm1::SaveBoth1Click() {
    Memo1.setText(listText(ComboBox1->entries()) + listText(ComboBox2->entries()));
    Memo1.writeToFile(fixedFile(BothFileName));
}

void TForm1::SaveActual1Click() {
    Memo1.appendLine(ComboBox1->editBytes());
    Memo1.appendLine("<<<<TRANSLATE>>>  " + ComboBox2->editBytes());
    Memo1.writeToFile(fixedFile(ActualFileName));
}

} // namespace quill
