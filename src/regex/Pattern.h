/*
 * Pattern.h - a compiled regular expression and the searches made with it.
 *
 * A Pattern is built from engine flags, a pattern text and an optional substitution
 * text, then compiled into a tree of nodes taken from an arena. A compiled Pattern is
 * read-only while it searches, so one pattern serves any number of searches in turn.
 * Syntax errors throw bad_regexpr with one of the engine's fixed messages.
 */
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "regex/MatchResults.h"

namespace regex {

// Engine flags (a 32-bit word).
enum : uint32_t {
    NOCASE = 0x0001,         // letters compare without regard to case
    GLOBAL = 0x0002,         // search and substitute report every match
    MULTILINE = 0x0004,      // "^" and "$" also match at line boundaries
    SINGLELINE = 0x0008,     // "." also matches the line feed
    NOBACKREFS = 0x0020,     // group records of a global search are not kept
    FIRSTBACKREFS = 0x0040,  // a global search keeps group 0 of every match
    ALLBACKREFS = 0x0080,    // a global search keeps all groups of every match
    NORMALIZE = 0x0100,      // C-style escapes stand for control characters
    EXTENDED = 0x0200,       // white space is skipped and "#" starts a comment
};

// A syntax error in a pattern or substitution text.
class bad_regexpr : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct sub_expr;
struct match_group;
struct repeat_node;
struct width_range;
class arena_allocator;
struct prefix_searcher;
struct multi_prefix;
struct start_scan;
class lazy_dfa;
class backtracker;
struct quant_slot;

// When a search lets a lazy DFA find where the match lies before the matcher fills in
// its groups (only for patterns the DFA can follow). The tests that check the DFA's matches
// against the matcher's alone need always and never; searches use where_it_pays.
enum class dfa_use : uint8_t {
    where_it_pays,  // only where no literal picks the candidates
    always,         // wherever the pattern allows
    never,          // the matcher alone
};

// One piece of a parsed substitution text.
// Bounds on the work of one search. A search that reaches one stops, reports no match and
// says why (MatchResults::stopped).
struct search_limits {
    // Steps allowed per search where failed states are not remembered: this many, plus
    // steps_per_byte for each byte of the searched range.
    uint64_t base_steps = 50'000'000;
    uint64_t steps_per_byte = 200;
    // Steps a search takes before it starts remembering failed states (where it may):
    // short searches never pay for the memo.
    uint64_t remember_after_steps = 4096;
    // Set by the caller, from another thread or a signal handler, to stop a search early.
    const std::atomic<bool>* cancel = nullptr;
    // Called at every look at the cancel flag, just before it: a caller on one thread handles
    // its pending events here, and one of them may set the flag. A search it starts gets
    // stacks of its own and leaves the running one's alone.
    std::function<void()> poll;
};

struct subst_piece {
    enum kind_t { literal = 0, group = 1, case_op = 2 };
    enum case_t { upper_all, upper_next, lower_all, lower_next, end_case };
    kind_t kind;  // what the piece inserts
    int value;    // literal: offset in the text; group: number (-1 before, -2 after); case_op: case_t
    int length;   // literal: number of characters
};

class Pattern {
public:
    Pattern(uint32_t flags, std::string pattern, std::string substitution = {});
    ~Pattern();
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    // Parse the pattern (and the substitution, when one was given), with a lazy DFA where
    // `use` calls for one. Throws bad_regexpr, or std::bad_alloc ("bad allocation") when the
    // arena cannot grow.
    void compile(dfa_use use = dfa_use::where_it_pays);

    // Number of capturing groups, group 0 included.
    int group_count() const { return group_count_; }
    uint32_t flags() const { return flags_; }
    // Shortest and longest possible match (-1: unbounded).
    int min_width() const { return min_width_; }
    int max_width() const { return max_width_; }

    // Bounds for the searches that follow; the pattern keeps a copy.
    void set_limits(const search_limits& limits) { limits_ = limits; }
    const search_limits& limits() const { return limits_; }
    // Whether failed states are remembered, so a search never backtracks exponentially
    // (no back-reference, no condition on a group, no recursion).
    bool memoised() const { return memo_rows_ > 0; }
    // Whether searches let a lazy DFA find where matches lie: compile() called for one, and
    // the pattern allows it (no back-reference, look-around, anchor, independent group,
    // condition or recursion; no empty match).
    bool has_dfa() const { return dfa_ != nullptr; }

    // Parse a substitution text into the piece list; throws bad_regexpr and keeps the
    // previous list on error.
    void set_substitution(const std::string& text);

