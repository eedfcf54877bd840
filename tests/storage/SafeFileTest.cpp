#include "storage/SafeFile.h"
#include "core/Failure.h"
#include "storage/ListFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <thread>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// Exit codes of the child processes below.
constexpr int Passed = 0, NoFailure = 1, WrongMessage = 2, Unexpected = 3;

// Runs the call in a forked child and gives back its exit code (-1 when it did not exit).
int runInChild(const std::function<int()>& call) {
    const pid_t child = fork();
    if (child == 0)
        _exit(call());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Runs the save and checks that it fails with exactly the message.
int expectFailure(const std::function<void()>& save, const QString& message) {
    try {
        save();
    } catch (const Failure& failure) {
        return failure.message() == message ? Passed : WrongMessage;
    } catch (...) {
        return Unexpected;
    }
    return NoFailure;
}

struct UnprivilegedSave {
    std::function<int()> body;
    static int run(void* context) { return static_cast<UnprivilegedSave*>(context)->body(); }
};

int runAsNobody(std::function<int()> body) {
    UnprivilegedSave save{std::move(body)};
    return test::runAsUnprivileged(&UnprivilegedSave::run, &save);
}

EntryList listOf(std::initializer_list<const char*> entries) {
    EntryList list;
    for (const char* entry : entries)
        list.append(entry);
    return list;
}

EntryList bigList(qsizetype bytes, char fill) {
    EntryList list;
    const QByteArray entry(999, fill);
    while (list.byteSize() < bytes)
        list.append(entry);
    return list;
}

QString createMessage(const QString& path, int errorNumber) {
    return u"Cannot create file \"%1\". %2"_s.arg(path, errorText(errorNumber));
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // The unprivileged child must reach the files.
        ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0777), 0);
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QStringList namesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                      QDir::System);
    }
    static void setMode(const QString& file, mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode), 0);
    }
    static mode_t modeOf(const QString& file) {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0);
        return info.st_mode & 07777;
    }

    QTemporaryDir dir_;
};

// A watched read shows the bytes piece by piece as they arrive; a watcher that throws ends it.
TEST_F(SafeFileTest, watchedRead_showsEveryPiece_andStopsWhenTheWatcherThrows) {
    const QString file = path(u"big.txt"_s);
    QByteArray bytes(3 * 1024 * 1024 + 5, 'x');
    bytes[1024 * 1024] = 'y';
    test::writeBytes(file, bytes);
    std::vector<qsizetype> seen;
    const QByteArray read =
        readWholeFile(file, bytes.size(), [&](QByteArrayView soFar, qint64 size) {
            EXPECT_EQ(size, bytes.size());
            EXPECT_EQ(soFar, QByteArrayView(bytes).first(soFar.size()));
            seen.push_back(soFar.size());
        });
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(seen, (std::vector<qsizetype>{1 << 20, 2 << 20, 3 << 20, bytes.size()}));
    seen.clear();
    const auto stop = [&](QByteArrayView soFar, qint64) {
        seen.push_back(soFar.size());
        throw Failure(u"enough"_s);
    };
    EXPECT_THROW(readWholeFile(file, bytes.size(), stop), Failure);
    EXPECT_EQ(seen, std::vector<qsizetype>{1 << 20});
}

