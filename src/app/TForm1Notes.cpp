#include "app/TForm1.h"
#include "core/Failure.h"
#include "fields/FieldCombo.h"
#include "generators/AvailableMemory.h"
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

void TForm1::buildNotes() {
    RichEdit1 = new QTextEdit(client_);
    RichEdit1->setObjectName(u"RichEdit1"_s);
    RichEdit1->setGeometry(0, 72, 593, PaneHeight);
    RichEdit1->setAccessibleName(u"Notes"_s);
    RichEdit1->setAccessibleDescription(u"Free-form rich text notes"_s);
    // Paragraphs without an alignment of their own are centred, on screen and when saved.
    QTextOption option = RichEdit1->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    RichEdit1->document()->setDefaultTextOption(option);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setTabChangesFocus(true);
    // The selection shows only while the pane has the focus.
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::Text));
    RichEdit1->setPalette(palette);
    RichEdit1->hide();
    setTabOrder(ComboBox2, RichEdit1);
    controls_.push_back(RichEdit1);
    RichEdit1->installEventFilter(this);

    CloseEditor1 = findChild<QAction*>(u"CloseEditor1"_s);
    OpenDialog2 = notesDialog(u"OpenDialog2"_s, FileDialog::Kind::Open,
                              u"Text Files|*.txt;*.rtf;*.nfo;*.inf;*.cfg;*.ini;*.wri;*.doc;*.dok;"
                              "*.notes;*.not;*.bat;*.bak"_s);
    SaveDialog2 = notesDialog(u"SaveDialog2"_s, FileDialog::Kind::Save,
                              u"Rich Text File|*.rtf|Text file|*.txt|Info File|*.inf|Nfo File|"
                              "*.nfo|All Files|*.*"_s);
}

void TForm1::loadNotesFile(const QString& path) {
    // The document takes several times the file's size; a file beyond the share of memory
    // the pane allows itself is refused like one that cannot be read.
    const qint64 budget =
        services_.notesMemoryBudget > 0 ? services_.notesMemoryBudget : availableMemoryBytes() / 8;
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
    RichEdit1->setTextCursor(QTextCursor());
    const auto caretAtStart =
        qScopeGuard([this] { RichEdit1->setTextCursor(QTextCursor(RichEdit1->document())); });
    loadNotes(bytes, *RichEdit1->document());
}

void TForm1::OpenAs1Click() {
    // A file that cannot be opened ends the command silently: the pane is not shown.
    try {
        if (const std::optional<QString> file = showFileDialog(OpenDialog2))
            loadNotesFile(*file);
        RichEdit1->resize(RichEdit1->width(), OpenPaneHeight);
        RichEdit1->show();
        CloseEditor1->setEnabled(true);
    } catch (const OpenFailure&) {
    }
}

void TForm1::SaveAs1Click() {
    const std::optional<QString> file = showFileDialog(SaveDialog2);
    if (!file)
        return;
    // Always rich text, whatever the filter entry or extension. A failed save leaves the old
    // file whole.
    SafeFile notes(*file);
    try {
        notes.write(saveNotes(*RichEdit1->document()));
        notes.commit();
    } catch (const Failure&) {
        throw Failure(u"Failed to Save Stream"_s);
    }
    CloseEditor1->setEnabled(false);
}

void TForm1::CloseEditor1Click() {
    RichEdit1->resize(RichEdit1->width(), PaneHeight);
    RichEdit1->hide();
}

} // namespace quill
