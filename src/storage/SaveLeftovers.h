#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

namespace quill {

class FolderLock;

// The hidden name a save gives its temporary file right before the rename over the target:
// ".<target name>.<random>.tmp", the target's name cut to 200 bytes, the random part a 64-bit
// number in base 36 (lower case, no leading zeros).
QByteArray temporaryFileName(QByteArrayView targetName, quint64 random);
// True for the names temporaryFileName gives, except the rare ones whose random part has fewer
// than ten digits; never for a name it cannot give.
bool isTemporaryFileName(QByteArrayView name);

// Now, in nanoseconds, on the clock the system stamps file times with (coarser than the usual
// one, so a file made after this moment never looks older).
qint64 fileClockNow();

// Removes the temporary files of saves that were cut short between naming them and the rename
// (a killed window): regular files of this user with exactly that naming and a single link,
// neither changed nor named since `before` (nanoseconds, fileClockNow()). It cleans only while it
// holds the folder's lock, so nothing happens while another window is saving there. Any other
// file is never touched. Never throws; gives the number of files removed.
int removeSaveLeftovers(const QString& folder, qint64 before);
// The same in a folder whose lock the caller holds, among the names it listed there.
int removeSaveLeftovers(const FolderLock& lock, const QByteArrayList& names, qint64 before);

} // namespace quill
