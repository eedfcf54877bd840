#pragma once

#include "core/EntryList.h"
#include "core/PrefixIndex.h"

#include <QAbstractListModel>
#include <QFutureWatcher>

namespace quill {

// Presents an EntryList to a combo box: one row per entry, shown as its display text.
// All rows have the same height, so views never measure the entries. It keeps a prefix index of
// its entries up to date, sorting the runs of the index one after another on a worker thread.
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

    // First entry, in list order, that begins with the text ignoring letter case; -1 if none.
    qsizetype findPrefix(QStringView text) const { return index_.findPrefix(entries_, text); }
    // True when the index covers every entry and no sorting is under way.
    bool indexComplete() const {
        return index_.complete() && !sorting_.isRunning() && !sortingScheduled_;
    }

private:
    void scheduleSorting();
    // Starts sorting the next run that the index does not cover yet, unless one is being sorted.
    void sortNextRun();
    void installSortedRun();

    EntryList entries_;
    int itemHeight_ = 0;
    PrefixIndex index_;
    QFutureWatcher<PrefixIndex::Order> sorting_;
    // The last sort's buffers while more runs wait; given back once the index is complete.
    PrefixIndex::Room room_;
    bool sortingScheduled_ = false;
};

} // namespace quill
