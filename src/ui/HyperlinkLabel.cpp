#include "ui/HyperlinkLabel.h"

#include <QMouseEvent>

#include "base/Desktop.h"

HyperlinkLabel::HyperlinkLabel(const QString& text, Desktop& desktop, QWidget* parent)
    : QLabel(text, parent), desktop_(desktop), mouse_(this, [this] { Recolour(); })
{
    setTextFormat(Qt::PlainText);
    setAccessibleName(text);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    Recolour();
}

bool HyperlinkLabel::SetTarget(const std::string& target)
{
    if (target.empty()) return false;
    target_ = target;
    return true;
}

void HyperlinkLabel::SetColours(std::uint32_t normal, std::uint32_t hover, std::uint32_t visited)
{
    normal_ = normal;
    hover_ = hover;
    visitedColour_ = visited;
    Recolour();
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !target_.empty()) {
        desktop_.OpenWithDefaultHandler(target_);
        visited_ = true;
        Recolour();
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkLabel::Recolour()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ColourOf(mouse_.Hovered() ? hover_ : visited_ ? visitedColour_ : normal_));
    setPalette(colours);
}
