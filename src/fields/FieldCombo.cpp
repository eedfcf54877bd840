#include "fields/FieldCombo.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "fields/EntryListView.h"
#include "fields/EntryModel.h"
#include "fields/FieldAccessible.h"
#include "fields/FieldLineEdit.h"

namespace quill {

using namespace Qt::StringLiterals;

namespace {

const QString insertFailure = u"Unable to insert a line"_s;

} // namespace

FieldCombo::FieldCombo(QWidget* parent)
    : QComboBox(parent), model_(new EntryModel(this)), edit_(new FieldLineEdit(this)) {
    static const bool accessible = (QAccessible::installFactory(&FieldAccessible::create), true);
    Q_UNUSED(accessible);
    setLineEdit(edit_);
    // Completion is the field's own (first entry in list order, any letter case); the default
    // completer would also keep a second index over every entry. The edit line deletes the
    // completer it owns.
    setCompleter(nullptr);
    // On Return and on leaving the field the combo box would search all entries for the edit
    // text and pick it on its own; a field changes its selection only when the user picks.
    disconnect(edit_, &QLineEdit::returnPressed, this, nullptr);
    disconnect(edit_, &QLineEdit::editingFinished, this, nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);

    setView(new EntryListView(this));
    setModel(model_);
    // Size from a minimum text length, never from measuring a million entries.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMaxVisibleItems(8);
    QComboBox::setCurrentIndex(-1);

    connect(this, &QComboBox::activated, this, &FieldCombo::onPicked);
    connect(edit_, &QLineEdit::textEdited, this, &FieldCombo::onTextEdited);
}

const EntryList& FieldCombo::entries() const {
    return model_->entries();
}

bool FieldCombo::completionIndexed() const {
    return model_->indexComplete();
}

qsizetype FieldCombo::selectedIndex() const {
    return currentIndex();
}

FieldCombo::EditState FieldCombo::editState() const {
    const FieldLineEdit::Selection selection = edit_->keptSelection();
    return {edit_->text(), selection.start, selection.length};
}

void FieldCombo::selectKeeping(qsizetype index, const EditState& state) {
    bool rewritten = false;
    if (currentIndex() != index) {
        // The combo box shows the newly selected entry's text; put the edit text back.
        QComboBox::setCurrentIndex(int(index));
        rewritten = true;
    }
    if (edit_->text() != state.text) {
        edit_->setText(state.text);
        rewritten = true;
    }
    if (rewritten)
        edit_->restoreSelection({state.start, state.length});
}

void FieldCombo::addEntry(QByteArrayView entry) {
    const EditState state = editState();
    const qsizetype selected = selectedIndex();
    if (!model_->append(entry))
        throw Failure(insertFailure);
    // A combo box selects the first entry added to an empty list; a field does not.
    selectKeeping(selected, state);
}

void FieldCombo::addEntries(const EntryList& more) {
    const EditState state = editState();
    const qsizetype selected = selectedIndex();
    const qsizetype added = model_->append(more);
    selectKeeping(selected, state);
    if (added < more.size())
        throw Failure(insertFailure);
}

void FieldCombo::deleteEntry(qsizetype index) {
    if (index < 0 || index >= count())
        return;
    const EditState state = editState();
    qsizetype selected = selectedIndex();
    // Entries behind the deleted one move up, and so does the selection. A deleted selected
    // entry leaves nothing selected: the edit text no longer stands for any entry.
    if (selected == index)
        selected = -1;
    else if (selected > index)
        --selected;
    model_->remove(index);
    selectKeeping(selected, state);
}

void FieldCombo::clearField() {
    model_->clear();
    QComboBox::setCurrentIndex(-1);
    edit_->clear();
}

void FieldCombo::select(qsizetype index) {
    if (index == selectedIndex())
        return;
    if (index < 0 || index >= count()) {
        QComboBox::setCurrentIndex(-1);
        edit_->clear();
        return;
    }
    QComboBox::setCurrentIndex(int(index));
    const QString text = itemText(int(index));
    if (edit_->text() != text)
        edit_->setText(text);
}

void FieldCombo::replaceTextSelection(const QString& text) {
    const FieldLineEdit::Selection selection = edit_->keptSelection();
    QString edited = edit_->text();
    const int start = std::clamp(selection.start, 0, int(edited.size()));
    const int length = std::clamp(selection.length, 0, int(edited.size()) - start);
    edited.replace(start, length, text);
    edit_->setText(edited);
    edit_->restoreSelection({int(start + text.size()), 0});
}

QByteArray FieldCombo::editBytes() const {
    return storedBytes(edit_->text());
}

void FieldCombo::setEditBytes(QByteArrayView text) {
    edit_->setText(displayText(text));
}

void FieldCombo::replaceAllEntries(EntryList entries, qsizetype selected) {
    const EditState state = editState();
    model_->replaceAll(std::move(entries));
    selectKeeping(selected, state);
}

void FieldCombo::showState(const EntryList& entries, qsizetype selected, const QString& editText) {
    if (!model_->entries().sharesAll(entries))
        model_->replaceAll(entries);
    selectKeeping(selected, {editText, int(editText.size()), 0});
}

void FieldCombo::setFootprintLimit(qsizetype bytes) {
    model_->setFootprintLimit(bytes);
}

void FieldCombo::setItemHeight(int pixels) {
    model_->setItemHeight(pixels);
}

void FieldCombo::onPicked(int /*index*/) {
    // The combo box has already selected the entry and copied its text.
    Q_EMIT fieldChanged();
}

void FieldCombo::onTextEdited(const QString& text) {
    if (completing_)
        return;
    const int caret = edit_->cursorPosition();
    // Completion follows a typed character at the end of the text; any other edit (Backspace,
    // Delete, cut, paste, typing inside the text) leaves no entry selected.
    const qsizetype found =
        edit_->typing() && caret == text.size() && !text.isEmpty() ? model_->findPrefix(text) : -1;
    completing_ = true;
    if (found >= 0) {
        const QString entry = displayText(entries().at(found));
        const QString completed = text + entry.mid(text.size());
        if (currentIndex() != found)
            QComboBox::setCurrentIndex(int(found));
        if (edit_->text() != completed)
            edit_->setText(completed);
        edit_->setSelection(int(text.size()), int(completed.size() - text.size()));
    } else {
        selectKeeping(-1, {text, caret, 0});
    }
    completing_ = false;
    Q_EMIT fieldChanged();
}

} // namespace quill
