/*
 * WorkPage: what every work page of the main window shares. Enter and Escape only beep
 * (2222 Hz, 33 ms), also in the multi-line fields, where Ctrl+Enter inserts a line break;
 * Enter on a focused button presses it. The page fills its background with the window
 * colour.
 */
#pragma once

#include <QWidget>

class Desktop;

class WorkPage : public QWidget {
    Q_OBJECT
public:
    WorkPage(Desktop& desktop, QWidget* parent = nullptr);

protected:
    // Watches the keys of every control on the page; call once the controls exist.
    void WatchKeys();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Message boxes and the beep.
    Desktop& desktop_;

private:
    // Handles Enter or Escape pressed in watched; whether the key was used up.
    bool HandleKey(QObject* watched, QKeyEvent* event);
};

// The pattern of a work page's beep.
inline constexpr int kPageBeepFrequency = 2222;
inline constexpr int kPageBeepMilliseconds = 33;
