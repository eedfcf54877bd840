#include "window/GeneratorCommands.h"

#include "core/AvailableMemory.h"
#include "core/ByteText.h"
#include "core/CountConversion.h"
#include "core/EntryList.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"
#include "generators/MonotonicSeedClock.h"
#include "generators/OrdinalCharacters.h"
#include "generators/OrdinalNumbers.h"
#include "generators/RandomWords.h"
#include "generators/WebAddresses.h"

#include <algorithm>
#include <optional>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

const QString wordsCaption = u"Randomize Words..."_s;
const QString howMuch = u"How Much ?:"_s;
const QString which = u"Which ?:"_s;

SeedClock& clockOrOwn(SeedClock* given, std::unique_ptr<SeedClock>& own) {
    if (given)
        return *given;
    own = std::make_unique<MonotonicSeedClock>();
    return *own;
}

GeneratorCommands::Question firstTextQuestion() {
    return {u"First Original Character Every Either ..."_s, which, u"b"_s};
}

[[noreturn]] void refuseLine() {
    throw Failure(u"Unable to insert a line"_s);
}

} // namespace

GeneratorCommands::GeneratorCommands(Dialogs& dialogs, FieldCombo& primary, SeedClock* clock,
                                     qint64 memoryBudget)
    : dialogs_(dialogs), primary_(primary), source_(clockOrOwn(clock, ownClock_)),
      memoryBudget_(memoryBudget) {}

GeneratorCommands::~GeneratorCommands() = default;

qint64 GeneratorCommands::footprintLimit() const {
    if (memoryBudget_ > 0)
        return memoryBudget_;
    // The entry store grows by doubling and the field keeps a view of it, so a quarter of what
    // is free leaves room for the copies made along the way.
    return primary_.entries().footprint() + availableMemoryBytes() / 4;
}

void GeneratorCommands::appendAll(EntryGenerator& generator, const QString& caption,
                                  qint64 stepsPerChunk) {
    const qint64 limit = footprintLimit();
    std::unique_ptr<Dialogs::Progress> progress;
    if (generator.totalSteps() > stepsPerChunk)
        progress = dialogs_.startProgress(caption, generator.totalSteps());
    while (!generator.finished()) {
        EntryList batch;
        batch.setFootprintLimit(std::max<qint64>(0, limit - primary_.entries().footprint()));
        const bool allFitted = generator.run(batch, stepsPerChunk);
        primary_.addEntries(batch);
        if (!allFitted)
            refuseLine();
        if (progress && !progress->update(generator.doneSteps()))
            return; // cancelled: what was appended stays
    }
}

void GeneratorCommands::plainWords(const QString& defaultCount, int letters) {
    source_.reseed();
    const std::optional<QString> count = dialogs_.prompt(wordsCaption, howMuch, defaultCount);
    if (!count)
        return;
    const qint32 n = convertCount(*count);
    RandomWords words(source_, WordRecipe::plainLetters(letters),
                      EntryGenerator::stepsFromCount(n));
    appendAll(words, wordsCaption, chunkSteps);
}

std::optional<QStringList> GeneratorCommands::ask(std::initializer_list<Question> questions) {
    // Each prompt comes only after OK on the one before; Cancel on any ends the command.
    QStringList answers;
    for (const Question& question : questions) {
        const std::optional<QString> answer =
            dialogs_.prompt(question.caption, question.label, question.text);
        if (!answer)
            return std::nullopt;
        answers.append(*answer);
    }
    return answers;
}

void GeneratorCommands::firstTextWords(const QString& defaultCount, int draws, quint32 usedDraws) {
    source_.reseed();
    const auto answers = ask({{wordsCaption, howMuch, defaultCount}, firstTextQuestion()});
    if (!answers)
        return;
    const qint32 n = convertCount(answers->at(0));
    RandomWords words(
        source_, WordRecipe::firstTextAndLetters(storedBytes(answers->at(1)), draws, usedDraws),
        EntryGenerator::stepsFromCount(n));
    appendAll(words, wordsCaption, chunkSteps);
}

void GeneratorCommands::variations() {
    source_.reseed();
    const auto answers = ask({{wordsCaption, howMuch, u"1024"_s},
                              firstTextQuestion(),
                              {u"Randomize Multiplier  ..."_s, howMuch, u"26"_s},
                              {u"Other Character Insert..."_s, which, u"."_s}});
    if (!answers)
        return;
    const QString& multiplier = answers->at(2);
    const qint32 n = convertCount(answers->at(0));
    if (n < 0)
        return; // the multiplier is only read when there is a word to draw
    const qint32 bound = convertCount(multiplier);
    RandomWords words(
        source_,
        WordRecipe::variation(storedBytes(answers->at(1)), bound, storedBytes(answers->at(3))),
        EntryGenerator::stepsFromCount(n));
    appendAll(words, wordsCaption, chunkSteps);
}

void GeneratorCommands::webAddresses() {
    source_.reseed();
    const QString caption = u"Randomize Web Words..."_s;
    const std::optional<QString> count =
        dialogs_.prompt(caption, u"How Much Let Multiplier ?:"_s, u"128"_s);
    if (!count)
        return;
    const qint32 n = convertCount(*count);
    WebAddresses web(source_, EntryGenerator::stepsFromCount(n));
    appendAll(web, caption, chunkSteps / WebAddresses::entriesPerGroup);
}

void GeneratorCommands::ordinalNumbers() {
    const QString caption = u"Ordinal Numebers..."_s;
    const std::optional<QString> count = dialogs_.prompt(caption, howMuch, u"128"_s);
    if (!count)
        return;
    OrdinalNumbers numbers(convertCount(*count));
    appendAll(numbers, caption, chunkSteps);
}

void GeneratorCommands::ordinalCharacters() {
    EntryList batch;
    batch.setFootprintLimit(std::max<qint64>(0, footprintLimit() - primary_.entries().footprint()));
    const bool allFitted = appendOrdinalCharacters(batch);
    primary_.addEntries(batch);
    if (!allFitted)
        refuseLine();
}

} // namespace quill
