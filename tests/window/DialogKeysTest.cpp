#include "dialogs/QtDialogs.h"
#include "window/FormFixture.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

using Answer = std::function<void(QWidget* dialog)>;

// Answers the next modal dialogs in turn, each once it is shown and active, through keys sent
// to the widget that has the focus, as a user's keyboard would.
std::shared_ptr<std::size_t> answerModals(std::vector<Answer> answers) {
    auto answered = std::make_shared<std::size_t>(0);
    auto next = std::make_shared<std::function<void()>>();
    *next = [answered, answers, next] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->isVisible() && dialog->isActiveWindow())
            answers[(*answered)++](dialog);
        if (*answered < answers.size())
            QTimer::singleShot(10, *next);
        else
            *next = nullptr; // breaks the cycle once all are answered
    };
    QTimer::singleShot(10, *next);
    return answered;
}

void press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

QString focusedButton() {
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    return button ? button->text() : QString();
}

class DialogKeys : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        services.dialogs = &real;
        makeForm();
        real.setOwner(form.get());
    }
    QtDialogs real;
};

TEST_F(DialogKeys, dataTakeWithEnterOnFocusedCancel_takesNothing) {
    QString focused;
    const auto answered = answerModals({
        [&](QWidget*) {
            QTest::keyClicks(QApplication::focusWidget(), u"unwanted"_s);
            press(Qt::Key_Tab);
            press(Qt::Key_Tab);
            focused = focusedButton();
            press(Qt::Key_Return);
        },
        [](QWidget*) { press(Qt::Key_Escape); },
    });
    form->SpeedButton1->click();
    EXPECT_EQ(*answered, 2u);
    EXPECT_EQ(focused, u"Cancel"_s);
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_EQ(file(u"Phrase.log"_s), QByteArray(""));
}

TEST_F(DialogKeys, messageBoxes_pressFocusedButtonAndShowMarkupAsText) {
    const QString markup = u"Cannot create file \"/tmp/<b>notes</b>/Phrase.log\"."_s;
    const struct {
        int tabs;
        bool ok;
    } rows[] = {{0, true}, {1, false}};
    for (const auto& row : rows) {
        Qt::TextFormat format = Qt::AutoText;
        answerModals({[&](QWidget* box) {
            format = box->findChild<QLabel*>(u"qt_msgbox_label"_s)->textFormat();
            for (int i = 0; i < row.tabs; ++i)
                press(Qt::Key_Tab);
            press(Qt::Key_Return);
        }});
        EXPECT_EQ(real.askOkCancel(markup, u"Title"_s), row.ok) << row.tabs;
        EXPECT_EQ(format, Qt::PlainText);
    }

    Qt::TextFormat format = Qt::AutoText;
    const auto answered = answerModals({[&](QWidget* box) {
        format = box->findChild<QLabel*>(u"qt_msgbox_label"_s)->textFormat();
        press(Qt::Key_Return);
    }});
    real.reportFailure(markup, u"Title"_s);
    EXPECT_EQ(*answered, 1u);
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
} // namespace quill::test
