/*
 * TargetList: the files and directories a run, a backup or a wipe works on. The lines are a
 * LineList (with their selection); beside them the counters of all, directories and files,
 * the `normalized` flag and the two working lists through which drops, pastes, gatherings
 * and expansions pass before the lines are refilled.
 *
 * Paths are compared byte for byte (the file system is case-sensitive), so every path string
 * in the working lists carries the case-sensitive flag; only the sort of NormalizeTargets
 * orders them without regard to case.
 */
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/CDynString.h"
#include "base/CWexList.h"
#include "base/LineList.h"
#include "targets/CFileFinder.h"
#include "targets/PathIndex.h"

class Desktop;

// The hint shown when directories are listed after a drop or a paste.
inline constexpr const char* kDirectoriesHint =
    "You've some directories in the list.\r\nTo process stuffs in these items,\r\n"
    "you have to push [Expand!] button";

// The page's counters and status field, as the target list drives them.
class TargetListView {
public:
    virtual ~TargetListView() = default;
    // Shows the three counters.
    virtual void ShowCounters(std::int32_t all, std::int32_t dirs, std::int32_t files) = 0;
    // Shows one line of text under the list.
    virtual void ShowStatus(const std::string& text) = 0;
};

class TargetList : public FinderObserver {
public:
    // The lines of the list control, with their selection.
    LineList lines;
    // Lines counted as existing files or directories (dirCount + fileCount after a refill).
    std::int32_t allCount = 0;
    // Lines that are directories.
    std::int32_t dirCount = 0;
    // Lines that are files.
    std::int32_t fileCount = 0;
    // Whether the lines are known to exist, be distinct and be sorted.
    bool normalized = true;
    // Start paths of an expansion; empty outside one.
    CWexList<CDynString> inputList;
    // What a drop, a gathering or an expansion produced; empty outside those.
    CWexList<CDynString> outputList;
    // The counters and the status field, or none.
    TargetListView* view = nullptr;

    TargetList();
    // The lines' listener refers to this object.
    TargetList(const TargetList&) = delete;
    TargetList& operator=(const TargetList&) = delete;

    // Appends the existing paths of outputList that are not listed yet (after removing every
    // line when reset); empties both working lists; clears `normalized`. When knownKinds
    // holds a kind for every outputList path (a walk has just read them), those are taken
    // instead of asking the file system again.
    void FillListFromOutput(bool reset, const std::vector<int>& knownKinds = {});
    // Rebuilds outputList from the existing, distinct lines and counts them; the lines stay.
    void GatherList();
    // Counts the lines that exist as files or directories.
    void RecountList();
    // Removes every selected line, then recounts.
    void DeleteSelectedLines();
    // Drops vanished and repeated lines and sorts the rest, unless already normalized.
    bool NormalizeTargets();
    // NormalizeTargets for a caller that normalises right after the refill, with no time for
    // the files to change in between: lines a refill has found existing and distinct, and
    // nothing has changed since, are only sorted, not asked about again.
    bool NormalizeRefilledTargets();
    // Sets the three counters to 0 and shows them (the start of an expansion).
    void ClearCounters();
    // "Empty!": no lines, counters 0, working lists empty; `normalized` unchanged.
    void Empty();
    // An expansion examined path, of the given kind; added is 0 when it was not taken (else
    // the result count).
    void OnFinderNotify(std::int32_t added, const char* path, int kind) override;

    // Adds names to the lines the way dropped names are: made absolute with their directory
    // part kept, unknown ones skipped (into `skipped` when given), none listed twice.
    void AddPaths(const std::vector<std::string>& names, std::vector<std::string>* skipped = nullptr);
    // A drop on the page: AddPaths, then the directories hint when any directory is listed.
    void OnDropFiles(Desktop& desktop, const FileDrop& drop,
                     std::vector<std::string>* skipped = nullptr);

    // The lines as paths, in order.
    const std::vector<std::string>& Paths() const { return lines.Lines(); }

private:
    // Sorts outputList without regard to case into the lines, empties both working lists,
    // and marks the lines normalized.
    void SortOutputIntoLines();
    // Sets allCount from the other two and shows the counters and an empty status.
    void ShowRecount();
    void ShowCounters();
    void ShowStatus(const std::string& text);

    // Every line was found existing and distinct (and counted) by the refill or the
    // normalisation that set it, and no line has changed since.
    bool linesChecked_ = true;
};
