/*
 * The commands of the context menu that the target list and the report list share, with
 * their questions and messages, and the clipboard text format: lines joined by CR LF when
 * copied, split at every run of tabs, CRs and LFs when pasted. On the target list, pasted
 * and kept lines pass through the working list, so only existing paths enter (made absolute,
 * their directory part kept) and no path is listed twice; on the report list the commands
 * work on the lines as text.
 */
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "targets/TargetList.h"

class Desktop;

// The menu's command ids.
enum class ListCommand {
    DeleteSelected = 32771,
    LeaveSelected = 32772,
    CopySelected = 32773,
    CopyAll = 32774,
    Paste = 32775,
    ExploreSelected = 32776,
    SelectAll = 32777,
    DeselectAll = 32778,
    InvertSelection = 32779,
    LeaveNotOnClipboard = 32780,
};

// One item of the context menu.
struct ListMenuItem {
    // The command; none for a separator.
    std::optional<ListCommand> command;
    // The item's text, empty for a separator.
    const char* text;
};

// The context menu's items in order, separators included.
extern const std::vector<ListMenuItem> kListMenu;

// Runs a command on the target list, or on the report list (where "leave items NOT on the
// clipboard" and "explore selected one" do nothing).
void RunListCommand(Desktop& desktop, TargetList& targets, ListCommand command);
void RunListCommand(Desktop& desktop, LineList& report, ListCommand command);

// The clipboard text of lines: joined with CR LF, none after the last.
std::string ClipboardText(const LineList& lines, bool selectedOnly);
// The pieces of a clipboard text, cut at every run of tabs, CRs and LFs (empty pieces and
// repeats kept).
std::vector<std::string> ClipboardPieces(const std::string& text);
// Whether a pasted piece names an existing file or directory (and is not "." or "..").
bool IsUsablePathPiece(const std::string& piece);
