#include "window/NotesCommands.h"
#include "window/WaitCursor.h"

#include "core/AvailableMemory.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "rtf/NotesDocument.h"
#include "storage/SafeFile.h"
#include "window/NotesLoad.h"

#include <QAction>
#include <QTextDocument>
#include <QTextEdit>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

constexpr int PaneHeight = 86;
constexpr int OpenPaneHeight = 400;

FileDialog notesDialog(const QString& name, FileDialog::Kind kind, const QString& filter) {
    FileDialog dialog;
    dialog.name = name;
    dialog.kind = kind;
    dialog.filter = filter;
    dialog.defaultExtension = u"*.rtf"_s;
    return dialog;
}

} // namespace

NotesCommands::NotesCommands(Dialogs& dialogs, QTextEdit& pane, QAction& closeEditor,
                             qint64 memoryBudget)
    : OpenDialog2(notesDialog(u"OpenDialog2"_s, FileDialog::Kind::Open,
                              u"Text Files|*.txt;*.rtf;*.nfo;*.inf;*.cfg;*.ini;*.wri;*.doc;*.dok;"
                              "*.notes;*.not;*.bat;*.bak"_s)),
      SaveDialog2(notesDialog(u"SaveDialog2"_s, FileDialog::Kind::Save,
                              u"Rich Text File|*.rtf|Text file|*.txt|Info File|*.inf|Nfo File|"
                              "*.nfo|All Files|*.*"_s)),
      dialogs_(dialogs), pane_(pane), closeEditor_(closeEditor), memoryBudget_(memoryBudget) {}

QTextEdit* NotesCommands::makePane(QWidget* parent) {
    auto* pane = new QTextEdit(parent);
    pane->setObjectName(u"RichEdit1"_s);
    pane->setGeometry(0, 72, 593, PaneHeight);
    pane->setAccessibleName(u"Notes"_s);
    pane->setAccessibleDescription(u"Free-form rich text notes"_s);
    // Paragraphs without an alignment of their own are centred, on screen and when saved.
    QTextOption option = pane->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    pane->document()->setDefaultTextOption(option);
    pane->setLineWrapMode(QTextEdit::WidgetWidth);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pane->setTabChangesFocus(true);
    // The selection shows only while the pane has the focus.
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::Text));
    pane->setPalette(palette);
    pane->hide();
    return pane;
}

void NotesCommands::openAs() {
    // A file that cannot be opened, and a load cancelled in its progress window, end the
    // command silently: the pane is not shown.
    try {
        const std::optional<QString> file = showFileDialog(dialogs_, OpenDialog2);
        const WaitCursor busy(file.has_value());
        if (file) {
            // A share of the memory available, counted on the document the file becomes.
            const qint64 budget = memoryBudget_ > 0 ? memoryBudget_ : availableMemoryBytes() / 8;
            NotesLoad(dialogs_, pane_, budget, [this] { showPane(); }).run(*file);
        } else {
            // Shown with its vertical scroll bar, the pane lays a long document out once; found
            // missing only after a first layout, the bar narrows the pane and the layout starts
            // over (seconds for a long paragraph). The bar goes again when the text needs none.
            pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            showPane();
            pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        closeEditor_.setEnabled(true);
    } catch (const OpenFailure&) {
    } catch (const LoadCancelled&) {
    }
}

void NotesCommands::showPane() {
    pane_.resize(pane_.width(), OpenPaneHeight);
    pane_.show();
}

void NotesCommands::saveAs() {
    const std::optional<QString> file = showFileDialog(dialogs_, SaveDialog2);
    if (!file)
        return;
    // Always rich text, whatever the filter entry or extension. A failed save leaves the old
    // file whole.
    const WaitCursor busy;
    SafeFile notes(*file);
    try {
        notes.write(saveNotes(*pane_.document()));
        notes.commit();
    } catch (const NoSpaceFailure&) {
        throw Failure(withNoSpaceCause(u"Failed to Save Stream"_s));
    } catch (const Failure&) {
        throw Failure(u"Failed to Save Stream"_s);
    }
    closeEditor_.setEnabled(false);
}

void NotesCommands::closeEditor() {
    pane_.resize(pane_.width(), PaneHeight);
    pane_.hide();
}

} // namespace quill
