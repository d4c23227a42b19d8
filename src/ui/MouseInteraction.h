/*
 * MouseInteraction: the "interactive" flag and the hover state of a custom control, kept by
 * watching the control's events. While the control is interactive, entering and leaving it
 * sets and clears the hover state, and the control is told so it can redraw. While it is
 * not, it is never hovered and gets no press, move, release or double click of the mouse.
 */
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class MouseInteraction : public QObject {
public:
    // Watches owner (which outlives it); hoverChanged (may be empty) runs after each change of the hover state.
    MouseInteraction(QWidget* owner, std::function<void()> hoverChanged);

    void SetInteractive(bool interactive);
    bool Interactive() const { return interactive_; }
    bool Hovered() const { return hovered_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetHovered(bool hovered);

    std::function<void()> hoverChanged_;
    bool interactive_ = true;
    bool hovered_ = false;
};
