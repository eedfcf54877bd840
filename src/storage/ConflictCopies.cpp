#include "storage/ConflictCopies.h"

#include <QDir>
#include <QRegularExpression>

#include <map>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

// The mark of a conflict copy of `name` (what the engine put between stem and extension), or a
// null string when `candidate` is none.
QString conflictMark(const QString& name, const QString& candidate) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    if (!candidate.startsWith(stem) || !candidate.endsWith(extension) ||
        candidate.size() <= name.size())
        return {};
    const QString mark = candidate.mid(stem.size(), candidate.size() - name.size());
    static const QRegularExpression engines(
        uR"(^(\.sync-conflict-\d{8}-\d{6}-[0-9A-Z]{7}| \(conflicted copy \d{4}-\d{2}-\d{2} \d{6}\))$)"_s);
    return engines.match(mark).hasMatch() ? mark : QString();
}

} // namespace

ConflictCopies::ConflictCopies(const QString& firstName, const QString& secondName) {
    std::map<QString, ConflictVersion> byMark;
    const QStringList files = QDir::current().entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        if (const QString mark = conflictMark(firstName, file); !mark.isNull())
            byMark[mark].first = file;
        else if (const QString other = conflictMark(secondName, file); !other.isNull())
            byMark[other].second = file;
    }
    for (auto& [mark, version] : byMark)
        versions.push_back(version);
}

bool ConflictCopies::crossed() const {
    bool loneFirst = false;
    bool loneSecond = false;
    for (const ConflictVersion& version : versions) {
        loneFirst |= version.second.isEmpty();
        loneSecond |= version.first.isEmpty();
    }
    return loneFirst && loneSecond;
}

QStringList ConflictCopies::names() const {
    QStringList list;
    for (const ConflictVersion& version : versions) {
        if (!version.first.isEmpty())
            list.append(version.first);
        if (!version.second.isEmpty())
            list.append(version.second);
    }
    return list;
}

} // namespace quill
