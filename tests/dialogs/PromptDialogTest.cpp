#include "dialogs/PromptDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace quill {
namespace {

using namespace Qt::StringLiterals;

QPushButton* button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// Answers the next prompt as a user would, once it is shown and modal.
class PromptDriver {
public:
    explicit PromptDriver(std::function<void(PromptDialog*)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool answered() const { return answered_; }
    QPointer<PromptDialog> dialog;

private:
    void poll() {
        auto* shown = qobject_cast<PromptDialog*>(QApplication::activeModalWidget());
        if (!shown || !shown->isVisible())
            return;
        timer_.stop();
        dialog = shown;
        answered_ = true;
        answer_(shown);
    }

    std::function<void(PromptDialog*)> answer_;
    QTimer timer_;
    bool answered_ = false;
};

QLineEdit* editOf(PromptDialog* dialog) {
    return dialog->findChild<QLineEdit*>();
}

TEST(PromptDialog, okButton_givesTypedTextAndDestroysDialog) {
    QString title;
    QString prefilled;
    QString highlighted;
    PromptDriver driver([&](PromptDialog* dialog) {
        title = dialog->windowTitle();
        prefilled = editOf(dialog)->text();
        highlighted = editOf(dialog)->selectedText();
        QTest::keyClicks(editOf(dialog), u"new"_s);
        QTest::mouseClick(button(dialog, u"OK"_s), Qt::LeftButton);
    });
    const std::optional<QString> answer =
        PromptDialog::ask(nullptr, u"Data Take"_s, u"Field(1)"_s, u"pre"_s);
    ASSERT_TRUE(driver.answered());
    EXPECT_EQ(title, u"Data Take"_s);
    EXPECT_EQ(prefilled, u"pre"_s);
    EXPECT_EQ(highlighted, u"pre"_s);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, u"new"_s);
    EXPECT_TRUE(driver.dialog.isNull()) << "the dialog must be gone when ask returns";
}

TEST(PromptDialog, enterOnEmptiedText_confirmsEmptyAnswer) {
    PromptDriver driver([](PromptDialog* dialog) {
        QTest::keyClick(editOf(dialog), Qt::Key_Backspace);
        QTest::keyClick(editOf(dialog), Qt::Key_Return);
    });
    const auto answer = PromptDialog::ask(nullptr, u"C"_s, u"L"_s, u"128"_s);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->isEmpty());
}

TEST(PromptDialog, enterKeepsPrefilledText) {
    PromptDriver driver(
        [](PromptDialog* dialog) { QTest::keyClick(editOf(dialog), Qt::Key_Enter); });
    EXPECT_EQ(PromptDialog::ask(nullptr, u"C"_s, u"L"_s, u"1024"_s), std::optional(u"1024"_s));
}

