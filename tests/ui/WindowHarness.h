/*
 * The harness of the window tests: a QApplication for the whole binary, the main window in
 * a scratch program directory, and a script of steps that a timer plays while the window
 * runs its own loops (message boxes, dialogs, a run waiting for an answer). Each step is
 * tried until it reports that it acted.
 */
#pragma once

#include <gtest/gtest.h>

#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/TempDir.h"
#include "ui/MainWindow.h"
#include "ui/PatternPage.h"
#include "ui/StartPage.h"

// Plays steps one after the other while the window's loops run.
class Script : public QObject {
public:
    Script();
    // A step acts when it returns true; until then it is tried again.
    Script& Then(std::function<bool()> step);
    // Answers the next message box with button, noting its text.
    Script& Box(QMessageBox::StandardButton button);
    // Several boxes answered with the same button.
    Script& Boxes(int count, QMessageBox::StandardButton button);
    // Chooses item in the open context menu (none: closes it), after check has looked at it.
    Script& Menu(const QString& item, std::function<void(QMenu*)> check = {});
    // Acts on the next modal window of type T (other than a message box).
    template <typename T>
    Script& Modal(std::function<void(T*)> act)
    {
        return Then([this, act] {
            auto* window = static_cast<T*>(NextModal(T::staticMetaObject));
            if (window) act(window);
            return window != nullptr;
        });
    }
    // The steps not played yet.
    std::size_t Remaining() const { return steps_.size(); }

    // The texts of the boxes answered, in order.
    std::vector<std::string> texts;

private:
    // The active modal window of type, not handled yet, marked as handled now; or null.
    QWidget* NextModal(const QMetaObject& type);

    std::deque<std::function<bool()>> steps_;
    QTimer timer_;
    // Whether the next try of a step is posted already.
    bool posted_ = false;
};

// Records the URLs the desktop is asked to open, instead of opening them.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

class WindowTest : public ::testing::Test {
protected:
    // The window in a fresh program directory; the start-up's boxes are answered with OK.
    void SetUp() override;
    void TearDown() override;

    // Whether a run waits for an answer now.
    bool Waiting() const;
    // A step that, while a run waits, checks the shown occurrence with check and clicks button.
    std::function<bool()> Answer(QAbstractButton* button, std::function<void()> check = {});
    // Writes a file in the scratch directory and lists it as a target; its path.
    std::string Target(const std::string& name, const std::string& bytes);
    // Sets the pattern field (and the replacement, unticking "search only!" when one is given).
    void Job(const std::string& pattern, const char* replacement = nullptr);

    TempDir programDir;
    std::unique_ptr<MainWindow> window;
    Script script;
};