TEST_F(SafeFileTest, readOnlyFile_refusesWithCreateFailure_andKeepsOldBytes) {
    const QString file = path(u"Mean.log"_s);
    test::writeBytes(file, "old\r\n");
    setMode(file, 0444);
    const int result = runAsNobody([&] {
        return expectFailure([&] { writeListFile(file, listOf({"new"})); },
                             createMessage(file, EACCES));
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(test::fileBytes(file), QByteArray("old\r\n"));
    EXPECT_EQ(namesIn(dir_.path()), QStringList{u"Mean.log"_s});
}

TEST_F(SafeFileTest, readOnlyFolder_refusesWithCreateFailure_andLeavesNoTemporaryFile) {
    const QString folder = path(u"ro"_s);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"ro"_s));
    const QString existing = folder + u"/Phrase.log"_s;
    test::writeBytes(existing, "kept\r\n");
    setMode(existing, 0666);
    setMode(folder, 0555);
    const QString absent = folder + u"/Both.log"_s;
    // A relative name too: the message names the full path.
    const int result = runAsNobody([&] {
        const test::CurrentDirGuard guard(folder);
        const int first = expectFailure([&] { writeListFile(u"Phrase.log"_s, listOf({"a"})); },
                                        createMessage(existing, EACCES));
        const int second = expectFailure([&] { writeFileAtomically(absent, "x\r\n"); },
                                         createMessage(absent, EACCES));
        return first != Passed ? first : second;
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(test::fileBytes(existing), QByteArray("kept\r\n"));
    EXPECT_EQ(namesIn(folder), QStringList{u"Phrase.log"_s});
    setMode(folder, 0755);
}

TEST_F(SafeFileTest, fileNotReadableByUser_isOpenFailure) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "the file would be our own";
    const QString file = path(u"Phrase.log"_s);
    test::writeBytes(file, "secret\r\n");
    setMode(file, 0600);
    const int result = runAsNobody([&] {
        try {
            readListFile(file);
        } catch (const OpenFailure& failure) {
            return failure.message() ==
                           u"Cannot open file \"%1\". %2"_s.arg(file, errorText(EACCES))
                       ? Passed
                       : WrongMessage;
        } catch (...) {
            return Unexpected;
        }
        return NoFailure;
    });
    EXPECT_EQ(result, Passed);
}

TEST_F(SafeFileTest, missingFolder_refusesWithCreateFailure) {
    const QString file = path(u"gone/Phrase.log"_s);
    EXPECT_EQ(
        expectFailure([&] { writeListFile(file, listOf({"a"})); }, createMessage(file, ENOENT)),
        Passed);
    EXPECT_TRUE(namesIn(dir_.path()).isEmpty());
}

TEST_F(SafeFileTest, folderOrFifoNamedAsTarget_refusedAndLeftAlone) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"Both.log"_s));
    EXPECT_EQ(expectFailure([&] { writeFileAtomically(path(u"Both.log"_s), "x"); },
                            createMessage(path(u"Both.log"_s), EISDIR)),
              Passed);
    const QString fifo = path(u"Actual.log"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_EQ(expectFailure([&] { writeFileAtomically(fifo, "x"); },
                            u"Cannot create file \"%1\". Not a regular file"_s.arg(fifo)),
              Passed);
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false && QFileInfo(path(u"Both.log"_s)).isDir());
    EXPECT_EQ(namesIn(dir_.path()).size(), 2);
}

