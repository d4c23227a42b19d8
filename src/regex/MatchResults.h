/*
 * MatchResults.h - the record of one search: one backref_tag per group.
 *
 * The matcher fills the records while it backtracks (a capturing group keeps its
 * tentative begin in its own record); after a search the records hold the committed
 * positions. Positions are pointers into the searched text; an unmatched record has
 * both pointers null and matched false, so it differs from an empty match at the
 * subject's start.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace regex {

// One group's result.
struct backref_tag {
    const char* first = nullptr;      // where the group's text begins
    const char* second = nullptr;     // one past its end
    bool matched = false;             // whether the group took part in the match
    const char* tentative = nullptr;  // begin of the attempt in progress (matcher only)

    // The characters from first up to second; empty when unmatched.
    std::string str() const;
    // Number of characters matched; 0 when unmatched.
    std::ptrdiff_t length() const;
    // Back to the unmatched state.
    void reset() { *this = backref_tag{}; }
};

// Why a search ended before it could say whether the pattern matches.
enum class search_stop : uint8_t {
    none,       // the search ran to its end
    budget,     // it used up its budget of steps
    stack,      // it ran out of machine stack
    cancelled,  // the caller's cancel flag was set
};

// The results of one search (or of a global search, as the back-reference flags keep them).
class MatchResults {
public:
    // Number of records.
    size_t size() const { return records_.size(); }
    // Record i; throws std::out_of_range("invalid vector<T> subscript") when i is outside.
    const backref_tag& at(size_t i) const;
    backref_tag& at(size_t i);
    // All records in order.
    const std::vector<backref_tag>& records() const { return records_; }
    std::vector<backref_tag>& records() { return records_; }
    // The begin of the searched subject (the reference point of "$`" in a substitution).
    const char* subject_begin() const { return subject_begin_; }
    void set_subject_begin(const char* begin) { subject_begin_ = begin; }
    // Why the last search stopped early (none when it ran to its end); a stopped search
    // holds no match.
    search_stop stopped() const { return stopped_; }
    void set_stopped(search_stop why) { stopped_ = why; }

    // Make the vector hold n records, each unmatched.
    void resize(size_t n);
    // Set every record to unmatched.
    void reset();
    // Free the vector.
    void release();

private:
    std::vector<backref_tag> records_;      // one per group (or per kept group of a global search)
    const char* subject_begin_ = nullptr;   // begin of the searched range
    search_stop stopped_ = search_stop::none;  // why the last search stopped early
};

}  // namespace regex
