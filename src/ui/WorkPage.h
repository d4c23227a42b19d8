/*
 * WorkPage: what every work page of the main window shares. Enter and Escape only beep
 * (2222 Hz, 33 ms), also in the multi-line fields, where Ctrl+Enter inserts a line break;
 * Enter on a focused button presses it, elsewhere the page's default button if it has one.
 * A page with a list also takes Ctrl+C, Ctrl+V, Delete and Ctrl+A for its list before the
 * focused control does, unless a text field has the focus (the keys are then its own). The
 * page fills its background with the window colour.
 */
#pragma once

#include <QWidget>

#include <functional>

#include "targets/ListCommands.h"

class Desktop;
class QAbstractButton;

class WorkPage : public QWidget {
    Q_OBJECT
public:
    WorkPage(Desktop& desktop, QWidget* parent = nullptr);

protected:
    // Watches the keys of every control on the page; call once the controls exist.
    void WatchKeys();
    // The button Enter presses when no button has the focus.
    void SetDefaultButton(QAbstractButton* button) { defaultButton_ = button; }
    // Where the list keys go.
    void SetListCommands(std::function<void(ListCommand)> run) { listCommands_ = std::move(run); }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Message boxes and the beep.
    Desktop& desktop_;

private:
    // Handles Enter or Escape pressed in watched; whether the key was used up.
    bool HandleKey(QObject* watched, QKeyEvent* event);

    QAbstractButton* defaultButton_ = nullptr;
    std::function<void(ListCommand)> listCommands_;
};

// The pattern of a work page's beep.
inline constexpr int kPageBeepFrequency = 2222;
inline constexpr int kPageBeepMilliseconds = 33;
