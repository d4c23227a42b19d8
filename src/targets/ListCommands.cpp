/*
 * The list commands. Every question is Yes/No/Cancel and only Yes goes on. Lines go in one
 * pass over the list (through the selection), so a long list is cut down in linear time.
 */
#include "targets/ListCommands.h"

#include "base/Desktop.h"
#include "base/Paths.h"
#include "regex/CRegexp.h"

namespace {

constexpr const char* kNothingToCopy = "Nothing to copy.";
constexpr const char* kNothingToPaste = "Nothing to paste.";

bool Confirmed(Desktop& desktop, const std::string& question)
{
    return desktop.AskYesNoCancel(question) == DesktopAnswer::Yes;
}

std::string DeleteQuestion(std::size_t n)
{
    return "Delete the " + std::to_string(n) + " items from the list?";
}

// Asks about and deletes the selected lines; whether anything was deleted.
bool DeleteSelectedAsked(Desktop& desktop, LineList& lines)
{
    std::size_t selected = lines.SelectedCount();
    if (selected == 0 || !Confirmed(desktop, DeleteQuestion(selected)))
        return false;
    lines.RemoveSelected();
    return true;
}

void InvertSelection(LineList& lines)
{
    for (std::size_t i = 0; i < lines.Count(); ++i)
        lines.Select(i, !lines.IsSelected(i));
}

// Asks about and deletes the lines that are not selected; whether it deleted them.
bool LeaveSelectedAsked(Desktop& desktop, LineList& lines)
{
    std::size_t selected = lines.SelectedCount();
    if (lines.Count() == 0 || selected == 0 || !Confirmed(desktop, DeleteQuestion(lines.Count() - selected)))
        return false;
    InvertSelection(lines);
    lines.RemoveSelected();
    lines.SelectAll(true);
    return true;
}

void Copy(Desktop& desktop, const LineList& lines, bool selectedOnly, const char* where)
{
    std::size_t n = selectedOnly ? lines.SelectedCount() : lines.Count();
    if (n == 0) {
        desktop.Notice(kNothingToCopy);
        return;
    }
    std::string question = selectedOnly ? "Copy " + std::to_string(n) + " items to the clipboard?"
                                        : std::string("Copy all list items to the clipboard?");
    if (!Confirmed(desktop, question))
        return;
    desktop.SetClipboardText(ClipboardText(lines, selectedOnly).c_str());
    desktop.Notice(std::to_string(n) + " items has copied " + where + " the clipboard");
}

// A usable piece as the target list holds it: absolute, its directory part kept.
std::string AbsolutePiece(const std::string& piece)
{
    CDynString path = PathString(piece);
    MakeAbsolute(path);
    return std::string(path.View());
}

void PasteIntoTargets(Desktop& desktop, TargetList& targets)
{
    std::string text = desktop.GetClipboardText();
    if (text.empty()) {
        desktop.Notice(kNothingToPaste);
        return;
    }
    std::vector<std::string> pieces = ClipboardPieces(text);
    if (!Confirmed(desktop, "Append " + std::to_string(pieces.size()) + " clipboard items to the listbox?"))
        return;
    targets.GatherList();
    PathIndex index(targets.outputList);
    for (const std::string& piece : pieces) {
        if (IsUsablePathPiece(piece))
            index.AppendTo(targets.outputList, AbsolutePiece(piece));
    }
    targets.FillListFromOutput(true);
    if (targets.dirCount > 0)
        desktop.Notice(kDirectoriesHint);
}

void PasteIntoReport(Desktop& desktop, LineList& report)
{
    std::string text = desktop.GetClipboardText();
    if (text.empty()) {
        desktop.Notice(kNothingToPaste);
        return;
    }
    if (!Confirmed(desktop, "Append clipboard items to the listbox?"))
        return;
    for (const std::string& piece : ClipboardPieces(text)) {
        if (IsUsablePathPiece(piece))
            report.Append(piece);
    }
}

void LeaveNotOnClipboard(Desktop& desktop, TargetList& targets)
{
    std::string text = desktop.GetClipboardText();
    if (text.empty())
        return;
    std::vector<std::string> pieces = ClipboardPieces(text);
    if (!Confirmed(desktop, "Leave items not on the cipboard?"))
        return;
    targets.GatherList();
    PathIndex onClipboard;
    for (const std::string& piece : pieces) {
        if (IsUsablePathPiece(piece))
            onClipboard.Add(AbsolutePiece(piece));
    }
    CWexList<CDynString>& output = targets.outputList;
    for (CWexNode<CDynString>* node = output.head; node != nullptr;) {
        CWexNode<CDynString>* next = node->next;
        if (onClipboard.Contains(node->element.View()))
            output.t_DeleteTag(node);
        node = next;
    }
    std::size_t before = targets.lines.Count();
    targets.FillListFromOutput(true);
    std::size_t after = targets.lines.Count();
    desktop.Notice(std::to_string(before - after) + " items removed,\n" + std::to_string(after) +
                   " remained.");
}

void Explore(Desktop& desktop, const LineList& lines)
{
    std::vector<std::size_t> selected = lines.SelectedIndices();
    if (selected.empty())
        desktop.Notice("Nothing to explore.");
    else if (selected.size() > 1)
        desktop.Notice("Only one file/dir can be explored!");
    else
        desktop.OpenWithDefaultHandler(lines.Line(selected.front()));
}

// The commands that work alike on both lists; whether command was one of them.
bool RunSelectionCommand(LineList& lines, ListCommand command)
{
    switch (command) {
    case ListCommand::SelectAll:
    case ListCommand::DeselectAll:
        lines.SelectAll(command == ListCommand::SelectAll);
        return true;
    case ListCommand::InvertSelection:
        InvertSelection(lines);
        return true;
    default:
        return false;
    }
}

}  // namespace

