#include "app/FileDialog.h"

#include "app/Dialogs.h"

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

QStringList nameFilters(QStringView filter) {
    QStringList filters;
    const QList<QStringView> parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].toString();
        patterns.replace(u';', u' ');
        filters.append(parts[i].toString() + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

QString defaultSuffix(QStringView defaultExtension) {
    QStringView first = defaultExtension.split(u';').constFirst().trimmed();
    const qsizetype dot = first.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QStringView suffix = first.mid(dot + 1);
    for (const QChar c : suffix) {
        if (c == u'*' || c == u'?' || c == u'[')
            return {};
    }
    return suffix.toString();
}

QString openedFileName(const QString& typed, const QString& suffix) {
    const QFileInfo info(typed);
    if (suffix.isEmpty() || info.exists() || info.fileName().contains(u'.'))
        return typed;
    return typed + u'.' + suffix;
}

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