TEST_F(SafeFileTest, diskFullDuringSave_givesStreamWriteError_andKeepsOldFile) {
    const QString file = path(u"Phrase.log"_s);
    const QByteArray old = "first\r\nsecond\r\n";
    test::writeBytes(file, old);
    const EntryList list = bigList(4 * 1024 * 1024, 'n');
    const int result = runInChild([&] {
        // The file size limit stands in for a full disk: writes stop part way with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100 * 1024, 100 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return Unexpected;
        const int first =
            expectFailure([&] { writeListFile(file, list); }, u"Stream write error"_s);
        const int second =
            expectFailure([&] { writeFileAtomically(file, QByteArray(200 * 1024, 'z')); },
                          u"Stream write error"_s);
        return first != Passed ? first : second;
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(test::fileBytes(file), old);
    EXPECT_EQ(namesIn(dir_.path()), QStringList{u"Phrase.log"_s});
}

// A real full device (a small file system of the test's own): the message names the cause and
// every old file stays whole, with nothing left beside it.
TEST_F(SafeFileTest, fullDevice_namesTheCauseAndKeepsOldFiles) {
    const QString phrase = path(u"Phrase.log"_s);
    const QString mean = path(u"Mean.log"_s);
    const EntryList large = bigList(200 * 1024, 'n');
    const struct {
        const char* name;
        std::function<void()> save;
    } rows[] = {
        {"one file",
         [&] {
             writeFileAtomically(phrase, QByteArray(200 * 1024, 'z'));
         }},
        {"list file",
         [&] {
             writeListFile(phrase, large);
         }},
        {"pair",
         [&] {
             writeListFilePair(phrase, listOf({"new"}), mean, large);
         }},
    };
    for (const auto& row : rows) {
        const int result = test::runOnSmallDevice(dir_.path(), 64 * 1024, [&] {
            test::writeBytes(phrase, "old phrase\r\n");
            test::writeBytes(mean, "old meaning\r\n");
            const int failed =
                expectFailure(row.save, u"Stream write error: no space left on the device"_s);
            if (failed != Passed)
                return failed;
            const bool kept = test::fileBytes(phrase) == "old phrase\r\n" &&
                              test::fileBytes(mean) == "old meaning\r\n" &&
                              namesIn(dir_.path()) == QStringList{u"Mean.log"_s, u"Phrase.log"_s};
            return kept ? Passed : Unexpected;
        });
        EXPECT_EQ(result, Passed) << row.name;
    }
}

TEST_F(SafeFileTest, killDuringLargeSave_leavesOldOrNewFileWhole) {
    const QString file = path(u"Phrase.log"_s);
    const EntryList oldList = bigList(24 * 1024 * 1024, 'o');
    const EntryList newList = bigList(24 * 1024 * 1024 + 5000, 'n');
    writeListFile(file, oldList);
    const QByteArray oldBytes = listText(oldList);
    const QByteArray newBytes = listText(newList);
    QRandomGenerator random(7);
    bool sawNew = false;
    for (int round = 0; round < 4; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;)
                    writeListFile(file, (round % 2 == 0) ? newList : oldList);
            } catch (...) {
                _exit(Unexpected);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + random.bounded(900)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        const QByteArray now = test::fileBytes(file);
        EXPECT_TRUE(now == oldBytes || now == newBytes)
            << "round " << round << ": " << now.size() << " bytes";
        sawNew = sawNew || now == newBytes;
        // The data went into an unnamed file: nothing is left behind.
        EXPECT_EQ(namesIn(dir_.path()), QStringList{u"Phrase.log"_s}) << "round " << round;
    }
    RecordProperty("new_content_seen", sawNew ? "yes" : "no");
}

TEST_F(SafeFileTest, pairWhoseSecondFileFails_leavesBothFilesUnchanged) {
    const QString phrase = path(u"Phrase.log"_s);
    const QString mean = path(u"Mean.log"_s);
    const EntryList small = listOf({"new"});
    const EntryList large = bigList(300 * 1024, 'm');
    const auto savePair = [&] {
        writeListFilePair(phrase, small, mean, large);
    };
    const struct {
        const char* name;
        std::function<int()> save;
    } rows[] = {
        {"read-only Mean.log",
         [&] {
             setMode(mean, 0444);
             return runAsNobody(
                 [&] { return expectFailure(savePair, createMessage(mean, EACCES)); });
         }},
        {"size limit between the two sizes",
         [&] {
             return runInChild([&] {
                 std::signal(SIGXFSZ, SIG_IGN);
                 const rlimit limit{100 * 1024, 100 * 1024};
                 if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                     return Unexpected;
                 return expectFailure(savePair, u"Stream write error"_s);
             });
         }},
    };
    for (const auto& row : rows) {
        test::writeBytes(phrase, "old phrase\r\n");
        test::writeBytes(mean, "old meaning\r\n");
        setMode(phrase, 0666);
        setMode(mean, 0666);
        EXPECT_EQ(row.save(), Passed) << row.name;
        EXPECT_EQ(test::fileBytes(phrase), QByteArray("old phrase\r\n")) << row.name;
        EXPECT_EQ(test::fileBytes(mean), QByteArray("old meaning\r\n")) << row.name;
        EXPECT_EQ(namesIn(dir_.path()), (QStringList{u"Mean.log"_s, u"Phrase.log"_s})) << row.name;
    }
    setMode(mean, 0666);
    savePair();
    EXPECT_EQ(test::fileBytes(phrase), QByteArray("new\r\n"));
    EXPECT_EQ(test::fileBytes(mean), listText(large));
}

TEST_F(SafeFileTest, removedCurrentFolder_failsWithNoSuchFile_andWritesNowhereElse) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"gone"_s));
    const QString gone = path(u"gone"_s);
    const bool rootHadPhraseLog = QFileInfo::exists(u"/Phrase.log"_s);
    const int result = runInChild([&] {
        if (::chdir(QFile::encodeName(gone).constData()) != 0 ||
            !QDir(dir_.path()).rmdir(u"gone"_s))
            return Unexpected;
        const int pair = expectFailure(
            [] { writeListFilePair(u"Phrase.log"_s, listOf({"a"}), u"Mean.log"_s, listOf({"b"})); },
            u"Cannot create file \"Phrase.log\". No such file or directory"_s);
        const int single =
            expectFailure([] { writeFileAtomically(u"Both.log"_s, "x"); },
                          u"Cannot create file \"Both.log\". No such file or directory"_s);
        return pair != Passed ? pair : single;
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(QFileInfo::exists(u"/Phrase.log"_s), rootHadPhraseLog);
    EXPECT_TRUE(namesIn(dir_.path()).isEmpty());
}

TEST_F(SafeFileTest, foreignLinkInStickyWorldWritableFolder_isNotFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t victim = nobody ? nobody->pw_uid : 65534;
    const uid_t stranger = 4242;
    const QString shared = path(u"shared"_s);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"shared"_s));
    setMode(shared, 01777);
    const QString own = path(u"own.log"_s);
    test::writeBytes(own, "mine\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), victim, victim), 0);
    const auto plantLink = [&](const QString& name, const QString& target, uid_t owner) {
        ASSERT_TRUE(QFile::link(target, shared + u'/' + name));
        ASSERT_EQ(::lchown(QFile::encodeName(shared + u'/' + name).constData(), owner, owner), 0);
    };
    plantLink(u"dir.log"_s, own, stranger);
    plantLink(u"files.log"_s, path(u"created.log"_s), stranger); // dangling
    plantLink(u"Mean.log"_s, own, victim);

    const int result = runAsNobody([&] {
        const test::CurrentDirGuard guard(shared);
        const int existing = expectFailure([] { writeFileAtomically(u"dir.log"_s, "x"); },
                                           createMessage(shared + u"/dir.log"_s, EACCES));
        const int dangling = expectFailure([] { writeListFile(u"files.log"_s, listOf({"x"})); },
                                           createMessage(shared + u"/files.log"_s, EACCES));
        if (existing != Passed || dangling != Passed)
            return existing != Passed ? existing : dangling;
        // The user's own link is followed as anywhere else.
        writeListFile(u"Mean.log"_s, listOf({"through"}));
        return Passed;
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(test::fileBytes(own), QByteArray("through\r\n"));
    EXPECT_FALSE(QFileInfo::exists(path(u"created.log"_s)));
    EXPECT_EQ(namesIn(shared).size(), 3); // the links, untouched
}

TEST_F(SafeFileTest, saveThroughSymbolicLink_updatesTargetAndKeepsLink) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"real"_s));
    const QString target = path(u"real/Phrase.log"_s);
    test::writeBytes(target, "old\r\n");
    setMode(target, 0640);
    ASSERT_TRUE(QFile::link(u"real/Phrase.log"_s, path(u"Phrase.log"_s))); // relative link

    writeListFile(path(u"Phrase.log"_s), listOf({"new", "list"}));
    EXPECT_TRUE(QFileInfo(path(u"Phrase.log"_s)).isSymLink());
    EXPECT_EQ(QFileInfo(path(u"Phrase.log"_s)).symLinkTarget(), target);
    EXPECT_EQ(test::fileBytes(target), QByteArray("new\r\nlist\r\n"));
    EXPECT_EQ(modeOf(target), mode_t(0640));
    EXPECT_EQ(namesIn(path(u"real"_s)), QStringList{u"Phrase.log"_s});

    // A link to a file that does not exist yet creates that file.
    ASSERT_TRUE(QFile::link(path(u"real/Mean.log"_s), path(u"Mean.log"_s)));
    writeListFile(path(u"Mean.log"_s), listOf({"m"}));
    EXPECT_TRUE(QFileInfo(path(u"Mean.log"_s)).isSymLink());
    EXPECT_EQ(test::fileBytes(path(u"real/Mean.log"_s)), QByteArray("m\r\n"));
}

