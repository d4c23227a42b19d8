/*
 * QtDesktop: the Desktop seam with Qt's own windows: message boxes over the main window,
 * the event loop as the pumps, the clipboard, the file dialogs and the folder browser, the
 * default URL handler and the main window's topmost state.
 */
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/Desktop.h"

class QtDesktop : public Desktop {
public:
    // Boxes and choosers open over window (none: top level until SetWindow).
    explicit QtDesktop(QWidget* window = nullptr) : window_(window) {}

    void SetWindow(QWidget* window) { window_ = window; }

    void Notice(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    DesktopAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override;
    void PumpMessages() override;
    void PumpOneMessage() override;
    void Beep(int frequency, int milliseconds) override;
    bool SetClipboardText(const char* text) override;
    std::string GetClipboardText() override;
    bool OpenWithDefaultHandler(const std::string& path) override;
    bool SetTopmost(bool on) override;
    std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request) override;
    std::vector<std::string> ChooseOpenFiles(const FileChooserRequest& request) override;
    FolderBrowseResult BrowseForFolder(const std::string& startFolder, const std::string& title, int width,
                                       int height) override;

    // How many beeps were asked for.
    int BeepCount() const { return beeps_; }

private:
    // The window boxes open over; cleared by Qt when it goes.
    QPointer<QWidget> window_;
    // Beeps asked for so far.
    int beeps_ = 0;
};
