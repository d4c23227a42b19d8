/*
 * ScriptedDesktop: records and answers from its queues; see the header.
 */
#include "fakes/ScriptedDesktop.h"

#include <utility>

namespace {

// Takes the front of a queue of scripted results; an empty queue gives fallback.
template <typename T>
T TakeFront(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T result = std::move(queue.front());
    queue.pop_front();
    return result;
}

}  // namespace

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
    DesktopAnswer answer = TakeFront(answers, DesktopAnswer::No);
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
    if (std::function<void()> press = TakeFront(presses, {}))
        press();
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
    return true;
}

bool ScriptedDesktop::SetTopmost(bool)
{
    return true;
}

std::optional<std::string> ScriptedDesktop::ChooseSaveFile(const FileChooserRequest& request)
{
    fileRequests.push_back(request);
    return TakeFront(saveResults, std::optional<std::string>());
}

std::vector<std::string> ScriptedDesktop::ChooseOpenFiles(const FileChooserRequest& request)
{
    fileRequests.push_back(request);
    return TakeFront(openResults, std::vector<std::string>());
}

FolderBrowseResult ScriptedDesktop::BrowseForFolder(const std::string& startFolder,
                                                    const std::string& title, int width,
                                                    int height)
{
    folderRequests.push_back(FolderRequest{startFolder, title, width, height});
    return TakeFront(folderResults, FolderBrowseResult{FolderBrowseOutcome::Cancelled, ""});
}
