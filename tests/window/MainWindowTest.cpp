#include "app/WindowIcon.h"
#include "window/CommandTable.h"
#include "window/FormFixture.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class MainWindow : public FormFixture {
protected:
    QSize clientSize() const { return form->centralWidget()->size(); }
    void showAndActivate() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_F(MainWindow, startsWithCaptionSizeAndVisibleControls) {
    makeForm();
    showAndActivate();
    EXPECT_EQ(form->windowTitle(),
              u"Word, Phrase, Slange, Sentence And Meaning Collector & Other... "_s);
    EXPECT_EQ(clientSize(), QSize(593, 81));
    EXPECT_TRUE(form->SpeedButton1->isVisible());
    EXPECT_FALSE(form->SpeedButton2->isVisible());
    EXPECT_FALSE(form->StatusBar1->isVisible());
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == form->ComboBox1 || form->ComboBox1->isAncestorOf(focus));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()); // the user cannot resize it
}

// A build that is not installed finds no icon in the theme and draws the one built in.
TEST(WindowIcon, withoutThemeIcon_drawsTheBuiltInIcon) {
    const QStringList searchPaths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({});
    const QIcon icon = windowIcon();
    QIcon::setThemeSearchPaths(searchPaths);
    EXPECT_EQ(icon.pixmap(64).size(), QSize(64, 64));
    EXPECT_EQ(icon.pixmap(256).size(), QSize(256, 256));
}

TEST_F(MainWindow, counterOnAndOff_growAndShrinkClientArea) {
    makeForm();
    showAndActivate();
    trigger("On1");
    EXPECT_EQ(clientSize(), QSize(593, 110));
    trigger("On1");
    EXPECT_EQ(clientSize(), QSize(593, 110));
    EXPECT_TRUE(form->StatusBar1->isVisible());
    trigger("Off1");
    EXPECT_EQ(clientSize(), QSize(593, 81));
    trigger("Off1");
    EXPECT_EQ(clientSize(), QSize(593, 81));
    // The window frame follows the client area.
    EXPECT_EQ(form->height() - form->menuBar()->height(), 81);
}

TEST_F(MainWindow, counterShownBeforeWindowIsShown_stillSizesClientArea) {
    makeForm();
    trigger("On1");
    form->show();
    EXPECT_EQ(clientSize(), QSize(593, 110));
}

TEST_F(MainWindow, newDataTakeButtonCoversDataTakeButton_andTakesTheClicks) {
    makeForm();
    showAndActivate();
    trigger("N1");
    EXPECT_EQ(clientSize(), QSize(593, 81)); // lies exactly over the other button
    QWidget* client = form->centralWidget();
    EXPECT_EQ(client->childAt(QPoint(300, 60)), form->SpeedButton2);
    QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
    ASSERT_FALSE(dialogs.prompts.empty());
    EXPECT_EQ(dialogs.prompts.front().caption, u"New Data Take"_s);
    // Nothing saved in the new data take mode.
    EXPECT_TRUE(file(u"Phrase.log"_s).isNull());

    trigger("CloseDataTake1");
    EXPECT_EQ(client->childAt(QPoint(300, 60)), form->SpeedButton1);
}

TEST_F(MainWindow, menusFollowCommandTable_captionsNamesAndEnabledStates) {
    makeForm();
    int leaves = 0;
    for (const CommandRow& row : commandTable()) {
        QAction* action = form->findChild<QAction*>(QLatin1StringView(row.name));
        ASSERT_NE(action, nullptr) << row.name;
        EXPECT_EQ(action->text(), QString::fromUtf16(row.caption)) << row.name;
        EXPECT_EQ(action->isEnabled(), row.enabledAtStart) << row.name;
        if (!action->menu())
            ++leaves;
    }
    EXPECT_FALSE(form->findChild<QAction*>(u"CloseEditor1"_s)->isEnabled());
    EXPECT_EQ(form->findChild<QAction*>(u"N3CharacterWords1"_s)->text(),
              u"& 3 Character Words..."_s);
    EXPECT_EQ(form->findChild<QAction*>(u"Other1"_s)->text(),
              u"&Delete All Fields Registration Throughout ..."_s);
    const QList<QAction*> top = form->menuBar()->actions();
    // The three menus of the description, then "&Edit" with the undo and redo of the window and
    // the find bar.
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->text(), u"&File"_s);
    EXPECT_EQ(top[1]->text(), u"&Tools"_s);
    EXPECT_EQ(top[2]->text(), u"&Other"_s);
    EXPECT_EQ(top[3]->text(), u"&Edit"_s);
    // "&Generate" is the last entry of "&Other".
    EXPECT_EQ(top[2]->menu()->actions().last()->objectName(), u"Generate1"_s);
    EXPECT_EQ(leaves, 65);
}

TEST_F(MainWindow, activation_loadsOnlyOnce) {
    writeBytes(path(u"Phrase.log"_s), "one\r\ntwo\r\n");
    writeBytes(path(u"Mean.log"_s), "eins\r\nzwei\r\n");
    makeForm();
    showAndActivate();
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"one"_s, u"two"_s}));
    EXPECT_EQ(form->ComboBox1->editBytes(), "one");
    EXPECT_EQ(form->ComboBox2->editBytes(), "eins");

    trigger("PrimaryField1"); // an unsaved entry
    writeBytes(path(u"Phrase.log"_s), "other\r\n");
    // Another window takes the focus and gives it back: no new load.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"one"_s, u"two"_s, u"one"_s}));
}

TEST_F(MainWindow, shownWithoutActivation_stillLoadsTheFields) {
    writeBytes(path(u"Phrase.log"_s), "one\r\n");
    makeForm();
    form->setAttribute(Qt::WA_ShowWithoutActivating);
    form->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ComboBox1->entries().size() == 1; }));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"one"_s}); // loaded once only
}

TEST_F(MainWindow, quit_closesWithoutAskingOrSaving) {
    makeForm();
    showAndActivate();
    trigger("PrimaryField1");
    trigger("Exit2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(file(u"Phrase.log"_s).isNull());
}

} // namespace
} // namespace quill::test
