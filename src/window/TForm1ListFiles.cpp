#include "core/Failure.h"
#include "fields/FieldCombo.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/TextBuffer.h"
#include "window/FormServices.h"
#include "window/LongWork.h"
#include "window/TForm1.h"
#include "window/UndoCommands.h"
#include "window/WaitCursor.h"

#include <QAbstractButton>
#include <QAction>
#include <QRegularExpression>

#include <optional>
#include <utility>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QString fixedFile(const char16_t* name) {
    return QString::fromUtf16(name);
}

// The menu entry or button that runs the command, as the removal history names it.
QString commandCaption(const QObject* origin) {
    QString caption;
    if (const auto* action = qobject_cast<const QAction*>(origin))
        caption = action->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(origin))
        caption = button->text();
    // "&&" stands for "&" itself; a lone "&" marks the access key.
    return caption.remove(QRegularExpression(u"&(?!&)"_s));
}

} // namespace

void TForm1::FormActivate() {
    // A missing list file is no error at start-up (a new folder): the later steps are skipped.
    // One that exists and cannot be read is reported, before a save could replace it.
    // Conflict copies a sync engine left are merged in (and saved) first, and the temporary
    // files of saves of a window killed before their rename are removed.
    ListPairSync::Loaded lists;
    {
        WaitCursor busy(false);
        lists = listPair_->load([&busy] { busy.show(); }, startedAt_);
    }
    if (!lists.first)
        return;
    ComboBox1->replaceAllEntries(std::move(*lists.first));
    if (!lists.secondFailure.isEmpty())
        throw Failure(lists.secondFailure);
    if (!lists.second)
        return;
    ComboBox2->replaceAllEntries(std::move(*lists.second));
    ComboBox1->select(0);
    ComboBox2->select(0);
}

void TForm1::saveFields() {
    // Both files or neither: a failure before the renames leaves the old pair in place. What
    // other writers saved since this window read the files is merged in, never written over.
    std::optional<MergedPair> merged;
    {
        // Saving millions of entries takes a while even when no other writer holds the folder.
        WaitCursor busy;
        merged = listPair_->save(
            {ComboBox1->entries(), ComboBox2->entries()},
            {ComboBox1->selectedIndex(), ComboBox2->selectedIndex()}, [&busy] { busy.show(); },
            commandCaption(sender()));
    }
    if (merged)
        showMergedLists(*merged);
}

void TForm1::showMergedLists(MergedPair& merged) {
    // Other writers' pairs are no step of this window: an undo keeps them.
    undo_->outside([this, &merged] {
        if (merged.appendsToOurs) {
            // Other writers only appended: their pairs go behind the entries, the rest stays.
            ComboBox1->addEntries(merged.lists.first);
            ComboBox2->addEntries(merged.lists.second);
            return;
        }
        ComboBox1->replaceAllEntries(std::move(merged.lists.first), merged.followed.first);
        ComboBox2->replaceAllEntries(std::move(merged.lists.second), merged.followed.second);
    });
}

void TForm1::SaveFields1Click() {
    saveFields();
}

void TForm1::SaveBoth1Click() {
    LongWork work(*services_.dialogs, u"Save Both Fields Consecutively..."_s);
    // Composed aside: a save cancelled in its progress window leaves the buffer as it was too.
    // Composing the text and writing it are the two halves of the work.
    const auto half = [&work](qint64 first) -> WriteWatcher {
        return [&work, first](qint64 done, qint64 total) {
            work.step(first * total + done, 2 * total);
        };
    };
    TextBuffer both;
    both.setCapacity(Memo1.capacity());
    both.takeText(listText({&ComboBox1->entries(), &ComboBox2->entries()}, half(0)));
    try {
        both.writeToFile(fixedFile(BothFileName), half(1));
    } catch (const WorkCancelled&) {
        throw;
    } catch (...) {
        Memo1 = std::move(both);
        throw;
    }
    Memo1 = std::move(both);
}

void TForm1::SaveActual1Click() {
    Memo1.appendLine(ComboBox1->editBytes());
    Memo1.appendLine("<<<<TRANSLATE>>>  " + ComboBox2->editBytes());
    Memo1.writeToFile(fixedFile(ActualFileName));
}

} // namespace quill
