#include "fields/FieldCombo.h"
#include "core/ByteText.h"
#include "core/Failure.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace quill {
namespace {

using namespace Qt::StringLiterals;

class FieldComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        field_ = new FieldCombo(window_.get());
        field_->setGeometry(0, 0, 300, 25);
        other_ = new FieldCombo(window_.get());
        other_->setGeometry(0, 30, 300, 25);
        window_->resize(300, 60);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        field_->setFocus(Qt::OtherFocusReason);
        changed_ = std::make_unique<QSignalSpy>(field_, &FieldCombo::fieldChanged);
    }

    void fill(FieldCombo* field, std::initializer_list<const char*> entries) {
        for (const char* e : entries)
            field->addEntry(QByteArrayView(e));
    }

    QString shown(FieldCombo* field) const { return field->lineEdit()->text(); }
    QString highlighted(FieldCombo* field) const { return field->lineEdit()->selectedText(); }

    std::unique_ptr<QWidget> window_;
    FieldCombo* field_ = nullptr;
    FieldCombo* other_ = nullptr;
    std::unique_ptr<QSignalSpy> changed_;
};

TEST_F(FieldComboTest, typing_completesFirstMatchWithHighlightedRestAndSelectsIt) {
    fill(field_, {"zebra", "Apple", "apricot", "apple"});
    QTest::keyClick(field_, Qt::Key_A);
    EXPECT_EQ(shown(field_), u"apple"_s);
    EXPECT_EQ(highlighted(field_), u"pple"_s);
    EXPECT_EQ(field_->selectedIndex(), 1);
    QTest::keyClick(field_, Qt::Key_P);
    EXPECT_EQ(shown(field_), u"apple"_s);
    EXPECT_EQ(highlighted(field_), u"ple"_s);
    QTest::keyClick(field_, Qt::Key_R);
    EXPECT_EQ(shown(field_), u"apricot"_s);
    EXPECT_EQ(highlighted(field_), u"icot"_s);
    EXPECT_EQ(field_->selectedIndex(), 2);
    EXPECT_EQ(changed_->count(), 3);
    EXPECT_FALSE(field_->view()->isVisible()) << "typing must not open the list";
}

TEST_F(FieldComboTest, typingOtherCase_keepsTypedLettersAndAddsEntryRest) {
    fill(field_, {"apple"});
    QTest::keyClicks(field_->lineEdit(), u"APP"_s);
    EXPECT_EQ(shown(field_), u"APPle"_s);
    EXPECT_EQ(highlighted(field_), u"le"_s);
    EXPECT_EQ(field_->selectedIndex(), 0);
}

TEST_F(FieldComboTest, typingWithoutMatch_leavesNoEntrySelectedAndRunsChange) {
    fill(field_, {"apple"});
    field_->select(0);
    field_->lineEdit()->end(false);
    QTest::keyClicks(field_, u"s"_s);
    EXPECT_EQ(shown(field_), u"apples"_s);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(changed_->count(), 1);
}

TEST_F(FieldComboTest, typingWholeEntry_selectsItWithNothingHighlighted) {
    fill(field_, {"ab", "abc"});
    QTest::keyClicks(field_, u"abc"_s);
    EXPECT_EQ(shown(field_), u"abc"_s);
    EXPECT_EQ(field_->selectedIndex(), 1);
    EXPECT_TRUE(highlighted(field_).isEmpty());
}

TEST_F(FieldComboTest, backspace_removesHighlightedRestAndDeselects) {
    fill(field_, {"apple"});
    QTest::keyClicks(field_, u"ap"_s);
    ASSERT_EQ(field_->selectedIndex(), 0);
    changed_->clear();
    QTest::keyClick(field_, Qt::Key_Backspace);
    EXPECT_EQ(shown(field_), u"ap"_s);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(changed_->count(), 1);
    QTest::keyClick(field_, Qt::Key_Backspace);
    EXPECT_EQ(shown(field_), u"a"_s);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(changed_->count(), 2);
}

TEST_F(FieldComboTest, arrowKeys_pickEntriesCopyTextAndRunChange) {
    fill(field_, {"one", "two", "three"});
    QTest::keyClick(field_, Qt::Key_Down);
    EXPECT_EQ(field_->selectedIndex(), 0);
    EXPECT_EQ(shown(field_), u"one"_s);
    QTest::keyClick(field_, Qt::Key_Down);
    QTest::keyClick(field_, Qt::Key_Down);
    EXPECT_EQ(field_->selectedIndex(), 2);
    EXPECT_EQ(shown(field_), u"three"_s);
    QTest::keyClick(field_, Qt::Key_Up);
    EXPECT_EQ(shown(field_), u"two"_s);
    EXPECT_EQ(changed_->count(), 4);
}

