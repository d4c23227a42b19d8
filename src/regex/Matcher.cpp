/*
 * Matcher.cpp - the backtracking matcher and the search loops.
 *
 * The matcher walks the node chains in a loop and keeps its choices on a stack on the
 * heap: a choice is a way on not yet tried (another alternative, one repetition fewer or
 * more, leaving a loop), an undo record puts back a value changed after the choice below
 * it. A failure pops the stack back to the latest choice. So a long subject never uses
 * machine stack; only look-around and independent bodies, which run as a match of their
 * own, recurse, as deep as they are nested.
 *
 * Three ideas keep the work and the stack small:
 * - A choice is only made where the rest can begin at that byte (the follow sets of
 *   Planning.cpp), and undo records are only kept while a choice is open, so a loop such
 *   as "(a|b)*c" over a long line keeps nothing.
 * - A greedy loop whose rest is the end of the pattern cannot fail once it may stop: at
 *   each iteration all that came before is dropped from the stack.
 * - Where the outcome cannot depend on captured text, failed (node, position, counters)
 *   states are remembered in a bit set once a search has taken more than a few thousand
 *   steps and more than a few per position (search_limits), and never tried again; a greedy repeat also remembers the run it failed on. A
 *   search then takes time linear in the subject for each remembered state (the memory
 *   is bounded; where it would not fit, a step budget bounds the work). Every other
 *   search has a budget of steps. A search stopped by its budget, by the cancel flag or
 *   by running out of stack reports no match and says why (MatchResults::stopped).
 *
 * A search picks candidate start positions with the literal-prefix searcher or the
 * first-byte class, so the matcher only runs where a match can begin. When the pattern
 * starts with an unbounded single-character repeat, a failed attempt has already tried
 * the rest of the pattern at every position of the run that repeat scanned, so the next
 * attempt starts after that run.
 */
#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "regex/Nodes.h"

namespace regex {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t stack_margin = 512 * 1024;  // instrumented frames are several times larger
#else
constexpr size_t stack_margin = 128 * 1024;
#endif

// Steps per position of a search that never needs the memo.
constexpr uint64_t steps_per_position = 16;
// The cancel flag, the budget and the memo are looked at once per this many steps.
constexpr uint64_t poll_every = 4096;
// Positions per memo page: pages are made only where the search goes.
constexpr int memo_page_shift = 12;
// Most "(?R)" levels inside each other.
constexpr int max_recursion_depth = 10000;
// Most bytes the memo pages of one search may hold.
constexpr size_t memo_budget_bytes = 64u << 20;

const char* compute_stack_limit()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* addr = nullptr;
        size_t size = 0;
        int rc = pthread_attr_getstack(&attr, &addr, &size);
        pthread_attr_destroy(&attr);
        if (rc == 0 && size > 0) {
            size_t margin = stack_margin < size / 2 ? stack_margin : size / 2;
            return static_cast<const char*>(addr) + margin;
        }
    }
    // Bounds unknown: allow one more megabyte below the caller's frame.
    return static_cast<const char*>(__builtin_frame_address(0)) - 1024 * 1024;
}