TEST_F(SafeFileTest, save_keepsOldPermissions_andNewFileFollowsUmask) {
    const QString file = path(u"Phrase.log"_s);
    test::writeBytes(file, "old\r\n");
    for (const mode_t mode : {mode_t(0604), mode_t(0600), mode_t(0664), mode_t(0755)}) {
        setMode(file, mode);
        writeListFile(file, listOf({"v"}));
        EXPECT_EQ(modeOf(file), mode);
        setMode(file, 0644);
    }
    const mode_t previous = ::umask(027);
    writeListFile(path(u"Mean.log"_s), listOf({"v"}));
    ::umask(previous);
    EXPECT_EQ(modeOf(path(u"Mean.log"_s)), mode_t(0640));
    EXPECT_EQ(namesIn(dir_.path()), (QStringList{u"Mean.log"_s, u"Phrase.log"_s}));
}

TEST_F(SafeFileTest, saveByRoot_keepsOwnerOfOldFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    const QString file = path(u"Phrase.log"_s);
    test::writeBytes(file, "old\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(file).constData(), uid, gid), 0);
    writeListFile(file, listOf({"new"}));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, uid);
    EXPECT_EQ(info.st_gid, gid);
    EXPECT_EQ(test::fileBytes(file), QByteArray("new\r\n"));
}

} // namespace
} // namespace quill
