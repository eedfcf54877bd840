#include "fields/EntryModel.h"

#include "core/ByteText.h"

#include <QSize>
#include <QtConcurrent/QtConcurrentRun>

#include <limits>

namespace quill {

EntryModel::EntryModel(QObject* parent) : QAbstractListModel(parent) {
    connect(&sorting_, &QFutureWatcherBase::finished, this, &EntryModel::installSortedRun);
}

void EntryModel::scheduleSorting() {
    // Sorting starts once the command that changed the list is over: a load of two fields or a
    // generator's batch does not share the processor with it.
    if (sortingScheduled_)
        return;
    sortingScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            sortingScheduled_ = false;
            sortNextRun();
        },
        Qt::QueuedConnection);
}

void EntryModel::sortNextRun() {
    if (sorting_.isRunning())
        return;
    std::optional<PrefixIndex::Job> job = index_.nextJob(entries_, std::move(room_));
    room_ = {};
    if (!job)
        return;
    // The job owns a copy of its entries, so the list may change while it is sorted; install()
    // drops the result then.
    sorting_.setFuture(QtConcurrent::run(
        [job = std::move(*job)]() mutable { return PrefixIndex::sortRun(std::move(job)); }));
}

void EntryModel::installSortedRun() {
    QFuture<PrefixIndex::Order> done = sorting_.future();
    if (done.resultCount() > 0) {
        PrefixIndex::Order order = done.takeResult();
        room_ = std::move(order.room);
        index_.install(std::move(order));
    }
    sortNextRun();
}

int EntryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant EntryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return displayText(entries_.at(index.row()));
    case Qt::SizeHintRole:
        if (itemHeight_ > 0)
            return QSize(1, itemHeight_);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags EntryModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool EntryModel::append(QByteArrayView entry) {
    if (!entries_.canTake(entry.size()))
        return false;
    const int row = int(entries_.size());
    beginInsertRows({}, row, row);
    entries_.append(entry);
    index_.appended(1);
    endInsertRows();
    scheduleSorting();
    return true;
}

qsizetype EntryModel::append(const EntryList& more) {
    // Every row of a model must be addressable by an int.
    const qsizetype room = qsizetype(std::numeric_limits<int>::max()) - entries_.size();
    qsizetype count = 0;
    qsizetype bytes = 0;
    if (more.size() <= room && entries_.canTake(more.byteSize(), more.size())) {
        count = more.size();
        bytes = more.byteSize();
    }
    while (count < more.size() && count < room &&
           entries_.canTake(bytes + more.at(count).size(), count + 1)) {
        bytes += more.at(count).size();
        ++count;
    }
    if (count == 0)
        return 0;
    const int first = int(entries_.size());
    beginInsertRows({}, first, int(first + count - 1));
    if (entries_.empty())
        entries_.reserve(bytes, count); // a load into an empty field: no slack at all
    entries_.appendRange(more, 0, count);
    index_.appended(count);
    endInsertRows();
    scheduleSorting();
    return count;
}

void EntryModel::remove(qsizetype index) {
    if (index < 0 || index >= entries_.size())
        return;
    beginRemoveRows({}, int(index), int(index));
    entries_.remove(index);
    index_.removed(index);
    endRemoveRows();
    scheduleSorting();
}

void EntryModel::clear() {
    beginResetModel();
    entries_.clear();
    index_.reset(0);
    endResetModel();
}

void EntryModel::replaceAll(EntryList entries) {
    const qsizetype limit = entries_.footprintLimit();
    beginResetModel();
    entries_ = std::move(entries);
    entries_.setFootprintLimit(limit);
    index_.reset(entries_.size());
    endResetModel();
    scheduleSorting();
}

void EntryModel::setItemHeight(int pixels) {
    if (itemHeight_ == pixels)
        return;
    itemHeight_ = pixels;
    if (!entries_.empty())
        Q_EMIT dataChanged(index(0), index(int(entries_.size()) - 1), {Qt::SizeHintRole});
}

} // namespace quill
