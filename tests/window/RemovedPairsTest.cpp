#include "storage/RemovalHistory.h"
#include "window/FormFixture.h"

#include <vector>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class RemovedPairs : public FormFixture {};

// The pairs a save takes out of the files are kept, named after the command that saved.
TEST_F(RemovedPairs, commandsThatEmptyTheSavedLists_keepEveryPairInTheHistory) {
    const struct {
        std::vector<const char*> actions;
        QString cause;
    } rows[] = {
        {{"Exit1", "SaveFields1"}, u"Save Fields..."_s},
        {{"Other1"}, u"Delete All Fields Registration Throughout ..."_s},
    };
    for (const auto& row : rows) {
        writeBytes(path(u"Phrase.log"_s), "one\r\ntwo\r\n\xE9t\xE9\r\n");
        writeBytes(path(u"Mean.log"_s), "eins\r\nzwei\r\nSommer\r\n");
        const RemovalHistory history(dir.path());
        QDir(history.folder()).removeRecursively();
        makeForm().FormActivate();
        for (const char* action : row.actions)
            trigger(action);
        EXPECT_EQ(file(u"Phrase.log"_s), "") << row.cause.toStdString();
        QStringList kept;
        history.read([&kept](RemovalBlock&& block) {
            for (qsizetype i = 0; i < block.pairs.first.size(); ++i)
                kept.append(displayText(block.pairs.first.at(i)) + u'/' +
                            displayText(block.pairs.second.at(i)) + u'/' + block.cause);
        });
        const QString by = u'/' + row.cause;
        EXPECT_EQ(kept, (QStringList{u"one/eins"_s + by, u"two/zwei"_s + by,
                                     displayText("\xE9t\xE9") + u"/Sommer"_s + by}));
        EXPECT_TRUE(dialogs.failures.empty());
    }
}

} // namespace
} // namespace quill::test
