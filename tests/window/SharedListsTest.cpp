#include "exchange/FolderPairs.h"
#include "storage/FolderLock.h"
#include "window/FormFixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <chrono>
#include <memory>
#include <thread>

#include <sys/stat.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// Windows and other writers on one folder's "Phrase.log" and "Mean.log".
class SharedLists : public FormFixture {
protected:
    void takePair(TForm1& window, const QString& phrase, const QString& meaning) {
        dialogs.answerOk(phrase);
        dialogs.answerOk(meaning);
        window.SpeedButton1->click();
    }
    // The pairs of the files as "phrase/meaning"; a pair with a missing half fails the test.
    QStringList filePairs() const {
        const QList<QByteArray> first = file(u"Phrase.log"_s).split('\n');
        const QList<QByteArray> second = file(u"Mean.log"_s).split('\n');
        EXPECT_EQ(first.size(), second.size());
        QStringList pairs;
        for (qsizetype i = 0; i + 1 < std::min(first.size(), second.size()); ++i)
            pairs.append(QString::fromUtf8(first[i].chopped(1) + '/' + second[i].chopped(1)));
        return pairs;
    }
    void writePairs(const QString& prefix, const QByteArray& first, const QByteArray& second) {
        writeBytes(path(prefix.arg(u"Phrase"_s)), first);
        writeBytes(path(prefix.arg(u"Mean"_s)), second);
    }
};

