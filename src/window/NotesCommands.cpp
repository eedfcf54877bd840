#include "window/NotesCommands.h"
#include "window/WaitCursor.h"

#include "core/AvailableMemory.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "rtf/NotesDocument.h"
#include "rtf/NotesFootprint.h"
#include "storage/SafeFile.h"

#include <QAction>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>
#include <new>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

constexpr int PaneHeight = 86;
constexpr int OpenPaneHeight = 400;
// Files from this size on load under the busy cursor, with a progress window and Cancel.
constexpr qint64 LongLoad = 1024 * 1024;

// The user ended a load in its progress window; the pane stays as it was.
struct LoadCancelled {};

[[noreturn]] void failLoad() {
    throw Failure(u"Failed to Load Stream"_s);
}

// The document the file becomes must fit in the memory the pane allows itself and in what the
// pane can lay out. Checked while reading, so a file that keeps growing stops at the budget.
void checkFits(const NotesFootprint& footprint, qint64 budget) {
    if (footprint.memoryBytes() > budget || !footprint.displayable())
        failLoad();
}

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

void NotesCommands::loadFile(const QString& path) {
    // A share of the memory available, counted on the document the file becomes; the file's
    // bytes count too while it loads, so no file larger than that is read at all.
    const qint64 budget = memoryBudget_ > 0 ? memoryBudget_ : availableMemoryBytes() / 8;
    NotesFootprint footprint;
    std::unique_ptr<Dialogs::Progress> progress;
    const ReadWatcher watch = [&](QByteArrayView soFar, qint64 size) {
        footprint.count(soFar);
        checkFits(footprint, budget);
        if (!progress && size >= LongLoad)
            progress = dialogs_.startProgress(u"Open Notes As...."_s, size);
        if (progress && !progress->update(soFar.size()))
            throw LoadCancelled();
    };
    QByteArray bytes;
    try {
        bytes = readWholeFile(path, qsizetype(budget), watch);
    } catch (const OpenFailure&) {
        throw;
    } catch (const Failure&) {
        failLoad();
    } catch (const std::bad_alloc&) {
        failLoad();
    }
    footprint.finish(bytes);
    checkFits(footprint, budget);
    progress.reset();
    // The pane lets go of its caret while the content is replaced and takes a new one at the
    // start. Carried along to the end, the caret would make the pane lay out the whole document
    // the next time it shows it (seconds for a large file), instead of bit by bit from the top.
    pane_.setTextCursor(QTextCursor());
    const auto caretAtStart =
        qScopeGuard([this] { pane_.setTextCursor(QTextCursor(pane_.document())); });
    loadNotes(bytes, *pane_.document());
}

void NotesCommands::openAs() {
    // A file that cannot be opened, and a load cancelled in its progress window, end the
    // command silently: the pane is not shown.
    try {
        const std::optional<QString> file = showFileDialog(dialogs_, OpenDialog2);
        const bool longLoad = file && QFileInfo(*file).size() >= LongLoad;
        const WaitCursor busy(longLoad);
        if (file)
            loadFile(*file);
        // Shown with its vertical scroll bar, the pane lays a long document out once; found
        // missing only after a first layout, the bar narrows the pane and the layout starts
        // over (seconds for a long paragraph). The bar goes again when the text needs none.
        pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pane_.resize(pane_.width(), OpenPaneHeight);
        pane_.show();
        pane_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        closeEditor_.setEnabled(true);
    } catch (const OpenFailure&) {
    } catch (const LoadCancelled&) {
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
