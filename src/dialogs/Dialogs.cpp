#include "dialogs/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace quill {

namespace {

// The platform's dialogs leave the working directory at the chosen file's folder. A folder that
// does not exist (a name typed by hand) leaves it where it was; opening the file then fails on
// its own, with its own message.
bool moveToFolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash <= 0 ? QStringLiteral("/") : path.left(slash);
    return ::chdir(QFile::encodeName(folder).constData()) == 0;
}

} // namespace

std::optional<QString> showFileDialog(Dialogs& dialogs, FileDialog& dialog) {
    const std::optional<FileChoice> choice = dialog.kind == FileDialog::Kind::Open
                                                 ? dialogs.openFileName(dialog)
                                                 : dialogs.saveFileName(dialog);
    if (!choice || choice->path.isEmpty())
        return std::nullopt;
    // The whole path is kept (a path cut to some length would name another file) and used as
    // the dialog returned it.
    const QString path = QFileInfo(choice->path).isRelative()
                             ? QDir::current().filePath(choice->path)
                             : choice->path;
    dialog.fileName = path;
    dialog.filterIndex = choice->filterIndex;
    moveToFolderOf(path);
    return path;
}

} // namespace quill