TEST_F(FieldComboTest, pickingFromOpenList_selectsEntryCopiesTextAndRunsChange) {
    fill(field_, {"one", "two", "three"});
    field_->setEditBytes("typed");
    field_->showPopup();
    QAbstractItemView* view = field_->view();
    ASSERT_TRUE(view->isVisible());
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(field_->selectedIndex(), 1);
    EXPECT_EQ(shown(field_), u"two"_s);
    EXPECT_EQ(changed_->count(), 1);
}

TEST_F(FieldComboTest, openList_isAsWideAsFieldAndShowsAtMostEightRows) {
    struct Row {
        int entries;
        int visibleRows;
    };
    for (const Row row : {Row{1, 1}, Row{3, 3}, Row{8, 8}, Row{20, 8}}) {
        field_->clearField();
        for (int i = 0; i < row.entries; ++i)
            field_->addEntry(QByteArray::number(i));
        field_->showPopup();
        QAbstractItemView* view = field_->view();
        ASSERT_TRUE(view->isVisible());
        EXPECT_EQ(view->window()->width(), field_->width()) << row.entries;
        const int rowHeight = view->sizeHintForRow(0);
        ASSERT_GT(rowHeight, 0);
        EXPECT_EQ(view->viewport()->height() / rowHeight, row.visibleRows) << row.entries;
        EXPECT_EQ(view->verticalScrollBar()->isVisible(), row.entries > 8) << row.entries;
        field_->hidePopup();
    }
}

TEST_F(FieldComboTest, openListOfManyEntries_keysMoveTheCurrentRowAndKeepItShown) {
    EntryList many;
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(many.append(QByteArray::number(i)));
    field_->addEntries(many);
    field_->showPopup();
    QAbstractItemView* view = field_->view();
    ASSERT_TRUE(view->isVisible());
    struct Step {
        Qt::Key key;
        int row;
    };
    for (const Step step :
         {Step{Qt::Key_End, 999}, Step{Qt::Key_PageUp, 991}, Step{Qt::Key_Up, 990},
          Step{Qt::Key_Home, 0}, Step{Qt::Key_PageDown, 8}}) {
        QTest::keyClick(view, step.key);
        EXPECT_EQ(view->currentIndex().row(), step.row) << step.row;
        const QRect shownRow = view->visualRect(view->currentIndex());
        EXPECT_TRUE(view->viewport()->rect().contains(shownRow)) << step.row;
        EXPECT_EQ(view->indexAt(shownRow.center()), view->currentIndex()) << step.row;
    }
    field_->hidePopup();
}

TEST_F(FieldComboTest, itemHeight_setsEveryRowOfTheOpenList) {
    fill(field_, {"one", "two", "three"});
    field_->setItemHeight(17);
    field_->showPopup();
    QAbstractItemView* view = field_->view();
    ASSERT_TRUE(view->isVisible());
    for (int row = 0; row < 3; ++row) {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        EXPECT_EQ(rect.height(), 17) << row;
        EXPECT_EQ(rect.top(), 17 * row) << row;
        EXPECT_GE(rect.width(), view->viewport()->width() - 1) << row;
    }
    field_->hidePopup();
}

TEST_F(FieldComboTest, select_copiesEntryTextWithoutRunningChange) {
    fill(field_, {"one", "two"});
    field_->select(1);
    EXPECT_EQ(field_->selectedIndex(), 1);
    EXPECT_EQ(shown(field_), u"two"_s);
    field_->select(0);
    EXPECT_EQ(shown(field_), u"one"_s);
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, selectSameIndex_leavesEditedTextAlone) {
    fill(field_, {"one", "two"});
    field_->select(1);
    field_->setEditBytes("edited");
    field_->select(1);
    EXPECT_EQ(shown(field_), u"edited"_s);
    field_->select(-1);
    field_->setEditBytes("kept");
    field_->select(-1);
    EXPECT_EQ(shown(field_), u"kept"_s);
}

