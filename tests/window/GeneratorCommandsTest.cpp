#include "window/GeneratorCommands.h"
#include "dialogs/QtDialogs.h"
#include "generators/FixedSeedClock.h"
#include "support/ReferenceDraws.h"
#include "window/FormFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <functional>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

QString lettersFrom(quint32 seed, int draws, std::initializer_list<int> pick) {
    const std::vector<quint32> d = drawsFrom(seed, draws, 26);
    QString word;
    for (const int n : pick)
        word += QChar(char16_t(d[size_t(n - 1)] + 97));
    return word;
}

class GeneratorCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        clock.counterValue = 12345;
        services.seedClock = &clock;
    }
    // A window whose fields hold a little text that no generator may touch.
    TForm1& makeFilledForm() {
        makeForm();
        fill(*form->ComboBox1, {u"one"_s, u"two"_s});
        fill(*form->ComboBox2, {u"eins"_s});
        form->ComboBox1->select(1);
        form->ComboBox1->setEditBytes("typed");
        return *form;
    }
    void answer(const QStringList& texts) {
        for (const QString& text : texts)
            dialogs.answerOk(text);
    }
    QStringList added() const { return texts(*form->ComboBox1).mid(2); }
    void expectUntouched() {
        EXPECT_EQ(texts(*form->ComboBox1).mid(0, 2), (QStringList{u"one"_s, u"two"_s}));
        EXPECT_EQ(form->ComboBox1->selectedIndex(), 1);
        EXPECT_EQ(form->ComboBox1->editBytes(), "typed");
        EXPECT_EQ(texts(*form->ComboBox2), QStringList{u"eins"_s});
    }
    QStringList failureTexts() const { return dialogs.failureTexts(); }

    FixedSeedClock clock;
};

struct WordCommandRow {
    const char* action;
    const char16_t* defaultCount;
    bool firstText;
    int draws;
    std::initializer_list<int> letters;
};

