#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QComboBox>

namespace quill {

class EntryModel;
class FieldLineEdit;

// One editable drop-down field: its entries, edit text and selected index, with the field list
// operations every command uses. Only the user's own actions (picking an entry, typing) emit
// fieldChanged(); the operations below never do.
class FieldCombo : public QComboBox {
    Q_OBJECT
public:
    explicit FieldCombo(QWidget* parent = nullptr);

    const EntryList& entries() const;
    qsizetype selectedIndex() const;
    // True when completion no longer scans any entry (the index is built in the background).
    bool completionIndexed() const;

    // Throws Failure("Unable to insert a line") when the field refuses the entry.
    void addEntry(QByteArrayView entry);
    // Appends as many entries of `more` as the field takes, in one step; throws
    // Failure("Unable to insert a line") after appending those that fit if not all did.
    void addEntries(const EntryList& more);
    void deleteEntry(qsizetype index);
    void clearField();
    void select(qsizetype index);
    void replaceTextSelection(const QString& text);
    QByteArray editBytes() const;
    void setEditBytes(QByteArrayView text);
    // Keeps the edit text; `selected` becomes the selected entry (-1: none).
    void replaceAllEntries(EntryList entries, qsizetype selected = -1);
    // Shows what the field held at an earlier moment: the entries (a list the field still holds
    // is kept as it is, the view not reset), the selected entry and the edit text, the caret at
    // its end.
    void showState(const EntryList& entries, qsizetype selected, const QString& editText);
    // Limits the memory the entries may take (bytes plus offsets).
    void setFootprintLimit(qsizetype bytes);
    // Height of every row of the drop-down list; 0 takes it from the font.
    void setItemHeight(int pixels);

Q_SIGNALS:
    void fieldChanged();

private:
    // What the edit line shows, so an operation can put it back after the combo box touched it.
    struct EditState {
        QString text;
        int start = 0;
        int length = 0;
    };

    EditState editState() const;
    // Makes `index` the selected entry while the edit line keeps showing `state`.
    void selectKeeping(qsizetype index, const EditState& state);
    void onPicked(int index);
    void onTextEdited(const QString& text);

    EntryModel* model_;
    FieldLineEdit* edit_;
    bool completing_ = false;
};

} // namespace quill
