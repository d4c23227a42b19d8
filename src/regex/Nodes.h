/*
 * Nodes.h - the node model of a compiled pattern and the state of one search.
 *
 * A compiled pattern is a tree of nodes taken from an arena. Every node points to the
 * node that continues the match after it, so an alternative of a group is a chain that
 * ends in the group's end node, which continues with whatever follows the group. The
 * matcher (Matcher.cpp) walks the chains with an explicit backtracking stack. Nodes hold
 * no heap memory, so the arena frees them all at once without running destructors.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "regex/CharSet.h"
#include "regex/LiteralScan.h"
#include "regex/StartScan.h"
#include "regex/Pattern.h"

namespace regex {

// The allocation failure of the engine, with the text callers show.
class bad_allocation : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

// Nodes are taken from large blocks and released together with the pattern.
class arena_allocator {
public:
    arena_allocator() = default;
    ~arena_allocator();
    arena_allocator(const arena_allocator&) = delete;
    arena_allocator& operator=(const arena_allocator&) = delete;

    void* allocate(size_t bytes, size_t align);

    template <class T, class... A>
    T* make(A&&... args)
    {
        static_assert(std::is_trivially_destructible_v<T>, "arena objects are never destroyed");
        return new (allocate(sizeof(T), alignof(T))) T(std::forward<A>(args)...);
    }

    template <class T>
    T* make_array(size_t n)
    {
        static_assert(std::is_trivially_destructible_v<T>, "arena objects are never destroyed");
        T* a = static_cast<T*>(allocate(sizeof(T) * (n ? n : 1), alignof(T)));
        for (size_t i = 0; i < n; ++i)
            new (a + i) T();
        return a;
    }

private:
    std::vector<char*> blocks_;  // every block obtained, freed by the destructor
    char* cursor_ = nullptr;     // next free byte in the newest block
    size_t left_ = 0;            // free bytes after cursor_
};

// Shortest and longest width of a node or chain; `max` is width_inf when unbounded.
constexpr int64_t width_inf = int64_t(1) << 60;
struct width_range {
    int64_t min = 0;  // fewest characters consumed
    int64_t max = 0;  // most characters consumed, width_inf when unbounded
};
inline int64_t width_add(int64_t a, int64_t b) { return (a + b >= width_inf) ? width_inf : a + b; }
inline int64_t width_mul(int64_t a, int64_t n)
{
    if (a == 0 || n == 0)
        return 0;
    return (a >= width_inf / n) ? width_inf : a * n;
}

// Thrown when the thread's stack is nearly used up; the search catches it.
struct stack_exhausted {};

// The lowest address this thread's stack may safely reach, with a margin for the code that
// runs between checks.
const char* thread_stack_limit();

// The bytes a match can go on with at some point, so a choice that cannot lead anywhere
// is never made.
struct follow_set {
    char_set bytes;       // bytes the rest can begin with
    bool at_end = false;  // the rest can match at the subject end
    bool any = true;      // not known: every position may do
    bool admits(const char* p, const char* end) const
    {
        return any || (p < end ? bytes.test(static_cast<unsigned char>(*p)) : at_end);
    }
};

// Counters of one group quantifier during a search.
// (Trivial, so a search sets only the slots its pattern has.)
struct quant_slot {
    int count;                 // iterations begun so far
    const char* prev_start;    // where the previous iteration began
    const char* cur_start;     // where the current iteration began
};

// One enclosing group quantifier whose counters the outcome at a node depends on.
struct memo_digit {
    int slot;        // the quantifier's counter slot
    int radix;       // distinct values kept: the count up to radix - 1, or 4 for empty_bit
    bool empty_bit;  // the digit is whether the previous and the current iteration began at the position
};

enum class node_kind : uint8_t {
    character, nocase_character, string, nocase_string, set, repeat, anchor, backref, group, group_end, quantifier,
    quant_loop, assertion, assertion_end, independent, conditional, recursion, end
};

struct sub_expr {
    explicit sub_expr(node_kind k) : kind(k) {}
    // Width of this node alone (not of the chain after it).
    virtual width_range width() const = 0;
    // Add the bytes a match of this node can begin with; true when it can match empty.
    virtual bool first_bytes(char_set& out) const = 0;
    // Whether the node ends a chain (group, assertion and pattern ends).
    bool terminal() const
    {
        return kind == node_kind::group_end || kind == node_kind::assertion_end || kind == node_kind::end;
    }

    sub_expr* next = nullptr;                 // the node that continues the match
    node_kind kind;                           // what the node is
    int memo_row = -1;                        // first row of its failure memo, -1 when not remembered
    int memo_digit_count = 0;                 // enclosing quantifiers its outcome depends on
    const memo_digit* memo_digits = nullptr;  // those quantifiers

protected:
    ~sub_expr() = default;
};

// Width of the chain from n up to its terminal node.
width_range chain_width(const sub_expr* n);
// First bytes of the chain from n; true when the whole chain can match empty.
bool chain_first_bytes(const sub_expr* n, char_set& out);

// One literal character.
struct char_node : sub_expr {
    explicit char_node(unsigned char c) : sub_expr(node_kind::character), ch(c) {}
    width_range width() const override { return {1, 1}; }
    bool first_bytes(char_set& out) const override;
    unsigned char ch;  // the character
};

// One letter compared without regard to case.
struct nocase_char_node : sub_expr {
    explicit nocase_char_node(unsigned char c) : sub_expr(node_kind::nocase_character), lower(to_lower_ascii(c)), upper(to_upper_ascii(c)) {}
    width_range width() const override { return {1, 1}; }
    bool first_bytes(char_set& out) const override;
    unsigned char lower;  // lower-case form
    unsigned char upper;  // upper-case form
};

// A run of two or more literal characters.
struct string_node : sub_expr {
    string_node(const char* t, int n) : sub_expr(node_kind::string), text(t), len(n) {}
    width_range width() const override { return {len, len}; }
    bool first_bytes(char_set& out) const override;
    const char* text;  // the characters (arena copy)
    int len;           // their number
};

// A run of literal characters compared without regard to case.
struct nocase_string_node : sub_expr {
    nocase_string_node(const char* lo, const char* up, int n) : sub_expr(node_kind::nocase_string), lower(lo), upper(up), len(n) {}
    width_range width() const override { return {len, len}; }
    bool first_bytes(char_set& out) const override;
    const char* lower;  // lower-case form (arena copy)
    const char* upper;  // upper-case form (arena copy)
    int len;            // number of characters
};

// A bracket expression, an escape class or "." (as the set it accepts).
struct set_node : sub_expr {
    explicit set_node(const char_set& s) : sub_expr(node_kind::set), set(s) {}
    width_range width() const override { return {1, 1}; }
    bool first_bytes(char_set& out) const override;
    char_set set;  // the accepted bytes
};

// A single-character atom with a quantifier: counts repetitions directly on the subject.
struct repeat_node : sub_expr {
    repeat_node(const char_set& s, int mn, int mx, bool g) : sub_expr(node_kind::repeat), set(s), min(mn), max(mx), greedy(g) {}
    width_range width() const override { return {min, max == INT32_MAX ? width_inf : max}; }
    bool first_bytes(char_set& out) const override;
    // Most repetitions available from pos (at most max, within the subject).
    const char* scan(const char* pos, const char* end) const;

    char_set set;               // bytes one repetition accepts
    int min;                    // fewest repetitions
    int max;                    // most repetitions, INT32_MAX when unbounded
    bool greedy;                // longest first (else shortest first)
    bool leading = false;       // first node of the pattern: reports its run end to the search
    bool accepts_all = false;   // the set holds every byte ("." under SINGLELINE)
    int stop_byte = -1;         // the one byte the set lacks ("." without SINGLELINE), else -1
    follow_set rest;            // where the rest of the pattern can go on
    int rest_byte = -1;         // the one byte the rest can begin with (never at the end), else -1
};

enum class anchor_type : uint8_t { line_begin, line_end, subject_begin, subject_end_nl, subject_end, word_boundary, not_word_boundary };

// "^", "$", "\A", "\Z", "\z", "\b", "\B".
struct anchor_node : sub_expr {
    anchor_node(anchor_type t, bool ml) : sub_expr(node_kind::anchor), type(t), multiline(ml) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
    // Whether the assertion holds at pos in the subject [begin, end).
    bool holds(const char* begin, const char* end, const char* pos) const;
    anchor_type type;  // which assertion
    bool multiline;    // "^" and "$" also at line boundaries
};

// "\N": the text group N captured.
struct backref_node : sub_expr {
    backref_node(int g, bool nc) : sub_expr(node_kind::backref), group(g), nocase(nc) {}
    width_range width() const override { return {0, width_inf}; }
    bool first_bytes(char_set& out) const override;
    int group;    // referenced group number
    bool nocase;  // compare without regard to case
};

struct group_end;

// A group: its alternatives, each a chain ending in `end`.
struct match_group : sub_expr {
    match_group() : sub_expr(node_kind::group) {}
    width_range width() const override;
    bool first_bytes(char_set& out) const override;

    int number = -1;                    // capture number, -1 for a non-capturing group
    sub_expr** alts = nullptr;          // the alternatives' first nodes
    int alt_count = 0;                  // number of alternatives
    group_end* end = nullptr;           // the node every alternative ends in
    const uint64_t* alt_filter = nullptr;  // per byte, the alternatives that can start with it (<= 64 alternatives)
};

// The end of a group's alternative: commits the capture and continues after the owner.
struct group_end : sub_expr {
    group_end(const sub_expr* o, int n) : sub_expr(node_kind::group_end), owner(o), number(n) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
    const sub_expr* owner;  // the node whose `next` continues the match
    int number;             // capture number, -1 for none
};

// A quantified group; its body's end leads to `loop`, which decides on another iteration.
struct group_quantifier : sub_expr {
    group_quantifier(match_group* b, int mn, int mx, bool g, int s) : sub_expr(node_kind::quantifier), body(b), min(mn), max(mx), greedy(g), slot(s) {}
    width_range width() const override;
    bool first_bytes(char_set& out) const override;
    match_group* body;  // the repeated group
    int min;            // fewest iterations
    int max;            // most iterations, INT32_MAX when unbounded
    bool greedy;        // more iterations first (else the rest of the pattern first)
    int slot;           // index of the iteration counters of one search
    follow_set enter;   // where an iteration can begin
    follow_set leave;   // where the rest after the last iteration can begin
    bool leave_wins = false;  // the rest after it is the end of the pattern, so leaving always succeeds
};

// Reached when the body of a group quantifier has matched one iteration.
struct quant_loop : sub_expr {
    explicit quant_loop(const group_quantifier* q) : sub_expr(node_kind::quant_loop), owner(q) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
    const group_quantifier* owner;  // the quantifier iterated
};

// "(?=", "(?!", "(?<=", "(?<!": tests the body without consuming.
struct assertion_node : sub_expr {
    assertion_node(match_group* b, bool neg, bool bh) : sub_expr(node_kind::assertion), body(b), negative(neg), behind(bh) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
    match_group* body;      // the asserted sub-pattern, ending in an assertion_end
    bool negative;          // holds when the body does not match
    bool behind;            // the body must end at the position
    bool captures = false;  // the body holds capturing groups (their records are saved)
    width_range body_width; // widths the body can have (look-behind start positions)
    bool one_byte = false;  // the body is one byte of byte_set, tested in place
    char_set byte_set;      // that byte's set
};

// The end of an assertion or independent body: stops the body's match there.
struct assertion_end : sub_expr {
    explicit assertion_end(bool bh) : sub_expr(node_kind::assertion_end), behind(bh) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
    bool behind;  // a look-behind body: succeed only where the look-behind stands
};

// "(?>": the body matches once; the rest never backtracks into it.
struct independent_node : sub_expr {
    explicit independent_node(match_group* b) : sub_expr(node_kind::independent), body(b) {}
    width_range width() const override;
    bool first_bytes(char_set& out) const override;
    match_group* body;      // ends in an assertion_end
    bool captures = false;  // the body holds capturing groups (their records are saved)
};

// "(?(N)yes|no)" or "(?(?=...)yes|no)".
struct conditional_node : sub_expr {
    conditional_node() : sub_expr(node_kind::conditional) {}
    width_range width() const override;
    bool first_bytes(char_set& out) const override;
    int group = -1;                       // the tested group, or -1 when an assertion is tested
    const assertion_node* cond = nullptr; // the tested assertion
    sub_expr* yes = nullptr;              // first alternative (chain ending in `end`)
    sub_expr* no = nullptr;               // second alternative, or null
    group_end* end = nullptr;             // continues after this node
};

// "(?R)": the whole pattern again at this position.
struct recursion_node : sub_expr {
    recursion_node() : sub_expr(node_kind::recursion) {}
    width_range width() const override { return {0, width_inf}; }
    bool first_bytes(char_set& out) const override;
};

// Appended after group 0: a complete match (or the return from a "(?R)").
struct end_node : sub_expr {
    end_node() : sub_expr(node_kind::end) {}
    width_range width() const override { return {0, 0}; }
    bool first_bytes(char_set&) const override { return true; }
};

// Append the text of a literal node to ps; false when n is not one (or folds case differently).
bool literal_text(const sub_expr* n, prefix_searcher& ps);

}  // namespace regex