    // One search over [begin, end); the range start is the subject begin.
    bool match(const char* begin, const char* end, MatchResults& results) const;
    // The same over a NUL-terminated text.
    bool match(const char* cstr, MatchResults& results) const;
    // With GLOBAL: every match, records kept as the back-reference flags say; else as match().
    bool global_match(const char* begin, const char* end, MatchResults& results) const;
    // One search of the subject [subject_begin, end) whose attempts start at from
    // (subject_begin <= from <= end, else no match): "^", "\A", "\b", "\B", look-behind and
    // back-references see the text from subject_begin on. An empty match at no_empty_at is
    // passed over, so a caller stepping through the matches can pass where the last one ended.
    bool search_from(const char* subject_begin, const char* end, const char* from, MatchResults& results,
                     const char* no_empty_at = nullptr) const;
    // The expansion of the substitution for the match results holds: "$`" is the text from
    // prefix_begin to the match, "$'" the text from the match up to suffix_end (empty where
    // those bounds lie inside the match). Empty when results hold no match.
    std::string expand(const MatchResults& results, const char* prefix_begin, const char* suffix_end) const;
    // Replace within s[start, start + len) (npos: to the end) the first match, or every
    // match with GLOBAL, by the substitution; returns the number of replacements. A search
    // that stops early (results.stopped()) leaves s unchanged and returns 0.
    int substitute(std::string& s, size_t start, size_t len, MatchResults& results) const;
    // Cut [begin, end) at the matches; returns the number of pieces appended, or -1 (and
    // appends nothing) when a search stopped early (results.stopped() says why).
    int split(const char* begin, const char* end, int limit, std::vector<std::string>& pieces,
              MatchResults& results) const;

private:
    friend class pattern_parser;
    friend class backtracker;

    // Search once from `from` within [begin, end); forbid_empty_at bars an empty match there.
    bool search(const char* begin, const char* end, const char* from, const char* forbid_empty_at,
                MatchResults& results) const;
    // The same with a matcher made for [begin, end) that holds results' records and slots
    // as its counters; results must already hold one record per group.
    bool search_with(backtracker& machine, quant_slot* slots, const char* from, const char* forbid_empty_at,
                     MatchResults& results) const;
    const char* next_candidate(const char* begin, const char* pos, const char* last, const char* end) const;
    const char* lead_candidate(const char* pos, const char* last, const char* end) const;
    // Build the replacement of one match into out; "$`" starts at prefix_begin, "$'" ends at suffix_end.
    void build_replacement(std::string& out, const MatchResults& results, const char* prefix_begin,
                           const char* suffix_end) const;
    void analyse(bool has_recursion);
    void plan_memo();
    void plan_follow_sets();
    bool build_prefix(const sub_expr* first);
    void build_lead_suffix(const repeat_node* r);
    bool build_prefixes(const sub_expr* first);
    const char* required_candidate(const char* pos, const char* last, const char* end) const;
    const char* line_candidate(const char* begin, const char* pos, const char* last) const;
    void plan_dfa(dfa_use use);
    // Moves from to where the DFA says the match begins; false when it says there is none.
    bool dfa_start(const char*& from, const char* end) const;
    // The search of a pattern that is one literal: where the scan finds it is the match.
    bool find_literal(const char* begin, const char* end, const char* from, MatchResults& results) const;

    std::unique_ptr<arena_allocator> arena_;         // owner of every node
    bool try_every_start_ = true;                    // false when a failure at the first position fails everywhere
    int group_count_ = 0;                            // capturing groups, group 0 included
    uint32_t flags_;                                 // engine flags as given
    int min_width_ = 0;                              // shortest possible match
    int max_width_ = -1;                             // longest possible match, -1 unbounded
    std::string pattern_;                            // the pattern text that was parsed
    std::string substitution_;                       // the substitution text (after escape normalisation)
    std::vector<subst_piece> pieces_;                // the parsed substitution
    match_group* top_ = nullptr;                     // the group node of group 0
    std::unique_ptr<prefix_searcher> prefix_;        // literal every match begins with, if any
    bool literal_only_ = false;                      // the pattern is prefix_ and nothing else: where it is found is the match
    std::unique_ptr<multi_prefix> prefixes_;         // literals every match begins with one of, if any
    std::unique_ptr<prefix_searcher> lead_suffix_;   // literal right after a leading repeat, if any
    const repeat_node* lead_repeat_ = nullptr;       // that leading repeat
    std::unique_ptr<multi_prefix> required_;         // literals one of which every match holds at a bounded offset
    int required_lo_ = 0;                            // fewest bytes between a match's start and that literal
    int required_hi_ = 0;                            // most bytes between a match's start and that literal
    std::unique_ptr<multi_prefix> must_;             // literals one of which every match holds somewhere
    bool line_start_ = false;                        // every match begins at a line start (multi-line "^")
    std::unique_ptr<start_scan> starts_;             // the bytes a match can begin with (and follow), and their scan
    int quantifier_count_ = 0;                       // group quantifiers, each with a counter slot
    int memo_rows_ = 0;                              // rows of the failure memo (0: not remembered)
    search_limits limits_;                           // bounds on each search's work
    std::unique_ptr<lazy_dfa> dfa_;                  // finds where matches lie, where searches use one
    bool compiled_ = false;                          // compile() has completed
};

}  // namespace regex
