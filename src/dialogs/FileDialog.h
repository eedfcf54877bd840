#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quill {

// One file dialog of the main window (`OpenDialog1`, `SaveDialog1`, ...): what it offers, fixed
// for the run, and what it remembers of its last confirmed showing. The window makes each one
// once; the object is also the dialog's identity for Dialogs::openFileName/saveFileName.
struct FileDialog {
    enum class Kind { Open, Save };

    // The component's name, also the object name of the Qt dialog that shows it.
    QString name;
    Kind kind = Kind::Open;
    // Display names and pattern lists, all separated by "|": "Log File|*.log|All Files|*.*".
    QString filter;
    // As stored, patterns included: "*.log", "*.log;*.lst".
    QString defaultExtension;

    // The full path of the last confirmed showing; empty until then.
    QString fileName;
    // The filter entry of the last confirmed showing, counted from 1.
    int filterIndex = 1;
};

// What a confirmed showing gives back.
struct FileChoice {
    QString path;
    int filterIndex = 1; // counted from 1
};

// The "|" filter text as Qt name filters, in order: "Log File|*.log;*.lst" gives
// "Log File (*.log *.lst)".
QStringList nameFilters(QStringView filter);

// The suffix a name typed without one gets: the first pattern's extension ("*.log;*.lst" gives
// "log"); empty when that pattern has no plain extension ("*.*", "*").
QString defaultSuffix(QStringView defaultExtension);

} // namespace quill
