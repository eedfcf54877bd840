#include "app/TForm1.h"
#include "core/Failure.h"
#include "fields/FieldCombo.h"
#include "storage/ListFile.h"

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QString fixedFile(const char16_t* name) { return QString::fromUtf16(name); }

} // namespace

void TForm1::FormActivate() {
    // A missing or unreadable list file is no error at start-up: the later steps are skipped.
    try {
        ComboBox1->replaceAllEntries(readListFile(fixedFile(PhraseFileName)));
        ComboBox2->replaceAllEntries(readListFile(fixedFile(MeanFileName)));
        ComboBox1->select(0);
        ComboBox2->select(0);
    } catch (const OpenFailure&) {
    }
}

void TForm1::saveFields() {
    writeListFile(fixedFile(PhraseFileName), ComboBox1->entries());
    writeListFile(fixedFile(MeanFileName), ComboBox2->entries());
}

void TForm1::SaveFields1Click() { saveFields(); }

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
