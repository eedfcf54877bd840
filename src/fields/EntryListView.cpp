#include "fields/EntryListView.h"

#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace quill {

EntryListView::EntryListView(QWidget* parent) : QAbstractItemView(parent) {
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int EntryListView::rowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int EntryListView::columnCount() const {
    return model() ? std::max(1, model()->columnCount(rootIndex())) : 1;
}

QRect EntryListView::cellRect(int row, int column) const {
    const int width = viewport()->width();
    const int left = width * column / columnCount();
    return QRect(left, rowTop(row), width * (column + 1) / columnCount() - left, rowHeight());
}

int EntryListView::rowHeight() const {
    const int height = rowCount() > 0 ? sizeHintForRow(0) : fontMetrics().height();
    return std::max(1, height);
}

int EntryListView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int EntryListView::topRow() const {
    return verticalScrollBar()->value();
}

int EntryListView::rowTop(int row) const {
    const qint64 top = (qint64(row) - topRow()) * rowHeight();
    return int(std::clamp<qint64>(top, std::numeric_limits<int>::min() / 2,
                                  std::numeric_limits<int>::max() / 2));
}

int EntryListView::verticalOffset() const {
    return int(std::min<qint64>(qint64(topRow()) * rowHeight(), std::numeric_limits<int>::max()));
}

QRect EntryListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex())
        return {};
    return cellRect(index.row(), index.column());
}

QModelIndex EntryListView::indexAt(const QPoint& point) const {
    if (!model() || point.x() < 0 || point.x() >= viewport()->width() || point.y() < 0)
        return {};
    const qint64 row = topRow() + qint64(point.y() / rowHeight());
    if (row >= rowCount())
        return {};
    return model()->index(int(row), point.x() * columnCount() / viewport()->width(), rootIndex());
}

void EntryListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    const int row = index.row();
    const int visible = visibleRows();
    int top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + visible)
            top = row - visible + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - visible + 1;
        break;
    case PositionAtCenter:
        top = row - visible / 2;
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex EntryListView::moveCursor(CursorAction action, Qt::KeyboardModifiers /*modifiers*/) {
    const int rows = rowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());
    qint64 row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
    case MoveLeft:
        --row;
        break;
    case MoveDown:
    case MoveNext:
    case MoveRight:
        ++row;
        break;
    case MovePageUp:
        row -= visibleRows();
        break;
    case MovePageDown:
        row += visibleRows();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    }
    return model()->index(int(std::clamp<qint64>(row, 0, rows - 1)), 0, rootIndex());
}

void EntryListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    const int rows = rowCount();
    const QRect area = rect.normalized();
    if (rows == 0 || area.bottom() < 0 || area.top() >= viewport()->height()) {
        selectionModel()->select(QItemSelection(), flags);
        return;
    }
    const int height = rowHeight();
    const int first = std::min(rows - 1, topRow() + std::max(0, area.top()) / height);
    const int last = std::min(rows - 1, topRow() + std::max(0, area.bottom()) / height);
    selectionModel()->select(QItemSelection(model()->index(first, 0, rootIndex()),
                                            model()->index(last, columnCount() - 1, rootIndex())),
                             flags);
}

QRegion EntryListView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int top = topRow();
    const int bottom = top + visibleRows();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first > last)
            continue;
        region += QRect(0, rowTop(first), viewport()->width(), (last - first + 1) * rowHeight());
    }
    return region;
}

void EntryListView::updateGeometries() {
    const int visible = visibleRows();
    const bool scrolls = rowCount() > visible;
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
    // The scroll area shows or hides the bar only at its next layout, after the popup has been
    // shown; setting the policy lays it out now.
    if (isVisible() && scrolls != verticalScrollBar()->isVisible() && !layingOut_) {
        layingOut_ = true;
        setVerticalScrollBarPolicy(verticalScrollBarPolicy());
        layingOut_ = false;
    }
}

void EntryListView::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

void EntryListView::paintEvent(QPaintEvent* event) {
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int rows = rowCount();
    const int height = rowHeight();
    const int width = viewport()->width();
    const QModelIndex current = currentIndex();
    const QRect area = event->rect();
    const bool enabled = isEnabled();
    const bool active = isActiveWindow();
    const QPoint mouse = viewport()->mapFromGlobal(QCursor::pos());
    const int columns = columnCount();
    for (int row = topRow() + std::max(0, area.top()) / height; row < rows; ++row) {
        const int top = rowTop(row);
        if (top > area.bottom())
            break;
        for (int column = 0; column < columns; ++column) {
            const QModelIndex index = model()->index(row, column, rootIndex());
            QStyleOptionViewItem cellOption = option;
            cellOption.rect = cellRect(row, column);
            cellOption.state &=
                ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver |
                  QStyle::State_Enabled | QStyle::State_Active);
            if (selectionModel() && selectionModel()->isSelected(index))
                cellOption.state |= QStyle::State_Selected;
            if (index.row() == current.row() && column == 0 && hasFocus())
                cellOption.state |= QStyle::State_HasFocus;
            if (enabled && (model()->flags(index) & Qt::ItemIsEnabled))
                cellOption.state |= QStyle::State_Enabled;
            if (active)
                cellOption.state |= QStyle::State_Active;
            if (QRect(0, top, width, height).contains(mouse))
                cellOption.state |= QStyle::State_MouseOver;
            itemDelegateForIndex(index)->paint(&painter, cellOption, index);
        }
    }
}

} // namespace quill
