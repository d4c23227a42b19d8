/*
 * OwnerDrawnCombo: an editable combo box drawn in its own colours. The drop-down's items are
 * white on dark olive, each as high as the font plus 9 pixels, the selected one framed
 * raised; the edit part is white on black and never framed. The whole control is framed
 * raised, sunken while the mouse is over it. While not interactive it swallows the mouse.
 */
#pragma once

#include <QComboBox>
#include <QStyledItemDelegate>

#include <cstdint>
#include <string>

#include "ui/MouseInteraction.h"
#include "ui/ToolTip.h"

// Draws the drop-down's items of an OwnerDrawnCombo.
class OwnerDrawnItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class OwnerDrawnCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr std::uint32_t kListBackground = 0x404020;
    static constexpr std::uint32_t kEditBackground = 0x000000;
    static constexpr std::uint32_t kListText = 0xFFFFFF;
    static constexpr std::uint32_t kEditText = 0xFFFFFF;
    // The text's distance from an item's left edge.
    static constexpr int kTextIndent = 2;

    explicit OwnerDrawnCombo(QWidget* parent = nullptr);

    // An item's height for a font of this height (18 when the font says 0).
    static int ItemHeight(int fontHeight) { return (fontHeight == 0 ? 18 : fontHeight) + 9; }

    void SetToolTipText(const std::string& text) { tip_.SetText(text, this); }
    ToolTip& Tip() { return tip_; }
    void SetInteractive(bool interactive);
    bool Hovered() const { return mouse_.Hovered(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ToolTip tip_;
    MouseInteraction mouse_;
};

// Frames rect with lighter on the top and left edges and darker on the bottom and right.
void DrawEdgeFrame(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);
