#pragma once

#include "dialogs/FileDialog.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QPushButton;
class QStatusBar;
class QTextEdit;

namespace quill {

class FieldCombo;
class FindBar;
class GeneratorCommands;
class LauncherCommands;
class ListPairSync;
class ListingCommands;
struct MergedPair;
class NotesCommands;
class PairSearch;
class RegistryCommands;
class TextBuffer;
class UndoCommands;
struct FormServices;

// The main window: its controls, its menus built from the command table, and one method per
// command; the commands of an area forward to that area's command object. Commands run through
// runCommand(), which turns a Failure into the failure report and makes what a command does to
// the fields one step of the undo history.
class TForm1 : public QMainWindow {
    Q_OBJECT
    // Made first: the members below refer to them.
    std::unique_ptr<FormServices> ownServices_;
    std::unique_ptr<TextBuffer> ownMemo_;

public:
    using Handler = void (TForm1::*)();

    explicit TForm1(FormServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs one command; a failure it raises goes to the failure report: a Failure with its
    // message, running out of memory as "Out of memory", any other exception with its text or,
    // without one, "Unexpected failure". The window goes on either way. What the command did to
    // the fields, failed or not, is one undo step (commands it runs in turn are part of it).
    void runCommand(Handler handler);
    // The text and title the failure report shows for a message.
    void reportFailure(const QString& message);

    // Start-up and main window (TForm1.cpp)
    void FormActivate();
    void Exit2Click();
    // A file dropped on the window (droppedFile_): its new pairs, once confirmed, are added and
    // saved as import adds them.
    void FormDragDrop();
    void On1Click();
    void Off1Click();

    // Field lists and entry commands (TForm1Entries.cpp)
    void ComboBox1Change();
    void ComboBox2Change();
    void ClearPrimaryFiled1Click();
    void ClearSecondaryField1Click();
    void Exit1Click();
    void Field11Click();
    void Field21Click();
    void AllFieldCursors1Click();
    void SpeedButton1Click();
    void N1Click();
    void SpeedButton2Click();
    void CloseDataTake1Click();
    void PrimaryField1Click();
    void SecundaryField1Click();
    void AllField1Click();
    void PrimaryField2Click();
    void SecundaryField2Click();
    void BothFields1Click();
    void PrimaryFieldFromData1Click();
    void SecundaryFieldActualData1Click();
    void BothFieldActualData1Click();
    void Delete1Click();
    void Other1Click();

    // List files (TForm1ListFiles.cpp)
    void SaveFields1Click();
    void SaveBoth1Click();
    void SaveActual1Click();

    // List file dialogs (TForm1ListDialogs.cpp)
    void OpenList1Click();
    void SaveListOtherName1Click();
    void Open1Click();
    void Save1Click();

    // Notes editor (TForm1Notes.cpp)
    void OpenAs1Click();
    void SaveAs1Click();
    void CloseEditor1Click();

    // Date and time insertion (TForm1DateTime.cpp)
    void DateTime1Click();
    void imeCodeFormate1Click();

    // Directory and file listings (TForm1Listings.cpp)
    void DirectoryList1Click();
    void ProgramFilesList1Click();
    void ChooseaDirectory1Click();
    void Root1Click();
    void Windows1Click();
    void Any1Click();

    // Registry store (TForm1Registry.cpp)
    void WriteDatasFromRegistryDatabase1Click();
    void ReadDatasFromRegistryDatabase1Click();
    // Generators (TForm1Generators.cpp)
    void N2Click();
    void Character1Click();
    void RandomizeWords1Click();
    void RandomizeWordsFrom5Characters1Click();
    void RandomizeWord1Click();
    void RandomizeWordsOtherMethodFrom5Character1Click();
    void RandomizeWordsOtherMethodFrom6Character1Click();
    void RandomizeVariations1Click();
    void WebAddress1Click();
    void N3CharacterWords1Click();
    void N6CharacterWords1Click();
    void N7CharacterWords1Click();
    void N8CharacterWords1Click();
    void N9CharacterWords1Click();
    void N10CharacterWords1Click();
    void N11CharacterWords1Click();
    void N12CharacterWords1Click();

    // Program launcher (TForm1Launcher.cpp)
    void Other2Click();
    void RunAKnowFile1Click();
    void RunaFiles1Click();

    // Undo and redo (TForm1Undo.cpp)
    void Undo1Click();
    void Redo1Click();

    // Find bar (TForm1.cpp): "&Find..." (Ctrl+F) opens it; the pair chosen there is selected in
    // both fields.
    void Find1Click();
    void selectFoundPair();

    // Controls. The names are the components' names and the widgets' object names.
    FieldCombo* ComboBox1 = nullptr;
    FieldCombo* ComboBox2 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    // The hidden composing buffer for "Both.log" and "Actual.log"; never shown.
    TextBuffer& Memo1;
    // The file dialogs, made with the window; each remembers its last confirmed showing.
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;
    FileDialog OpenDialog3;
    FileDialog SaveDialog3;
    // The notes pane, hidden at start, and the menu entry that closes it.
    QTextEdit* RichEdit1 = nullptr;
    QAction* CloseEditor1 = nullptr;

    // The command objects of the areas. The listings and the object container live in them.
    ListingCommands& listings() { return *listings_; }
    LauncherCommands& launcher() { return *launcher_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildCommands();
    void buildFileDialogs();
    void buildNotes();
    // Shows one of the file dialogs; the chosen full path, or nothing when cancelled.
    std::optional<QString> showFileDialog(FileDialog& dialog);
    void activateOnce();
    // The colours of the fields and the status bar, from the window's palette.
    void applyColours();
    void autoSize();
    void centreOnScreen();
    void saveFields();
    void showMergedLists(MergedPair& merged);
    // Whether what the command does to the fields is an undo step.
    static bool makesUndoStep(Handler handler);
    void setEntryCounter();

    FormServices& services_;
    QWidget* client_ = nullptr;
    std::vector<QWidget*> controls_;
    bool activated_ = false;
    QString droppedFile_;
    bool centred_ = false;
    // Commands running, one inside the other.
    int commandDepth_ = 0;
    // When the window was made, on the file clock: older save leftovers are removed at start-up.
    qint64 startedAt_;
    // "Phrase.log" and "Mean.log" as this window last read or wrote them, shared with other
    // writers.
    std::unique_ptr<ListPairSync> listPair_;

    std::unique_ptr<ListingCommands> listings_;
    std::unique_ptr<LauncherCommands> launcher_;
    std::unique_ptr<NotesCommands> notes_;
    std::unique_ptr<RegistryCommands> registry_;
    std::unique_ptr<UndoCommands> undo_;
    // Searches the lists for the find bar and for the take commands' check of a taken word.
    std::unique_ptr<PairSearch> search_;
    // Below the other controls while shown; made with them, deleted before search_.
    FindBar* findBar_ = nullptr;
    // Generators (TForm1Generators.cpp): made on first use; holds the run's random seed.
    GeneratorCommands& generators();
    std::shared_ptr<GeneratorCommands> generators_;
};

} // namespace quill
