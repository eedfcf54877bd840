#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "storage/ListFile.h"
#include "window/FormServices.h"
#include "window/LongWork.h"
#include "window/TForm1.h"

namespace quill {

using namespace Qt::StringLiterals;

namespace {

FileDialog makeFileDialog(const QString& name, FileDialog::Kind kind, const QString& filter,
                          const QString& defaultExtension) {
    FileDialog dialog;
    dialog.name = name;
    dialog.kind = kind;
    dialog.filter = filter;
    dialog.defaultExtension = defaultExtension;
    return dialog;
}

} // namespace

void TForm1::buildFileDialogs() {
    using Kind = FileDialog::Kind;
    OpenDialog1 = makeFileDialog(
        u"OpenDialog1"_s, Kind::Open,
        u"List Files...|*.lst;*.txt;*.text;*.ini;*.inf;*.cfg;*.qls;*.list;*.info;*.spf;*.htm;"
        "*.html;*.php;*.primary;*.config;*.log;*.bat;*.bak;*.rtf;*.nfo;*.dok;*.lso;*.def;*.des;"
        "*.describe;*.write;*.wri;*.als;*.ls_;*.rep;*.report;*.jou;*.journalist;*.qp;*.qrp"_s,
        u"*.log"_s);
    SaveDialog1 = makeFileDialog(u"SaveDialog1"_s, Kind::Save,
                                 u"List Files...|*.lst|Log File|*.log|Text File|*.txt|Ini File|"
                                 "*.ini|Info File|*.inf|Nfo File|*.nfo|All Files|*.*"_s,
                                 u"*.log;*.lst"_s);
    OpenDialog3 = makeFileDialog(u"OpenDialog3"_s, Kind::Open, u"Log File|*.log"_s, u"*.log"_s);
    SaveDialog3 = makeFileDialog(u"SaveDialog3"_s, Kind::Save, u"Log File|*.log"_s, u"*.log"_s);
}

std::optional<QString> TForm1::showFileDialog(FileDialog& dialog) {
    return quill::showFileDialog(*services_.dialogs, dialog);
}

void TForm1::OpenList1Click() {
    const std::optional<QString> file = showFileDialog(OpenDialog1);
    if (!file)
        return;
    LongWork work(*services_.dialogs, u"Open List Primary Field As...."_s);
    // The field is emptied only for a list that was read: a file that cannot be opened keeps
    // its unsaved entries and edit text, without a message; so does a reading cancelled.
    EntryList entries;
    try {
        entries = readListFile(*file, work.readWatcher());
    } catch (const OpenFailure&) {
        return;
    }
    ComboBox1->clearField();
    ComboBox1->replaceAllEntries(std::move(entries));
}

void TForm1::SaveListOtherName1Click() {
    if (const std::optional<QString> file = showFileDialog(SaveDialog1)) {
        LongWork work(*services_.dialogs, u"Save List Primary Field As..."_s);
        writeListFile(*file, ComboBox1->entries(), work.writeWatcher());
    }
}

void TForm1::Open1Click() {
    const std::optional<QString> first = showFileDialog(OpenDialog3);
    if (!first)
        return;
    // Each field keeps its edit text, and its entries unless its file was read whole. A first
    // file that cannot be opened ends the command before the second showing; a second one leaves
    // the secondary field as it was and the primary field with what the first gave. A reading
    // cancelled counts as a file that could not be opened.
    try {
        {
            LongWork work(*services_.dialogs, u"Open..."_s);
            ComboBox1->replaceAllEntries(readListFile(*first, work.readWatcher()));
        }
        if (const std::optional<QString> second = showFileDialog(OpenDialog3)) {
            LongWork work(*services_.dialogs, u"Open..."_s);
            ComboBox2->replaceAllEntries(readListFile(*second, work.readWatcher()));
        }
    } catch (const OpenFailure&) {
    } catch (const WorkCancelled&) {
    }
}

void TForm1::Save1Click() {
    const std::optional<QString> first = showFileDialog(SaveDialog3);
    if (!first)
        return;
    // Cancelled, a file keeps its old contents; a cancelled first one ends the command.
    {
        LongWork work(*services_.dialogs, u"Save..."_s);
        writeListFile(*first, ComboBox1->entries(), work.writeWatcher());
    }
    if (const std::optional<QString> second = showFileDialog(SaveDialog3)) {
        LongWork work(*services_.dialogs, u"Save..."_s);
        writeListFile(*second, ComboBox2->entries(), work.writeWatcher());
    }
}

} // namespace quill
