/*
 * Matcher.cpp - the recursive backtracking matcher and the search loops.
 *
 * Each node matches at a position and calls the rest of the chain; returning false
 * makes the caller try its next choice. A search picks candidate start positions with
 * the literal-prefix searcher or the first-byte table, so the node tree only runs where
 * a match can begin. When the pattern starts with an unbounded single-character repeat,
 * a failed attempt has already tried the rest of the pattern at every position of the
 * run that repeat scanned, so the next attempt starts after that run: class-led
 * patterns such as "[a-z]+ing" stay linear instead of re-scanning each run once per
 * start position.
 *
 * The recursion uses the machine stack for every node entered; each node compares its
 * frame address with the thread's stack limit and unwinds by exception when the stack
 * is nearly used up. The search then reports no match with its results reset.
 */
#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "regex/Nodes.h"

namespace regex {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t stack_margin = 512 * 1024;  // instrumented frames are several times larger
#else
constexpr size_t stack_margin = 128 * 1024;
#endif

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

// The records of every group, saved where an assertion or a recursion may change them
// without backtracking restoring them.
class group_snapshot {
public:
    explicit group_snapshot(const match_state& st, bool active) : count_(active ? st.group_count : 0)
    {
        if (count_ > inline_count) {
            heap_.reset(new backref_tag[static_cast<size_t>(count_)]);
            data_ = heap_.get();
        }
        std::copy(st.groups, st.groups + count_, data_);
    }
    void restore(match_state& st) const { std::copy(data_, data_ + count_, st.groups); }

private:
    static constexpr int inline_count = 8;
    backref_tag inline_[inline_count];      // storage for small patterns
    std::unique_ptr<backref_tag[]> heap_;   // storage for many groups
    backref_tag* data_ = inline_;           // the saved records
    int count_;                             // number saved (0 when inactive)
};

bool nocase_equal(const char* a, const char* b, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (to_upper_ascii(static_cast<unsigned char>(a[i])) != to_upper_ascii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const char* thread_stack_limit()
{
    thread_local const char* limit = compute_stack_limit();
    return limit;
}

// The state a "(?R)" saves: what follows it, and the records of the level that called it.
struct recursion_frame {
    const sub_expr* cont;               // continues after the "(?R)"
    recursion_frame* prev;              // the enclosing recursion, if any
    std::vector<backref_tag> groups;    // the caller's group records
    std::vector<quant_slot> quants;     // the caller's quantifier counters
};

bool char_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    return pos < st.end && static_cast<unsigned char>(*pos) == ch && next->match(st, pos + 1);
}

bool nocase_char_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    if (pos >= st.end)
        return false;
    unsigned char c = static_cast<unsigned char>(*pos);
    return (c == lower || c == upper) && next->match(st, pos + 1);
}

bool string_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    return st.end - pos >= len && std::memcmp(pos, text, static_cast<size_t>(len)) == 0 && next->match(st, pos + len);
}

bool nocase_string_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    if (st.end - pos < len)
        return false;
    for (int i = 0; i < len; ++i)
        if (pos[i] != lower[i] && pos[i] != upper[i])
            return false;
    return next->match(st, pos + len);
}

bool set_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    return pos < st.end && set.test(static_cast<unsigned char>(*pos)) && next->match(st, pos + 1);
}

