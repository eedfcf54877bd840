#include "listings/PathResolution.h"

#include "listings/WorkingDirectory.h"
#include "listings/WorkingDirectoryGuard.h"

namespace quill {

bool hasWildcard(QByteArrayView name) {
    return name.contains('*') || name.contains('?');
}

ResolvedPath resolvePath(QByteArrayView path) {
    const WorkingDirectoryGuard guard;

    QByteArray text(path.data(), path.size());
    if (text.size() >= 2 && text.startsWith('[') && text.endsWith(']')) {
        // The bracket form names a folder, never a file or a name pattern.
        const QByteArray folder = text.mid(1, text.size() - 2);
        if (!folder.isEmpty())
            changeWorkingDirectory(folder);
        return {currentWorkingDirectory(), {}};
    }

    const qsizetype slash = text.lastIndexOf('/');
    QByteArray lastPart = slash < 0 ? text : text.mid(slash + 1);
    // Without a "/" the name is looked up in the working directory itself.
    if (slash == 0)
        changeWorkingDirectory(QByteArrayLiteral("/"));
    else if (slash > 0)
        changeWorkingDirectory(text.left(slash));

    if (!lastPart.isEmpty() && !hasWildcard(lastPart) && !isExistingFile(lastPart)) {
        changeWorkingDirectory(lastPart);
        lastPart.clear();
    }
    return {currentWorkingDirectory(), lastPart};
}

} // namespace quill
