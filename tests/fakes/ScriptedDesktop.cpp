/*
 * ScriptedDesktop: records and answers from its queues; see the header.
 */
#include "fakes/ScriptedDesktop.h"

#include <utility>

void ScriptedDesktop::PressAtPump(int n, std::function<void()> press)
{
    while (static_cast<int>(presses.size()) < n - 1)
        presses.emplace_back();
    if (static_cast<int>(presses.size()) >= n)
        presses[static_cast<std::size_t>(n - 1)] = std::move(press);
    else
        presses.push_back(std::move(press));
}

std::vector<std::string> ScriptedDesktop::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
    return texts;
}

DesktopAnswer ScriptedDesktop::Ask(Message::Kind kind, const std::string& text,
                                   const std::string& caption)
{
    DesktopAnswer answer = DesktopAnswer::No;
    if (answers.empty()) {
        ++unansweredQuestions;
    } else {
        answer = answers.front();
        answers.pop_front();
    }
    messages.push_back(Message{kind, text, caption, answer});
    return answer;
}

void ScriptedDesktop::Notice(const std::string& text, const std::string& caption)
{
    messages.push_back(Message{Message::Kind::Notice, text, caption, DesktopAnswer::Yes});
}

bool ScriptedDesktop::AskYesNo(const std::string& text, const std::string& caption)
{
    return Ask(Message::Kind::YesNo, text, caption) == DesktopAnswer::Yes;
}

DesktopAnswer ScriptedDesktop::AskYesNoCancel(const std::string& text, const std::string& caption)
{
    return Ask(Message::Kind::YesNoCancel, text, caption);
}

void ScriptedDesktop::Pump()
{
    int number = pumpCount + pumpOneCount;
    if (!presses.empty()) {
        std::function<void()> press = std::move(presses.front());
        presses.pop_front();
        if (press)
            press();
    }
    if (onPump)
        onPump(number);
}

void ScriptedDesktop::PumpMessages()
{
    ++pumpCount;
    Pump();
}

void ScriptedDesktop::PumpOneMessage()
{
    ++pumpOneCount;
    Pump();
}

void ScriptedDesktop::Beep(int frequency, int milliseconds)
{
    beeps.emplace_back(frequency, milliseconds);
}

bool ScriptedDesktop::SetClipboardText(const char* text)
{
    if (text == nullptr)
        clipboard.reset();
    else
        clipboard = std::string(text);
    return true;
}

std::string ScriptedDesktop::GetClipboardText()
{
    return clipboard.value_or(std::string());
}

bool ScriptedDesktop::OpenWithDefaultHandler(const std::string& path)
{
    openedPaths.push_back(path);
    return openSucceeds;
}

bool ScriptedDesktop::SetTopmost(bool on)
{
    topmostCalls.push_back(on);
    if (hasWindow)
        topmost = on;
    return hasWindow;
}

std::optional<std::string> ScriptedDesktop::ChooseSaveFile(const FileChooserRequest& request)
{
    fileRequests.push_back(request);
    if (saveResults.empty())
        return std::nullopt;
    std::optional<std::string> result = std::move(saveResults.front());
    saveResults.pop_front();
    return result;
}

std::vector<std::string> ScriptedDesktop::ChooseOpenFiles(const FileChooserRequest& request)
{
    fileRequests.push_back(request);
    if (openResults.empty())
        return {};
    std::vector<std::string> result = std::move(openResults.front());
    openResults.pop_front();
    return result;
}

FolderBrowseResult ScriptedDesktop::BrowseForFolder(const std::string& startFolder,
                                                    const std::string& title, int width,
                                                    int height)
{
    folderRequests.push_back(FolderRequest{startFolder, title, width, height});
    if (folderResults.empty())
        return FolderBrowseResult{FolderBrowseOutcome::Cancelled, ""};
    FolderBrowseResult result = std::move(folderResults.front());
    folderResults.pop_front();
    return result;
}
