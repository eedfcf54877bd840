#pragma once

#include <QAbstractTableModel>

#include <memory>

namespace quill {

class SearchRun;

// The matching pairs of a search as rows of two columns, word and meaning: a row is the n-th
// match, so ten million matches cost no more than ten. Rows are added as the search settles
// more pairs; they never change until the next search.
class FindResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows the matches of `run` (none yet), or nothing.
    void setRun(std::shared_ptr<const SearchRun> run);
    // Adds the rows of the matches the run has settled since.
    void update();
    // The pair of a row; -1 for none.
    qsizetype pairAt(int row) const;

private:
    std::shared_ptr<const SearchRun> run_;
    int rows_ = 0;
};

} // namespace quill
