#include "ui/MouseInteraction.h"

#include <QEvent>
#include <QWidget>

MouseInteraction::MouseInteraction(QWidget* owner, std::function<void()> hoverChanged)
    : hoverChanged_(std::move(hoverChanged))
{
    owner->installEventFilter(this);
}

void MouseInteraction::SetInteractive(bool interactive)
{
    interactive_ = interactive;
    if (!interactive) SetHovered(false);
}

void MouseInteraction::SetHovered(bool hovered)
{
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    if (hoverChanged_) hoverChanged_();
}

bool MouseInteraction::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (interactive_) SetHovered(true);
        break;
    case QEvent::Leave:
        SetHovered(false);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return !interactive_;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
