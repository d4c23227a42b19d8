/*
 * LineList: lines and a parallel selection vector. Every mutation tells the listeners: a
 * structural change (insert, remove, reset) before and after, a text or selection change after.
 * Removing many scattered selected lines compacts the list in one pass and reports a reset,
 * instead of shifting the tail once per run.
 */
#include "base/LineList.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
using Kind = LineListChange::Kind;
using Phase = LineListChange::Phase;
}  // namespace

void LineList::Notify(Kind kind, Phase phase, std::size_t first, std::size_t count) const
{
    // A listener may unsubscribe while being told; iterate over a copy.
    auto listeners = listeners_;
    for (const auto& entry : listeners)
        entry.second(LineListChange{kind, phase, first, count});
}

std::size_t LineList::Append(std::string line)
{
    Insert(lines_.size(), std::move(line));
    return lines_.size() - 1;
}

void LineList::AppendLines(std::vector<std::string> lines)
{
    if (lines.empty())
        return;
    std::size_t first = lines_.size();
    Notify(Kind::Inserted, Phase::Before, first, lines.size());
    std::move(lines.begin(), lines.end(), std::back_inserter(lines_));
    selected_.resize(lines_.size(), false);
    Notify(Kind::Inserted, Phase::After, first, lines.size());
}

bool LineList::Insert(std::size_t i, std::string line)
{
    if (i > lines_.size())
        return false;
    Notify(Kind::Inserted, Phase::Before, i, 1);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(i), std::move(line));
    selected_.insert(selected_.begin() + static_cast<std::ptrdiff_t>(i), false);
    Notify(Kind::Inserted, Phase::After, i, 1);
    return true;
}

bool LineList::SetLine(std::size_t i, std::string line)
{
    if (i >= lines_.size())
        return false;
    lines_[i] = std::move(line);
    Notify(Kind::Changed, Phase::After, i, 1);
    return true;
}

bool LineList::Remove(std::size_t i)
{
    if (i >= lines_.size())
        return false;
    RemoveRange(i, 1);
    return true;
}

std::size_t LineList::RemoveSelected()
{
    // Runs of selected lines, as [first, end) pairs, in ascending order.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < selected_.size(); ++i) {
        if (!selected_[i])
            continue;
        if (!runs.empty() && runs.back().second == i)
            runs.back().second = i + 1;
        else
            runs.emplace_back(i, i + 1);
    }
    std::size_t removed = 0;
    for (const auto& run : runs)
        removed += run.second - run.first;
    if (runs.size() > kMaxRunsRemovedOneByOne) {
        RemoveSelectedAtOnce();
        return removed;
    }
    // From the end, so the runs still to remove keep their indices.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        RemoveRange(run->first, run->second - run->first);
    return removed;
}

void LineList::RemoveRange(std::size_t first, std::size_t count)
{
    auto from = static_cast<std::ptrdiff_t>(first);
    auto to = static_cast<std::ptrdiff_t>(first + count);
    Notify(Kind::Removed, Phase::Before, first, count);
    lines_.erase(lines_.begin() + from, lines_.begin() + to);
    selected_.erase(selected_.begin() + from, selected_.begin() + to);
    Notify(Kind::Removed, Phase::After, first, count);
}

void LineList::RemoveSelectedAtOnce()
{
    Notify(Kind::Reset, Phase::Before, 0, lines_.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!selected_[i])
            lines_[kept++] = std::move(lines_[i]);
    }
    lines_.resize(kept);
    selected_.assign(kept, false);
    Notify(Kind::Reset, Phase::After, 0, kept);
}

void LineList::Clear()
{
    Assign({});
}

void LineList::Assign(std::vector<std::string> lines)
{
    Notify(Kind::Reset, Phase::Before, 0, lines_.size());
    lines_ = std::move(lines);
    selected_.assign(lines_.size(), false);
    Notify(Kind::Reset, Phase::After, 0, lines_.size());
}

bool LineList::IsSelected(std::size_t i) const
{
    return i < selected_.size() && selected_[i];
}

bool LineList::Select(std::size_t i, bool on)
{
    if (i >= selected_.size())
        return false;
    if (selected_[i] != on) {
        selected_[i] = on;
        Notify(Kind::Selection, Phase::After, i, 1);
    }
    return true;
}

void LineList::SelectAll(bool on)
{
    std::fill(selected_.begin(), selected_.end(), on);
    Notify(Kind::Selection, Phase::After, 0, selected_.size());
}

std::vector<std::size_t> LineList::SelectedIndices() const
{
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < selected_.size(); ++i) {
        if (selected_[i])
            indices.push_back(i);
    }
    return indices;
}

std::size_t LineList::SelectedCount() const
{
    return static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), true));
}

int LineList::Subscribe(Listener listener)
{
    int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void LineList::Unsubscribe(int id)
{
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}
