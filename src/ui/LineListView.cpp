#include "ui/LineListView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

LineListModel::LineListModel(LineList& lines, QObject* parent) : QAbstractListModel(parent), lines_(lines)
{
    listenerId_ = lines_.Subscribe([this](const LineListChange& change) { OnChange(change); });
}

LineListModel::~LineListModel() { lines_.Unsubscribe(listenerId_); }

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.Count());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || static_cast<std::size_t>(index.row()) >= lines_.Count())
        return {};
    return QString::fromLocal8Bit(lines_.Line(static_cast<std::size_t>(index.row())));
}

void LineListModel::OnChange(const LineListChange& change)
{
    using Kind = LineListChange::Kind;
    const bool before = change.phase == LineListChange::Phase::Before;
    const int first = static_cast<int>(change.first);
    const int last = static_cast<int>(change.first + change.count) - 1;
    switch (change.kind) {
    case Kind::Inserted:
        if (before) beginInsertRows({}, first, last);
        else endInsertRows();
        break;
    case Kind::Removed:
        if (before) beginRemoveRows({}, first, last);
        else endRemoveRows();
        break;
    case Kind::Reset:
        if (before) beginResetModel();
        else endResetModel();
        break;
    case Kind::Changed:
        emit dataChanged(index(first), index(last));
        break;
    case Kind::Selection:
        break;
    }
    if (!before) emit SelectionChanged();
}

QSize WideLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize hint = QStyledItemDelegate::sizeHint(option, index);
    return {std::max(hint.width(), minimumWidth_), hint.height()};
}

LineListView::LineListView(LineList& lines, int minimumExtent, QWidget* parent)
    : QListView(parent), model_(lines)
{
    setModel(&model_);
    setItemDelegate(new WideLineDelegate(minimumExtent, this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Qt would ask for the menu on the right press; the view asks on the release itself.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(&model_, &LineListModel::SelectionChanged, this, &LineListView::PullSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &LineListView::PushSelection);
    PullSelection();
}

void LineListView::mousePressEvent(QMouseEvent* event)
{
    // A right press leaves the selection as it is.
    if (event->button() == Qt::RightButton) return event->accept();
    QListView::mousePressEvent(event);
}

void LineListView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) return QListView::mouseReleaseEvent(event);
    event->accept();
    if (viewport()->rect().contains(event->position().toPoint()))
        emit MenuRequested(event->globalPosition().toPoint());
}

void LineListView::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey) return QListView::keyPressEvent(event);
    event->accept();
    const QRect line = visualRect(currentIndex());
    emit MenuRequested(viewport()->mapToGlobal(line.isValid() ? line.bottomLeft() : QPoint(0, 0)));
}

void LineListView::PullSelection()
{
    if (syncing_) return;
    syncing_ = true;
    QItemSelection selection;
    const LineList& lines = model_.Lines();
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        if (!lines.IsSelected(i)) continue;
        std::size_t end = i;
        while (end + 1 < lines.Count() && lines.IsSelected(end + 1)) ++end;
        selection.select(model_.index(static_cast<int>(i)), model_.index(static_cast<int>(end)));
        i = end;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

void LineListView::PushSelection()
{
    if (syncing_) return;
    syncing_ = true;
    LineList& lines = model_.Lines();
    for (std::size_t i = 0; i < lines.Count(); ++i)
        lines.Select(i, selectionModel()->isRowSelected(static_cast<int>(i), {}));
    syncing_ = false;
}
