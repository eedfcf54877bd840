#include "storage/ConflictCopies.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>
#include <sys/stat.h>

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

struct Candidate {
    QString name;
    QString mark; // empty for the file in place
    std::optional<qint64> time;
    bool used = false;
};

std::optional<qint64> modificationTime(const QString& name) {
    struct stat status {};
    if (::stat(QFile::encodeName(name).constData(), &status) != 0)
        return std::nullopt;
    return qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

bool isRegularFile(const QString& name) {
    struct stat status {};
    return ::stat(QFile::encodeName(name).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

// Pairs unused candidates of both sides for which `same` holds.
template <typename Same>
void pairUp(std::vector<Candidate>& firsts, std::vector<Candidate>& seconds,
            std::vector<PairVersion>& versions, Same same) {
    for (Candidate& first : firsts) {
        for (Candidate& second : seconds) {
            if (first.used || second.used || !same(first, second))
                continue;
            first.used = second.used = true;
            versions.push_back({first.name, second.name});
        }
    }
}

} // namespace

ConflictCopies::ConflictCopies(const QString& firstName, const QString& secondName,
                               const QByteArrayList& folderNames) {
    std::vector<Candidate> firsts{{firstName, QString(), modificationTime(firstName)}};
    std::vector<Candidate> seconds{{secondName, QString(), modificationTime(secondName)}};
    // Copies are named as the files are: bare in the current folder, else with the same folder.
    const QString firstFile = QFileInfo(firstName).fileName();
    const QString folder = firstName.left(firstName.size() - firstFile.size());
    const QString secondFile = QFileInfo(secondName).fileName();
    QStringList files;
    for (const QByteArray& name : folderNames) {
        const QString file = QFile::decodeName(name);
        if (!conflictMark(firstFile, file).isNull() || !conflictMark(secondFile, file).isNull())
            files.append(file);
    }
    files.sort();
    for (const QString& file : files) {
        const QString path = folder + file;
        // Only regular files (or links to them) are copies.
        if (!isRegularFile(path))
            continue;
        if (const QString mark = conflictMark(firstFile, file); !mark.isNull())
            firsts.push_back({path, mark, modificationTime(path)});
        else
            seconds.push_back({path, conflictMark(secondFile, file), modificationTime(path)});
        names.append(path);
    }
    const bool together = firsts[0].time && firsts[0].time == seconds[0].time;
    // Written together: the files in place are one version, whatever the copies' times.
    firsts[0].used = seconds[0].used = together;
    pairUp(firsts, seconds, versions,
           [](const Candidate& a, const Candidate& b) { return a.time && a.time == b.time; });
    pairUp(firsts, seconds, versions, [](const Candidate& a, const Candidate& b) {
        return !a.mark.isEmpty() && a.mark == b.mark;
    });
    currentPaired_ = together || (!firsts[0].used && !seconds[0].used);
    // One file in place without its partner: the engine has not brought in the other yet.
    if (firsts[0].used != seconds[0].used)
        currentLeftover_ = firsts[0].used ? 1 : 0;
    currentTogether_ = together;
    for (const Candidate& first : firsts) {
        if (!first.used && !first.mark.isEmpty()) {
            versions.push_back({first.name, secondName});
            lonely.append(first.name);
        }
    }
    for (const Candidate& second : seconds) {
        if (!second.used && !second.mark.isEmpty()) {
            versions.push_back({firstName, second.name});
            lonely.append(second.name);
        }
    }
}

} // namespace quill
