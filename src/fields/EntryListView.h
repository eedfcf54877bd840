#pragma once

#include <QAbstractItemView>

namespace quill {

// The drop-down list of a field: rows that all have the height of the first one. Where a row is
// follows from its number alone, so opening, scrolling and painting cost the same for ten
// entries and for ten million (a QListView or QTableView lays out and measures every row
// first). The scroll bar counts rows, not pixels. The model's columns share the width equally;
// a click selects a whole row.
class EntryListView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit EntryListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& /*index*/) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int rowCount() const;
    int columnCount() const;
    QRect cellRect(int row, int column) const;
    int rowHeight() const;
    // Rows that fit into the viewport, at least one.
    int visibleRows() const;
    int topRow() const;
    // Top of the row in viewport coordinates, clamped to what an int holds.
    int rowTop(int row) const;

    bool layingOut_ = false;
};

} // namespace quill
