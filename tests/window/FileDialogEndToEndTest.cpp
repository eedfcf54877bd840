#include "dialogs/QtDialogs.h"
#include "dialogs/QtFileDialog.h"
#include "window/FormFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QTextEdit>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

// What a real file dialog showed when it came up.
struct Showing {
    QString name;    // the dialog's object name
    QString nameBox; // the text of its file name box
    QString folder;  // the folder it shows
    QString filter;  // the selected filter entry
    QPoint position; // the top left corner of its frame
    QPoint expected; // where the placement rule puts it
};

// Qt's own file dialog keeps its state in the user's settings; the suite gets a home of its own.
class FileDialogEndToEnd : public FormFixture {
protected:
    static void SetUpTestSuite() {
        home = new QTemporaryDir;
        qputenv("HOME", QFile::encodeName(home->path()));
    }
    static void TearDownTestSuite() { delete home; }

    void SetUp() override {
        FormFixture::SetUp();
        services.dialogs = &real;
        makeForm();
        real.setOwner(form.get());
        form->show();
        fill(*form->ComboBox1, {u"p1"_s});
        fill(*form->ComboBox2, {u"m1"_s});
    }

    // Answers the next real file dialogs as a user would: a reply is typed into the name box as
    // it comes up, then Return; an empty reply presses Return on what the box holds; a null
    // reply presses Esc. `pick` may choose a filter entry first.
    std::shared_ptr<std::vector<Showing>> answer(QStringList replies, int pick = 0) {
        auto shown = std::make_shared<std::vector<Showing>>();
        auto next = std::make_shared<std::function<void()>>();
        *next = [this, shown, replies, next, pick] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) {
                QTimer::singleShot(10, *next);
                return;
            }
            auto* box = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            const QRect monitor = form->screen()->geometry();
            shown->push_back({dialog->objectName(), box->text(), dialog->directory().path(),
                              dialog->selectedNameFilter(), dialog->frameGeometry().topLeft(),
                              fileDialogPosition(monitor, dialog->frameGeometry().size())});
            const QString reply = replies[qsizetype(shown->size()) - 1];
            if (pick > 0)
                dialog->findChild<QComboBox*>(u"fileTypeCombo"_s)->setCurrentIndex(pick - 1);
            QApplication::setActiveWindow(dialog);
            box->setFocus();
            if (reply.isNull()) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else {
                fprintf(stderr, "box '%s' selected '%s'\n", qPrintable(box->text()),
                        qPrintable(box->selectedText()));
                if (!reply.isEmpty())
                    QTest::keyClicks(box, reply);
                fprintf(stderr, "after '%s'\n", qPrintable(box->text()));
                QTest::keyClick(box, Qt::Key_Return);
            }
            if (qsizetype(shown->size()) < replies.size())
                QTimer::singleShot(10, *next);
            else
                *next = nullptr; // breaks the cycle once all replies are given
        };
        QTimer::singleShot(10, *next);
        return shown;
    }
    QString canonical(const QString& name) const {
        return QDir(dir.path()).canonicalPath() + u'/' + name;
    }

    static inline QTemporaryDir* home = nullptr;
    QtDialogs real;
};

// Qt's own dialog is placed by the rule, and a confirmed name starts the next showing.
TEST_F(FileDialogEndToEnd, typedPathAndReturn_openListFillsFieldAndSecondShowingStartsThere) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
    writeBytes(canonical(u"sub/list.lst"_s), "x\r\ny\r\n");
    auto shown = answer({canonical(u"sub/list.lst"_s)});
    trigger("OpenList1");
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"x"_s, u"y"_s}));
    EXPECT_EQ(QDir::currentPath(), canonical(u"sub"_s));

    shown = answer({QString()}); // Esc
    trigger("OpenList1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->at(0).name, u"OpenDialog1"_s);
    EXPECT_EQ(shown->at(0).nameBox, u"list.lst"_s);
    EXPECT_EQ(shown->at(0).folder, canonical(u"sub"_s));
    EXPECT_EQ(shown->at(0).position, shown->at(0).expected);
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"x"_s, u"y"_s}));
}

TEST_F(FileDialogEndToEnd, openPairWithReturnOnSecondShowing_readsSameFileIntoBothFields) {
    writeBytes(canonical(u"pair.log"_s), "s\r\n");
    auto shown = answer({canonical(u"pair.log"_s), u""_s});
    trigger("Open1");
    ASSERT_EQ(shown->size(), 2u);
    EXPECT_EQ(shown->at(1).nameBox, u"pair.log"_s);
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"s"_s});
    EXPECT_EQ(texts(*form->ComboBox2), QStringList{u"s"_s});
}

TEST_F(FileDialogEndToEnd, saveWithChosenFilterAndNameWithoutExtension_remembersBoth) {
    auto shown = answer({canonical(u"plain"_s)}, 3);
    trigger("SaveListOtherName1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->at(0).filter, u"List Files... (*.lst)"_s);
    // The typed name gets the first pattern's extension of the stored default.
    EXPECT_EQ(fileBytes(canonical(u"plain.log"_s)), "p1\r\n");

    // Return on the remembered name replaces the file without a question.
    form->ComboBox1->addEntry("p2");
    shown = answer({u""_s});
    trigger("SaveListOtherName1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->at(0).filter, u"Text File (*.txt)"_s);
    EXPECT_EQ(shown->at(0).nameBox, u"plain.log"_s);
    EXPECT_EQ(fileBytes(canonical(u"plain.log"_s)), "p1\r\np2\r\n");
}

TEST_F(FileDialogEndToEnd, typedNameOfMissingFile_isAcceptedAndKeepsPrimaryField) {
    auto shown = answer({canonical(u"missing.lst"_s)});
    trigger("OpenList1");
    EXPECT_EQ(shown->size(), 1u);
    // No message box stopped the command, and the unsaved entry is still there.
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"p1"_s});
}

// A typed name without an extension opens that file when it exists; the default extension
// would name another file.
TEST_F(FileDialogEndToEnd, typedExistingNameWithoutExtension_opensThatFile) {
    writeBytes(canonical(u"plainlist"_s), "x\r\ny\r\n");
    writeBytes(canonical(u"README"_s), "read me");
    auto shown = answer({canonical(u"plainlist"_s)});
    trigger("OpenList1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"x"_s, u"y"_s}));

    shown = answer({canonical(u"README"_s)});
    trigger("OpenAs1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(form->RichEdit1->toPlainText(), u"read me"_s);
}

// The second showing starts with the first file's name; a typed full path of another existing
// file replaces it and Return opens that file.
TEST_F(FileDialogEndToEnd, secondNotesOpenWithTypedFullPath_opensThatFile) {
    writeBytes(canonical(u"first.txt"_s), "first");
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub"_s));
    writeBytes(canonical(u"sub/second.txt"_s), "second");
    for (const QString& name : {u"first.txt"_s, u"sub/second.txt"_s, u"first.txt"_s}) {
        SCOPED_TRACE(name.toStdString());
        auto shown = answer({canonical(name)});
        trigger("OpenAs1");
        ASSERT_EQ(shown->size(), 1u);
        EXPECT_EQ(form->RichEdit1->toPlainText(), QString::fromUtf8(fileBytes(canonical(name))));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(FileDialogEndToEnd, notesSavedUnderNameWithoutExtension_getRtf) {
    auto shown = answer({canonical(u"notes"_s)});
    trigger("SaveAs1");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->at(0).name, u"SaveDialog2"_s);
    EXPECT_TRUE(fileBytes(canonical(u"notes.rtf"_s)).startsWith("{\\rtf1"));
}

} // namespace
} // namespace quill::test
