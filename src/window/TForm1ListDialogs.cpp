#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "storage/ListFile.h"
#include "window/FormServices.h"
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
    // A file that cannot be opened leaves the field empty, without a message.
    try {
        ComboBox1->clearField();
        ComboBox1->replaceAllEntries(readListFile(*file));
    } catch (const OpenFailure&) {
    }
}

void TForm1::SaveListOtherName1Click() {
    if (const std::optional<QString> file = showFileDialog(SaveDialog1))
        writeListFile(*file, ComboBox1->entries());
}

void TForm1::Open1Click() {
    const std::optional<QString> first = showFileDialog(OpenDialog3);
    if (!first)
        return;
    // The primary field keeps its edit text. A first file that cannot be opened ends the command
    // before the second showing; a second one leaves what the first gave.
    try {
        ComboBox1->replaceAllEntries(readListFile(*first));
        if (const std::optional<QString> second = showFileDialog(OpenDialog3))
            ComboBox2->replaceAllEntries(readListFile(*second));
    } catch (const OpenFailure&) {
    }
}

void TForm1::Save1Click() {
    const std::optional<QString> first = showFileDialog(SaveDialog3);
    if (!first)
        return;
    writeListFile(*first, ComboBox1->entries());
    if (const std::optional<QString> second = showFileDialog(SaveDialog3))
        writeListFile(*second, ComboBox2->entries());
}

} // namespace quill
