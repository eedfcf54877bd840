#pragma once

#include "core/EntryList.h"

#include <QAbstractListModel>

namespace quill {

// Presents an EntryList to a combo box: one row per entry, shown as its display text.
// All rows have the same height, so views never measure the entries.
class EntryModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit EntryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const EntryList& entries() const { return entries_; }
    // False when the store refuses the entry (its footprint limit); nothing changes then.
    bool append(QByteArrayView entry);
    // Appends entries from the front of `more` in one insertion; returns how many fit.
    qsizetype append(const EntryList& more);
    void remove(qsizetype index);
    void clear();
    void replaceAll(EntryList entries);
    void setFootprintLimit(qsizetype bytes) { entries_.setFootprintLimit(bytes); }
    // Height of every row in the drop-down list; 0 lets the view take it from the font.
    void setItemHeight(int pixels);
    int itemHeight() const { return itemHeight_; }

private:
    EntryList entries_;
    int itemHeight_ = 0;
};

} // namespace quill