const WordCommandRow wordCommands[] = {
    {"RandomizeWords1", u"128", false, 4, {1, 2, 3, 4}},
    {"RandomizeWordsFrom5Characters1", u"256", false, 5, {1, 2, 3, 4, 5}},
    {"RandomizeWord1", u"256", true, 3, {1, 2, 3}},
    {"RandomizeWordsOtherMethodFrom5Character1", u"512", true, 5, {1, 2, 3, 5}},
    {"RandomizeWordsOtherMethodFrom6Character1", u"1024", true, 6, {1, 2, 3, 5, 6}},
    {"N3CharacterWords1", u"256", false, 3, {1, 2, 3}},
    {"N6CharacterWords1", u"256", false, 6, {1, 2, 3, 4, 5, 6}},
    {"N7CharacterWords1", u"256", false, 7, {1, 2, 3, 4, 5, 6, 7}},
    {"N8CharacterWords1", u"256", false, 8, {1, 2, 3, 4, 5, 6, 7, 8}},
    {"N9CharacterWords1", u"256", false, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    {"N10CharacterWords1", u"256", false, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"N11CharacterWords1", u"256", false, 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    {"N12CharacterWords1", u"256", false, 12, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
};

TEST_F(GeneratorCommands, eachWordCommand_asksItsPromptsAndBuildsItsWord) {
    for (const WordCommandRow& row : wordCommands) {
        SCOPED_TRACE(row.action);
        dialogs.prompts.clear();
        makeFilledForm();
        answer({u"2"_s});
        if (row.firstText)
            answer({u"xy"_s});
        trigger(row.action);
        ASSERT_EQ(dialogs.prompts.size(), row.firstText ? 2u : 1u);
        EXPECT_EQ(dialogs.prompts[0].caption, u"Randomize Words..."_s);
        EXPECT_EQ(dialogs.prompts[0].label, u"How Much ?:"_s);
        EXPECT_EQ(dialogs.prompts[0].text, QString::fromUtf16(row.defaultCount));
        if (row.firstText) {
            EXPECT_EQ(dialogs.prompts[1].caption, u"First Original Character Every Either ..."_s);
            EXPECT_EQ(dialogs.prompts[1].label, u"Which ?:"_s);
            EXPECT_EQ(dialogs.prompts[1].text, u"b"_s);
        }
        // The clock stands still, so every word starts from seed 12345.
        const QString word =
            (row.firstText ? u"xy"_s : QString()) + lettersFrom(12345, row.draws, row.letters);
        EXPECT_EQ(added(), QStringList(3, word));
        EXPECT_TRUE(dialogs.failures.empty());
        expectUntouched();
    }
}

TEST_F(GeneratorCommands, countAnswers_giveNPlusOneWords) {
    const std::pair<QString, int> rows[] = {{u"128"_s, 129}, {u"0"_s, 1},   {u"-1"_s, 0},
                                            {u" 5"_s, 6},    {u"$A"_s, 11}, {u"0x10"_s, 17}};
    for (const auto& [count, words] : rows) {
        SCOPED_TRACE(count.toStdString());
        makeFilledForm();
        answer({count});
        trigger("RandomizeWords1");
        EXPECT_EQ(added().size(), words);
        EXPECT_TRUE(dialogs.failures.empty());
        expectUntouched();
    }
}

TEST_F(GeneratorCommands, movingClock_givesLowercaseWordsOfTheirLength) {
    clock.counterStep = 1000003;
    makeForm();
    answer({u"499"_s});
    trigger("N9CharacterWords1");
    const QStringList words = texts(*form->ComboBox1);
    ASSERT_EQ(words.size(), 500);
    EXPECT_GT(QSet<QString>(words.begin(), words.end()).size(), 490);
    for (const QString& word : words) {
        ASSERT_EQ(word.size(), 9);
        for (const QChar c : word)
            ASSERT_TRUE(c >= u'a' && c <= u'z') << word.toStdString();
    }
    // One reseed before the prompt and one before every word.
    EXPECT_EQ(clock.reads, 501);
}

TEST_F(GeneratorCommands, variationsWithDefaults_areEightCharacters) {
    makeFilledForm();
    answer({u"1"_s, u"b"_s, u"26"_s, u"."_s});
    trigger("RandomizeVariations1");
    ASSERT_EQ(dialogs.prompts.size(), 4u);
    const std::pair<QString, QString> expected[] = {
        {u"Randomize Words..."_s, u"1024"_s},
        {u"First Original Character Every Either ..."_s, u"b"_s},
        {u"Randomize Multiplier  ..."_s, u"26"_s},
        {u"Other Character Insert..."_s, u"."_s}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(dialogs.prompts[i].caption, expected[i].first);
        EXPECT_EQ(dialogs.prompts[i].text, expected[i].second);
    }
    EXPECT_EQ(dialogs.prompts[2].label, u"How Much ?:"_s);
    EXPECT_EQ(dialogs.prompts[3].label, u"Which ?:"_s);
    EXPECT_EQ(added(), QStringList(2, u"b.k.h.c."_s));
    expectUntouched();
}

TEST_F(GeneratorCommands, variationsMultiplier_setsTheCharacterRange) {
    struct Row {
        QString multiplier;
        QByteArray word;
    };
    // The entries for the wider ranges follow from the draws after seed 12345.
    const std::vector<quint32> d160 = drawsFrom(12345, 3, 160);
    const std::vector<quint32> dNeg = drawsFrom(12345, 3, -26);
    const auto codes = [](const std::vector<quint32>& d) {
        QByteArray word = "b";
        for (const quint32 v : d)
            word += '.' + QByteArray(1, char(quint8(v + 97)));
        word += '.';
        return word.left(word.indexOf('\0') < 0 ? word.size() : word.indexOf('\0'));
    };
    const Row rows[] = {{u"0"_s, "b.a.a.a."},
                        {u"1"_s, "b.a.a.a."},
                        {u"$1A"_s, "b.k.h.c."},
                        {u"160"_s, codes(d160)},
                        {u"-26"_s, codes(dNeg)}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.multiplier.toStdString());
        makeForm();
        answer({u"0"_s, u"b"_s, row.multiplier, u"."_s});
        trigger("RandomizeVariations1");
        ASSERT_EQ(form->ComboBox1->entries().size(), 1);
        EXPECT_EQ(form->ComboBox1->entries().at(0).toByteArray(), row.word);
    }
}

TEST_F(GeneratorCommands, variationsDrawOf159_cutsTheEntryAtTheZeroCode) {
    quint32 seed = 0;
    while (drawsFrom(seed, 1, 160)[0] != 159)
        ++seed;
    clock.counterValue = seed;
    makeForm();
    answer({u"0"_s, u"first"_s, u"160"_s, u"--"_s});
    trigger("RandomizeVariations1");
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"first--"_s});
}

