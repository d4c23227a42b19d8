/*
 * TargetList: the refills, gatherings and recounts of the target list, its normalisation,
 * "Empty!", the drop and the expansion's progress notification.
 */
#include "targets/TargetList.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "base/Desktop.h"
#include "base/Paths.h"

namespace {

// The page accepts a drop anywhere within these bounds.
constexpr int kDropBound = 10000;

}  // namespace

void TargetList::ShowCounters()
{
    if (view != nullptr)
        view->ShowCounters(allCount, dirCount, fileCount);
}

void TargetList::ShowStatus(const std::string& text)
{
    if (view != nullptr)
        view->ShowStatus(text);
}

void TargetList::ShowRecount()
{
    allCount = dirCount + fileCount;
    ShowStatus("");
    ShowCounters();
}

TargetList::TargetList()
{
    lines.Subscribe([this](const LineListChange& change) {
        if (change.kind != LineListChange::Kind::Selection)
            linesChecked_ = false;
    });
}

void TargetList::FillListFromOutput(bool reset, const std::vector<int>& knownKinds)
{
    // The lines kept from before count as checked only if they were.
    const bool checked = reset || linesChecked_;
    if (reset) {
        dirCount = 0;
        fileCount = 0;
        lines.Clear();
    }
    const bool kindsKnown = knownKinds.size() == static_cast<std::size_t>(outputList.count);
    std::unordered_set<std::string> listed(lines.Lines().begin(), lines.Lines().end());
    std::vector<std::string> added;
    std::size_t at = 0;
    for (const CWexNode<CDynString>* node = outputList.head; node != nullptr; node = node->next, ++at) {
        std::string path(node->element.View());
        int kind = kindsKnown ? knownKinds[at] : GetPathKind(path.c_str());
        if (kind == kPathNothing || !listed.insert(path).second)
            continue;
        ++(kind == kPathFile ? fileCount : dirCount);
        added.push_back(std::move(path));
    }
    lines.AppendLines(std::move(added));
    allCount = dirCount + fileCount;
    ShowStatus("");
    inputList.t_DeleteList();
    outputList.t_DeleteList();
    normalized = false;
    linesChecked_ = checked;
    ShowCounters();
}

void TargetList::GatherList()
{
    outputList.t_DeleteList();
    inputList.t_DeleteList();
    dirCount = 0;
    fileCount = 0;
    PathIndex index;
    for (const std::string& line : lines.Lines()) {
        int kind = GetPathKind(line.c_str());
        if (kind == kPathNothing)
            continue;
        if (index.AppendTo(outputList, line))
            ++(kind == kPathFile ? fileCount : dirCount);
    }
    ShowRecount();
}

void TargetList::RecountList()
{
    dirCount = 0;
    fileCount = 0;
    for (const std::string& line : lines.Lines()) {
        int kind = GetPathKind(line.c_str());
        if (kind == kPathFile)
            ++fileCount;
        else if (kind == kPathDirectory)
            ++dirCount;
    }
    ShowRecount();
}

void TargetList::DeleteSelectedLines()
{
    lines.RemoveSelected();
    RecountList();
}

bool TargetList::NormalizeTargets()
{
    if (normalized)
        return true;
    GatherList();
    SortOutputIntoLines();
    return true;
}

bool TargetList::NormalizeRefilledTargets()
{
    if (normalized || !linesChecked_)
        return NormalizeTargets();
    inputList.t_DeleteList();
    outputList.t_DeleteList();
    for (const std::string& line : lines.Lines())
        outputList.t_Insert(outputList.tail, PathString(line));
    SortOutputIntoLines();
    return true;
}

void TargetList::SortOutputIntoLines()
{
    // Paths are distinct byte for byte, but their order ignores case.
    for (CWexNode<CDynString>* node = outputList.head; node != nullptr; node = node->next)
        node->element.caseSensitive = false;
    outputList.t_Sort(outputList.head, 0, outputList.tail, outputList.count - 1, false);
    // The paths were just found existing, distinct and counted, so the sorted list becomes
    // the lines without asking the file system about every path again.
    std::vector<std::string> sorted;
    sorted.reserve(static_cast<std::size_t>(outputList.count));
    for (const CWexNode<CDynString>* node = outputList.head; node != nullptr; node = node->next)
        sorted.emplace_back(node->element.View());
    lines.Assign(std::move(sorted));
    inputList.t_DeleteList();
    outputList.t_DeleteList();
    ShowRecount();
    normalized = true;
    linesChecked_ = true;
}

void TargetList::ClearCounters()
{
    allCount = dirCount = fileCount = 0;
    ShowCounters();
}

void TargetList::Empty()
{
    lines.Clear();
    dirCount = 0;
    fileCount = 0;
    allCount = 0;
    inputList.t_DeleteList();
    outputList.t_DeleteList();
    ShowStatus("");
    ShowCounters();
}

void TargetList::OnFinderNotify(std::int32_t added, const char* path, int kind)
{
    ShowStatus(path != nullptr ? path : "");
    if (added == 0)
        return;
    ++allCount;
    ++(kind == kPathFile ? fileCount : dirCount);
    ShowCounters();
}

void TargetList::AddPaths(const std::vector<std::string>& names, std::vector<std::string>* skipped)
{
    FileDrop drop{names, 0, 0};
    CFileFinder::AddDroppedFiles(&drop, true, outputList, 0, 0, kDropBound, kDropBound, skipped);
    FillListFromOutput(false);
}

void TargetList::OnDropFiles(Desktop& desktop, const FileDrop& drop, std::vector<std::string>* skipped)
{
    CFileFinder::AddDroppedFiles(&drop, true, outputList, 0, 0, kDropBound, kDropBound, skipped);
    FillListFromOutput(false);
    if (dirCount > 0)
        desktop.Notice(kDirectoriesHint);
}
