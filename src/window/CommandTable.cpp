#include "window/CommandTable.h"

#include "fields/EditKey.h"

namespace quill {
namespace {

using F = TForm1;

// Captions are kept exactly as the program shows them: the double blanks, the four dots and
// the blank access key of "& 3 Character Words..." are intended.
const CommandRow rows[] = {
    {0, u"&File", "Files1", nullptr},
    {1, u"&Open List Primary Field As....", "OpenList1", &F::OpenList1Click},
    {1, u"&Open Notes As....", "OpenAs1", &F::OpenAs1Click},
    {1, u"&Save Notes As...", "SaveAs1", &F::SaveAs1Click},
    {1, u"&Save List Primary Field As...", "SaveListOtherName1", &F::SaveListOtherName1Click},
    {1, u"&Save Actual Fields...", "SaveActual1", &F::SaveActual1Click},
    {1, u"&Save Both Fields Consecutively...", "SaveBoth1", &F::SaveBoth1Click},
    {1, u"&Close Editor...", "CloseEditor1", &F::CloseEditor1Click, false},
    {1, u"&Quit", "Exit2", &F::Exit2Click, true, QKeySequence::Quit, "Ctrl+Q"},

    {0, u"&Tools", "ools1", nullptr},
    {1, u"&Clear Primary Field", "ClearPrimaryFiled1", &F::ClearPrimaryFiled1Click},
    {1, u"&Clear Secondary Field", "ClearSecondaryField1", &F::ClearSecondaryField1Click},
    {1, u"&Clear All Fields", "Exit1", &F::Exit1Click},
    {1, u"&Step", "Step1", nullptr},
    {2, u"&Field Cursor 1", "Field11", &F::Field11Click},
    {2, u"&Field Cursor 2", "Field21", &F::Field21Click},
    {2, u"&All Field Cursors...", "AllFieldCursors1", &F::AllFieldCursors1Click},
    {1, u"&Delete Actual Registration...", "Delete1", &F::Delete1Click},
    {1, u"&Save Fields...", "SaveFields1", &F::SaveFields1Click, true, QKeySequence::Save,
     "Ctrl+S"},
    {1, u"&Delete All Fields Registration Throughout ...", "Other1", &F::Other1Click},
    {1, u"&Special Bidding Stripe Execution...", "Other2", &F::Other2Click},
    {1, u"&Know Files Run....", "RunAKnowFile1", &F::RunAKnowFile1Click},
    {1, u"&Run a Files Windows Directory...", "RunaFiles1", &F::RunaFiles1Click},
    {1, u"&Counter", "Counter1", nullptr},
    {2, u"&On", "On1", &F::On1Click},
    {2, u"&Off", "Off1", &F::Off1Click},

    {0, u"&Other", "Other3", nullptr},
    {1, u"&New Data Take...", "N1", &F::N1Click},
    {1, u"&Close New Data Take...", "CloseDataTake1", &F::CloseDataTake1Click},
    {1, u"&New Data Take File...", "SaveFields2", nullptr},
    {2, u"&Open...", "Open1", &F::Open1Click},
    {2, u"&Save...", "Save1", &F::Save1Click},
    {1, u"&Insert", "Insert1", nullptr},
    {2, u"&Date And Time...", "DateTime1", &F::DateTime1Click},
    {2, u"&Date And Time encoded format...", "imeCodeFormate1", &F::imeCodeFormate1Click},
    {2, u"&Root Directory List...", "DirectoryList1", &F::DirectoryList1Click},
    {2, u"&Program Files List...", "ProgramFilesList1", &F::ProgramFilesList1Click},
    {2, u"&Choose a directory...", "ChooseaDirectory1", &F::ChooseaDirectory1Click},
    {2, u"&Files", "Files2", nullptr},
    {3, u"&Root...", "Root1", &F::Root1Click},
    {3, u"&Windows...", "Windows1", &F::Windows1Click},
    {3, u"&Any...", "Any1", &F::Any1Click},
    {1, u"&Add Data To List", "AddDataToList1", nullptr},
    {2, u"&Primary Field...", "PrimaryField1", &F::PrimaryField1Click},
    {2, u"&Secundary Field...", "SecundaryField1", &F::SecundaryField1Click},
    {2, u"&All Field...", "AllField1", &F::AllField1Click},
    {1, u"&Delete Data From List", "DeleteDataFromList1", nullptr},
    {2, u"&Primary Field Actual Data...", "PrimaryFieldFromData1", &F::PrimaryFieldFromData1Click},
    {2, u"&Secundary Field Actual Data..", "SecundaryFieldActualData1",
     &F::SecundaryFieldActualData1Click},
    {2, u"&Both Field Actual Data...", "BothFieldActualData1", &F::BothFieldActualData1Click},
    {1, u"&Append Data From List", "AppendDataFromList1", nullptr},
    {2, u"&Primary Field...", "PrimaryField2", &F::PrimaryField2Click},
    {2, u"Secundary Field...", "SecundaryField2", &F::SecundaryField2Click},
    {2, u"&Both Fields...", "BothFields1", &F::BothFields1Click},
    {1, u"&Special Data Handler", "SpecialDataHandler1", nullptr},
    {2, u"&Write An Actual Data In Registry Database...", "WriteDatasFromRegistryDatabase1",
     &F::WriteDatasFromRegistryDatabase1Click},
    {2, u"&Read Actual Data From Registry Database...", "ReadDatasFromRegistryDatabase1",
     &F::ReadDatasFromRegistryDatabase1Click},
    {1, u"&Generate", "Generate1", nullptr},
    {2, u"&Ordinal number...", "N2", &TForm1::N2Click},
    {2, u"&Ordinal Character...", "Character1", &TForm1::Character1Click},
    {2, u"&Randomize Words  (From 4. Character)...", "RandomizeWords1",
     &TForm1::RandomizeWords1Click},
    {2, u"&Randomize Words  (From 5. Characters)...", "RandomizeWordsFrom5Characters1",
     &TForm1::RandomizeWordsFrom5Characters1Click},
    {2, u"&Randomize Words Other Method   (From 4. Character)...", "RandomizeWord1",
     &TForm1::RandomizeWord1Click},
    {2, u"&Randomize Words Other Method   (From 5. Character)...",
     "RandomizeWordsOtherMethodFrom5Character1",
     &TForm1::RandomizeWordsOtherMethodFrom5Character1Click},
    {2, u"&Randomize Words Other Method   (From 6. Character)...",
     "RandomizeWordsOtherMethodFrom6Character1",
     &TForm1::RandomizeWordsOtherMethodFrom6Character1Click},
    {2, u"&Randomize Variations   (From  4. Character)...", "RandomizeVariations1",
     &TForm1::RandomizeVariations1Click},
    {2, u"&Web Address...", "WebAddress1", &TForm1::WebAddress1Click},
    {2, u"&More...", "More1", nullptr},
    {3, u"& 3 Character Words...", "N3CharacterWords1", &TForm1::N3CharacterWords1Click},
    {3, u"& 6 Character Words...", "N6CharacterWords1", &TForm1::N6CharacterWords1Click},
    {3, u"& 7 Character Words...", "N7CharacterWords1", &TForm1::N7CharacterWords1Click},
    {3, u"& 8 Character Words...", "N8CharacterWords1", &TForm1::N8CharacterWords1Click},
    {3, u"& 9 Character Words...", "N9CharacterWords1", &TForm1::N9CharacterWords1Click},
    {3, u"& 10 Character Words...", "N10CharacterWords1", &TForm1::N10CharacterWords1Click},
    {3, u"& 11 Character Words...", "N11CharacterWords1", &TForm1::N11CharacterWords1Click},
    {3, u"& 12 Character Words...", "N12CharacterWords1", &TForm1::N12CharacterWords1Click},

    {0, u"&Edit", "Edit1", nullptr},
    {1, u"&Undo", "Undo1", &F::Undo1Click, true, QKeySequence::Undo, UsualUndoKeys},
    {1, u"&Redo", "Redo1", &F::Redo1Click, true, QKeySequence::Redo, UsualRedoKeys},
    {1, u"&Find...", "Find1", &F::Find1Click, true, QKeySequence::Find, "Ctrl+F"},
};

} // namespace

std::span<const CommandRow> commandTable() {
    return rows;
}

QList<QKeySequence> commandKeys(const CommandRow& row) {
    if (row.keys == QKeySequence::UnknownKey)
        return {};
    QList<QKeySequence> keys = QKeySequence::keyBindings(row.keys);
    if (!row.usualKeys)
        return keys;
    for (const QKeySequence& usual : QKeySequence::listFromString(QLatin1StringView(row.usualKeys),
                                                                  QKeySequence::PortableText)) {
        if (!keys.contains(usual))
            keys.append(usual);
    }
    return keys;
}

} // namespace quill
