/*
 * LazyDfa.h - finds where the leftmost-first match lies without backtracking.
 *
 * A pattern without back-references, look-around, anchors, independent groups,
 * conditionals or recursion, whose matches are never empty and whose quantified groups
 * never match empty, describes a plain regular language with an order of preference among
 * its ways to match. Two automata are made from its node tree:
 * - forward: a state is the list of NFA positions the live threads stand at, in order of
 *   preference (an earlier start first, then the matcher's order of choices). Where a thread
 *   reaches the end, the threads after it are dropped and no new start is added; the scan
 *   goes on while threads before it live. The last end seen is the end of the match the
 *   backtracking matcher finds.
 * - reverse: the reversed pattern, run backwards from that end, keeping the longest: the
 *   leftmost start of a match ending there, which is that match's start (a match starting
 *   further left would have been preferred).
 * States are made when a scan first needs them and kept with their transitions per byte
 * class, within a fixed budget of memory; a full cache is cleared and the scan goes on, and
 * a scan that keeps clearing it gives up and leaves the search to the matcher.
 */
#pragma once

#include <memory>
#include <mutex>

namespace regex {

struct match_group;
class dfa_automaton;

// Where the leftmost-first match in a range lies, as far as the automata can tell.
struct dfa_span {
    enum outcome_t { found, none, unknown };
    outcome_t outcome = unknown;  // found: [start, end) is the match; none: there is no match
    const char* start = nullptr;  // where the match begins
    const char* end = nullptr;    // where it ends
};

class lazy_dfa {
public:
    // The automata of the pattern whose group 0 is top; null when the pattern has a part
    // they cannot follow, or would need too many NFA states.
    static std::unique_ptr<lazy_dfa> build(const match_group& top);
    lazy_dfa(std::unique_ptr<dfa_automaton> forward, std::unique_ptr<dfa_automaton> reverse);
    ~lazy_dfa();
    lazy_dfa(const lazy_dfa&) = delete;
    lazy_dfa& operator=(const lazy_dfa&) = delete;

    // The match the backtracking matcher would find first with attempts from `from` on in
    // [from, end). The caller holds mutex() (the caches change while scanning).
    dfa_span locate(const char* from, const char* end);
    std::mutex& mutex() { return mutex_; }

private:
    std::unique_ptr<dfa_automaton> forward_;  // leftmost-first, unanchored
    std::unique_ptr<dfa_automaton> reverse_;  // reversed pattern, anchored, longest
    bool gave_up_ = false;                    // a scan gave up on a thrashing cache
    std::mutex mutex_;                        // one search at a time uses the caches
};

}  // namespace regex
