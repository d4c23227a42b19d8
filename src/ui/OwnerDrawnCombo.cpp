#include "ui/OwnerDrawnCombo.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>

void DrawEdgeFrame(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

void OwnerDrawnItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    painter->save();
    painter->fillRect(option.rect, ColourOf(OwnerDrawnCombo::kListBackground));
    if (option.state & QStyle::State_Selected) DrawEdgeFrame(*painter, option.rect, Qt::white, Qt::black);
    painter->setPen(ColourOf(OwnerDrawnCombo::kListText));
    painter->setFont(option.font);
    const QRect text = option.rect.adjusted(OwnerDrawnCombo::kTextIndent, 0, 0, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
    painter->restore();
}

QSize OwnerDrawnItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(),
            OwnerDrawnCombo::ItemHeight(option.fontMetrics.height())};
}

OwnerDrawnCombo::OwnerDrawnCombo(QWidget* parent) : QComboBox(parent), mouse_(this, [this] { update(); })
{
    setEditable(true);
    setItemDelegate(new OwnerDrawnItemDelegate(this));
    QPalette list = view()->palette();
    list.setColor(QPalette::Base, ColourOf(kListBackground));
    list.setColor(QPalette::Text, ColourOf(kListText));
    view()->setPalette(list);
    QPalette edit = lineEdit()->palette();
    edit.setColor(QPalette::Base, ColourOf(kEditBackground));
    edit.setColor(QPalette::Text, ColourOf(kEditText));
    lineEdit()->setPalette(edit);
    lineEdit()->setAutoFillBackground(true);
    lineEdit()->setTextMargins(kTextIndent, 0, 0, 0);
}

void OwnerDrawnCombo::SetInteractive(bool interactive)
{
    mouse_.SetInteractive(interactive);
    // The edit part would take the mouse itself.
    lineEdit()->setAttribute(Qt::WA_TransparentForMouseEvents, !interactive);
}

void OwnerDrawnCombo::paintEvent(QPaintEvent* event)
{
    QComboBox::paintEvent(event);
    QPainter painter(this);
    if (mouse_.Hovered()) DrawEdgeFrame(painter, rect(), Qt::black, Qt::white);
    else DrawEdgeFrame(painter, rect(), Qt::white, Qt::black);
}
