#include "exchange/FlashcardFormat.h"
#include "core/Failure.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace quill {
namespace {

using namespace Qt::StringLiterals;
using Pairs = std::vector<std::pair<QByteArray, QByteArray>>;

PairLists listsOf(const Pairs& pairs) {
    PairLists lists;
    for (const auto& [word, meaning] : pairs) {
        lists.words.append(word);
        lists.meanings.append(meaning);
    }
    return lists;
}

Pairs pairsOf(const PairLists& lists) {
    Pairs pairs;
    for (qsizetype i = 0; i < lists.size(); ++i)
        pairs.emplace_back(lists.word(i).toByteArray(), lists.meaning(i).toByteArray());
    return pairs;
}

QString failureOf(auto&& work) {
    try {
        work();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return u"no failure"_s;
}

const Pairs trickyPairs = {
    {"plain", "word"},
    {"say \"hi\"", "\"quoted\" meaning"},
    {"#hash first", "# too"},
    {"  leading and trailing  ", " blanks "},
    {"comma, semicolon; pipe| colon:", ""},
    {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
     "\xE6\x97\xA5\xE6\x9C\xAC"},
    {"\xF0\x9F\x98\x80 four bytes", "\xF0\x9D\x84\x9E"},
    {"<b>&amp;</b>", "]]> &lt;"},
    {"", ""}, // tsv cannot hold the last three
    {"word", "tab\tinside"},
    {"", "no word"},
};

TEST(FlashcardFormat, roundTrip_everyFormatGivesTheSamePairs) {
    const std::pair<FlashcardFormat, QString> formats[] = {{FlashcardFormat::Anki, u"x.txt"_s},
                                                           {FlashcardFormat::Csv, u"x.csv"_s},
                                                           {FlashcardFormat::Tsv, u"x.tsv"_s},
                                                           {FlashcardFormat::Kvtml, u"x.xml"_s}};
    for (const auto& [format, name] : formats) {
        Pairs pairs = trickyPairs;
        if (format == FlashcardFormat::Tsv)
            pairs.resize(pairs.size() - 3);
        const QByteArray file = writeFlashcards(format, listsOf(pairs), {});
        EXPECT_EQ(detectFlashcardFormat(name, file), format) << name.toStdString();
        EXPECT_EQ(pairsOf(readFlashcards(format, file)), pairs) << name.toStdString();
    }
}

TEST(FlashcardFormat, writers_giveTheExactBytes) {
    const PairLists lists = listsOf({{"caf\xE9", "a, \"b\""}, {"#x", "t\ty"}, {"", "<&>"}});
    ExportOptions options;
    options.byteOrderMark = true;
    EXPECT_EQ(writeFlashcards(FlashcardFormat::Anki, lists, {}),
              "#separator:tab\n#html:false\n#columns:Front\tBack\n"
              "caf\xC3\xA9\t\"a, \"\"b\"\"\"\n\"#x\"\t\"t\ty\"\n\t<&>\n");
    EXPECT_EQ(writeFlashcards(FlashcardFormat::Csv, lists, options),
              "\xEF\xBB\xBFWord,Meaning\r\ncaf\xC3\xA9,\"a, \"\"b\"\"\"\r\n#x,t\ty\r\n,<&>\r\n");
    const QByteArray kvtml = writeFlashcards(FlashcardFormat::Kvtml, lists, {});
    EXPECT_TRUE(kvtml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml "));
    EXPECT_TRUE(kvtml.contains("<entry id=\"2\">\n   <translation id=\"0\">\n    <text></text>\n"
                               "   </translation>\n   <translation id=\"1\">\n"
                               "    <text>&lt;&amp;&gt;</text>"));
}

TEST(FlashcardFormat, unwritablePairs_namesTheFirstAndCountsThemAll) {
    const PairLists tabs = listsOf({{"ok", "ok"}, {"a\tb", "x"}, {"", "y"}, {"c", "d\te"}});
    EXPECT_EQ(failureOf([&] { writeFlashcards(FlashcardFormat::Tsv, tabs, {}); }),
              u"tsv cannot hold the pair on line 2 of Phrase.log and Mean.log (a tab, or no "
              u"word); 3 such pairs, nothing written"_s);
    const PairLists controls = listsOf(
        {{"ok", "ok"}, {"ok", "bell\a"}, {QByteArray("nul\0", 4), "x"}, {"\xEF\xBF\xBF", ""}});
    EXPECT_EQ(failureOf([&] { writeFlashcards(FlashcardFormat::Kvtml, controls, {}); }),
              u"kvtml cannot hold the pair on line 2 of Phrase.log and Mean.log (a character XML "
              u"cannot hold); 3 such pairs, nothing written"_s);
}

TEST(FlashcardFormat, malformedInput_namesLineAndColumn) {
    const struct {
        FlashcardFormat format;
        QByteArray input;
        QString failure;
    } rows[] = {
        {FlashcardFormat::Csv, "a,b\r\n\"open,b",
         u"line 2, column 1: this quoted field never ends"_s},
        {FlashcardFormat::Csv, "a,\"b\"c\n", u"line 1, column 6: text follows a closing quote"_s},
        {FlashcardFormat::Csv, "\"two\nlines\",b\n",
         u"line 1, column 5: a field holds a line break"_s},
        {FlashcardFormat::Tsv, "ok\tfine\n\xC3\xA9\t\xFF\n",
         u"line 2, column 3: the text is not UTF-8"_s},
        {FlashcardFormat::Anki, "#separator:Dash\na-b\n",
         u"line 1, column 12: unknown separator"_s},
        {FlashcardFormat::Anki, "#html:true\na<br>b\t&#10;\n",
         u"line 2, column 1: a field holds a line break"_s},
        {FlashcardFormat::Kvtml, "<kvtml version=\"2.0\"><entries><entry>\n<x></entry>",
         u"line 2, column 12: Opening and ending tag mismatch"_s},
        {FlashcardFormat::Kvtml, "<?xml version=\"1.0\"?>\n<html/>",
         u"line 2, column 8: the root element is <html>"_s},
        {FlashcardFormat::Kvtml, "<kvtml version=\"1.0\"/>",
         u"line 1, column 23: KVTML version \"1.0\""_s},
        {FlashcardFormat::Kvtml,
         "<kvtml version=\"2.0\"><entries><entry><translation id=\"0\"><text>a\nb</text>",
         u"line 2, column 9: a text holds a line break"_s},
    };
    for (const auto& row : rows) {
        const QString failure = failureOf([&] { readFlashcards(row.format, row.input); });
        EXPECT_TRUE(failure.startsWith(row.failure))
            << row.input.toStdString() << " -> " << failure.toStdString();
    }
}

TEST(FlashcardFormat, ankiHeaders_areHonoured) {
    const struct {
        QByteArray input;
        Pairs pairs;
    } rows[] = {
        {"#separator:Semicolon\na;b\n", {{"a", "b"}}},
        {"#separator:pipe\n\"a|\"|b|c\n", {{"a|", "b"}}},
        {"#separator:Space\na b\n", {{"a", "b"}}},
        {"#separator:Colon\na:b\n", {{"a", "b"}}},
        {"#separator:Comma\na,b\n", {{"a", "b"}}},
        {"#separator:/\na/b\n", {{"a", "b"}}},
        {"#separator:tab\n#deck:Words\n#tags:x\na\tb\n# a comment\n\nc\td\n",
         {{"a", "b"}, {"c", "d"}}},
        {"#html:true\n<b>bold</b>&nbsp;x\ta<br/>b &amp; &#x263A; &#9731; &bogus;\n",
         {{"bold\xC2\xA0x", "a b & \xE2\x98\xBA \xE2\x98\x83 &bogus;"}}},
        {"#columns:Tags\tFront\tBack\nt1\ta\tb\n", {{"a", "b"}}},
        {"#separator:tab\n#guid column:1\n#deck column:3\ng\ta\td\tb\n", {{"a", "b"}}},
        {"no header;guessed\n", {{"no header", "guessed"}}},
        {"one field\nthen\ttwo\n", {{"one field", ""}, {"then", "two"}}},
        {"#separator:tab\nends with a separator\t", {{"ends with a separator", ""}}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pairsOf(readFlashcards(FlashcardFormat::Anki, row.input)), row.pairs)
            << row.input.toStdString();
}

TEST(FlashcardFormat, detection_contentFirstThenExtensionThenShape) {
    const struct {
        QString name;
        QByteArray content;
        FlashcardFormat format;
    } rows[] = {
        {u"a.csv"_s, "#separator:Comma\na,b\n", FlashcardFormat::Anki},
        {u"a.txt"_s, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"/>",
         FlashcardFormat::Kvtml},
        {u"a.kvtml"_s, "", FlashcardFormat::Kvtml},
        {u"a.CSV"_s, "a\tb\n", FlashcardFormat::Csv},
        {u"a.tsv"_s, "a,b\n", FlashcardFormat::Tsv},
        {u"a.txt"_s, "a,b\n", FlashcardFormat::Anki},
        {u"words"_s, "a\tb\n", FlashcardFormat::Tsv},
        {u"words"_s, "a,b\n", FlashcardFormat::Csv},
    };
    for (const auto& row : rows)
        EXPECT_EQ(detectFlashcardFormat(row.name, row.content), row.format)
            << row.name.toStdString();
}

TEST(FlashcardFormat, kvtmlIdentifiers_chooseTheTranslations) {
    const QByteArray document = "<kvtml version=\"2.0\"><identifiers><identifier id=\"5\"/>"
                                "<identifier id=\"2\"/></identifiers><entries><entry id=\"0\">"
                                "<translation id=\"2\"><text>meaning</text></translation>"
                                "<translation id=\"9\"><text>other</text></translation>"
                                "<translation id=\"5\"><comment>c</comment><text> word </text>"
                                "</translation></entry><entry id=\"1\"/></entries></kvtml>";
    EXPECT_EQ(pairsOf(readFlashcards(FlashcardFormat::Kvtml, document)),
              (Pairs{{" word ", "meaning"}, {"", ""}}));
}

// The pairs as "word|meaning;" each, or the failure.
QString kvtmlOutcome(const QByteArray& document) {
    try {
        QString pairs;
        for (const auto& [word, meaning] :
             pairsOf(readFlashcards(FlashcardFormat::Kvtml, document)))
            pairs += QString::fromUtf8(word + '|' + meaning + ';');
        return pairs;
    } catch (const Failure& failure) {
        return failure.message();
    }
}

TEST(FlashcardFormat, kvtmlOwnFiles_readAsTheXmlReaderReadsThem) {
    const QByteArray written = writeFlashcards(FlashcardFormat::Kvtml, listsOf(trickyPairs), {});
    const QByteArray prolog = written.first(written.indexOf("<kvtml"));
    const QByteArray entry = "<kvtml version=\"2.0\"><entries>\n<entry><translation id=\"0\">";
    const struct {
        QByteArray body;
        QString outcome;
    } rows[] = {
        {entry + "<text>a &lt;b&gt; &amp;&quot;&apos;</text></translation></entry></entries>"
                 "</kvtml>\n",
         u"a <b> &\"'|;"_s},
        {entry + "<text>a&#38;b</text><!-- c --></translation></entry></entries></kvtml>",
         u"a&b|;"_s},
        {entry + "<text><![CDATA[<x>]]></text></translation></entry></entries></kvtml>",
         u"<x>|;"_s},
        {entry + "<text/></translation><translation id='1'><text>m</text></translation>\r\n"
                 "</entry></entries></kvtml>",
         u"|m;"_s},
        {entry + "<text>a</text></translation></entry></entries></kvtml>trailing", u"a|;"_s},
        {entry + "<text>a\nb</text>", u"line 5, column 9: a text holds a line break"_s},
        {entry + "<text>a</txt>", u"line 4, column 41: Opening and ending tag mismatch"_s},
        {entry + "<text>\xFF</text></translation></entry></entries></kvtml>",
         u"line 1, column 39: Encountered incorrectly encoded content"_s},
    };
    for (const auto& row : rows) {
        const QByteArray document = prolog + row.body;
        // Another public identifier, of the same length, leaves reading to the XML reader.
        const QByteArray general = QByteArray(document).replace("kvtml2.dtd\" ", "kvtml2.dtX\" ");
        EXPECT_NE(general, document);
        const QString outcome = kvtmlOutcome(document);
        EXPECT_TRUE(outcome.startsWith(row.outcome)) << outcome.toStdString();
        EXPECT_EQ(outcome, kvtmlOutcome(general)) << row.body.toStdString();
    }
    EXPECT_EQ(pairsOf(readFlashcards(FlashcardFormat::Kvtml, written)), trickyPairs);
}

} // namespace
} // namespace quill
