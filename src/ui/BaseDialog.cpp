#include "ui/BaseDialog.h"

#include <algorithm>

BaseDialog::BaseDialog(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

void BaseDialog::AnchorTopRight(QWidget* control)
{
    const QSize hint = control->sizeHint();
    const int height = std::max(kAnchorHeight, hint.height());
    const int y = anchored_.empty() ? 0 : anchored_.back().y + anchored_.back().height;
    anchored_.push_back({control, std::max(kAnchorWidth, hint.width()), height, 0, y, true, false});
    // Every control of the column is as wide as the widest.
    const int width = AnchorColumnWidth();
    for (AnchoredControl& anchor : anchored_) anchor.width = anchor.x = width;
    LayOutAnchored();
}

int BaseDialog::AnchorColumnWidth() const
{
    int width = 0;
    for (const AnchoredControl& anchor : anchored_) width = std::max(width, anchor.width);
    return width;
}

void BaseDialog::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutAnchored();
}

void BaseDialog::LayOutAnchored()
{
    for (const AnchoredControl& anchor : anchored_) {
        if (anchor.control->isHidden()) continue;
        const int x = anchor.fromLeft ? anchor.x : width() - anchor.x;
        const int y = anchor.fromTop ? anchor.y : height() - anchor.y;
        anchor.control->setGeometry(x, y, anchor.width, anchor.height);
    }
}
