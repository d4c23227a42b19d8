/*
 * LineList: the lines of a list control (8-bit strings) with their selection. The target
 * list and the report list are both one. Views subscribe to change notifications: a
 * structural change is announced before and after it happens, so a view model can bracket
 * it; other changes are announced after.
 */
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// One change of a LineList.
struct LineListChange {
    // What changed.
    enum class Kind {
        Inserted,   // lines [first, first + count) were inserted
        Removed,    // lines [first, first + count) were removed
        Changed,    // the texts of lines [first, first + count) changed
        Selection,  // the selection changed
        Reset,      // everything may have changed
    };
    // Before: about to happen (Inserted, Removed, Reset only); After: done.
    enum class Phase { Before, After };

    // What changed.
    Kind kind = Kind::Reset;
    // Whether this announces the change or reports it done.
    Phase phase = Phase::After;
    // The first line concerned.
    std::size_t first = 0;
    // How many lines are concerned.
    std::size_t count = 0;
};

class LineList {
public:
    using Listener = std::function<void(const LineListChange&)>;

    // Number of lines.
    std::size_t Count() const { return lines_.size(); }
    // The text of line i (i < Count()).
    const std::string& Line(std::size_t i) const { return lines_[i]; }
    // All lines in order.
    const std::vector<std::string>& Lines() const { return lines_; }

    // Appends a line (unselected); returns its index.
    std::size_t Append(std::string line);
    // Appends several lines (unselected) as one insertion.
    void AppendLines(std::vector<std::string> lines);
    // Inserts a line before index i (i == Count() appends), unselected. False if i is beyond.
    bool Insert(std::size_t i, std::string line);
    // Replaces the text of line i, keeping its selection. False if i is out of range.
    bool SetLine(std::size_t i, std::string line);
    // Removes line i. False if i is out of range.
    bool Remove(std::size_t i);
    // Removes every selected line; returns how many. Each run of adjacent selected lines is
    // one removal; past kMaxRunsRemovedOneByOne runs the change is reported as a reset.
    std::size_t RemoveSelected();
    // Removes every line.
    void Clear();
    // Replaces all lines (none selected).
    void Assign(std::vector<std::string> lines);

    // Whether line i is selected (false out of range).
    bool IsSelected(std::size_t i) const;
    // Selects or deselects line i. False if i is out of range.
    bool Select(std::size_t i, bool on);
    // Selects or deselects every line.
    void SelectAll(bool on);
    // The indices of the selected lines, ascending.
    std::vector<std::size_t> SelectedIndices() const;
    // Number of selected lines.
    std::size_t SelectedCount() const;

    // Adds a listener; returns an id for Unsubscribe.
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

    // The most runs of selected lines RemoveSelected reports one by one.
    static constexpr std::size_t kMaxRunsRemovedOneByOne = 32;

private:
    // Removes lines [first, first + count), which must exist.
    void RemoveRange(std::size_t first, std::size_t count);
    // Removes every selected line in one pass, reported as a reset.
    void RemoveSelectedAtOnce();
    void Notify(LineListChange::Kind kind, LineListChange::Phase phase, std::size_t first,
                std::size_t count) const;

    // The line texts in order.
    std::vector<std::string> lines_;
    // Parallel to lines_: whether each line is selected.
    std::vector<bool> selected_;
    // Subscribed listeners with their ids.
    std::vector<std::pair<int, Listener>> listeners_;
    // The id the next Subscribe hands out.
    int nextListenerId_ = 1;
};
