#include "core/ByteText.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "search/PairSearch.h"
#include "window/FormServices.h"
#include "window/TForm1.h"

#include <QPushButton>
#include <QStatusBar>

namespace quill {

using namespace Qt::StringLiterals;

void TForm1::setEntryCounter() {
    StatusBar1->showMessage(u"Entry/Registration Counter:  "_s +
                            QString::number(ComboBox1->selectedIndex()));
}

void TForm1::ComboBox1Change() {
    // The pair is a matter of equal indices: the partner shows its own entry number i.
    ComboBox2->select(ComboBox1->selectedIndex());
    setEntryCounter();
}

void TForm1::ComboBox2Change() {
    ComboBox1->select(ComboBox2->selectedIndex());
    setEntryCounter();
}

void TForm1::ClearPrimaryFiled1Click() {
    ComboBox1->clearField();
}

void TForm1::ClearSecondaryField1Click() {
    ComboBox2->clearField();
}

void TForm1::Exit1Click() {
    ComboBox1->clearField();
    ComboBox2->clearField();
}

void TForm1::Field11Click() {
    ComboBox1->replaceTextSelection(u" "_s);
}

void TForm1::Field21Click() {
    ComboBox2->replaceTextSelection(u" "_s);
}

void TForm1::AllFieldCursors1Click() {
    ComboBox1->replaceTextSelection(u" "_s);
    ComboBox2->replaceTextSelection(u" "_s);
}

namespace {

// When the primary field holds the word already (letter case and blanks at both ends aside), a
// line under the second prompt's label with the meanings stored for it: nothing is refused, the
// user decides whether to take it again.
QString collectedLine(PairSearch& search, const FieldCombo& primary, const FieldCombo& secondary,
                      const QString& word) {
    constexpr qsizetype shown = 3;
    constexpr qsizetype longest = 60;
    if (word.trimmed().isEmpty())
        return {};
    const PairSearch::Collected collected = search.collected(primary.entries(), word, shown);
    if (collected.count == 0)
        return {};
    QStringList meanings;
    for (const qsizetype pair : collected.first) {
        const EntryList& stored = secondary.entries();
        QString meaning = pair < stored.size() ? displayText(stored.at(pair)) : QString();
        if (meaning.size() > longest)
            meaning = meaning.first(longest - 1) + u'\u2026';
        meanings.append(u'"' + meaning + u'"');
    }
    QString line = u"\nAlready collected: "_s + meanings.join(u", "_s);
    if (collected.count > shown)
        line += u" and %1 more"_s.arg(collected.count - shown);
    return line;
}

// Asks for both texts of a pair; the second prompt comes whatever the first answer was. When
// only one is confirmed, the other field gets an empty entry: a lone entry would pair every
// later one with the wrong partner.
void takePair(Dialogs& dialogs, const QString& caption, FieldCombo& primary, FieldCombo& secondary,
              PairSearch& search) {
    const auto word = dialogs.prompt(caption, u"Field(1)"_s, QString());
    const QString collected = word ? collectedLine(search, primary, secondary, *word) : QString();
    if (word)
        primary.addEntry(storedBytes(*word));
    const auto meaning = dialogs.prompt(caption, u"Field(2)"_s + collected, QString());
    if (!word && !meaning)
        return;
    if (!word)
        primary.addEntry({});
    secondary.addEntry(meaning ? storedBytes(*meaning) : QByteArray());
}

void deleteSelected(FieldCombo& field) {
    field.deleteEntry(field.selectedIndex());
}

} // namespace

void TForm1::SpeedButton1Click() {
    takePair(*services_.dialogs, u"Data Take"_s, *ComboBox1, *ComboBox2, *search_);
    saveFields();
}

void TForm1::N1Click() {
    SpeedButton2->show();
    ComboBox1->clearField();
    ComboBox2->clearField();
}

void TForm1::SpeedButton2Click() {
    takePair(*services_.dialogs, u"New Data Take"_s, *ComboBox1, *ComboBox2, *search_);
}

void TForm1::CloseDataTake1Click() {
    SpeedButton2->hide();
}

void TForm1::PrimaryField1Click() {
    ComboBox1->addEntry(ComboBox1->editBytes());
}

void TForm1::SecundaryField1Click() {
    ComboBox2->addEntry(ComboBox2->editBytes());
}

void TForm1::AllField1Click() {
    PrimaryField1Click();
    SecundaryField1Click();
}

// Appending is adding at the end, the same operation.
void TForm1::PrimaryField2Click() {
    PrimaryField1Click();
}

void TForm1::SecundaryField2Click() {
    SecundaryField1Click();
}

void TForm1::BothFields1Click() {
    AllField1Click();
}

void TForm1::PrimaryFieldFromData1Click() {
    deleteSelected(*ComboBox1);
}

void TForm1::SecundaryFieldActualData1Click() {
    deleteSelected(*ComboBox2);
}

void TForm1::BothFieldActualData1Click() {
    deleteSelected(*ComboBox1);
    // The secondary field's own selection is read only now, after the first deletion.
    deleteSelected(*ComboBox2);
}

void TForm1::Delete1Click() {
    BothFieldActualData1Click();
}

void TForm1::Other1Click() {
    services_.dialogs->beep();
    if (!services_.dialogs->askOkCancel(u"Are You Sure..."_s, u"Delete All Data Throughout..."_s))
        return;
    ComboBox1->clearField();
    ComboBox2->clearField();
    saveFields();
}

} // namespace quill