TEST_F(SharedLists, twoWindowsTakingPairsAlternately_keepEveryPairAligned) {
    makeForm().FormActivate();
    TForm1 other(services);
    other.FormActivate();
    QStringList expected;
    for (int i = 0; i < 100; ++i) {
        for (TForm1* window : {form.get(), &other}) {
            const QString name = u"%1-%2"_s.arg(window == &other ? u"B"_s : u"A"_s).arg(i);
            takePair(*window, name, u"m"_s + name);
            expected.append(name + u"/m"_s + name);
        }
    }
    // Each window's own pair goes first where both added at the end.
    QStringList pairs = filePairs();
    pairs.sort();
    expected.sort();
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(texts(*other.ComboBox1).size(), 200);
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(SharedLists, outsideChangeBetweenReadAndSave_isMergedWithTheTakenPair) {
    const struct {
        const char* change;
        QByteArray phrases, meanings;
        QStringList expected;
        qsizetype selected; // where "c" is afterwards
    } cases[] = {
        {"append",
         "a\r\nb\r\nc\r\nd\r\n",
         "A\r\nB\r\nC\r\nD\r\n",
         {u"a/A"_s, u"b/B"_s, u"c/C"_s, u"n/N"_s, u"d/D"_s},
         2},
        {"delete", "a\r\nc\r\n", "A\r\nC\r\n", {u"a/A"_s, u"c/C"_s, u"n/N"_s}, 1},
        {"rewrite", "x\r\n", "X\r\n", {u"a/A"_s, u"b/B"_s, u"c/C"_s, u"n/N"_s, u"x/X"_s}, 2},
    };
    for (const auto& row : cases) {
        writePairs(u"%1.log"_s, "a\r\nb\r\nc\r\n", "A\r\nB\r\nC\r\n");
        makeForm().FormActivate();
        form->ComboBox1->select(2);
        form->ComboBox2->select(2);
        writePairs(u"%1.log"_s, row.phrases, row.meanings);
        takePair(*form, u"n"_s, u"N"_s);
        EXPECT_EQ(filePairs(), row.expected) << row.change;
        EXPECT_EQ(texts(*form->ComboBox1).size(), row.expected.size()) << row.change;
        EXPECT_EQ(form->ComboBox1->selectedIndex(), row.selected) << row.change;
        EXPECT_EQ(form->ComboBox2->editBytes(), "C") << row.change;
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

// Another program writing a pair in two steps, an import beside a window whose lists the user
// made uneven, and a pair half written when a window starts. Steps: "P x" and "M x" append x to
// "Phrase.log" or "Mean.log" as a script does, "T w m" takes a pair, "W w" adds a word alone and
// saves the fields, "I w m" imports a pair, "S" starts a new window.
TEST_F(SharedLists, pairsOfOtherWritersAndUnevenLists_stayInLine) {
    const struct {
        const char* name;
        QByteArray phrases, meanings;
        std::vector<const char*> steps;
        QStringList expected;
    } rows[] = {
        {"pairInTwoSteps",
         "a0\r\n",
         "b0\r\n",
         {"P Y1", "T A1 AM1", "M YM1", "T A2 AM2"},
         {u"a0/b0"_s, u"A1/AM1"_s, u"A2/AM2"_s, u"Y1/YM1"_s}},
        {"importBesideUnevenWindow",
         {},
         {},
         {"W A1", "I I1 IM1", "I I2 IM2", "T A2 AM2"},
         {u"A1/AM2"_s, u"A2/"_s, u"I1/IM1"_s, u"I2/IM2"_s}},
        {"halfPairAtStartUp",
         {},
         {},
         {"T A1 AM1", "P Y1", "S", "T A2 AM2", "M YM1", "T A3 AM3"},
         {u"A1/AM1"_s, u"A2/AM2"_s, u"A3/AM3"_s, u"Y1/YM1"_s}},
    };
    for (const auto& row : rows) {
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(path(name));
        if (!row.phrases.isNull())
            writePairs(u"%1.log"_s, row.phrases, row.meanings);
        makeForm().FormActivate();
        for (const char* step : row.steps) {
            const QStringList words = QString::fromLatin1(step).split(u' ');
            const QString word = words.value(1);
            switch (step[0]) {
            case 'P':
            case 'M': {
                QFile file(path(words[0] == u"P"_s ? u"Phrase.log"_s : u"Mean.log"_s));
                ASSERT_TRUE(file.open(QIODevice::Append));
                file.write(word.toUtf8() + "\r\n");
                break;
            }
            case 'T':
                takePair(*form, word, words[2]);
                break;
            case 'W':
                form->ComboBox1->setEditBytes(word.toUtf8());
                trigger("PrimaryField1");
                trigger("SaveFields1");
                break;
            case 'I': {
                PairLists pairs;
                pairs.words.append(word.toUtf8());
                pairs.meanings.append(words[2].toUtf8());
                importPairs(dir.path(), pairs);
                break;
            }
            case 'S':
                makeForm().FormActivate();
                break;
            }
        }
        EXPECT_EQ(filePairs(), row.expected) << row.name;
        QStringList fields;
        for (qsizetype i = 0; i < form->ComboBox1->entries().size(); ++i)
            fields.append(texts(*form->ComboBox1)[i] + u'/' + texts(*form->ComboBox2).value(i));
        EXPECT_EQ(fields, row.expected) << row.name;
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(SharedLists, changedFileThatCannotBeRead_isReportedAndNothingIsSaved) {
    writePairs(u"%1.log"_s, "a\r\n", "A\r\n");
    makeForm().FormActivate();
    ASSERT_TRUE(QFile::remove(path(u"Mean.log"_s)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"Mean.log"_s)).constData(), 0644), 0);
    dialogs.answerOk(u"n"_s);
    dialogs.answerOk(u"N"_s);
    form->SpeedButton1->click();
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text,
              u"Cannot open file \""_s + path(u"Mean.log"_s) + u"\". Not a regular file."_s);
    EXPECT_EQ(file(u"Phrase.log"_s), "a\r\n");
}

TEST_F(SharedLists, conflictCopies_areFoldedInAtStartUpAndSaveThenRemoved) {
    writePairs(u"%1.log"_s, "a\r\n", "A\r\n");
    writePairs(u"%1.sync-conflict-20261209-101500-ABCDEFG.log"_s, "a\r\ns\r\n", "A\r\nS\r\n");
    writeBytes(path(u"Phrase (conflicted copy 2026-12-09 101500).log"_s), "a2\r\n");
    writeBytes(path(u"Phrase.sync-conflict-notes.log"_s), "kept\r\n");
    writeBytes(path(u"Mean.log.bak"_s), "kept\r\n");
    makeForm().FormActivate();
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"a"_s, u"s"_s, u"a2"_s}));
    EXPECT_EQ(filePairs(), (QStringList{u"a/A"_s, u"s/S"_s, u"a2/A"_s}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{u"Mean.log"_s, u"Mean.log.bak"_s, u"Phrase.log"_s,
                           u"Phrase.sync-conflict-notes.log"_s}));

    writePairs(u"%1 (conflicted copy 2026-12-10 081500).log"_s, "t\r\n", "T\r\n");
    takePair(*form, u"n"_s, u"N"_s);
    EXPECT_EQ(filePairs(), (QStringList{u"a/A"_s, u"s/S"_s, u"a2/A"_s, u"n/N"_s, u"t/T"_s}));
    EXPECT_FALSE(QFile::exists(path(u"Phrase (conflicted copy 2026-12-10 081500).log"_s)));
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(SharedLists, startUp_removesLeftoversAndFoldsInCopiesOnceTheLockIsFree) {
    // Another writer holds the folder's lock for a moment as the window starts, or nobody does.
    for (const int heldMs : {0, 300}) {
        for (const QFileInfo& entry :
             QDir(dir.path())
                 .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (entry.isDir())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
        writePairs(u"%1.log"_s, "a\r\n", "A\r\n");
        writePairs(u"%1.sync-conflict-20261209-101500-ABCDEFG.log"_s, "s\r\n", "S\r\n");
        writeBytes(path(u".Phrase.log.1a2b3c4d5e6f.tmp"_s), "x\r\n"); // a killed save's file
        writeBytes(path(u".Phrase.log.tmp"_s), "kept\r\n");
        // Named like a copy, but a folder: no version of the lists.
        QDir().mkdir(path(u"Mean.sync-conflict-20261209-101500-HIJKLMN.log"_s));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // file times are coarse
        makeForm();
        auto other = std::make_unique<FolderLock>(dir.path());
        std::thread release([&other, heldMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
            other.reset();
        });
        if (heldMs == 0)
            release.join();
        form->FormActivate();
        if (release.joinable())
            release.join();
        EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"a"_s, u"s"_s})) << heldMs;
        EXPECT_EQ(filePairs(), (QStringList{u"a/A"_s, u"s/S"_s})) << heldMs;
        const QStringList left =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        EXPECT_EQ(left.join(u' ').toStdString(),
                  ".Phrase.log.tmp Mean.log Mean.sync-conflict-20261209-101500-HIJKLMN.log "
                  "Phrase.log")
            << heldMs;
        EXPECT_TRUE(dialogs.failures.empty()) << heldMs;
    }
}

} // namespace
} // namespace quill::test
