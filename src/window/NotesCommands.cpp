#include "window/NotesCommands.h"

#include "core/AvailableMemory.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "rtf/NotesDocument.h"
#include "storage/SafeFile.h"

#include <QAction>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <new>

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

void NotesCommands::loadFile(const QString& path) {
    // The document takes several times the file's size; a file beyond the share of memory
    // the pane allows itself is refused like one that cannot be read.
    const qint64 budget = memoryBudget_ > 0 ? memoryBudget_ : availableMemoryBytes() / 8;
    QByteArray bytes;
    try {
        bytes = readWholeFile(path, qsizetype(budget));
    } catch (const OpenFailure&) {
        throw;
    } catch (const Failure&) {
        throw Failure(u"Failed to Load Stream"_s);
    } catch (const std::bad_alloc&) {
        throw Failure(u"Failed to Load Stream"_s);
    }
    // The pane lets go of its caret while the content is replaced and takes a new one at the
    // start. Carried along to the end, the caret would make the pane lay out the whole document
    // the next time it shows it (seconds for a large file), instead of bit by bit from the top.
    pane_.setTextCursor(QTextCursor());
    const auto caretAtStart =
        qScopeGuard([this] { pane_.setTextCursor(QTextCursor(pane_.document())); });
    loadNotes(bytes, *pane_.document());
}

void NotesCommands::openAs() {
    // A file that cannot be opened ends the command silently: the pane is not shown.
    try {
        if (const std::optional<QString> file = showFileDialog(dialogs_, OpenDialog2))
            loadFile(*file);
        pane_.resize(pane_.width(), OpenPaneHeight);
        pane_.show();
        closeEditor_.setEnabled(true);
    } catch (const OpenFailure&) {
    }
}

void NotesCommands::saveAs() {
    const std::optional<QString> file = showFileDialog(dialogs_, SaveDialog2);
    if (!file)
        return;
    // Always rich text, whatever the filter entry or extension. A failed save leaves the old
    // file whole.
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