const char* repeat_node::scan(const char* pos, const char* end) const
{
    const char* limit = (max == INT32_MAX || end - pos <= max) ? end : pos + max;
    if (accepts_all)
        return limit;
    const char* p = pos;
    while (p < limit && set.test(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

bool repeat_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    auto follows = [this, &st](const char* p) {
        if (follow < 0)
            return true;
        if (p >= st.end)
            return false;
        int c = static_cast<unsigned char>(*p);
        return c == follow || c == follow_other;
    };
    if (greedy) {
        const char* e = scan(pos, st.end);
        if (e - pos < min)
            return false;
        if (leading)
            st.lead_run_end = e;
        for (const char* p = e;; --p) {
            if (follows(p) && next->match(st, p))
                return true;
            if (p == pos + min)
                return false;
        }
    }
    if (st.end - pos < min || scan(pos, pos + min) != pos + min)
        return false;
    const char* p = pos + min;
    for (long count = min;; ++count, ++p) {
        if (follows(p) && next->match(st, p))
            return true;
        if (count >= max || p >= st.end || !set.test(static_cast<unsigned char>(*p))) {
            if (leading)
                st.lead_run_end = p;
            return false;
        }
    }
}

bool anchor_node::holds(const match_state& st, const char* pos) const
{
    switch (type) {
    case anchor_type::line_begin:
        return pos == st.begin || (multiline && pos[-1] == '\n');
    case anchor_type::line_end:
        return pos == st.end || (*pos == '\n' && (multiline || pos + 1 == st.end));
    case anchor_type::subject_begin:
        return pos == st.begin;
    case anchor_type::subject_end_nl:
        return pos == st.end || (*pos == '\n' && pos + 1 == st.end);
    case anchor_type::subject_end:
        return pos == st.end;
    case anchor_type::word_boundary:
    case anchor_type::not_word_boundary: {
        bool before = pos > st.begin && is_word_ascii(static_cast<unsigned char>(pos[-1]));
        bool after = pos < st.end && is_word_ascii(static_cast<unsigned char>(*pos));
        return (before != after) == (type == anchor_type::word_boundary);
    }
    }
    return false;
}

bool anchor_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    return holds(st, pos) && next->match(st, pos);
}

bool backref_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    const backref_tag& g = st.groups[group];
    if (!g.matched)
        return false;
    std::ptrdiff_t len = g.second - g.first;
    if (st.end - pos < len)
        return false;
    bool equal = nocase ? nocase_equal(pos, g.first, len) : std::memcmp(pos, g.first, static_cast<size_t>(len)) == 0;
    return equal && next->match(st, pos + len);
}

bool match_group::match(match_state& st, const char* pos) const
{
    check_stack(st);
    const char* saved = nullptr;
    if (number >= 0) {
        saved = st.groups[number].tentative;
        st.groups[number].tentative = pos;
    }
    if (alt_filter != nullptr && pos < st.end) {
        for (uint64_t m = alt_filter[static_cast<unsigned char>(*pos)]; m != 0; m &= m - 1)
            if (alts[__builtin_ctzll(m)]->match(st, pos))
                return true;
    } else {
        for (int i = 0; i < alt_count; ++i)
            if (alts[i]->match(st, pos))
                return true;
    }
    if (number >= 0)
        st.groups[number].tentative = saved;
    return false;
}

bool group_end::match(match_state& st, const char* pos) const
{
    check_stack(st);
    if (number < 0)
        return owner->next->match(st, pos);
    backref_tag old_backref = st.groups[number];
    backref_tag& g = st.groups[number];
    g.first = g.tentative;
    g.second = pos;
    g.matched = true;
    if (owner->next->match(st, pos))
        return true;
    st.groups[number] = old_backref;
    return false;
}

bool group_quantifier::match(match_state& st, const char* pos) const
{
    check_stack(st);
    quant_slot old_quant = st.quants[slot];
    st.quants[slot] = quant_slot{0, nullptr, pos};
    if (greedy) {
        if (max != 0) {
            st.quants[slot].count = 1;
            if (body->match(st, pos))
                return true;
            st.quants[slot].count = 0;
        }
        if (min == 0 && next->match(st, pos))
            return true;
    } else {
        if (min == 0 && next->match(st, pos))
            return true;
        if (max != 0) {
            st.quants[slot].count = 1;
            if (body->match(st, pos))
                return true;
        }
    }
    st.quants[slot] = old_quant;
    return false;
}

