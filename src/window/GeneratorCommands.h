#pragma once

#include "generators/RandomSource.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <optional>

namespace quill {

class Dialogs;
class EntryGenerator;
class FieldCombo;
class SeedClock;

// The generator commands of the main window: they ask through the dialogs, then append what
// they generate to the end of the primary field in chunks, with progress and Cancel for long
// runs. The random source lives here, so its seed is shared by every command of the run.
class GeneratorCommands {
public:
    // `clock` may be null for the system's monotonic clock. `memoryBudget` is the most the
    // primary field's entries may take while a command adds to them; 0 gives each command a
    // share of the memory available when it starts.
    GeneratorCommands(Dialogs& dialogs, FieldCombo& primary, SeedClock* clock, qint64 memoryBudget);
    ~GeneratorCommands();

    // Steps (words, groups, numbers) generated between two progress updates.
    static constexpr qint64 chunkSteps = 16384;

    // Plain random letters.
    void plainWords(const QString& defaultCount, int letters);
    // The first text, then letters of the used draws (bit i: draw i + 1) out of `draws`.
    void firstTextWords(const QString& defaultCount, int draws, quint32 usedDraws);
    void variations();
    void webAddresses();
    void ordinalNumbers();
    void ordinalCharacters();

    RandomSource& source() { return source_; }

    struct Question {
        QString caption, label, text;
    };

private:
    // Shows the prompts in order; the answers when every one was confirmed.
    std::optional<QStringList> ask(std::initializer_list<Question> questions);
    // The field's entries may not pass this footprint while the running command adds to them.
    qint64 footprintLimit() const;
    void appendAll(EntryGenerator& generator, const QString& caption, qint64 stepsPerChunk);

    Dialogs& dialogs_;
    FieldCombo& primary_;
    std::unique_ptr<SeedClock> ownClock_;
    RandomSource source_;
    qint64 memoryBudget_;
};

} // namespace quill
