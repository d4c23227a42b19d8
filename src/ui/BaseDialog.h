/*
 * BaseDialog: a window whose registered buttons hang in a column at its top-right corner.
 * Each anchored control keeps its offsets from the edges it is anchored to when the window
 * is resized; the buttons of the column are at least 40 x 20 and as wide as their caption
 * needs, so none is clipped.
 */
#pragma once

#include <QWidget>

#include <vector>

class BaseDialog : public QWidget {
    Q_OBJECT
public:
    explicit BaseDialog(QWidget* parent = nullptr);

    // The size of a button of the top-right column at the least.
    static constexpr int kAnchorWidth = 40;
    static constexpr int kAnchorHeight = 20;

    // Puts control below the others of the top-right column.
    void AnchorTopRight(QWidget* control);
    // The width of the top-right column.
    int AnchorColumnWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Moves the anchored controls to their places.
    void LayOutAnchored();

private:
    struct AnchoredControl {
        QWidget* control;
        int width;
        int height;
        // Offsets from the anchor edges.
        int x;
        int y;
        bool fromTop;
        bool fromLeft;
    };
    std::vector<AnchoredControl> anchored_;
};