TEST_F(GeneratorCommands, cancelOnAnyPrompt_addsNothing) {
    const std::pair<const char*, int> commands[] = {{"RandomizeWords1", 1},
                                                    {"RandomizeWord1", 2},
                                                    {"RandomizeWordsOtherMethodFrom5Character1", 2},
                                                    {"RandomizeWordsOtherMethodFrom6Character1", 2},
                                                    {"RandomizeVariations1", 4},
                                                    {"WebAddress1", 1},
                                                    {"N2", 1},
                                                    {"N12CharacterWords1", 1}};
    for (const auto& [action, prompts] : commands) {
        for (int cancelAt = 0; cancelAt < prompts; ++cancelAt) {
            SCOPED_TRACE(std::string(action) + " cancel at " + std::to_string(cancelAt));
            makeFilledForm();
            dialogs.prompts.clear();
            dialogs.answers.clear();
            for (int i = 0; i < cancelAt; ++i)
                dialogs.answerOk(u"3"_s);
            dialogs.answerCancel();
            dialogs.answerOk(u"3"_s); // must never be asked for
            trigger(action);
            EXPECT_EQ(int(dialogs.prompts.size()), cancelAt + 1);
            EXPECT_TRUE(added().isEmpty());
            EXPECT_TRUE(dialogs.failures.empty());
            expectUntouched();
        }
    }
}

TEST_F(GeneratorCommands, badCount_isReportedOnlyAfterAllPrompts) {
    const std::pair<const char*, int> commands[] = {{"RandomizeWords1", 1},
                                                    {"RandomizeWord1", 2},
                                                    {"RandomizeWordsOtherMethodFrom6Character1", 2},
                                                    {"RandomizeVariations1", 4},
                                                    {"WebAddress1", 1},
                                                    {"N2", 1}};
    for (const auto& [action, prompts] : commands) {
        SCOPED_TRACE(action);
        makeFilledForm();
        dialogs.prompts.clear();
        dialogs.failures.clear();
        dialogs.answerOk(u"5 "_s);
        for (int i = 1; i < prompts; ++i)
            dialogs.answerOk(i == 2 ? u"26"_s : u"b"_s);
        trigger(action);
        EXPECT_EQ(int(dialogs.prompts.size()), prompts);
        ASSERT_EQ(dialogs.failures.size(), 1u);
        EXPECT_TRUE(dialogs.failures[0].text.startsWith(u"'5 ' is not a valid integer value"_s))
            << dialogs.failures[0].text.toStdString();
        EXPECT_TRUE(added().isEmpty());
        expectUntouched();
    }
}

