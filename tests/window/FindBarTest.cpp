#include "window/FormFixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// Two fields of four pairs, in a shown and active window, the find bar driven by keys.
class FindBar : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        makeForm();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        fill(*form->ComboBox1, {u"Caf\u00E9 noir"_s, u"tea"_s, u"Stra\u00DFe"_s, u"water"_s});
        fill(*form->ComboBox2,
             {u"black coffee"_s, u"Tee"_s, u"street"_s, u"eau, as in caf\u00E9"_s});
        text = form->findChild<QLineEdit*>(u"FindText"_s);
        count = form->findChild<QLabel*>(u"FindCount"_s);
        results = form->findChild<QAbstractItemView*>(u"FindResults"_s);
        ASSERT_TRUE(text && count && results);
    }
    QSize clientSize() const { return form->centralWidget()->size(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    // Opens the bar with Ctrl+F, types the text, and waits for the full count.
    void find(const QString& typed) {
        key(Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(text->hasFocus());
        text->clear();
        QTest::keyClicks(text, typed);
        waitForCount();
    }
    void waitForCount() {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !count->text().isEmpty() && !count->text().endsWith(u'\u2026'); }));
    }
    // The rows as "word | meaning".
    QStringList rows() const {
        QStringList shown;
        for (int row = 0; row < results->model()->rowCount(); ++row)
            shown.append(results->model()->index(row, 0).data().toString() + u" | "_s +
                         results->model()->index(row, 1).data().toString());
        return shown;
    }

    QLineEdit* text = nullptr;
    QLabel* count = nullptr;
    QAbstractItemView* results = nullptr;
};

TEST_F(FindBar, typing_listsThePairsOfEitherFieldIgnoringCaseAndAccents) {
    const struct {
        QString text;
        int scope;
        QStringList rows;
        QString count;
    } cases[] = {
        {u"CAFE"_s,
         0,
         {u"Caf\u00E9 noir | black coffee"_s, u"water | eau, as in caf\u00E9"_s},
         u"2 pairs"_s},
        {u"strasse"_s, 0, {u"Stra\u00DFe | street"_s}, u"1 pair"_s},
        {u"te"_s, 1, {u"tea | Tee"_s, u"water | eau, as in caf\u00E9"_s}, u"2 pairs"_s},
        {u"te"_s, 2, {u"tea | Tee"_s}, u"1 pair"_s},
        {u"street"_s, 1, {}, u"No pair found"_s},
        {u"xyz"_s, 0, {}, u"No pair found"_s},
    };
    auto* scope = form->findChild<QComboBox*>(u"FindScope"_s);
    for (const auto& c : cases) {
        scope->setCurrentIndex(c.scope);
        find(c.text);
        EXPECT_EQ(rows(), c.rows) << c.text.toStdString() << " in " << c.scope;
        EXPECT_EQ(count->text(), c.count) << c.text.toStdString() << " in " << c.scope;
    }
}

TEST_F(FindBar, enterAndDoubleClick_selectThePairInBothFields) {
    find(u"e"_s);
    key(Qt::Key_Down); // from the text, the list's current row moves
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s), "tea\r\n<<<<TRANSLATE>>>  Tee\r\n");
    EXPECT_EQ(form->StatusBar1->currentMessage(), u"Entry/Registration Counter:  1"_s);

    const QRect third = results->visualRect(results->model()->index(2, 1));
    // A double click as the platform delivers it: a click, then the second press.
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, third.center());
    trigger("SaveActual1");
    EXPECT_EQ(file(u"Actual.log"_s), "tea\r\n<<<<TRANSLATE>>>  Tee\r\nStra\xC3\x9F"
                                     "e\r\n<<<<TRANSLATE>>>  street\r\n");
}

TEST_F(FindBar, f3AndShiftF3_stepThroughTheMatchesAndWrap) {
    find(u"caf"_s); // pairs 0 and 3
    const struct {
        Qt::KeyboardModifiers modifiers;
        qsizetype selected;
    } steps[] = {{Qt::NoModifier, 0},
                 {Qt::NoModifier, 3},
                 {Qt::NoModifier, 0},
                 {Qt::ShiftModifier, 3},
                 {Qt::ShiftModifier, 0}};
    for (const auto& step : steps) {
        key(Qt::Key_F3, step.modifiers);
        EXPECT_EQ(form->ComboBox1->selectedIndex(), step.selected);
        EXPECT_EQ(form->ComboBox2->selectedIndex(), step.selected);
    }
}

TEST_F(FindBar, escape_closesTheBarAndTheWindowIsItsOldSizeAgain) {
    for (const char* counter : {"Off1", "On1"}) {
        trigger(counter);
        const QSize before = clientSize();
        const QRect field = form->ComboBox2->geometry();
        find(u"tea"_s);
        EXPECT_EQ(clientSize().width(), before.width());
        EXPECT_EQ(clientSize().height(), before.height() + results->parentWidget()->height());
        EXPECT_EQ(form->ComboBox2->geometry(), field);
        key(Qt::Key_Escape);
        EXPECT_FALSE(text->isVisible());
        EXPECT_EQ(clientSize(), before) << counter;
    }
}

TEST_F(FindBar, entriesAddedOrRemovedWhileOpen_areFoundOrDropped) {
    find(u"zebra"_s);
    EXPECT_EQ(count->text(), u"No pair found"_s);
    form->ComboBox1->setEditBytes("Zebra crossing");
    form->ComboBox2->setEditBytes("striped");
    trigger("AllField1");
    EXPECT_TRUE(QTest::qWaitFor([this] { return count->text() == u"1 pair"_s; }));
    EXPECT_EQ(rows(), QStringList{u"Zebra crossing | striped"_s});
    form->ComboBox1->select(4);
    form->ComboBox2->select(4);
    trigger("BothFieldActualData1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return count->text() == u"No pair found"_s; }));
}

// The second prompt of a take names the meanings a word typed again already has.
TEST_F(FindBar, takingAWordAgain_showsItsMeaningsUnderTheSecondPrompt) {
    const struct {
        int stored;
        QString line;
    } cases[] = {
        {0, {}},
        {1, u"\nAlready collected: \"m0\""_s},
        {3, u"\nAlready collected: \"m0\", \"m1\", \"m2\""_s},
        {5, u"\nAlready collected: \"m0\", \"m1\", \"m2\" and 2 more"_s},
    };
    for (const auto& c : cases) {
        trigger("Exit1");
        for (int i = 0; i < c.stored; ++i) {
            fill(*form->ComboBox1, {u"other"_s, i % 2 ? u"Apple"_s : u"apple "_s});
            fill(*form->ComboBox2, {u"x"_s, u"m%1"_s.arg(i)});
        }
        dialogs.prompts.clear();
        dialogs.answerOk(u" APPLE"_s);
        dialogs.answerOk(u"new"_s);
        form->SpeedButton1->click();
        ASSERT_EQ(dialogs.prompts.size(), 2u);
        EXPECT_EQ(dialogs.prompts[1].label, u"Field(2)"_s + c.line) << c.stored;
        EXPECT_EQ(dialogs.prompts[1].text, QString());
    }
}

} // namespace
} // namespace quill::test