bool nocase_equal(const char* a, const char* b, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (to_upper_ascii(static_cast<unsigned char>(a[i])) != to_upper_ascii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Thrown to end a search early; the search catches it.
struct search_stopped {
    search_stop why;
};

// Thrown when a search turns out to have no match at all.
struct no_match_left {};

}  // namespace

const char* thread_stack_limit()
{
    thread_local const char* limit = compute_stack_limit();
    return limit;
}

bool anchor_node::holds(const char* begin, const char* end, const char* pos) const
{
    switch (type) {
    case anchor_type::line_begin:
        return pos == begin || (multiline && pos[-1] == '\n');
    case anchor_type::line_end:
        return pos == end || (*pos == '\n' && (multiline || pos + 1 == end));
    case anchor_type::subject_begin:
        return pos == begin;
    case anchor_type::subject_end_nl:
        return pos == end || (*pos == '\n' && pos + 1 == end);
    case anchor_type::subject_end:
        return pos == end;
    case anchor_type::word_boundary:
    case anchor_type::not_word_boundary: {
        bool before = pos > begin && is_word_ascii(static_cast<unsigned char>(pos[-1]));
        bool after = pos < end && is_word_ascii(static_cast<unsigned char>(*pos));
        return (before != after) == (type == anchor_type::word_boundary);
    }
    }
    return false;
}

const char* repeat_node::scan(const char* pos, const char* end) const
{
    const char* limit = (max == INT32_MAX || end - pos <= max) ? end : pos + max;
    if (accepts_all)
        return limit;
    if (stop_byte >= 0) {
        const void* stop = std::memchr(pos, stop_byte, static_cast<size_t>(limit - pos));
        return stop != nullptr ? static_cast<const char*>(stop) : limit;
    }
    const char* p = pos;
    while (p < limit && set.test(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// The state a "(?R)" saves: what follows it, and the records of the level that called it.
struct recursion_frame {
    const sub_expr* cont;               // continues after the "(?R)"
    recursion_frame* prev;              // the enclosing recursion, if any
    std::vector<backref_tag> groups;    // the caller's group records
    std::vector<quant_slot> quants;     // the caller's quantifier counters
};

namespace {

// What a record on the backtracking stack is.
enum class rec : uint8_t {
    alternative,   // choice: the next alternative of a group
    resume,        // choice: go on at a node
    repeat_down,   // choice: a greedy repeat gives back one more
    repeat_up,     // choice: a lazy repeat takes one more
    iterate,       // choice: a lazy group quantifier tries one more iteration
    capture,       // undo: a group's committed span
    tentative,     // undo: a group's tentative begin
    slot,          // undo: a quantifier's counters
    snapshot,      // undo: every group record, from the snapshot store
    enter_recursion,  // undo: a "(?R)" was entered
    leave_recursion,  // undo: a "(?R)" was left at the end of the pattern
    memo,          // mark the state failed when popped
};
// One record on the backtracking stack.
struct record {
    rec kind;                   // what the record is
    int index;                  // group, slot, alternative, memo row, or store offset
    const void* node;           // the node to go on with (or the "(?R)" frame left)
    const char* a;              // a position
    const char* b;              // a second position
    quant_slot counters;        // a quantifier's counters (slot records)
};
// Where the last failed entry of a greedy unbounded repeat scanned, per memo row.
struct failed_run {
    const char* from = nullptr;  // where the entry began
    const char* to = nullptr;    // where its run ended
};

// The stacks of a search, kept from one search to the next on the same thread so that a
// global search over many matches does not allocate for each.
struct search_scratch {
    std::vector<record> stack;         // choices and undo records
    std::vector<backref_tag> groups;   // snapshot store: group records of snapshot records
    std::vector<quant_slot> quants;    // counters of the records that leave a "(?R)"
    std::vector<backref_tag> gathered; // the records a global search gathers
    bool in_use = false;               // a search on this thread holds them
};

// Scratch stacks grown past this many bytes are given back after the search.
constexpr size_t scratch_keep_bytes = 1 << 20;
// The buffer of the records a global search gathers is given back past this many bytes.
constexpr size_t gathered_keep_bytes = 32u << 20;

search_scratch& thread_scratch()
{
    thread_local search_scratch scratch;
    return scratch;
}

// The thread's stacks for one search; a search started while another holds them (from the
// poll hook) gets stacks of its own instead of overwriting the other's.
class scratch_lease {
public:
    scratch_lease() : shared_(thread_scratch())
    {
        if (shared_.in_use)
            own_ = std::make_unique<search_scratch>();
        else
            shared_.in_use = true;
    }
    ~scratch_lease()
    {
        if (!own_)
            shared_.in_use = false;
    }
    scratch_lease(const scratch_lease&) = delete;
    scratch_lease& operator=(const scratch_lease&) = delete;
    search_scratch& get() { return own_ ? *own_ : shared_; }

private:
    search_scratch& shared_;
    std::unique_ptr<search_scratch> own_;
};

}  // namespace

// The searches of one subject, one after another: the records, the backtracking stack and
// the memo of the search in progress.
class backtracker {
public:
    backtracker(const Pattern& pattern, backref_tag* groups, quant_slot* quants, const char* begin, const char* end);
    ~backtracker();
    backtracker(const backtracker&) = delete;
    backtracker& operator=(const backtracker&) = delete;

    // Start a new search of the same subject: its step count, budget and memo begin afresh.
    void begin_search(const char* forbid_empty_at);

    // One attempt at start: true when the pattern matches there.
    bool attempt(const char* start);
    // The end of the run scanned by a leading repeat in the last attempt (or null).
    const char* lead_run_end() const { return lead_run_end_; }
    // The buffer a global search gathers its records in.
    std::vector<backref_tag>& gathered() { return scratch_.get().gathered; }
    const char* subject_begin() const { return begin_; }
    const char* subject_end() const { return end_; }

private:
    bool run(const sub_expr* n, const char* p);
    bool backtrack(size_t base, const sub_expr*& n, const char*& p);
    bool is_choice(rec k) const { return k <= rec::iterate; }
    void push_choice(rec kind, const sub_expr* node, const char* a, const char* b = nullptr, int index = 0);
    // Undo records are needed while a choice is open, or inside a body that runs on its own.
    bool keep_undo() const { return choices_ > 0 || depth_ > 1; }
    void save_capture(int group);
    void save_tentative(int group);
    void save_slot(int slot);
    void save_snapshot();
    void restore_snapshot(int offset);
    // Pops a snapshot record just pushed, putting its records back.
    void drop_snapshot();
    void count_step();
    void start_memo();

    int memo_row(const sub_expr* n, const char* p) const;
    uint64_t* memo_word(int row, const char* p, bool create);
    bool memo_failed(int row, const char* p);
    void memo_mark(int row, const char* p);
    // Enter a node: false when its state is remembered as failed; else, while failures are
    // remembered, notes the state so it is marked when everything from here failed. The
    // test that the memo is off is inline, as it is on most entries.
    bool memo_enter(const sub_expr* n, const char* p, const char* run_end = nullptr)
    {
        return !memo_on_ || n->memo_row < 0 || remembered_enter(n, p, run_end);
    }
    bool remembered_enter(const sub_expr* n, const char* p, const char* run_end);

    bool test_assertion(const assertion_node* a, const char* p);
    // Whether a look-around whose body is one byte class holds at p.
    bool one_byte_holds(const assertion_node* a, const char* p) const
    {
        const char* at = a->behind ? p - 1 : p;
        bool found = at >= begin_ && at < end_ && a->byte_set.test(static_cast<unsigned char>(*at));
        return found != a->negative;
    }
    const char* next_greedy(const repeat_node* r, const char* from, const char* low) const;
    const char* next_lazy(const repeat_node* r, const char* from, const char* limit) const;
    void start_greedy_repeat(const repeat_node* r, const sub_expr*& n, const char*& p);
    void start_lazy_repeat(const repeat_node* r, const sub_expr*& n, const char*& p);
    void enter_quantifier(const group_quantifier* q, const sub_expr*& n, const char*& p);
    void loop_quantifier(const quant_loop* l, const sub_expr*& n, const char*& p);
    bool finish(const sub_expr*& n, const char*& p);

    const Pattern& pattern_;
    backref_tag* groups_;                 // the results' records
    quant_slot* quants_;                  // one counter slot per group quantifier
    const char* begin_;                   // subject begin
    const char* end_;                     // one past the subject's last byte
    const char* start_ = nullptr;         // where the present attempt began
    const char* first_start_ = nullptr;   // where the first attempt began
    const char* forbid_empty_at_ = nullptr;  // an empty match starting here is refused
    const char* stack_limit_;             // lowest machine stack address a body may run at
    const char* lead_run_end_ = nullptr;  // end of the run scanned by a leading repeat
    const char* assert_end_ = nullptr;    // where the last finished body ended
    const char* behind_target_ = nullptr; // where a look-behind body has to end
    recursion_frame* recursion_ = nullptr;  // innermost "(?R)" being matched
    scratch_lease scratch_;               // this search's stacks
    std::vector<record>& stack_;          // choices and undo records
    std::vector<backref_tag>& saved_groups_;  // snapshot store: group records of snapshot records
    std::vector<quant_slot>& saved_quants_;   // counters of the records that leave a "(?R)"
    std::vector<std::unique_ptr<recursion_frame>> frames_;  // every "(?R)" entered in this attempt
    int choices_ = 0;                     // choice records on the stack
    int depth_ = 0;                       // bodies running inside each other (1: the attempt)
    int recursion_depth_ = 0;             // "(?R)" levels entered and not left
    bool dirty_ = false;                  // a value was changed without an undo record
    uint64_t steps_ = 0;                  // nodes entered so far
    uint64_t budget_;                     // steps allowed while failures are not remembered
    uint64_t remember_after_;             // steps before failures are remembered
    bool memo_on_ = false;                // failed states are being remembered
    bool must_checked_ = false;           // the literal every match holds was looked for
    size_t memo_bytes_ = 0;               // bytes held by memo pages
    bool memo_full_ = false;              // a page was refused: the budget applies again
    size_t page_words_;                   // 64-bit words per memo page
    std::vector<std::unique_ptr<uint64_t[]>> pages_;  // memo pages by position
    std::vector<failed_run> failed_runs_;  // per memo row, of greedy repeats
};

backtracker::backtracker(const Pattern& pattern, backref_tag* groups, quant_slot* quants, const char* begin,
                         const char* end)
    : pattern_(pattern), groups_(groups), quants_(quants), begin_(begin), end_(end),
      stack_limit_(thread_stack_limit()), stack_(scratch_.get().stack),
      saved_groups_(scratch_.get().groups), saved_quants_(scratch_.get().quants),
      page_words_((static_cast<size_t>(pattern.memo_rows_) << memo_page_shift) / 64)
{
    const search_limits& l = pattern.limits();
    budget_ = l.base_steps + l.steps_per_byte * static_cast<uint64_t>(end - begin);
    remember_after_ = l.remember_after_steps;
}

void backtracker::begin_search(const char* forbid_empty_at)
{
    forbid_empty_at_ = forbid_empty_at;
    first_start_ = nullptr;
    steps_ = 0;
    must_checked_ = false;
    if (memo_on_) {
        pages_.clear();
        failed_runs_.clear();
        memo_bytes_ = 0;
        memo_full_ = false;
        memo_on_ = false;
    }
    if (remember_after_ == 0 && pattern_.memo_rows_ > 0)
        start_memo();
}

backtracker::~backtracker()
{
    if (stack_.capacity() * sizeof(record) > scratch_keep_bytes)
        std::vector<record>().swap(stack_);
    if (saved_groups_.capacity() * sizeof(backref_tag) > scratch_keep_bytes)
        std::vector<backref_tag>().swap(saved_groups_);
}

void backtracker::count_step()
{
    if (++steps_ % poll_every != 0)
        return;
    const search_limits& l = pattern_.limits();
    if (l.poll)
        l.poll();
    if (l.cancel != nullptr && l.cancel->load(std::memory_order_relaxed))
        throw search_stopped{search_stop::cancelled};
    if ((!memo_on_ || memo_full_) && steps_ > budget_)
        throw search_stopped{search_stop::budget};
    // A search that takes a few steps per position is linear already; the memo is for
    // searches that go back over the same positions again and again.
    uint64_t positions = static_cast<uint64_t>(start_ - first_start_);
    if (steps_ < remember_after_ + steps_per_position * positions || must_checked_)
        return;
    // A search that starts to cost much first makes sure a literal every match holds is there.
    must_checked_ = true;
    if (pattern_.must_ && pattern_.must_->find(first_start_, end_ - 1, end_) == nullptr)
        throw no_match_left{};
    if (pattern_.memo_rows_ > 0 && !memo_on_)
        start_memo();
}

void backtracker::start_memo()
{
    size_t positions = static_cast<size_t>(end_ - begin_) + 1;
    pages_.resize((positions >> memo_page_shift) + 1);
    failed_runs_.resize(static_cast<size_t>(pattern_.memo_rows_));
    memo_on_ = true;
}

int backtracker::memo_row(const sub_expr* n, const char* p) const
{
    int state = 0;
    for (int i = 0; i < n->memo_digit_count; ++i) {
        const memo_digit& d = n->memo_digits[i];
        const quant_slot& s = quants_[d.slot];
        int value = d.empty_bit ? (s.prev_start == p ? 2 : 0) + (s.cur_start == p ? 1 : 0) : std::min(s.count, d.radix - 1);
        state = state * d.radix + value;
    }
    return n->memo_row + state;
}

// The word holding the bit of (row, p); null when its page is missing (and not made).
uint64_t* backtracker::memo_word(int row, const char* p, bool create)
{
    size_t offset = static_cast<size_t>(p - begin_);
    std::unique_ptr<uint64_t[]>& page = pages_[offset >> memo_page_shift];
    if (!page) {
        size_t bytes = page_words_ * sizeof(uint64_t);
        if (!create)
            return nullptr;
        if (memo_bytes_ + bytes > memo_budget_bytes) {
            memo_full_ = true;
            return nullptr;
        }
        page.reset(new uint64_t[page_words_]());
        memo_bytes_ += bytes;
    }
    size_t bit = (static_cast<size_t>(row) << memo_page_shift) + (offset & ((size_t(1) << memo_page_shift) - 1));
    return &page[bit / 64];
}

bool backtracker::memo_failed(int row, const char* p)
{
    const uint64_t* w = memo_word(row, p, false);
    size_t offset = static_cast<size_t>(p - begin_) & 63;
    return w != nullptr && ((*w >> offset) & 1);
}

void backtracker::memo_mark(int row, const char* p)
{
    if (uint64_t* w = memo_word(row, p, true))
        *w |= uint64_t(1) << (static_cast<size_t>(p - begin_) & 63);
}

bool backtracker::remembered_enter(const sub_expr* n, const char* p, const char* run_end)
{
    int row = memo_row(n, p);
    if (memo_failed(row, p))
        return false;
    if (keep_undo()) {
        stack_.push_back({rec::memo, row, n, p, run_end, {}});
        return true;
    }
    // No choice is open: if this attempt fails, every state on its way failed.
    memo_mark(row, p);
    if (run_end != nullptr)
        failed_runs_[static_cast<size_t>(row)] = {p, run_end};
    return true;
}

void backtracker::push_choice(rec kind, const sub_expr* node, const char* a, const char* b, int index)
{
    stack_.push_back({kind, index, node, a, b, {}});
    ++choices_;
}

void backtracker::save_capture(int group)
{
    if (!keep_undo()) {
        dirty_ = true;
        return;
    }
    const backref_tag& g = groups_[group];
    stack_.push_back({rec::capture, group, nullptr, g.first, g.second, {g.matched ? 1 : 0, nullptr, nullptr}});
}

void backtracker::save_tentative(int group)
{
    if (!keep_undo()) {
        dirty_ = true;
        return;
    }
    stack_.push_back({rec::tentative, group, nullptr, groups_[group].tentative, nullptr, {}});
}

void backtracker::save_slot(int slot)
{
    if (!keep_undo()) {
        dirty_ = true;
        return;
    }
    stack_.push_back({rec::slot, slot, nullptr, nullptr, nullptr, quants_[slot]});
}

void backtracker::save_snapshot()
{
    int count = pattern_.group_count_;
    stack_.push_back({rec::snapshot, static_cast<int>(saved_groups_.size()), nullptr, nullptr, nullptr, {}});
    saved_groups_.insert(saved_groups_.end(), groups_, groups_ + count);
}

void backtracker::restore_snapshot(int offset)
{
    std::copy(saved_groups_.begin() + offset, saved_groups_.begin() + offset + pattern_.group_count_, groups_);
    saved_groups_.resize(static_cast<size_t>(offset));
}

void backtracker::drop_snapshot()
{
    restore_snapshot(stack_.back().index);
    stack_.pop_back();
}

// Pops the stack down to the latest choice above base and takes it: false when none is left.
bool backtracker::backtrack(size_t base, const sub_expr*& n, const char*& p)
{
    while (stack_.size() > base) {
        record r = stack_.back();
        stack_.pop_back();
        if (is_choice(r.kind))
            --choices_;
        switch (r.kind) {
        case rec::alternative: {
            auto* g = static_cast<const match_group*>(r.node);
            int i = r.index;
            int later = i + 1;
            while (later < g->alt_count && g->alt_filter != nullptr && r.a < end_ &&
                   !((g->alt_filter[static_cast<unsigned char>(*r.a)] >> later) & 1))
                ++later;
            if (later < g->alt_count)
                push_choice(rec::alternative, g, r.a, nullptr, later);
            n = g->alts[i];
            p = r.a;
            return true;
        }
        case rec::resume:
            n = static_cast<const sub_expr*>(r.node);
            p = r.a;
            return true;
        case rec::repeat_down: {
            auto* rep = static_cast<const repeat_node*>(r.node);
            if (const char* lower = r.a > r.b ? next_greedy(rep, r.a - 1, r.b) : nullptr)
                push_choice(rec::repeat_down, rep, lower, r.b);
            n = rep->next;
            p = r.a;
            return true;
        }
        case rec::repeat_up: {
            auto* rep = static_cast<const repeat_node*>(r.node);
            const char* q = next_lazy(rep, r.a + 1, r.b);
            if (q == nullptr)
                continue;
            if (q < r.b && rep->set.test(static_cast<unsigned char>(*q)))
                push_choice(rec::repeat_up, rep, q, r.b);
            n = rep->next;
            p = q;
            return true;
        }
        case rec::iterate: {
            auto* q = static_cast<const group_quantifier*>(r.node);
            ++quants_[q->slot].count;
            n = q->body;
            p = r.a;
            return true;
        }
        case rec::capture: {
            backref_tag& g = groups_[r.index];
            g.first = r.a;
            g.second = r.b;
            g.matched = r.counters.count != 0;
            break;
        }
        case rec::tentative:
            groups_[r.index].tentative = r.a;
            break;
        case rec::slot:
            quants_[r.index] = r.counters;
            break;
        case rec::snapshot:
            restore_snapshot(r.index);
            break;
        case rec::enter_recursion:
            recursion_ = recursion_->prev;
            --recursion_depth_;
            break;
        case rec::leave_recursion: {
            recursion_ = static_cast<recursion_frame*>(const_cast<void*>(r.node));
            ++recursion_depth_;
            restore_snapshot(r.index);
            auto from = saved_quants_.begin() + r.counters.count;
            std::copy(from, from + pattern_.quantifier_count_, quants_);
            saved_quants_.erase(from, saved_quants_.end());
            break;
        }
        case rec::memo:
            memo_mark(r.index, r.a);
            if (r.b != nullptr)
                failed_runs_[static_cast<size_t>(r.index)] = {r.a, r.b};
            break;
        }
    }
    return false;
}

// The highest position in [low, from] where the rest after a greedy repeat can begin.
const char* backtracker::next_greedy(const repeat_node* r, const char* from, const char* low) const
{
    if (r->rest_byte >= 0) {
        const char* high = from < end_ ? from : end_ - 1;
        return high < low ? nullptr
                          : static_cast<const char*>(memrchr(low, r->rest_byte, static_cast<size_t>(high - low) + 1));
    }
    for (const char* q = from;; --q) {
        if (r->rest.admits(q, end_))
            return q;
        if (q == low)
            return nullptr;
    }
}

// The lowest position from `from` on where the rest after a lazy repeat can begin,
// while the repeat can still take the bytes before it; null when there is none.
const char* backtracker::next_lazy(const repeat_node* r, const char* from, const char* limit) const
{
    for (const char* q = from;; ++q) {
        if (r->rest.admits(q, end_))
            return q;
        if (q >= limit || !r->set.test(static_cast<unsigned char>(*q)))
            return nullptr;
    }
}

void backtracker::start_greedy_repeat(const repeat_node* r, const sub_expr*& n, const char*& p)
{
    const char* low = p + r->min;
    const char* top = nullptr;
    const char* e = nullptr;
    const failed_run* known = nullptr;
    if (memo_on_ && r->memo_row >= 0 && r->max == INT32_MAX)
        known = &failed_runs_[static_cast<size_t>(memo_row(r, p))];
    if (known != nullptr && known->from != nullptr && p >= known->from && p <= known->to) {
        n = nullptr;  // the same run failed from an earlier position with the same counters
        return;
    }
    if (known != nullptr && known->from != nullptr && p < known->from) {
        // A run reaching where a failed entry began ends where that one ended, and every
        // position that entry handed on failed.
        const char* q = p;
        while (q < known->from && r->set.test(static_cast<unsigned char>(*q)))
            ++q;
        if (q == known->from) {
            e = known->to;
            top = known->from + r->min - 1;
        }
    }
    if (e == nullptr) {
        e = r->scan(p, end_);
        top = e;
    }
    if (e < low || top < low) {
        n = nullptr;
        return;
    }
    if (r->leading)
        lead_run_end_ = e;
    if (!memo_enter(r, p, r->max == INT32_MAX ? e : nullptr)) {
        n = nullptr;
        return;
    }
    const char* q = next_greedy(r, top, low);
    if (q == nullptr) {
        n = nullptr;
        return;
    }
    if (q > low)
        if (const char* lower = next_greedy(r, q - 1, low))
            push_choice(rec::repeat_down, r, lower, low);
    n = r->next;
    p = q;
}

void backtracker::start_lazy_repeat(const repeat_node* r, const sub_expr*& n, const char*& p)
{
    if (end_ - p < r->min || r->scan(p, p + r->min) != p + r->min || !memo_enter(r, p)) {
        n = nullptr;
        return;
    }
    const char* limit = (r->max == INT32_MAX || end_ - p <= r->max) ? end_ : p + r->max;
    const char* q = next_lazy(r, p + r->min, limit);
    if (q == nullptr) {
        if (r->leading)
            lead_run_end_ = r->scan(p, limit);
        n = nullptr;
        return;
    }
    if (q < limit && r->set.test(static_cast<unsigned char>(*q)))
        push_choice(rec::repeat_up, r, q, limit);
    n = r->next;
    p = q;
}

void backtracker::enter_quantifier(const group_quantifier* q, const sub_expr*& n, const char*& p)
{
    save_slot(q->slot);
    quants_[q->slot] = quant_slot{0, nullptr, p};
    bool may_enter = q->max != 0 && q->enter.admits(p, end_);
    bool may_leave = q->min == 0 && q->leave.admits(p, end_);
    if (q->greedy) {
        if (may_enter && may_leave)
            push_choice(rec::resume, q->next, p);
    } else if (may_enter && may_leave) {
        push_choice(rec::iterate, q, p);
        n = q->next;
        return;
    }
    if (may_enter) {
        quants_[q->slot].count = 1;
        n = q->body;
    } else {
        n = may_leave ? q->next : nullptr;
    }
}

// An iteration ended at p. Two iterations in a row that consumed nothing together end
// the loop, so patterns such as "(a*)*" terminate on any subject.
void backtracker::loop_quantifier(const quant_loop* l, const sub_expr*& n, const char*& p)
{
    const group_quantifier& q = *l->owner;
    quant_slot& s = quants_[q.slot];
    if (p == s.prev_start) {
        n = q.next;
        return;
    }
    if (!memo_enter(l, p)) {
        n = nullptr;
        return;
    }
    save_slot(q.slot);
    s.prev_start = s.cur_start;
    s.cur_start = p;
    bool may_enter = s.count < q.max && q.enter.admits(p, end_);
    bool may_leave = s.count >= q.min && q.leave.admits(p, end_);
    if (q.greedy && may_enter && may_leave) {
        if (q.leave_wins && depth_ == 1 && recursion_ == nullptr && !(p == start_ && p == forbid_empty_at_)) {
            // Leaving here matches, so nothing before needs undoing or trying again.
            stack_.clear();
            saved_groups_.clear();
            saved_quants_.clear();
            choices_ = 0;
            dirty_ = true;
        }
        push_choice(rec::resume, q.next, p);
    } else if (!q.greedy && may_enter && may_leave) {
        push_choice(rec::iterate, &q, p);
        n = q.next;
        return;
    }
    if (may_enter) {
        ++s.count;
        n = q.body;
    } else {
        n = may_leave ? q.next : nullptr;
    }
}

bool backtracker::test_assertion(const assertion_node* a, const char* p)
{
    if (a->one_byte)
        return one_byte_holds(a, p);
    bool restore = a->captures && a->negative;
    std::vector<backref_tag> before;
    if (restore)
        before.assign(groups_, groups_ + pattern_.group_count_);
    bool found = false;
    if (!a->behind) {
        found = run(a->body, p);
    } else {
        const char* saved_target = behind_target_;
        behind_target_ = p;
        int64_t room = p - begin_;
        int64_t longest = a->body_width.max < room ? a->body_width.max : room;
        for (int64_t w = a->body_width.min; w <= longest && !found; ++w)
            found = run(a->body, p - w);
        behind_target_ = saved_target;
    }
    if (restore && found)
        std::copy(before.begin(), before.end(), groups_);
    return found != a->negative;
}

// The end of the pattern was reached: a match, or the return from a "(?R)", whose groups
// are local to it (the caller's records come back and the match goes on after it).
bool backtracker::finish(const sub_expr*& n, const char*& p)
{
    if (recursion_ == nullptr) {
        if (p == start_ && p == forbid_empty_at_)
            n = nullptr;
        return n != nullptr;
    }
    recursion_frame* frame = recursion_;
    // The inner level's records are saved to come back if the rest fails.
    save_snapshot();
    stack_.back().kind = rec::leave_recursion;
    stack_.back().node = frame;
    stack_.back().counters.count = static_cast<int>(saved_quants_.size());
    saved_quants_.insert(saved_quants_.end(), quants_, quants_ + pattern_.quantifier_count_);
    std::copy(frame->groups.begin(), frame->groups.end(), groups_);
    std::copy(frame->quants.begin(), frame->quants.end(), quants_);
    recursion_ = frame->prev;
    --recursion_depth_;
    n = frame->cont;
    return false;
}

bool backtracker::run(const sub_expr* n, const char* p)
{
    if (static_cast<const char*>(__builtin_frame_address(0)) < stack_limit_)
        throw stack_exhausted{};
    const size_t base = stack_.size();
    const size_t saved_base = saved_groups_.size();
    const size_t saved_quants_base = saved_quants_.size();
    const int outer_choices = choices_;
    ++depth_;
    for (;;) {
        if (n == nullptr && !backtrack(base, n, p)) {
            --depth_;
            choices_ = outer_choices;
            return false;
        }
        count_step();
        switch (n->kind) {
        case node_kind::character: {
            auto* c = static_cast<const char_node*>(n);
            n = p < end_ && static_cast<unsigned char>(*p) == c->ch ? (++p, c->next) : nullptr;
            break;
        }
        case node_kind::nocase_character: {
            auto* c = static_cast<const nocase_char_node*>(n);
            unsigned char b = p < end_ ? static_cast<unsigned char>(*p) : 0;
            n = p < end_ && (b == c->lower || b == c->upper) ? (++p, c->next) : nullptr;
            break;
        }
        case node_kind::string: {
            auto* s = static_cast<const string_node*>(n);
            bool ok = end_ - p >= s->len && std::memcmp(p, s->text, static_cast<size_t>(s->len)) == 0;
            n = ok ? (p += s->len, s->next) : nullptr;
            break;
        }
        case node_kind::nocase_string: {
            auto* s = static_cast<const nocase_string_node*>(n);
            bool ok = end_ - p >= s->len;
            for (int i = 0; ok && i < s->len; ++i)
                ok = p[i] == s->lower[i] || p[i] == s->upper[i];
            n = ok ? (p += s->len, s->next) : nullptr;
            break;
        }
        case node_kind::set: {
            auto* s = static_cast<const set_node*>(n);
            n = p < end_ && s->set.test(static_cast<unsigned char>(*p)) ? (++p, s->next) : nullptr;
            break;
        }
        case node_kind::repeat: {
            auto* r = static_cast<const repeat_node*>(n);
            if (r->greedy)
                start_greedy_repeat(r, n, p);
            else
                start_lazy_repeat(r, n, p);
            break;
        }
        case node_kind::anchor: {
            auto* a = static_cast<const anchor_node*>(n);
            n = a->holds(begin_, end_, p) ? a->next : nullptr;
            break;
        }
        case node_kind::backref: {
            auto* b = static_cast<const backref_node*>(n);
            const backref_tag& g = groups_[b->group];
            std::ptrdiff_t len = g.second - g.first;
            bool ok = g.matched && end_ - p >= len &&
                      (b->nocase ? nocase_equal(p, g.first, len) : std::memcmp(p, g.first, static_cast<size_t>(len)) == 0);
            n = ok ? (p += len, b->next) : nullptr;
            break;
        }
        case node_kind::group: {
            auto* g = static_cast<const match_group*>(n);
            if (!memo_enter(g, p)) {
                n = nullptr;
                break;
            }
            if (g->number >= 0) {
                save_tentative(g->number);
                groups_[g->number].tentative = p;
            }
            uint64_t mask = g->alt_filter != nullptr && p < end_ ? g->alt_filter[static_cast<unsigned char>(*p)] : ~uint64_t(0);
            if (g->alt_count < 64)
                mask &= (uint64_t(1) << g->alt_count) - 1;
            if (mask == 0 || g->alt_count == 0) {
                n = nullptr;
                break;
            }
            int first = __builtin_ctzll(mask);
            mask &= mask - 1;
            if (mask != 0 || g->alt_count > 64)
                push_choice(rec::alternative, g, p, nullptr, mask != 0 ? __builtin_ctzll(mask) : 64);
            n = g->alts[first];
            break;
        }
        case node_kind::group_end: {
            auto* e = static_cast<const group_end*>(n);
            if (e->number >= 0) {
                if (!memo_enter(e, p)) {
                    n = nullptr;
                    break;
                }
                save_capture(e->number);
                backref_tag& g = groups_[e->number];
                g.first = g.tentative;
                g.second = p;
                g.matched = true;
            } else if (!memo_enter(e, p)) {
                n = nullptr;
                break;
            }
            n = e->owner->next;
            break;
        }
        case node_kind::quantifier:
            enter_quantifier(static_cast<const group_quantifier*>(n), n, p);
            break;
        case node_kind::quant_loop:
            loop_quantifier(static_cast<const quant_loop*>(n), n, p);
            break;
        case node_kind::assertion: {
            auto* a = static_cast<const assertion_node*>(n);
            if (a->one_byte) {
                n = one_byte_holds(a, p) ? a->next : nullptr;
                break;
            }
            bool keep = a->captures && !a->negative && keep_undo();
            if (keep)
                save_snapshot();
            else
                dirty_ = dirty_ || a->captures;
            if (test_assertion(a, p)) {
                n = a->next;
            } else {
                if (keep)
                    drop_snapshot();
                n = nullptr;
            }
            break;
        }
        case node_kind::independent: {
            auto* in = static_cast<const independent_node*>(n);
            bool keep = in->captures && keep_undo();
            if (keep)
                save_snapshot();
            else
                dirty_ = dirty_ || in->captures;
            if (run(in->body, p)) {
                n = in->next;
                p = assert_end_;
            } else {
                if (keep)
                    drop_snapshot();
                n = nullptr;
            }
            break;
        }
        case node_kind::conditional: {
            auto* c = static_cast<const conditional_node*>(n);
            dirty_ = dirty_ || (c->cond != nullptr && c->cond->captures);
            bool holds = c->group >= 0 ? groups_[c->group].matched : test_assertion(c->cond, p);
            n = holds ? c->yes : (c->no != nullptr ? c->no : c->next);
            break;
        }
        case node_kind::recursion: {
            // Each level keeps a frame on the heap; a pattern that recurses without end (or
            // deeper than a stack could hold) stops as out of stack.
            if (++recursion_depth_ > max_recursion_depth)
                throw stack_exhausted{};
            frames_.push_back(std::make_unique<recursion_frame>(recursion_frame{
                n->next, recursion_, std::vector<backref_tag>(groups_, groups_ + pattern_.group_count_),
                std::vector<quant_slot>(quants_, quants_ + pattern_.quantifier_count_)}));
            recursion_ = frames_.back().get();
            stack_.push_back({rec::enter_recursion, 0, nullptr, nullptr, nullptr, {}});
            n = pattern_.top_;
            break;
        }
        case node_kind::assertion_end: {
            auto* e = static_cast<const assertion_end*>(n);
            if (e->behind && p != behind_target_) {
                n = nullptr;
                break;
            }
            assert_end_ = p;
            stack_.resize(base);
            saved_groups_.resize(saved_base);
            saved_quants_.resize(saved_quants_base);
            choices_ = outer_choices;
            --depth_;
            return true;
        }
        case node_kind::end:
            if (finish(n, p)) {
                --depth_;
                return true;
            }
            break;
        }
    }
}

bool backtracker::attempt(const char* start)
{
    start_ = start;
    if (first_start_ == nullptr)
        first_start_ = start;
    lead_run_end_ = nullptr;
    if (dirty_) {
        std::fill_n(groups_, pattern_.group_count_, backref_tag{});
        dirty_ = false;
    }
    stack_.clear();
    saved_groups_.clear();
    saved_quants_.clear();
    choices_ = 0;
    depth_ = 0;
    recursion_ = nullptr;
    recursion_depth_ = 0;
    frames_.clear();
    return run(pattern_.top_, start);
}

// The earliest position a match may start at, from pos on; null when none is left.
const char* Pattern::next_candidate(const char* begin, const char* pos, const char* last, const char* end) const
{
    if (prefix_)
        return prefix_->find(pos, last);
    if (prefixes_)
        return prefixes_->find(pos, last, end);
    if (lead_suffix_)
        return lead_candidate(pos, last, end);
    if (required_)
        return required_candidate(pos, last, end);
    if (line_start_)
        return line_candidate(begin, pos, last);
    if (starts_)
        return starts_->find(begin, pos, last);
    return pos;
}

// The pattern is a repeat of a set S followed by a literal L. Every match is a run of S
// ending right before an occurrence of L, so the first occurrence of L (that has an S
// byte before it when the repeat needs one) found by the fast literal scan, walked back
// over its run of S, bounds the earliest start: no match can begin before that.
const char* Pattern::lead_candidate(const char* pos, const char* last, const char* end) const
{
    const repeat_node& r = *lead_repeat_;
    const char* last_literal = end - static_cast<std::ptrdiff_t>(lead_suffix_->text.size());
    for (const char* from = pos + r.min; from <= last_literal;) {
        const char* q = lead_suffix_->find(from, last_literal);
        if (q == nullptr)
            return nullptr;
        const char* s = q;
        while (s > pos && r.set.test(static_cast<unsigned char>(s[-1])))
            --s;
        if (q - s >= r.min)
            return s <= last ? s : nullptr;
        from = q + 1;
    }
    return nullptr;
}

// Every match holds one of the required literals between lo and hi bytes after its
// start, so only positions up to hi bytes before an occurrence (found by the literal
// scan) can start one; among them the first-byte class picks the candidates.
const char* Pattern::required_candidate(const char* pos, const char* last, const char* end) const
{
    const char_set* firsts = starts_ ? &starts_->first : nullptr;
    const prefix_searcher* single = required_->literals.size() == 1 ? &required_->literals[0] : nullptr;
    while (pos <= last && end - pos > required_lo_) {
        const char* from = pos + required_lo_;
        const char* d = single != nullptr
                            ? single->find(from, end - static_cast<std::ptrdiff_t>(single->text.size()))
                            : required_->find(from, end - 1, end);
        if (d == nullptr)
            return nullptr;
        const char* p = d - pos > required_hi_ ? d - required_hi_ : pos;
        for (; p <= d - required_lo_ && p <= last; ++p)
            if (firsts == nullptr || firsts->test(static_cast<unsigned char>(*p)))
                return p;
        pos = p;
    }
    return nullptr;
}

// Every match begins at a line start: the subject begin or right after a line feed
// (found with memchr), where the byte must be one a match can begin with.
const char* Pattern::line_candidate(const char* begin, const char* pos, const char* last) const
{
    const char_set* firsts = starts_ ? &starts_->first : nullptr;
    while (pos <= last) {
        if ((pos == begin || pos[-1] == '\n') && (firsts == nullptr || firsts->test(static_cast<unsigned char>(*pos))))
            return pos;
        const void* nl = std::memchr(pos, '\n', static_cast<size_t>(last - pos));
        if (nl == nullptr)
            return nullptr;
        pos = static_cast<const char*>(nl) + 1;
    }
    return nullptr;
}

namespace {

// The quantifier counters of a search: on the machine stack for the usual few.
class quant_slots {
public:
    explicit quant_slots(int count)
    {
        if (count > inline_count) {
            heap_.reset(new quant_slot[static_cast<size_t>(count)]);
            slots_ = heap_.get();
        }
    }
    quant_slots(const quant_slots&) = delete;
    quant_slots& operator=(const quant_slots&) = delete;
    quant_slot* data() { return slots_; }

private:
    static constexpr int inline_count = 16;
    quant_slot inline_[inline_count];
    std::unique_ptr<quant_slot[]> heap_;
    quant_slot* slots_ = inline_;
};

}  // namespace

bool Pattern::search(const char* begin, const char* end, const char* from, const char* forbid_empty_at,
                     MatchResults& results) const
{
    if (results.size() != static_cast<size_t>(group_count_))
        results.resize(static_cast<size_t>(group_count_));
    if (literal_only_)
        return find_literal(begin, end, from, results);
    quant_slots slots(quantifier_count_);
    backtracker machine(*this, results.records().data(), slots.data(), begin, end);
    return search_with(machine, slots.data(), from, forbid_empty_at, results);
}

bool Pattern::find_literal(const char* begin, const char* end, const char* from, MatchResults& results) const
{
    results.set_subject_begin(begin);
    results.set_stopped(search_stop::none);
    const char* p = end - from < min_width_ ? nullptr : prefix_->find(from, end - min_width_);
    results.records()[0] = p == nullptr ? backref_tag{} : backref_tag{p, p + prefix_->text.size(), true, nullptr};
    return p != nullptr;
}

bool Pattern::search_with(backtracker& machine, quant_slot* slots, const char* from, const char* forbid_empty_at,
                          MatchResults& results) const
{
    const char* begin = machine.subject_begin();
    const char* end = machine.subject_end();
    if (literal_only_)
        return find_literal(begin, end, from, results);
    results.reset();
    results.set_subject_begin(begin);
    results.set_stopped(search_stop::none);
    if (!compiled_ || end - from < min_width_ || !dfa_start(from, end))
        return false;

    std::fill_n(slots, quantifier_count_, quant_slot{0, nullptr, nullptr});
    machine.begin_search(forbid_empty_at);
    const char* last = end - min_width_;
    try {
        for (const char* p = from; p <= last;) {
            if (try_every_start_) {
                p = next_candidate(begin, p, last, end);
                if (p == nullptr)
                    break;
            }
            if (machine.attempt(p))
                return true;
            if (!try_every_start_)
                break;
            p = machine.lead_run_end() > p + 1 ? machine.lead_run_end() : p + 1;
        }
    } catch (const no_match_left&) {
    } catch (const stack_exhausted&) {
        results.set_stopped(search_stop::stack);
    } catch (const search_stopped& stop) {
        results.set_stopped(stop.why);
    }
    results.reset();
    return false;
}

bool Pattern::search_from(const char* subject_begin, const char* end, const char* from, MatchResults& results,
                          const char* no_empty_at) const
{
    if (from < subject_begin || from > end) {
        results.resize(static_cast<size_t>(group_count_));
        results.set_subject_begin(subject_begin);
        results.set_stopped(search_stop::none);
        return false;
    }
    return search(subject_begin, end, from, no_empty_at, results);
}

bool Pattern::match(const char* begin, const char* end, MatchResults& results) const
{
    return search(begin, end, begin, nullptr, results);
}

bool Pattern::match(const char* cstr, MatchResults& results) const
{
    return search(cstr, cstr + std::strlen(cstr), cstr, nullptr, results);
}

bool Pattern::global_match(const char* begin, const char* end, MatchResults& results) const
{
    if (!(flags_ & GLOBAL))
        return match(begin, end, results);
    // One matcher serves every search of the loop; each search still starts afresh.
    MatchResults one;
    one.resize(static_cast<size_t>(group_count_));
    quant_slots slots(quantifier_count_);
    backtracker machine(*this, one.records().data(), slots.data(), begin, end);
    // The records are gathered in the matcher's scratch buffer, kept from one global search
    // to the next, and copied out once: many matches neither regrow a vector nor touch new
    // memory.
    std::vector<backref_tag>& kept = machine.gathered();
    kept.clear();
    bool found = false;
    const char* from = begin;
    const char* forbid = nullptr;
    while (from <= end && search_with(machine, slots.data(), from, forbid, one)) {
        found = true;
        const std::vector<backref_tag>& recs = one.records();
        if (flags_ & ALLBACKREFS)
            kept.insert(kept.end(), recs.begin(), recs.end());
        else if (flags_ & FIRSTBACKREFS)
            kept.push_back(recs[0]);
        else
            kept = recs;
        forbid = recs[0].first == recs[0].second ? recs[0].second : nullptr;
        from = recs[0].second;
    }
    if (one.stopped() != search_stop::none) {
        // A stopped search is never taken as the end of the matches.
        results.resize(static_cast<size_t>(group_count_));
        results.set_subject_begin(begin);
        results.set_stopped(one.stopped());
        return false;
    }
    if (!found)
        kept.assign(static_cast<size_t>(group_count_), backref_tag{});
    for (backref_tag& r : kept)
        r.tentative = nullptr;
    results.records().assign(kept.begin(), kept.end());
    if (kept.capacity() * sizeof(backref_tag) > gathered_keep_bytes)
        std::vector<backref_tag>().swap(kept);
    results.set_subject_begin(begin);
    results.set_stopped(search_stop::none);
    return found;
}

int Pattern::split(const char* begin, const char* end, int limit, std::vector<std::string>& pieces,
                   MatchResults& res) const
{
    if (limit == 1) {
        pieces.emplace_back(begin, end);
        return 1;
    }
    res.set_stopped(search_stop::none);
    const size_t before = pieces.size();
    int count = 0;       // pieces appended, groups included
    int cuts = 0;        // separators cut at, held against the limit
    const char* piece_start = begin;
    const char* from = begin;
    const char* forbid = nullptr;
    while (from <= end && (limit <= 0 || cuts < limit - 1) && search(begin, end, from, forbid, res)) {
        const backref_tag& m = res.records()[0];
        from = m.second;
        forbid = m.first == m.second ? m.second : nullptr;
        if (m.first == m.second && m.first == piece_start)
            continue;  // an empty separator where the previous one ended cuts nothing
        pieces.emplace_back(piece_start, m.first);
        ++count;
        ++cuts;
        for (size_t g = 1; g < res.size(); ++g)
            pieces.push_back(res.records()[g].str());
        count += static_cast<int>(res.size()) - 1;
        piece_start = m.second;
    }
    if (res.stopped() != search_stop::none) {
        pieces.resize(before);
        return -1;
    }
    if (limit != 0 || piece_start < end) {
        pieces.emplace_back(piece_start, end);
        ++count;
    }
    return count;
}

}  // namespace regex
