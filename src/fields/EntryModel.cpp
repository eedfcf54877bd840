#include "fields/EntryModel.h"

#include "core/ByteText.h"

#include <QSize>

#include <limits>

namespace quill {

EntryModel::EntryModel(QObject* parent) : QAbstractListModel(parent) {}

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
    endInsertRows();
    return true;
}

qsizetype EntryModel::append(const EntryList& more) {
    // Every row of a model must be addressable by an int.
    const qsizetype room = qsizetype(std::numeric_limits<int>::max()) - entries_.size();
    qsizetype count = 0;
    qsizetype bytes = 0;
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
    for (qsizetype i = 0; i < count; ++i)
        entries_.append(more.at(i));
    endInsertRows();
    return count;
}

void EntryModel::remove(qsizetype index) {
    if (index < 0 || index >= entries_.size())
        return;
    beginRemoveRows({}, int(index), int(index));
    entries_.remove(index);
    endRemoveRows();
}

void EntryModel::clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void EntryModel::replaceAll(EntryList entries) {
    const qsizetype limit = entries_.footprintLimit();
    beginResetModel();
    entries_ = std::move(entries);
    entries_.setFootprintLimit(limit);
    endResetModel();
}

void EntryModel::setItemHeight(int pixels) {
    if (itemHeight_ == pixels)
        return;
    itemHeight_ = pixels;
    if (!entries_.empty())
        Q_EMIT dataChanged(index(0), index(int(entries_.size()) - 1), {Qt::SizeHintRole});
}

} // namespace quill
