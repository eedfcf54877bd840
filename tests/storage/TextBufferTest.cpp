#include "storage/TextBuffer.h"
#include "core/Failure.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

struct NormalCase {
    const char* text;
    const char* normal;
};

class TextBufferNormalise : public ::testing::TestWithParam<NormalCase> {};

TEST_P(TextBufferNormalise, setText_makesEveryBreakCrLf) {
    TextBuffer buffer;
    buffer.setText(GetParam().text);
    EXPECT_EQ(buffer.text(), QByteArray(GetParam().normal));
    // Taking a text's own buffer gives the same, whether it is normal already or not.
    TextBuffer taken;
    taken.takeText(QByteArray(GetParam().text));
    EXPECT_EQ(taken.text(), QByteArray(GetParam().normal));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBufferNormalise,
    ::testing::Values(NormalCase{"", ""}, NormalCase{"plain", "plain"},
                      NormalCase{"a\r\nb\r\n", "a\r\nb\r\n"}, NormalCase{"a\rb\r", "a\r\nb\r\n"},
                      NormalCase{"a\nb\n", "a\r\nb\r\n"}, NormalCase{"a\n\rb", "a\r\n\r\nb"},
                      NormalCase{"\r\r\n\n", "\r\n\r\n\r\n"}, NormalCase{"x\r\n\r", "x\r\n\r\n"},
                      NormalCase{"\xff\xfe\n", "\xff\xfe\r\n"}, NormalCase{"\na", "\r\na"},
                      NormalCase{"a\r\n\rb", "a\r\n\r\nb"}, NormalCase{"a\r\r\n", "a\r\n\r\n"}));

TEST(TextBufferTest, textOverCapacity_failsAndLeavesTextUnchanged) {
    TextBuffer buffer;
    buffer.setCapacity(8);
    buffer.setText("a\r\nb\r\n");
    try {
        buffer.setText("123456789");
        ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), u"Text exceeds memo capacity"_s);
    }
    // Seven bytes, but nine once the breaks are CR LF.
    EXPECT_THROW(buffer.setText("a\nb\nc\nd"), Failure);
    EXPECT_EQ(buffer.text(), QByteArray("a\r\nb\r\n"));
    buffer.setText("12345678");
    EXPECT_EQ(buffer.text(), QByteArray("12345678"));
    EXPECT_THROW(buffer.appendLine(""), Failure);
    EXPECT_EQ(buffer.text(), QByteArray("12345678"));
    EXPECT_THROW(buffer.takeText("1\r\n3456789"), Failure);
    EXPECT_EQ(buffer.text(), QByteArray("12345678"));
}

TEST(TextBufferTest, appendAfterSet_addsLinesAtTheEnd_andWritesThemExactly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TextBuffer buffer;
    buffer.appendLine("p1");
    buffer.appendLine("<<<<TRANSLATE>>>  m1");
    buffer.setText("a\r\nb\r\nx\r\n");
    buffer.appendLine("");
    buffer.appendLine("<<<<TRANSLATE>>>  ");
    const QByteArray expected = "a\r\nb\r\nx\r\n\r\n<<<<TRANSLATE>>>  \r\n";
    EXPECT_EQ(buffer.text(), expected);
    const QString file = dir.filePath(u"Actual.log"_s);
    test::writeBytes(file, "an older and longer text\r\n");
    buffer.writeToFile(file);
    EXPECT_EQ(test::fileBytes(file), expected);

    TextBuffer empty;
    empty.writeToFile(file);
    EXPECT_TRUE(test::fileBytes(file).isEmpty());
}

} // namespace
} // namespace quill
