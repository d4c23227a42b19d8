/*
 * ScriptedDesktop: a Desktop for tests. It records every message box, beep, opened path
 * and clipboard write in order; answers questions from a queue; returns
 * chooser results from queues; and delivers scripted button presses (callbacks) from its
 * pumps, one press per pump call, so a test can act at the moment a working loop waits.
 * Opening a path and setting the topmost state always succeed.
 */
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Desktop.h"

class ScriptedDesktop : public Desktop {
public:
    // One recorded message box: how it was shown, its text and caption, and the answer given
    // (Yes for a notice).
    struct Message {
        enum class Kind { Notice, YesNo, YesNoCancel };
        Kind kind = Kind::Notice;
        std::string text;
        std::string caption;
        DesktopAnswer answer = DesktopAnswer::Yes;
    };

    // One recorded folder browser call: where it opened, its title and its size.
    struct FolderRequest {
        std::string startFolder;
        std::string title;
        int width = 0;
        int height = 0;
    };

    // Every message box so far, in order.
    std::vector<Message> messages;
    // Answers for the next questions, front first; an empty queue answers No.
    std::deque<DesktopAnswer> answers;

    // Presses delivered one per pump call, front first.
    std::deque<std::function<void()>> presses;
    // Called on every pump call with the pump's number (1-based), after any press.
    std::function<void(int)> onPump;
    // Number of PumpMessages and PumpOneMessage calls so far.
    int pumpCount = 0;
    int pumpOneCount = 0;

    // Every beep as (frequency, milliseconds).
    std::vector<std::pair<int, int>> beeps;
    // The fake clipboard's text; none when empty.
    std::optional<std::string> clipboard;
    // Every path opened with the default handler.
    std::vector<std::string> openedPaths;

    // Results of the next save choosers (nothing = cancelled); empty queue: cancelled.
    std::deque<std::optional<std::string>> saveResults;
    // Results of the next open choosers (empty = cancelled); empty queue: cancelled.
    std::deque<std::vector<std::string>> openResults;
    // Every file chooser request, in order.
    std::vector<FileChooserRequest> fileRequests;
    // Results of the next folder browsers; empty queue: Cancelled.
    std::deque<FolderBrowseResult> folderResults;
    // Every folder browser request, in order.
    std::vector<FolderRequest> folderRequests;

    // Queues a press for the n-th pump call from now (1 = the next one); earlier pumps idle.
    void PressAtPump(int n, std::function<void()> press);
    // The texts of the recorded messages, in order.
    std::vector<std::string> MessageTexts() const;

    void Notice(const std::string& text, const std::string& caption = kAppCaption) override;
    bool AskYesNo(const std::string& text, const std::string& caption = kAppCaption) override;
    DesktopAnswer AskYesNoCancel(const std::string& text,
                                 const std::string& caption = kAppCaption) override;
    void PumpMessages() override;
    void PumpOneMessage() override;
    void Beep(int frequency, int milliseconds) override;
    bool SetClipboardText(const char* text) override;
    std::string GetClipboardText() override;
    bool OpenWithDefaultHandler(const std::string& path) override;
    bool SetTopmost(bool on) override;
    std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request) override;
    std::vector<std::string> ChooseOpenFiles(const FileChooserRequest& request) override;
    FolderBrowseResult BrowseForFolder(const std::string& startFolder, const std::string& title,
                                       int width, int height) override;

private:
    // Takes the next queued answer (No when none is left) and records the question.
    DesktopAnswer Ask(Message::Kind kind, const std::string& text, const std::string& caption);
    // Delivers the next press, if any, and tells onPump.
    void Pump();
};
