#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

class FieldCombo;

// The registry commands: the two field texts become keys below the store key, and the pair of
// the last write of this run can be put back into the fields.
class RegistryCommands {
public:
    // `storePath` is the database file of the current user's key tree; empty means the default.
    // `lockWaitMs` is how long a command waits for another program's lock on it.
    RegistryCommands(FieldCombo& first, FieldCombo& second, QString storePath, int lockWaitMs);

    void write();
    void read();

private:
    // Read when a command runs, so the default follows the environment of that moment.
    QString storePath() const;

    FieldCombo& first_;
    FieldCombo& second_;
    QString storePath_;
    int lockWaitMs_;
    // The texts of the last write that created both keys in this run.
    QByteArray lastWrittenFirst_;
    QByteArray lastWrittenSecond_;
};

} // namespace quill
