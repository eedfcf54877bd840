#include "dialogs/FileDialog.h"

namespace quill {

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

} // namespace quill
