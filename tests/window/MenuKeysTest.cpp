#include "window/FormFixture.h"

#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// The menus used as a user does, by keys and by mouse, with the highlighted part of a field
// in place: the menu bar takes the focus from the field and gives it back.
class MenuKeys : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        makeForm();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // "abc" with "bc" highlighted and the caret after "a".
        QTest::keyClicks(QApplication::focusWidget(), u"abc"_s);
        press(Qt::Key_Left, Qt::ShiftModifier);
        press(Qt::Key_Left, Qt::ShiftModifier);
    }
    // Keys go to the open menu, else to the focused widget.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
    }
    static QString activeItem() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->activeAction() ? menu->activeAction()->objectName() : QString();
    }
    // Clicks an item of the open menu.
    void click(const char* name) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << name;
        QAction* action = form->findChild<QAction*>(QLatin1StringView(name));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QLineEdit* edit() const { return form->ComboBox1->lineEdit(); }
};

TEST_F(MenuKeys, fieldCursorByKeysOrMouse_replacesHighlightedPart) {
    const std::function<void()> ways[] = {
        [] {
            press(Qt::Key_T, Qt::AltModifier);
            press(Qt::Key_S);
            EXPECT_EQ(activeItem(), u"Field11"_s);
            press(Qt::Key_Return);
        },
        [this] {
            QMenuBar* bar = form->menuBar();
            QAction* tools = form->findChild<QMenu*>(u"ools1"_s)->menuAction();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(tools).center());
            click("Step1");
            // The submenu opens after a short delay.
            ASSERT_TRUE(QTest::qWaitFor([] {
                const QWidget* popup = QApplication::activePopupWidget();
                return popup && popup->objectName() == u"Step1"_s;
            }));
            click("Field11");
        },
    };
    for (const auto& way : ways) {
        way();
        EXPECT_EQ(form->ComboBox1->editBytes(), "a ");
        EXPECT_EQ(edit()->cursorPosition(), 2);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        form->ComboBox1->setEditBytes("abc");
        edit()->setSelection(3, -2);
    }
}

TEST_F(MenuKeys, menusLeftByEscape_keepHighlightAndCaret) {
    press(Qt::Key_T, Qt::AltModifier);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    EXPECT_TRUE(form->ComboBox1->hasFocus());
    EXPECT_EQ(edit()->selectedText(), u"bc"_s);
    EXPECT_EQ(edit()->cursorPosition(), 1);
}

} // namespace
} // namespace quill::test
