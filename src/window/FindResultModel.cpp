#include "window/FindResultModel.h"

#include "core/ByteText.h"
#include "search/SearchRun.h"

#include <limits>

namespace quill {

using namespace Qt::StringLiterals;

int FindResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int FindResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FindResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const qsizetype pair = run_->pairAt(index.row());
    const EntryList& list = index.column() == 0 ? run_->words() : run_->meanings();
    return pair < list.size() ? displayText(list.at(pair)) : QString();
}

QVariant FindResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? u"Word"_s : u"Meaning"_s;
}

void FindResultModel::setRun(std::shared_ptr<const SearchRun> run) {
    beginResetModel();
    run_ = std::move(run);
    rows_ = 0;
    endResetModel();
}

void FindResultModel::update() {
    if (!run_)
        return;
    // Every row of a model must be addressable by an int.
    const int rows =
        int(std::min<qsizetype>(run_->settledCount(), std::numeric_limits<int>::max()));
    if (rows <= rows_)
        return;
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
}

qsizetype FindResultModel::pairAt(int row) const {
    return row >= 0 && row < rows_ ? run_->pairAt(row) : -1;
}

} // namespace quill