TEST_F(GeneratorCommands, badMultiplier_failsOnlyWhenAWordIsDrawn) {
    makeFilledForm();
    answer({u"-1"_s, u"b"_s, u"lots"_s, u"."_s});
    trigger("RandomizeVariations1");
    EXPECT_TRUE(dialogs.failures.empty());

    answer({u"3"_s, u"b"_s, u"lots"_s, u"."_s});
    trigger("RandomizeVariations1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_TRUE(dialogs.failures[0].text.startsWith(u"'lots' is not a valid integer value"_s));
    EXPECT_TRUE(added().isEmpty());
    expectUntouched();
}

TEST_F(GeneratorCommands, webAddressCountZero_givesOneGroupOfTen) {
    makeFilledForm();
    answer({u"0"_s});
    trigger("WebAddress1");
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.prompts[0].caption, u"Randomize Web Words..."_s);
    EXPECT_EQ(dialogs.prompts[0].label, u"How Much Let Multiplier ?:"_s);
    EXPECT_EQ(dialogs.prompts[0].text, u"128"_s);
    const QString stem = u"http://www.khco"_s;
    EXPECT_EQ(added(),
              (QStringList{stem + u".com"_s, stem + u".edu"_s, stem + u".net"_s, stem + u".fr"_s,
                           stem + u".ch"_s, stem + u".nl"_s, stem + u".hu"_s, stem + u".gb"_s,
                           stem + u".khc"_s, stem + u".kh"_s}));
    expectUntouched();
}

TEST_F(GeneratorCommands, webAddressCounts_giveGroupsOfTen) {
    for (const auto& [count, entries] :
         {std::pair{u"128"_s, 1290}, std::pair{u"-1"_s, 0}, std::pair{u"$2"_s, 30}}) {
        makeForm();
        answer({count});
        trigger("WebAddress1");
        EXPECT_EQ(form->ComboBox1->entries().size(), entries) << count.toStdString();
    }
}

TEST_F(GeneratorCommands, ordinalNumbers_giveExactlyNEntries) {
    for (const auto& [count, entries] :
         {std::pair{u"128"_s, 128}, std::pair{u"1"_s, 1}, std::pair{u"0"_s, 0},
          std::pair{u"-5"_s, 0}, std::pair{u"$10"_s, 16}}) {
        makeFilledForm();
        dialogs.prompts.clear();
        answer({count});
        trigger("N2");
        ASSERT_EQ(dialogs.prompts.size(), 1u);
        EXPECT_EQ(dialogs.prompts[0].caption, u"Ordinal Numebers..."_s);
        EXPECT_EQ(dialogs.prompts[0].label, u"How Much ?:"_s);
        EXPECT_EQ(dialogs.prompts[0].text, u"128"_s);
        const QStringList numbers = added();
        ASSERT_EQ(numbers.size(), entries) << count.toStdString();
        for (int i = 0; i < entries; ++i)
            EXPECT_EQ(numbers[i], QString::number(i + 1) + u'.');
        expectUntouched();
    }
}

TEST_F(GeneratorCommands, ordinalCharacters_appendTheAlphabetEachTime) {
    makeFilledForm();
    trigger("Character1");
    trigger("Character1");
    EXPECT_TRUE(dialogs.prompts.empty());
    const QStringList letters = added();
    ASSERT_EQ(letters.size(), 52);
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(letters[i], QString(QChar(u'a' + i % 26)) + u',');
    expectUntouched();
}

TEST_F(GeneratorCommands, memoryBudgetReached_reportsAndKeepsEarlierWords) {
    // "one" and "two" take 3 + 4 bytes each; room is left for five 4-letter words of 8 bytes.
    services.generatorMemoryBudget = 14 + 5 * 8 + 3;
    makeFilledForm();
    answer({u"100"_s});
    trigger("RandomizeWords1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_TRUE(dialogs.failures[0].text.startsWith(u"Unable to insert a line"_s));
    EXPECT_EQ(added(), QStringList(5, u"khco"_s));
    expectUntouched();
}

TEST_F(GeneratorCommands, memoryBudgetReached_webKeepsPartOfTheGroup) {
    services.generatorMemoryBudget = 14 + 3 * (19 + 4);
    makeFilledForm();
    answer({u"5"_s});
    trigger("WebAddress1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(added(), (QStringList{u"http://www.khco.com"_s, u"http://www.khco.edu"_s,
                                    u"http://www.khco.net"_s}));
}

TEST_F(GeneratorCommands, memoryBudgetReached_ordinalsStopToo) {
    services.generatorMemoryBudget = 14 + 3 * 6;
    makeFilledForm();
    trigger("Character1");
    answer({u"1000"_s});
    trigger("N2");
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(added(), (QStringList{u"a,"_s, u"b,"_s, u"c,"_s}));
}

