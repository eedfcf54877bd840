#include "dialogs/PromptDialog.h"
#include "window/FormFixture.h"
#include "window/TextContrast.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTextEdit>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// A light theme in the colours the window was drawn for and a dark one with light tool-tips.
QPalette themePalette(bool dark) {
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, const char* colour) {
        palette.setColor(role, QColor(QLatin1StringView(colour)));
    };
    set(QPalette::Window, dark ? "#2a2e32" : "#ece9d8");
    set(QPalette::WindowText, dark ? "#fcfcfc" : "#000000");
    set(QPalette::Base, dark ? "#1b1e20" : "#ffffff");
    set(QPalette::Text, dark ? "#fcfcfc" : "#000000");
    set(QPalette::Button, dark ? "#31363b" : "#ece9d8");
    set(QPalette::ButtonText, dark ? "#fcfcfc" : "#000000");
    set(QPalette::Highlight, dark ? "#3daee9" : "#316ac5");
    set(QPalette::HighlightedText, dark ? "#fcfcfc" : "#ffffff");
    set(QPalette::ToolTipBase, dark ? "#f7f7d0" : "#ffffe1");
    set(QPalette::ToolTipText, "#000000");
    return palette;
}

class DesktopConventions : public FormFixture {
protected:
    void TearDown() override {
        QApplication::setPalette(original);
        FormFixture::TearDown();
    }
    void showAndActivate() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    static void press(QKeyCombination keys) {
        QTest::keyClick(QApplication::focusWidget(), keys.key(), keys.keyboardModifiers());
    }

    QPalette original = QApplication::palette();
};

TEST(TextContrast, ratioAndReadablePair) {
    const QColor black(Qt::black), white(Qt::white), beige(236, 233, 216), grey(0x77, 0x77, 0x77);
    EXPECT_NEAR(contrastRatio(black, white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(white, black), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(beige, beige), 1.0, 1e-9);
    EXPECT_NEAR(contrastRatio(grey, white), 4.48, 0.01);
    const struct {
        ColourPair described, matching, expected;
    } cases[] = {
        {{beige, black}, {grey, white}, {beige, black}},             // reads well: kept
        {{beige, white}, {black, white}, {black, white}},            // the matching pair
        {{beige, white}, {grey, white}, {grey, black}},              // neither: black reads better
        {{beige, white}, {black, QColor(0x333333)}, {black, white}}, // white reads better
    };
    for (const auto& row : cases) {
        const ColourPair chosen = readablePair(row.described, row.matching);
        EXPECT_EQ(chosen.base, row.expected.base);
        EXPECT_EQ(chosen.text, row.expected.text);
    }
}

// Every text against its background, in a light and then a dark theme switched to while the
// window is open.
TEST_F(DesktopConventions, everyTextReads_inLightAndDarkTheme) {
    QApplication::setPalette(themePalette(false));
    makeForm();
    showAndActivate();
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        QApplication::setPalette(themePalette(dark));
        // The window takes the new palette from an event of its own.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return form->palette().color(QPalette::Window) ==
                   themePalette(dark).color(QPalette::Window);
        }));
        const struct {
            const char* what;
            QWidget* control;
            QPalette::ColorRole base, text;
        } texts[] = {
            {"field 1", form->ComboBox1->lineEdit(), QPalette::Base, QPalette::Text},
            {"field 1 button", form->ComboBox1, QPalette::Button, QPalette::ButtonText},
            {"field 2", form->ComboBox2->lineEdit(), QPalette::Base, QPalette::Text},
            {"field 2 button", form->ComboBox2, QPalette::Button, QPalette::ButtonText},
            {"counter", form->StatusBar1, QPalette::Window, QPalette::WindowText},
            {"find bar", form->findChild<QLabel*>(u"FindCount"_s), QPalette::Window,
             QPalette::WindowText},
        };
        for (const auto& row : texts) {
            const QPalette shown = row.control->palette();
            EXPECT_GE(contrastRatio(shown.color(row.base), shown.color(row.text)), 4.5) << row.text;
        }
        // The light theme keeps the window's own look.
        const QColor bar = form->StatusBar1->palette().color(QPalette::Window);
        EXPECT_EQ(bar == QColor(236, 233, 216), !dark);
        if (!dark) {
            EXPECT_EQ(form->ComboBox2->palette().color(QPalette::Text), QColor(Qt::white));
            EXPECT_EQ(form->ComboBox1->palette().color(QPalette::Base), QColor(0xff, 0xff, 0xe1));
        }
    }
}

TEST_F(DesktopConventions, screenReaders_hearWhatEachControlIs) {
    makeForm();
    form->ComboBox1->setEditBytes("apple");
    PromptDialog prompt(u"Data Take"_s, u"Field(1)"_s, u"typed"_s);
    const struct {
        QWidget* control;
        QString name;
    } controls[] = {
        {form->ComboBox1, u"Word or phrase"_s},
        {form->ComboBox1->lineEdit(), u"Word or phrase"_s},
        {form->ComboBox2, u"Meaning"_s},
        {form->RichEdit1, u"Notes"_s},
        {prompt.findChild<QLineEdit*>(), u"Field(1)"_s},
    };
    for (const auto& row : controls) {
        SCOPED_TRACE(row.name.toStdString());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row.control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), row.name);
        EXPECT_FALSE(accessible->text(QAccessible::Description).isEmpty());
    }
    // The prompt's label names its edit box; the captions stay.
    EXPECT_EQ(prompt.findChild<QLabel*>()->buddy(), prompt.findChild<QLineEdit*>());
    EXPECT_EQ(prompt.findChild<QLabel*>()->text(), u"Field(1)"_s);
    EXPECT_EQ(form->ComboBox1->toolTip(), u"Field 1"_s);
}

TEST_F(DesktopConventions, keys_pressTheTakeButtonOnTopAndRunStandardCommands) {
    makeForm();
    showAndActivate();
    press(Qt::CTRL | Qt::Key_Return);
    ASSERT_EQ(dialogs.prompts.size(), 2u);
    EXPECT_EQ(dialogs.prompts[0].caption, u"Data Take"_s);
    trigger("N1");
    press(Qt::CTRL | Qt::Key_Enter);
    ASSERT_EQ(dialogs.prompts.size(), 4u);
    EXPECT_EQ(dialogs.prompts[2].caption, u"New Data Take"_s);

    // Save Fields and Quit take the desktop's keys, shown in their menu entries.
    QFile::remove(path(u"Phrase.log"_s));
    const QKeySequence save = form->findChild<QAction*>(u"SaveFields1"_s)->shortcut();
    const QKeySequence quit = form->findChild<QAction*>(u"Exit2"_s)->shortcut();
    ASSERT_FALSE(save.isEmpty());
    ASSERT_FALSE(quit.isEmpty());
    press(save[0]);
    EXPECT_TRUE(QFile::exists(path(u"Phrase.log"_s)));
    EXPECT_TRUE(form->isVisible());
    press(quit[0]);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace quill::test
