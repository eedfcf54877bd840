// What a word processor reads of the files the writer produces: AbiWord's text of each file
// must be the text the document shows.
#include "RtfTestSupport.h"
#include "support/TestSupport.h"

#include "rtf/NotesDocument.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>

namespace quill {
namespace {

// Lines to compare: line breaks inside paragraphs count as line ends, trailing blanks are
// dropped, and so are empty lines, because AbiWord's text export puts blank lines around
// paragraphs with space before or after them.
QStringList comparableLines(const QString& text) {
    QStringList lines;
    for (QString line : QString(text).replace(QChar::LineSeparator, u'\n').split(u'\n')) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// AbiWord's text of a rich text file, or a null string when it fails.
QString abiwordText(const QString& rtfPath, const QTemporaryDir& home) {
    QProcess abiword;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    abiword.setProcessEnvironment(environment);
    const QString textPath = rtfPath + QStringLiteral(".txt");
    abiword.start(QStringLiteral("abiword"),
                  {QStringLiteral("--to=txt"), QStringLiteral("--to-name=") + textPath, rtfPath});
    if (!abiword.waitForFinished(60000)) {
        abiword.kill();
        abiword.waitForFinished();
        return {};
    }
    const QByteArray text = test::fileBytes(textPath);
    return text.isNull() ? QString() : QString::fromUtf8(text);
}

TEST(RtfInterop, abiwordReadsTheWrittenFiles_asTheDocumentShowsThem) {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("abiword")).isEmpty())
        << "abiword is not installed (scripts/install-deps.sh installs it)";
    QTemporaryDir dir;
    QTemporaryDir home;
    ASSERT_TRUE(dir.isValid() && home.isValid());
    QObject owner;
    std::vector<std::pair<QString, QTextDocument*>> documents{
        {QStringLiteral("formatted"), test::formattedDocument(&owner)}};
    for (const char* file :
         {"word/word_polish_ansicpg1250.rtf", "wordpad/wordpad_japanese_fcharset128.rtf",
          "synthetic/special_characters.rtf", "textedit/textedit_hyperlink.rtf",
          "abiword/abiword_simple_table.rtf", "wordpad/wordpad_surrogate_pairs_gothic.rtf"}) {
        auto* document = new QTextDocument(&owner);
        loadNotes(test::fileBytes(test::rtfDataPath(QString::fromLatin1(file))), *document);
        documents.emplace_back(QString::fromLatin1(file).section(u'/', 1), document);
    }
    for (const auto& [name, document] : documents) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(name);
        test::writeBytes(path, saveNotes(*document));
        const QString text = abiwordText(path, home);
        ASSERT_FALSE(text.isNull()) << "abiword failed";
        EXPECT_EQ(comparableLines(text), comparableLines(test::paragraphs(*document).join(u'\n')));
    }
}

TEST(RtfInterop, abiwordOpensTheFilesOfAnEmptyPane) {
    QTemporaryDir dir;
    QTemporaryDir home;
    ASSERT_TRUE(dir.isValid() && home.isValid());
    QTextDocument empty;
    QTextDocument centred;
    QTextCursor(&centred).setBlockFormat([] {
        QTextBlockFormat format;
        format.setAlignment(Qt::AlignHCenter);
        return format;
    }());
    for (const auto& [name, document] :
         {std::pair("empty", &empty), std::pair("centred", &centred)}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name) + u".rtf"_qs);
        test::writeBytes(path, saveNotes(*document));
        const QString text = abiwordText(path, home);
        ASSERT_FALSE(text.isNull()) << "abiword refused the file";
        EXPECT_TRUE(text.trimmed().isEmpty());
    }
}

} // namespace
} // namespace quill
