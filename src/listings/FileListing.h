#pragma once

#include "core/EntryList.h"
#include "listings/NameOrder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

#include <functional>

namespace quill {

// The hidden file listing: a folder, a name pattern ("*.*" at start; several patterns are
// separated by ";"), the sorted names of the files that match and a selected line. Every
// entry that is not a folder counts as a file, hidden ones included.
class FileListing {
public:
    // Told true when a reading reaches its 101st line and false when that reading ends.
    using BusyHandler = std::function<void(bool busy)>;

    // Starts at the working directory, read when the lines are first asked for.
    explicit FileListing(const QLocale& locale = QLocale());
    FileListing(QByteArray directory, const QLocale& locale);

    const QByteArray& directory() const { return directory_; }
    const QByteArray& pattern() const { return pattern_; }
    qsizetype selected() const { return selected_; }
    // The folder, "/" and the selected name; empty when nothing is selected.
    QByteArray selectedPath() const;
    void setBusyHandler(BusyHandler handler) { busy_ = std::move(handler); }

    // Points the listing at a typed path: a folder, a pattern such as "/usr/bin/*.sh;*.py"
    // (it stays for later listings) or a file, which is selected. A new folder becomes the
    // working directory. The folder already held with the same pattern is not read again.
    // Throws IoFailure, or Failure "Invalid file name - %s" when the named file is gone; then
    // the listing and the working directory are as before.
    void pointAt(QByteArrayView path);

    // The lines, reading the folder first when that has not happened yet; that reading makes
    // the folder the working directory. Throws IoFailure.
    const EntryList& lines();

    // The sorted lines of a folder's files that match one of the ";"-separated patterns;
    // a file matching two patterns is listed twice.
    static EntryList linesOf(const QByteArray& directory, QByteArrayView pattern,
                             const NameOrder& order, const BusyHandler& busy = {});

private:
    bool samePath(QByteArrayView a, QByteArrayView b) const;
    qsizetype findLine(QByteArrayView name) const;
    void read();

    QByteArray directory_;
    QByteArray pattern_ = QByteArrayLiteral("*.*");
    EntryList lines_;
    NameOrder order_;
    BusyHandler busy_;
    qsizetype selected_ = -1;
    bool read_ = false;
    bool caseSensitive_ = true;
};

} // namespace quill
