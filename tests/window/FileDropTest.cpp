#include "window/FormFixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <atomic>
#include <thread>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class FileDropTest : public FormFixture {
protected:
    // Drags the data over the widget and drops it, as a file manager does; true when the drop
    // was taken. The question comes once the drop has ended.
    static bool drop(QWidget* target, const QMimeData& data) {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        QApplication::processEvents();
        return dropped.isAccepted();
    }
    bool dropFile(QWidget* target, const QString& name) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(name))});
        data.setText(path(name)); // file managers offer the path as text too
        return drop(target, data);
    }
};

TEST_F(FileDropTest, droppedFile_asksForItsNewPairsAndAddsAndSavesThemOnlyWhenConfirmed) {
    writeBytes(path(u"Phrase.log"_s), "a\r\nb\r\n");
    writeBytes(path(u"Mean.log"_s), "1\r\n");
    // A dictionary history: the latest lookup first; "b" with no meaning is there already.
    writeBytes(path(u"history"_s), "0 zeta\n0 b\n0 \xC3\xA9t\xC3\xA9\n");
    makeForm().FormActivate();
    const struct {
        QWidget* target;
        bool confirm;
        QByteArray phrases;
        QByteArray meanings;
    } rows[] = {
        {form->ComboBox1->lineEdit(), false, "a\r\nb\r\n", "1\r\n"},
        {form.get(), true, "a\r\nb\r\n\xC3\xA9t\xC3\xA9\r\nzeta\r\n", "1\r\n\r\n\r\n\r\n"},
    };
    for (const auto& row : rows) {
        dialogs.okAnswer = row.confirm;
        dialogs.questions.clear();
        const QString edit = form->ComboBox1->lineEdit()->text();
        EXPECT_TRUE(dropFile(row.target, u"history"_s));
        ASSERT_EQ(dialogs.questions.size(), 1u);
        EXPECT_EQ(dialogs.questions[0].text,
                  u"Add 2 new pairs from history?\n\n\u00E9t\u00E9 \u2013 \nzeta \u2013 "_s);
        EXPECT_EQ(form->ComboBox1->lineEdit()->text(), edit); // the path was not typed in
        EXPECT_EQ(file(u"Phrase.log"_s), row.phrases);
        EXPECT_EQ(file(u"Mean.log"_s), row.meanings);
        EXPECT_EQ(texts(*form->ComboBox2).size(), row.confirm ? 4 : 1);
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(FileDropTest, fileWithoutNewPairsOrOfNoKnownKind_isReportedAndChangesNothing) {
    writeBytes(path(u"Phrase.log"_s), "a\r\n");
    writeBytes(path(u"Mean.log"_s), "1\r\n");
    writeBytes(path(u"same.csv"_s), "a,1\r\n");
    writeBytes(path(u"odd.apkg"_s), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    makeForm().FormActivate();
    const struct {
        QString name;
        QString failure;
    } rows[] = {
        {u"same.csv"_s, u"same.csv holds no pair that the lists do not have already"_s},
        {u"odd.apkg"_s, u"odd.apkg: a zip archive without an Anki collection"_s},
    };
    for (const auto& row : rows) {
        dialogs.failures.clear();
        EXPECT_TRUE(dropFile(form->ComboBox2->lineEdit(), row.name));
        ASSERT_EQ(dialogs.failures.size(), 1u) << row.name.toStdString();
        EXPECT_TRUE(dialogs.failures[0].text.contains(row.failure))
            << dialogs.failures[0].text.toStdString();
    }
    // Text that is not a file is no drop for the window.
    QMimeData text;
    text.setText(u"plain words"_s);
    EXPECT_FALSE(drop(form.get(), text));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(file(u"Phrase.log"_s), "a\r\n");
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"a"_s});
}

TEST_F(FileDropTest, largeFile_showsTheBusyCursorWhileItIsRead) {
    QByteArray csv;
    for (int i = 0; i < 300'000; ++i)
        csv += "word " + QByteArray::number(i) + ",meaning\r\n";
    writeBytes(path(u"big.csv"_s), csv);
    makeForm().FormActivate();
    dialogs.okAnswer = false;
    std::atomic<bool> running{true}, seen{false};
    // Only whether a cursor is set is read here, while the window's thread reads the file.
    std::thread watcher([&] {
        while (running && !seen)
            seen = QGuiApplication::overrideCursor() != nullptr;
    });
    EXPECT_TRUE(dropFile(form.get(), u"big.csv"_s));
    running = false;
    watcher.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(dialogs.questions[0].text.startsWith(u"Add 300000 new pairs from big.csv?"_s))
        << dialogs.questions[0].text.toStdString();
}

} // namespace
} // namespace quill::test