// An iteration ended at pos. Two iterations in a row that consumed nothing together end
// the loop, so patterns such as "(a*)*" terminate on any subject.
bool quant_loop::match(match_state& st, const char* pos) const
{
    check_stack(st);
    const group_quantifier& q = *owner;
    if (pos == st.quants[q.slot].prev_start)
        return q.next->match(st, pos);
    quant_slot old_quant = st.quants[q.slot];
    st.quants[q.slot].prev_start = old_quant.cur_start;
    st.quants[q.slot].cur_start = pos;
    if (q.greedy) {
        if (st.quants[q.slot].count < q.max) {
            ++st.quants[q.slot].count;
            if (q.body->match(st, pos))
                return true;
            --st.quants[q.slot].count;
        }
        if (st.quants[q.slot].count >= q.min && q.next->match(st, pos))
            return true;
    } else {
        if (st.quants[q.slot].count >= q.min && q.next->match(st, pos))
            return true;
        if (st.quants[q.slot].count < q.max) {
            ++st.quants[q.slot].count;
            if (q.body->match(st, pos))
                return true;
            --st.quants[q.slot].count;
        }
    }
    st.quants[q.slot].prev_start = old_quant.prev_start;
    st.quants[q.slot].cur_start = old_quant.cur_start;
    return false;
}

bool assertion_node::test(match_state& st, const char* pos) const
{
    group_snapshot before(st, captures && negative);
    bool found = false;
    if (!behind) {
        found = body->match(st, pos);
    } else {
        const char* saved_target = st.behind_target;
        st.behind_target = pos;
        int64_t room = pos - st.begin;
        int64_t longest = body_width.max < room ? body_width.max : room;
        for (int64_t w = body_width.min; w <= longest && !found; ++w)
            found = body->match(st, pos - w);
        st.behind_target = saved_target;
    }
    if (negative && found)
        before.restore(st);
    return found != negative;
}

bool assertion_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    group_snapshot before(st, captures && !negative);
    if (!test(st, pos))
        return false;
    if (next->match(st, pos))
        return true;
    before.restore(st);
    return false;
}

bool assertion_end::match(match_state& st, const char* pos) const
{
    if (behind)
        return pos == st.behind_target;
    st.assert_end = pos;
    return true;
}

bool independent_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    group_snapshot before(st, captures);
    if (!body->match(st, pos))
        return false;
    if (next->match(st, st.assert_end))
        return true;
    before.restore(st);
    return false;
}

bool conditional_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    bool holds = group >= 0 ? st.groups[group].matched : cond->test(st, pos);
    if (holds)
        return yes->match(st, pos);
    return no != nullptr ? no->match(st, pos) : next->match(st, pos);
}

bool recursion_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    recursion_frame frame{next, st.recursion, std::vector<backref_tag>(st.groups, st.groups + st.group_count),
                          std::vector<quant_slot>(st.quants, st.quants + st.quant_count)};
    st.recursion = &frame;
    bool found = st.top->match(st, pos);
    st.recursion = frame.prev;
    return found;
}

// A complete match, or the end of a "(?R)": then the caller's records come back (the
// groups set inside the recursion are local to it) and the match goes on after it.
bool end_node::match(match_state& st, const char* pos) const
{
    check_stack(st);
    if (st.recursion != nullptr) {
        recursion_frame* frame = st.recursion;
        std::vector<backref_tag> inner_groups(st.groups, st.groups + st.group_count);
        std::vector<quant_slot> inner_quants(st.quants, st.quants + st.quant_count);
        std::copy(frame->groups.begin(), frame->groups.end(), st.groups);
        std::copy(frame->quants.begin(), frame->quants.end(), st.quants);
        st.recursion = frame->prev;
        if (frame->cont->match(st, pos))
            return true;
        st.recursion = frame;
        std::copy(inner_groups.begin(), inner_groups.end(), st.groups);
        std::copy(inner_quants.begin(), inner_quants.end(), st.quants);
        return false;
    }
    return !(pos == st.start && pos == st.forbid_empty_at);
}