TEST_F(FieldComboTest, selectMissingIndex_leavesNothingSelectedAndEmptiesText) {
    fill(field_, {"one", "two"});
    for (const qsizetype index : {qsizetype(-1), qsizetype(2), qsizetype(99)}) {
        field_->select(0);
        field_->select(index);
        EXPECT_EQ(field_->selectedIndex(), -1) << index;
        EXPECT_TRUE(shown(field_).isEmpty()) << index;
    }
    field_->setEditBytes("typed");
    field_->select(5); // differs from -1: the text goes too
    EXPECT_TRUE(shown(field_).isEmpty());
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, addEntry_appendsAndKeepsSelectionAndEditText) {
    field_->setEditBytes("typed");
    field_->addEntry("first");
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(shown(field_), u"typed"_s);
    field_->select(0);
    field_->setEditBytes("changed");
    field_->addEntry("second");
    field_->addEntry("second");
    EXPECT_EQ(field_->selectedIndex(), 0);
    EXPECT_EQ(shown(field_), u"changed"_s);
    ASSERT_EQ(field_->entries().size(), 3);
    EXPECT_EQ(field_->entries().at(2), "second");
    EXPECT_EQ(field_->count(), 3);
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, addEntry_keepsHighlightAndCaret) {
    field_->setEditBytes("abcdef");
    field_->lineEdit()->setSelection(1, 2);
    field_->addEntry("x");
    EXPECT_EQ(highlighted(field_), u"bc"_s);
}

TEST_F(FieldComboTest, addEntryRefused_throwsInsertFailureAndKeepsList) {
    field_->setFootprintLimit(16);
    field_->addEntry("abcd");
    try {
        field_->addEntry("abcdefgh");
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), u"Unable to insert a line"_s);
    }
    ASSERT_EQ(field_->entries().size(), 1);
    EXPECT_EQ(field_->count(), 1);
}

TEST_F(FieldComboTest, addEntries_insertsInOneStep) {
    fill(field_, {"a"});
    QSignalSpy inserted(field_->model(), &QAbstractItemModel::rowsInserted);
    EntryList more;
    for (int i = 0; i < 1000; ++i)
        more.append(QByteArray::number(i));
    field_->addEntries(more);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(field_->count(), 1001);
    EXPECT_EQ(field_->entries().at(1000), "999");
    EXPECT_EQ(field_->selectedIndex(), -1);
}

TEST_F(FieldComboTest, addEntriesPastLimit_keepsThoseThatFitThenThrows) {
    const qsizetype offset = sizeof(EntryList::Offset);
    field_->setFootprintLimit(3 * (2 + offset));
    EntryList more;
    for (const char* e : {"aa", "bb", "cc", "dd", "ee"})
        more.append(e);
    EXPECT_THROW(field_->addEntries(more), Failure);
    ASSERT_EQ(field_->count(), 3);
    EXPECT_EQ(field_->entries().at(2), "cc");
}

TEST_F(FieldComboTest, deleteEntry_movesLaterEntriesUpAndKeepsEditText) {
    fill(field_, {"a", "b", "c", "d"});
    field_->select(2);
    field_->deleteEntry(0);
    EXPECT_EQ(field_->selectedIndex(), 1) << "the selected entry moves up with the list";
    EXPECT_EQ(shown(field_), u"c"_s);
    field_->deleteEntry(1);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(shown(field_), u"c"_s);
    ASSERT_EQ(field_->entries().size(), 2);
    EXPECT_EQ(field_->entries().at(0), "b");
    EXPECT_EQ(field_->entries().at(1), "d");
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, deleteMissingIndex_changesNothing) {
    fill(field_, {"a", "b"});
    field_->select(1);
    for (const qsizetype index : {qsizetype(-1), qsizetype(2), qsizetype(1000)})
        field_->deleteEntry(index);
    EXPECT_EQ(field_->count(), 2);
    EXPECT_EQ(field_->selectedIndex(), 1);
    EXPECT_EQ(shown(field_), u"b"_s);
}

TEST_F(FieldComboTest, deleteOnlyEntry_keepsEditText) {
    fill(field_, {"only"});
    field_->select(0);
    field_->deleteEntry(0);
    EXPECT_EQ(field_->count(), 0);
    EXPECT_EQ(shown(field_), u"only"_s);
    EXPECT_EQ(field_->selectedIndex(), -1);
}

TEST_F(FieldComboTest, clearField_removesEntriesTextAndSelection) {
    fill(field_, {"a", "b"});
    field_->select(1);
    field_->clearField();
    EXPECT_EQ(field_->count(), 0);
    EXPECT_TRUE(field_->entries().empty());
    EXPECT_TRUE(shown(field_).isEmpty());
    EXPECT_EQ(field_->selectedIndex(), -1);
    fill(field_, {"c"});
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_TRUE(shown(field_).isEmpty());
}

