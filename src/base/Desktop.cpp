/*
 * The routing of list diagnostics to the desktop, and ChooseFolder: the folder chooser's own rules on top of the desktop's browser. The start
 * folder is the initial path or, failing that, the default folder; Cancel gives the start
 * folder back so a field holding a folder never empties.
 */
#include "base/Desktop.h"

#include "base/CWexList.h"

void ShowWexDiagnosticsOn(Desktop& desktop)
{
    SetWexDiagnosticHook([&desktop](const std::string& text, const std::string& caption) {
        desktop.Notice(text, caption);
    });
}

CDynString ChooseFolder(Desktop& desktop, const char* initialPath, const char* defaultFolder,
                        const char* title, int width, int height)
{
    const char* start = (initialPath != nullptr && initialPath[0] != '\0') ? initialPath : defaultFolder;
    std::string startFolder = start != nullptr ? start : "";
    FolderBrowseResult result =
        desktop.BrowseForFolder(startFolder, title != nullptr ? title : "", width, height);
    switch (result.outcome) {
    case FolderBrowseOutcome::Chosen:
        return CDynString(std::string_view(result.path));
    case FolderBrowseOutcome::Cancelled:
        return CDynString(std::string_view(startFolder));
    case FolderBrowseOutcome::Unavailable:
        break;
    }
    return CDynString("");
}
