#include "rtf/HyperlinkTarget.h"

namespace quill {

// The first argument that is not a switch is the target, "\l" arguments are fragments.
QString hyperlinkTarget(const QString& instruction) {
    const QString trimmed = instruction.trimmed();
    if (!trimmed.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString target;
    bool fragment = false;
    qsizetype i = 9;
    while (i < trimmed.size()) {
        const QChar c = trimmed[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QString argument;
        if (c == u'"') {
            ++i;
            while (i < trimmed.size() && trimmed[i] != u'"') {
                if (trimmed[i] == u'\\' && i + 1 < trimmed.size())
                    ++i;
                argument += trimmed[i++];
            }
            ++i;
        } else {
            while (i < trimmed.size() && !trimmed[i].isSpace())
                argument += trimmed[i++];
            if (argument == QLatin1String("\\l")) {
                fragment = true;
                continue;
            }
            if (argument.startsWith(u'\\')) // another switch, perhaps with an argument
                continue;
        }
        if (fragment)
            target += u'#' + argument;
        else if (target.isEmpty())
            target = argument;
        fragment = false;
    }
    return target;
}

} // namespace quill