TEST(PromptDialog, enterPressesTheFocusedButton) {
    // Tabs from the edit line: none (Enter means OK), one (OK), two (Cancel).
    const struct {
        int tabs;
        QString focused;
        std::optional<QString> answer;
    } rows[] = {{0, QString(), u"typed"_s}, {1, u"OK"_s, u"typed"_s}, {2, u"Cancel"_s, {}}};
    for (const auto& row : rows) {
        QString focused;
        PromptDriver driver([&](PromptDialog* dialog) {
            // Keys go where the focus is, so the prompt must have it.
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            QTest::keyClicks(editOf(dialog), u"typed"_s);
            for (int i = 0; i < row.tabs; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (auto* pressed = qobject_cast<QPushButton*>(QApplication::focusWidget()))
                focused = pressed->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(PromptDialog::ask(nullptr, u"C"_s, u"L"_s, QString()), row.answer) << row.tabs;
        EXPECT_EQ(focused, row.focused);
    }
}

TEST(PromptDialog, escapeCancelAndCloseBox_giveNoAnswer) {
    const std::vector<std::function<void(PromptDialog*)>> ways = {
        [](PromptDialog* dialog) {
            QTest::keyClicks(editOf(dialog), u"typed"_s);
            QTest::keyClick(editOf(dialog), Qt::Key_Escape);
        },
        [](PromptDialog* dialog) {
            QTest::keyClicks(editOf(dialog), u"typed"_s);
            QTest::mouseClick(button(dialog, u"Cancel"_s), Qt::LeftButton);
        },
        [](PromptDialog* dialog) {
            QTest::keyClicks(editOf(dialog), u"typed"_s);
            dialog->close();
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        PromptDriver driver(ways[i]);
        EXPECT_FALSE(PromptDialog::ask(nullptr, u"C"_s, u"L"_s, u"pre"_s).has_value()) << i;
        EXPECT_TRUE(driver.answered()) << i;
        EXPECT_TRUE(driver.dialog.isNull()) << i;
    }
}

TEST(PromptDialog, typing_stopsAt255Characters) {
    PromptDriver driver([](PromptDialog* dialog) {
        QTest::keyClicks(editOf(dialog), QString(300, u'x'));
        QTest::keyClick(editOf(dialog), Qt::Key_Return);
    });
    const auto answer = PromptDialog::ask(nullptr, u"C"_s, u"L"_s, QString());
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->size(), 255);
}

TEST(PromptDialog, longerPrefilledText_isNotCutAndTakesNoMore) {
    const QString longText(300, u'y');
    PromptDialog dialog(u"C"_s, u"L"_s, longText);
    EXPECT_EQ(dialog.text(), longText);
    editOf(&dialog)->end(false);
    QTest::keyClick(editOf(&dialog), Qt::Key_Z);
    EXPECT_EQ(dialog.text(), longText);
}

TEST(PromptDialog, pastedLines_giveAnAnswerOnOneLine) {
    PromptDriver driver([](PromptDialog* dialog) {
        QGuiApplication::clipboard()->setText(u"one\r\ntwo\nthree"_s);
        QTest::keyClick(editOf(dialog), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(editOf(dialog), Qt::Key_Return);
    });
    EXPECT_EQ(PromptDialog::ask(nullptr, u"C"_s, u"L"_s, QString()),
              std::optional(u"one two three"_s));
}

TEST(PromptDialog, units_roundToNearestPixel) {
    struct Row {
        int averageWidth;
        int height;
        int quarters;
        int eighths;
        int x;
        int y;
    };
    for (const Row row :
         {Row{6, 13, 50, 14, 75, 23}, Row{5, 13, 38, 8, 48, 13}, Row{5, 13, 50, 14, 63, 23},
          Row{7, 16, 164, 14, 287, 28}, Row{6, 12, 180, 5, 270, 8}}) {
        const PromptDialog::Units units{row.averageWidth, row.height};
        EXPECT_EQ(units.x(row.quarters), row.x) << row.averageWidth << "*" << row.quarters;
        EXPECT_EQ(units.y(row.eighths), row.y) << row.height << "*" << row.eighths;
    }
}

TEST(PromptDialog, geometry_followsTheFontsAverageCharacter) {
    PromptDialog dialog(u"Caption"_s, u"How Much ?:"_s, u"128"_s);
    const QFontMetrics metrics(dialog.font());
    const int w =
        metrics.horizontalAdvance(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s) / 52;
    const int h = metrics.height();
    ASSERT_GT(w, 0);
    const auto x = [w](int a) {
        return (a * w * 2 + 4) / 8;
    };
    const auto y = [h](int a) {
        return (a * h * 2 + 8) / 16;
    };

    auto* label = dialog.findChild<QLabel*>();
    QLineEdit* edit = editOf(&dialog);
    QPushButton* ok = button(&dialog, u"OK"_s);
    QPushButton* cancel = button(&dialog, u"Cancel"_s);
    ASSERT_TRUE(label && edit && ok && cancel);

    EXPECT_EQ(label->pos(), QPoint(x(8), y(8)));
    EXPECT_LE(label->width(), x(164));
    EXPECT_EQ(edit->x(), x(8));
    EXPECT_EQ(edit->y(), label->y() + label->height() + 5);
    EXPECT_EQ(edit->width(), x(164));
    for (QPushButton* b : {ok, cancel}) {
        EXPECT_EQ(b->size(), QSize(x(50), y(14)));
        EXPECT_EQ(b->y(), edit->y() + edit->height() + 15);
    }
    EXPECT_EQ(ok->x(), x(38));
    EXPECT_EQ(cancel->x(), x(92));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dialog.size(), QSize(x(180), cancel->y() + cancel->height() + 13));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "the user cannot resize it";
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST(PromptDialog, longLabel_wrapsWithinItsWidthAndPushesEditDown) {
    const QString longLabel = u"a rather long label that cannot fit on one line of the prompt "
                              u"and therefore wraps onto several lines"_s;
    PromptDialog shortOne(u"C"_s, u"L"_s, QString());
    PromptDialog longOne(u"C"_s, longLabel, QString());
    const QFontMetrics metrics(longOne.font());
    auto* label = longOne.findChild<QLabel*>();
    EXPECT_GE(label->height(), 2 * metrics.height());
    EXPECT_GT(editOf(&longOne)->y(), editOf(&shortOne)->y());
    EXPECT_GT(longOne.height(), shortOne.height());
    EXPECT_EQ(longOne.width(), shortOne.width());
}

TEST(PromptDialog, shownPrompt_isCentredOnTheScreen) {
    QPoint centre;
    QPoint screenCentre;
    PromptDriver driver([&](PromptDialog* dialog) {
        centre = dialog->frameGeometry().center();
        screenCentre = dialog->screen()->geometry().center();
        dialog->reject();
    });
    PromptDialog::ask(nullptr, u"C"_s, u"L"_s, QString());
    ASSERT_TRUE(driver.answered());
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}

} // namespace
} // namespace quill
