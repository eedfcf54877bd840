#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QComboBox>

namespace quill {

class EntryModel;

// One editable drop-down field: its entries, edit text and selected index, with the field list
// operations every command uses. Only the user's own actions (picking an entry, typing) emit
// fieldChanged(); the operations below never do.
class FieldCombo : public QComboBox {
    Q_OBJECT
public:
    explicit FieldCombo(QWidget* parent = nullptr);

    const EntryList& entries() const;
    qsizetype selectedIndex() const;

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
    void replaceAllEntries(EntryList entries);
    // Limits the memory the entries may take (bytes plus offsets).
    void setFootprintLimit(qsizetype bytes);

Q_SIGNALS:
    void fieldChanged();

private:
    EntryModel* model_;
};

} // namespace quill