const std::vector<ListMenuItem> kListMenu = {
    {ListCommand::DeleteSelected, "delete selected items"},
    {ListCommand::LeaveSelected, "leave selected items"},
    {ListCommand::LeaveNotOnClipboard, "leave items NOT on the clipboard"},
    {ListCommand::ExploreSelected, "explore selected one"},
    {std::nullopt, ""},
    {ListCommand::SelectAll, "select all"},
    {ListCommand::DeselectAll, "deselect all"},
    {ListCommand::InvertSelection, "invert selection"},
    {std::nullopt, ""},
    {ListCommand::CopyAll, "copy all items"},
    {ListCommand::CopySelected, "copy selected items"},
    {ListCommand::Paste, "paste items"},
};

std::string ClipboardText(const LineList& lines, bool selectedOnly)
{
    std::string text;
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        if (selectedOnly && !lines.IsSelected(i))
            continue;
        text += lines.Line(i);
        text += "\r\n";
    }
    if (!text.empty())
        text.resize(text.size() - 2);
    return text;
}

std::vector<std::string> ClipboardPieces(const std::string& text)
{
    CRegexp separators("[\t\r\n]+", "g");
    CWexList<CDynString> pieces;
    pieces.unique = false;
    separators.Split(std::string_view(text), &pieces, 0);
    std::vector<std::string> result;
    for (const CWexNode<CDynString>* node = pieces.head; node != nullptr; node = node->next)
        result.emplace_back(node->element.View());
    return result;
}

bool IsUsablePathPiece(const std::string& piece)
{
    return !piece.empty() && GetPathKind(piece.c_str()) != kPathNothing;
}

void RunListCommand(Desktop& desktop, TargetList& targets, ListCommand command)
{
    if (RunSelectionCommand(targets.lines, command))
        return;
    switch (command) {
    case ListCommand::DeleteSelected:
        if (DeleteSelectedAsked(desktop, targets.lines))
            targets.RecountList();
        break;
    case ListCommand::LeaveSelected:
        if (LeaveSelectedAsked(desktop, targets.lines))
            targets.RecountList();
        break;
    case ListCommand::LeaveNotOnClipboard:
        LeaveNotOnClipboard(desktop, targets);
        break;
    case ListCommand::ExploreSelected:
        Explore(desktop, targets.lines);
        break;
    case ListCommand::CopyAll:
    case ListCommand::CopySelected:
        Copy(desktop, targets.lines, command == ListCommand::CopySelected, "to");
        break;
    case ListCommand::Paste:
        PasteIntoTargets(desktop, targets);
        break;
    default:
        break;
    }
}

void RunListCommand(Desktop& desktop, LineList& report, ListCommand command)
{
    if (RunSelectionCommand(report, command))
        return;
    switch (command) {
    case ListCommand::DeleteSelected:
        DeleteSelectedAsked(desktop, report);
        break;
    case ListCommand::LeaveSelected:
        LeaveSelectedAsked(desktop, report);
        break;
    case ListCommand::CopyAll:
    case ListCommand::CopySelected:
        Copy(desktop, report, command == ListCommand::CopySelected, "on");
        break;
    case ListCommand::Paste:
        PasteIntoReport(desktop, report);
        break;
    default:
        break;
    }
}
