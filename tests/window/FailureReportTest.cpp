#include "window/FailureReport.h"
#include "window/FormFixture.h"

#include <QCoreApplication>
#include <QDir>

#include <new>
#include <stdexcept>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

TEST(FailureReportText, addsDotOnlyAfterCharactersSortingAfterDot) {
    const struct {
        QString message, shown;
    } rows[] = {
        {u"Unable to insert a line"_s, u"Unable to insert a line."_s},
        {u"Error 5"_s, u"Error 5."_s},
        {u"Done."_s, u"Done."_s},
        {u"Stop!"_s, u"Stop!"_s},
        {u"trailing blank "_s, u"trailing blank "_s},
        {u"ends in a comma,"_s, u"ends in a comma,"_s},
        {u"ends in a slash/"_s, u"ends in a slash/."_s},
        {u"ends in a colon:"_s, u"ends in a colon:."_s},
        {u"Umlaut \u00e4"_s, u"Umlaut \u00e4."_s},
        {QString(), QString()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(failureReportText(row.message), row.shown) << row.message.toStdString();
}

TEST(ApplicationTitle, isProgramFileNameCutAtFirstDotInTitleCase) {
    EXPECT_EQ(applicationTitle(u"C:/apps/WORDS.EXE"_s), u"Words"_s);
    EXPECT_EQ(applicationTitle(u"/usr/bin/quillbook"_s), u"Quillbook"_s);
    EXPECT_EQ(applicationTitle(u"/opt/q/my.prog.bin"_s), u"My"_s);
    EXPECT_EQ(applicationTitle(u"/x/.hidden"_s), QString());
}

class FailureReportInForm : public FormFixture {};

TEST_F(FailureReportInForm, commandFailure_isReportedOnceWithDotAndProgramTitle) {
    makeForm();
    // Mean.log as a folder cannot be read before the save: the save command fails.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"Mean.log"_s));
    trigger("SaveFields1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    const auto& report = dialogs.failures.front();
    EXPECT_TRUE(report.text.startsWith(u"Cannot open file \""_s + path(u"Mean.log"_s) + u"\". "_s))
        << report.text.toStdString();
    EXPECT_TRUE(report.text.endsWith(u'.'));
    EXPECT_EQ(report.title, applicationTitle(QCoreApplication::applicationFilePath()));
    // The command stopped after Phrase.log; the window goes on working.
    EXPECT_EQ(file(u"Phrase.log"_s), QByteArray(""));
    trigger("PrimaryField1");
    EXPECT_EQ(form->ComboBox1->entries().size(), 1);
}

// Commands that fail with something other than the program's own failure.
class ThrowingForm : public TForm1 {
public:
    using TForm1::TForm1;
    void outOfMemory() { throw std::bad_alloc(); }
    void standardError() { throw std::runtime_error("disk on fire"); }
    void somethingElse() { throw 42; }
};

TEST_F(FailureReportInForm, otherExceptions_areReportedAndTheWindowGoesOn) {
    ThrowingForm throwing(services);
    const struct {
        void (ThrowingForm::*command)();
        QString text;
    } rows[] = {{&ThrowingForm::outOfMemory, u"Out of memory."_s},
                {&ThrowingForm::standardError, u"disk on fire."_s},
                {&ThrowingForm::somethingElse, u"Unexpected failure."_s}};
    for (const auto& row : rows) {
        dialogs.failures.clear();
        throwing.runCommand(static_cast<TForm1::Handler>(row.command));
        ASSERT_EQ(dialogs.failures.size(), 1u);
        EXPECT_EQ(dialogs.failures[0].text, row.text);
    }
    throwing.runCommand(&TForm1::PrimaryField1Click);
    EXPECT_EQ(throwing.ComboBox1->entries().size(), 1);
}

} // namespace
} // namespace quill::test