TEST_F(GeneratorCommands, cancelInProgress_keepsWhatWasAppended) {
    dialogs.cancelProgressAt = 2;
    makeFilledForm();
    answer({u"999999"_s});
    trigger("N8CharacterWords1");
    ASSERT_EQ(dialogs.progressCaptions, QStringList{u"Randomize Words..."_s});
    EXPECT_EQ(added().size(), 2 * quill::GeneratorCommands::chunkSteps);
    EXPECT_TRUE(dialogs.failures.empty());
    expectUntouched();
}

TEST_F(GeneratorCommands, longRunWithoutCancel_reportsProgressToTheEnd) {
    makeForm();
    answer({u"99999"_s});
    trigger("WebAddress1");
    EXPECT_EQ(form->ComboBox1->entries().size(), 1000000);
    ASSERT_EQ(dialogs.progressCaptions, QStringList{u"Randomize Web Words..."_s});
    ASSERT_FALSE(dialogs.progressUpdates.empty());
    EXPECT_EQ(dialogs.progressUpdates.back(), 100000);
    EXPECT_TRUE(std::is_sorted(dialogs.progressUpdates.begin(), dialogs.progressUpdates.end()));
}

TEST_F(GeneratorCommands, tickFallback_repeatsWordsWithinOneTick) {
    clock.counterValue.reset();
    clock.tickValue = 777;
    makeForm();
    answer({u"3"_s});
    trigger("RandomizeWords1");
    const QString word = lettersFrom(777, 4, {1, 2, 3, 4});
    EXPECT_EQ(texts(*form->ComboBox1), QStringList(4, word));
}

// The whole road through the real prompt dialogs: type the answers as a user would.
TEST_F(GeneratorCommands, otherMethodThroughRealPromptDialog_appendsTypedFirstText) {
    QtDialogs real;
    services.dialogs = &real;
    makeForm();
    real.setOwner(form.get());
    const auto answered = answerRealPrompts({u"$2"_s, u"zz"_s});
    trigger("RandomizeWordsOtherMethodFrom5Character1");
    EXPECT_EQ(*answered, 2);
    EXPECT_EQ(texts(*form->ComboBox1),
              QStringList(3, u"zz"_s + lettersFrom(12345, 5, {1, 2, 3, 5})));
}

TEST_F(GeneratorCommands, ordinalNumbersThroughRealPromptDialog_cancelAddsNothing) {
    QtDialogs real;
    services.dialogs = &real;
    makeForm();
    real.setOwner(form.get());
    const auto answered = answerRealPrompts({QString()});
    trigger("N2");
    EXPECT_EQ(*answered, 1);
    EXPECT_EQ(form->ComboBox1->entries().size(), 0);
}

// Prompts come from the script; the progress window is the real one.
class RealProgressDialogs : public ScriptedDialogs {
public:
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) override {
        progressCaptions.append(caption);
        return real.startProgress(caption, total);
    }
    QtDialogs real;
};

TEST_F(GeneratorCommands, realProgressWindow_cancelStopsTheCommand) {
    RealProgressDialogs mixed;
    services.dialogs = &mixed;
    services.generatorMemoryBudget = qint64(400) << 20; // a bound should Cancel ever fail
    clock.counterStep = 1;
    makeForm();
    mixed.real.setOwner(form.get());
    bool clicked = false;
    std::function<void()> cancelWhenShown = [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!progress || !progress->isVisible()) {
            QTimer::singleShot(20, cancelWhenShown);
            return;
        }
        auto* button = progress->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), u"Cancel"_s);
        button->click();
        clicked = true;
    };
    QTimer::singleShot(20, cancelWhenShown);
    mixed.answerOk(u"99999999"_s);
    trigger("N3CharacterWords1");
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(mixed.failures.empty());
    const qsizetype kept = form->ComboBox1->entries().size();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 100000000);
    EXPECT_EQ(kept % quill::GeneratorCommands::chunkSteps, 0);
}

} // namespace
} // namespace quill::test
