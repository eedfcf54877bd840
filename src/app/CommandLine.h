#pragma once

#include <QString>
#include <QStringList>

namespace quill {

// What the program does after reading its command line: open the window in the prepared
// working directory, or print the texts and end with the exit status.
struct StartDecision {
    bool openWindow = false;
    int exitStatus = 0;
    QString standardOutput; // --help and --version
    QString standardError;  // one line naming what is wrong
};

// Reads `quillbook [--data-folder] [FOLDER]` (arguments[0] is the program) and prepares the
// start: FOLDER must be an existing folder and becomes the working directory (status 2 and
// nothing touched otherwise); --data-folder makes userWordsFolder() the working directory,
// creating it with the sample vocabulary found from applicationDir first. Without either the
// working directory stays as it is.
StartDecision prepareStart(const QStringList& arguments, const QString& applicationDir);

// Writes the decision's texts to standard output and standard error; gives its exit status.
int reportStart(const StartDecision& decision);

// $XDG_DATA_HOME/Quillbook/words, or ~/.local/share/Quillbook/words when XDG_DATA_HOME is unset,
// empty or relative.
QString userWordsFolder();

// Where the sample Phrase.log and Mean.log live: <applicationDir>/../share/quillbook for an
// installed program, else the source tree's data/sample the program was built from.
QString sampleVocabularyFolder(const QString& applicationDir);

// Creates the folder with the sample lists in it unless it exists already; an existing folder is
// left exactly as it is. The folder appears whole or not at all (it is filled under a temporary
// name first). Returns an empty text on success, else the reason.
QString createSeededFolder(const QString& folder, const QString& sampleFolder);

} // namespace quill
