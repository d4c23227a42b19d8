/*
 * LineListView: a list control over a LineList. The LineList holds the truth (its lines and
 * their selection); the model turns its Before/After notices into Qt's begin/end calls, and
 * the selection is mirrored both ways. A right press never changes the selection. Lines are
 * bytes, shown in the locale's encoding and never turned back into text for the core. The
 * context menu is asked for when the right button is released over the lines (at the mouse),
 * or with the Menu key or Shift+F10 (at the current line).
 */
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include "base/LineList.h"

class LineListModel : public QAbstractListModel {
    Q_OBJECT
public:
    LineListModel(LineList& lines, QObject* parent = nullptr);
    ~LineListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    LineList& Lines() { return lines_; }

signals:
    // The lines or their selection changed; the view takes the selection again.
    void SelectionChanged();

private:
    // Forwards one change of the lines to Qt's model protocol.
    void OnChange(const LineListChange& change);

    // The lines shown.
    LineList& lines_;
    // The subscription to lines_.
    int listenerId_ = 0;
};

// Draws lines as usual, each at least minimumWidth wide, so the list scrolls sideways that far.
class WideLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    WideLineDelegate(int minimumWidth, QObject* parent) : QStyledItemDelegate(parent), minimumWidth_(minimumWidth) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int minimumWidth_;
};

class LineListView : public QListView {
    Q_OBJECT
public:
    // A view of lines; sideways it scrolls over at least minimumExtent pixels.
    LineListView(LineList& lines, int minimumExtent, QWidget* parent = nullptr);

    LineList& Lines() { return model_.Lines(); }

signals:
    // The context menu is wanted at globalPos.
    void MenuRequested(QPoint globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the LineList's selection in the view.
    void PullSelection();
    // Gives the view's selection to the LineList.
    void PushSelection();

    // The model over the lines.
    LineListModel model_;
    // Set while one side of the selection follows the other.
    bool syncing_ = false;
};