TEST_F(FieldComboTest, replaceTextSelection_insertsAtCaretOrReplacesHighlight) {
    field_->setEditBytes("abc");
    field_->lineEdit()->setCursorPosition(1);
    field_->replaceTextSelection(u" "_s);
    EXPECT_EQ(shown(field_), u"a bc"_s);
    EXPECT_EQ(field_->lineEdit()->cursorPosition(), 2);

    field_->setEditBytes("abc");
    field_->lineEdit()->setSelection(1, 2);
    field_->replaceTextSelection(u" "_s);
    EXPECT_EQ(shown(field_), u"a "_s);
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, replaceTextSelection_usesHighlightKeptWhileOtherFieldHasFocus) {
    field_->setEditBytes("abcdef");
    field_->lineEdit()->setSelection(2, 3);
    other_->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(other_->hasFocus());
    other_->setEditBytes("xyz");
    other_->lineEdit()->setCursorPosition(0);
    field_->replaceTextSelection(u" "_s);
    other_->replaceTextSelection(u" "_s);
    EXPECT_EQ(shown(field_), u"ab f"_s);
    EXPECT_EQ(shown(other_), u" xyz"_s);
}

TEST_F(FieldComboTest, replaceTextSelection_afterCompletion_replacesCompletedRest) {
    fill(field_, {"apple"});
    QTest::keyClicks(field_, u"ap"_s);
    other_->setFocus(Qt::TabFocusReason);
    field_->replaceTextSelection(u" "_s);
    EXPECT_EQ(shown(field_), u"ap "_s);
}

TEST_F(FieldComboTest, pastingSeveralLines_keepsEditTextOnOneLine) {
    // A line break or NUL in the edit text would become extra lines of the list file.
    field_->setEditBytes("ab");
    field_->lineEdit()->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(u"x\r\ny\nz\r"_s + QChar(0) + u"w"_s);
    QTest::keyClick(field_->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shown(field_), u"ax y z  wb"_s);
    // A byte 0 of an entry shows as the sign U+2400 and stays a byte 0; so does a typed sign.
    field_->setEditBytes(QByteArray("p\nq\0r", 5));
    EXPECT_EQ(field_->editBytes(), QByteArray("p q\0r", 5));
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(NulSign)));
    QApplication::sendEvent(field_->lineEdit(), &typed);
    EXPECT_EQ(field_->editBytes(), QByteArray("p q\0r\0", 6));
}

TEST_F(FieldComboTest, editBytes_keepBytesThatAreNotUtf8) {
    const QByteArray raw("caf\xE9 \xC3\xA9", 7);
    field_->setEditBytes(raw);
    EXPECT_EQ(field_->editBytes(), raw);
    field_->addEntry(raw);
    field_->select(0);
    EXPECT_EQ(field_->editBytes(), raw);
}

TEST_F(FieldComboTest, setEditBytes_keepsEntriesAndSelection) {
    fill(field_, {"a", "b"});
    field_->select(1);
    field_->setEditBytes("new text");
    EXPECT_EQ(field_->selectedIndex(), 1);
    EXPECT_EQ(field_->count(), 2);
    EXPECT_EQ(field_->editBytes(), "new text");
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, replaceAllEntries_keepsEditTextAndSelectsNothing) {
    fill(field_, {"a", "b"});
    field_->select(1);
    EntryList loaded;
    for (const char* e : {"x", "y", "z"})
        loaded.append(e);
    field_->replaceAllEntries(loaded);
    EXPECT_EQ(field_->entries(), loaded);
    EXPECT_EQ(field_->count(), 3);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(shown(field_), u"b"_s);
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, returnAndLeavingField_doNotPickTheEntryNamedByTheText) {
    fill(field_, {"one", "two"});
    field_->setEditBytes("two");
    QTest::keyClick(field_, Qt::Key_Return);
    other_->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field_->selectedIndex(), -1);
    EXPECT_EQ(shown(field_), u"two"_s);
    EXPECT_EQ(changed_->count(), 0);
}

TEST_F(FieldComboTest, typingAfterCommandsChangedList_completesAgainstCurrentEntries) {
    fill(field_, {"alpha", "beta"});
    field_->deleteEntry(0);
    field_->addEntry("alps");
    QTest::keyClicks(field_, u"al"_s);
    EXPECT_EQ(shown(field_), u"alps"_s);
    EXPECT_EQ(field_->selectedIndex(), 1);
}

} // namespace
} // namespace quill
