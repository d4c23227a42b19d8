/*
 * Desktop: everything the core asks of the window system, behind one interface. The Qt
 * shell implements it with real windows, the command-line front end with the terminal, and
 * tests with a scripted fake. Work that runs long on the one thread calls the pumps so that
 * button presses (which only set flags) arrive while it works.
 *
 * Also here: ChooseFolder, the folder chooser whose Cancel keeps the start folder, and
 * the routing of list diagnostics to the desktop's message boxes.
 */
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/CDynString.h"

// The caption of the program's message boxes.
inline constexpr const char* kAppCaption = "Quillmend";

// A Yes/No/Cancel answer; only Yes lets an operation go on.
enum class DesktopAnswer { Yes, No, Cancel };

// What a file chooser is opened with.
struct FileChooserRequest {
    // The window title; empty for the platform's default.
    std::string title;
    // Filter pairs in '|'-separated form, e.g. "PAR files|*.par||".
    std::string filter;
    // Extension added to a typed name without one (no dot); empty for none.
    std::string defaultExtension;
    // The directory the chooser opens in; empty for the platform's default.
    std::string initialDirectory;
    // The file name shown first; empty for none.
    std::string initialName;
    // Whether an open chooser lets the user pick several files.
    bool multiSelect = false;
};

// How a folder browser ended.
enum class FolderBrowseOutcome { Chosen, Cancelled, Unavailable };

// The result of a folder browser.
struct FolderBrowseResult {
    // Whether a folder was chosen, the user cancelled, or no browser could be shown.
    FolderBrowseOutcome outcome = FolderBrowseOutcome::Unavailable;
    // The chosen folder (only for Chosen).
    std::string path;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // A notice with an OK button.
    virtual void Notice(const std::string& text, const std::string& caption = kAppCaption) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption = kAppCaption) = 0;
    // A Yes/No/Cancel question.
    virtual DesktopAnswer AskYesNoCancel(const std::string& text,
                                         const std::string& caption = kAppCaption) = 0;

    // Handles every pending window message (with idle processing).
    virtual void PumpMessages() = 0;
    // Handles at most one pending window message.
    virtual void PumpOneMessage() = 0;

    // A beep of the given frequency (Hz) and length (ms), where the platform can.
    virtual void Beep(int frequency, int milliseconds) = 0;

    // Empties the clipboard and puts text on it as 8-bit text; null leaves it empty.
    virtual bool SetClipboardText(const char* text) = 0;
    // The clipboard's 8-bit text, or empty when it holds none.
    virtual std::string GetClipboardText() = 0;

    // Opens a path with the desktop's default handler; false if that could not start.
    virtual bool OpenWithDefaultHandler(const std::string& path) = 0;
    // Makes the main window topmost or not, without moving or hiding it; false without a window.
    virtual bool SetTopmost(bool on) = 0;

    // A save-file chooser; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request) = 0;
    // An open-file chooser; the chosen paths (one unless multiSelect), empty when cancelled.
    virtual std::vector<std::string> ChooseOpenFiles(const FileChooserRequest& request) = 0;
    // The platform's folder browser, opened at startFolder, width x height pixels.
    virtual FolderBrowseResult BrowseForFolder(const std::string& startFolder,
                                               const std::string& title, int width,
                                               int height) = 0;
};

// Shows every later list diagnostic as a notice on desktop, with the list's own caption.
// The desktop must outlive the lists (the shell calls this for its main desktop).
void ShowWexDiagnosticsOn(Desktop& desktop);

// Lets the user choose a folder, starting at initialPath (or defaultFolder when that is
// none or empty). Cancel returns the start folder unchanged; only a browser that cannot be
// shown gives an empty result.
CDynString ChooseFolder(Desktop& desktop, const char* initialPath, const char* defaultFolder,
                        const char* title, int width, int height);