// The earliest position a match may start at, from pos on; null when none is left.
const char* Pattern::next_candidate(const char* pos, const char* last, const char* end) const
{
    if (prefix_)
        return prefix_->find(pos, last);
    if (prefixes_)
        return prefixes_->find(pos, last, end);
    if (lead_suffix_)
        return lead_candidate(pos, last, end);
    if (required_byte_ >= 0)
        return required_candidate(pos, last, end);
    if (first_bytes_) {
        const uint8_t* table = first_bytes_.get();
        while (pos <= last && !table[static_cast<unsigned char>(*pos)])
            ++pos;
        return pos <= last ? pos : nullptr;
    }
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

// Every match holds the required byte between lo and hi bytes after its start, so only
// positions up to hi bytes before an occurrence of that byte (found with memchr) can
// start one; among them the first-byte table picks the candidates.
const char* Pattern::required_candidate(const char* pos, const char* last, const char* end) const
{
    const uint8_t* table = first_bytes_.get();
    while (pos <= last && end - pos > required_lo_) {
        const char* d = static_cast<const char*>(std::memchr(pos + required_lo_, required_byte_, static_cast<size_t>(end - pos - required_lo_)));
        if (d == nullptr)
            return nullptr;
        const char* p = d - pos > required_hi_ ? d - required_hi_ : pos;
        for (; p <= d - required_lo_ && p <= last; ++p)
            if (table == nullptr || table[static_cast<unsigned char>(*p)])
                return p;
        pos = p;
    }
    return nullptr;
}

bool Pattern::search(const char* begin, const char* end, const char* from, const char* forbid_empty_at,
                     MatchResults& results) const
{
    if (results.size() != static_cast<size_t>(group_count_))
        results.resize(static_cast<size_t>(group_count_));
    else
        results.reset();
    results.set_subject_begin(begin);
    if (!compiled_ || end - from < min_width_)
        return false;

    constexpr int inline_slots = 16;
    quant_slot local_slots[inline_slots];
    std::unique_ptr<quant_slot[]> heap_slots;
    quant_slot* slots = local_slots;
    if (quantifier_count_ > inline_slots) {
        heap_slots.reset(new quant_slot[static_cast<size_t>(quantifier_count_)]);
        slots = heap_slots.get();
    }
    std::fill_n(slots, quantifier_count_, quant_slot{0, nullptr, nullptr});
    match_state st;
    st.groups = results.records().data();
    st.group_count = group_count_;
    st.quants = slots;
    st.quant_count = quantifier_count_;
    st.begin = begin;
    st.end = end;
    st.forbid_empty_at = forbid_empty_at;
    st.stack_limit = thread_stack_limit();
    st.top = top_;

    const char* last = end - min_width_;
    try {
        for (const char* p = from; p <= last;) {
            if (try_every_start_) {
                p = next_candidate(p, last, end);
                if (p == nullptr)
                    break;
            }
            st.start = p;
            st.lead_run_end = nullptr;
            if (top_->match(st, p))
                return true;
            if (!try_every_start_)
                break;
            p = st.lead_run_end > p + 1 ? st.lead_run_end : p + 1;
        }
    } catch (const stack_exhausted&) {
        results.reset();
    }
    return false;
}

bool Pattern::search_from(const char* subject_begin, const char* end, const char* from, MatchResults& results,
                          const char* no_empty_at) const
{
    if (from < subject_begin || from > end) {
        results.resize(static_cast<size_t>(group_count_));
        results.set_subject_begin(subject_begin);
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
    std::vector<backref_tag> kept;
    MatchResults one;
    bool found = false;
    const char* from = begin;
    const char* forbid = nullptr;
    while (from <= end && search(begin, end, from, forbid, one)) {
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
    if (!found)
        kept.assign(static_cast<size_t>(group_count_), backref_tag{});
    for (backref_tag& r : kept)
        r.tentative = nullptr;
    results.records() = std::move(kept);
    results.set_subject_begin(begin);
    return found;
}

int Pattern::split(const char* begin, const char* end, int limit, std::vector<std::string>& pieces) const
{
    if (limit == 1) {
        pieces.emplace_back(begin, end);
        return 1;
    }
    MatchResults res;
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
    if (limit != 0 || piece_start < end) {
        pieces.emplace_back(piece_start, end);
        ++count;
    }
    return count;
}

}  // namespace regex
