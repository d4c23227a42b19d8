/*
 * LazyDfa.cpp - the NFA made from the node tree, and the automata built from it on demand.
 *
 * The NFA has three kinds of state: a byte of a set, a split (two ways, the first
 * preferred) and the match. Counted repeats are written out (x{2,4} is x x x? x?, nested),
 * so a pattern needing more than max_nfa_states states is left to the matcher. A DFA state
 * is a list of NFA byte and match states (the epsilon closure, in order of preference) and
 * flags; its transitions are looked up by byte class (bytes no set of the pattern tells
 * apart share a class), so a cached state costs a few hundred bytes.
 */
#include "regex/LazyDfa.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/Nodes.h"
#include "regex/Pattern.h"
#include "regex/StartScan.h"

namespace regex {

namespace {

// Most NFA states of an automaton; a pattern needing more is left to the matcher.
constexpr size_t max_nfa_states = 4096;
// Most bytes the cached states of one automaton may hold.
constexpr size_t cache_budget_bytes = 2u << 20;
// A clear after fewer scanned bytes than this per cached state counts as thrashing.
constexpr size_t thrash_bytes_per_state = 16;
// A scan gives up at this many thrashing clears in a row, and the pattern's searches go on
// without the automata.
constexpr int max_thrashing = 3;

// Thrown while building the NFA from a node the automata cannot follow.
struct not_eligible {};
// Thrown by a scan that keeps clearing its cache.
struct cache_thrashing {};

struct nfa_state {
    enum kind_t : uint8_t { bytes, split, match };
    kind_t kind;   // what the state does
    int out;       // bytes: the state after the byte; split: the preferred way
    int out2;      // split: the other way
    char_set set;  // bytes: the accepted bytes
};

struct nfa {
    std::vector<nfa_state> states;  // every state
    int start = -1;                 // where a match begins
};

// Makes the NFA of a node tree, forwards or reversed (the reversed NFA accepts the
// reversed texts of the matches, for the scan back from a match's end).
class nfa_builder {
public:
    explicit nfa_builder(bool reversed) : reversed_(reversed) {}

    nfa build(const match_group& top)
    {
        int done = add({nfa_state::match, -1, -1, {}});
        out_.start = group(top, done);
        return std::move(out_);
    }

private:
    int add(const nfa_state& s)
    {
        if (out_.states.size() >= max_nfa_states)
            throw not_eligible{};
        out_.states.push_back(s);
        return static_cast<int>(out_.states.size()) - 1;
    }
    int byte(const char_set& set, int cont) { return add({nfa_state::bytes, cont, -1, set}); }
    int split(int first, int second) { return add({nfa_state::split, first, second, {}}); }
    int byte(unsigned char a, unsigned char b, int cont)
    {
        char_set s;
        s.add(a);
        s.add(b);
        return byte(s, cont);
    }

    // The chain from n up to its terminal node, going on at cont.
    int chain(const sub_expr* n, int cont)
    {
        std::vector<const sub_expr*> nodes;
        for (; n != nullptr && !n->terminal(); n = n->next)
            nodes.push_back(n);
        if (reversed_)
            for (const sub_expr* x : nodes)
                cont = node(*x, cont);
        else
            for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
                cont = node(**it, cont);
        return cont;
    }

    // The alternatives of g in order, each going on at cont.
    int group(const match_group& g, int cont)
    {
        if (g.alt_count == 0)
            return cont;
        int entry = chain(g.alts[g.alt_count - 1], cont);
        for (int i = g.alt_count - 2; i >= 0; --i)
            entry = split(chain(g.alts[i], cont), entry);
        return entry;
    }

    // Text of a literal node, one byte state per character (last first when reversed).
    int text(const char* lower, const char* upper, int len, int cont)
    {
        for (int k = 0; k < len; ++k) {
            int i = reversed_ ? k : len - 1 - k;
            cont = byte(static_cast<unsigned char>(lower[i]), static_cast<unsigned char>(upper[i]), cont);
        }
        return cont;
    }

    // min to max repetitions of unit (a function making one repetition going on at a state).
    template <class Unit>
    int repeat(Unit unit, int min, int max, bool greedy, int cont)
    {
        int entry = cont;
        if (max == INT32_MAX) {
            int loop = split(-1, -1);
            int body = unit(loop);
            out_.states[static_cast<size_t>(loop)].out = greedy ? body : cont;
            out_.states[static_cast<size_t>(loop)].out2 = greedy ? cont : body;
            entry = loop;
        } else {
            for (int i = min; i < max; ++i) {
                int body = unit(entry);
                entry = greedy ? split(body, cont) : split(cont, body);
            }
        }
        for (int i = 0; i < min; ++i)
            entry = unit(entry);
        return entry;
    }

    int node(const sub_expr& n, int cont)
    {
        switch (n.kind) {
        case node_kind::character: {
            auto c = static_cast<const char_node&>(n).ch;
            return byte(c, c, cont);
        }
        case node_kind::nocase_character: {
            const auto& c = static_cast<const nocase_char_node&>(n);
            return byte(c.lower, c.upper, cont);
        }
        case node_kind::string: {
            const auto& s = static_cast<const string_node&>(n);
            return text(s.text, s.text, s.len, cont);
        }
        case node_kind::nocase_string: {
            const auto& s = static_cast<const nocase_string_node&>(n);
            return text(s.lower, s.upper, s.len, cont);
        }
        case node_kind::set:
            return byte(static_cast<const set_node&>(n).set, cont);
        case node_kind::repeat: {
            const auto& r = static_cast<const repeat_node&>(n);
            return repeat([&](int c) { return byte(r.set, c); }, r.min, r.max, r.greedy, cont);
        }
        case node_kind::group:
            return group(static_cast<const match_group&>(n), cont);
        case node_kind::quantifier: {
            // The matcher ends a loop whose iterations match empty in its own way; such
            // loops are left to it.
            const auto& q = static_cast<const group_quantifier&>(n);
            if (q.body->width().min == 0)
                throw not_eligible{};
            return repeat([&](int c) { return group(*q.body, c); }, q.min, q.max, q.greedy, cont);
        }
        default:
            throw not_eligible{};
        }
    }

    bool reversed_;  // build the reversed NFA
    nfa out_;        // the NFA being built
};

}  // namespace

// One automaton: the NFA, its byte classes and the cache of DFA states.
class dfa_automaton {
public:
    // first_match: leftmost-first and unanchored (a thread starts at every position until
    // a match is seen); else anchored, keeping every thread (for the longest match).
    dfa_automaton(nfa n, bool first_match);

    // The end of the first match from `from` on in [from, end), or null.
    const char* scan_forward(const char* from, const char* end);
    // The leftmost start, not before `from`, of a match ending at `at`, or null.
    const char* scan_backward(const char* at, const char* from);

private:
    enum : uint8_t { matched = 1, searching = 2, dead = 4 };

    void make_classes();
    void clear_cache(const char* at);
    int intern(const std::vector<int>& leaves, uint8_t flags);
    // Begin a new state: closures until the next call share their record of states seen.
    void new_pass();
    // The closure of NFA state s, less the states seen this pass, appended to out in order
    // of preference.
    void closure(int s, std::vector<int>& out);
    // The state after state s on the byte at p (made and cached when new).
    int step(int s, const char* p)
    {
        int t = next_[static_cast<size_t>(s) * class_count_ + byte_class_[static_cast<unsigned char>(*p)]];
        return t >= 0 ? t : make_step(s, p);
    }
    int make_step(int s, const char* p);
    // The first byte in [p, end) a thread just started can take, or end.
    const char* next_start(const char* p, const char* end) const;

    nfa nfa_;                                // the NFA
    bool first_match_;                       // leftmost-first (else longest)
    uint8_t byte_class_[256];                // class of each byte
    unsigned char class_byte_[256];          // one byte of each class
    size_t class_count_ = 0;                 // number of classes
    start_scan starts_;                      // finds the bytes a thread just started can take
    std::vector<std::vector<int>> leaves_;   // per DFA state: its NFA states in order
    std::vector<uint8_t> flags_;             // per DFA state: matched, searching, dead
    std::vector<int> next_;                  // per DFA state and class: the next state, -1 not made yet
    std::unordered_map<std::string, int> index_;  // DFA state by its key (leaves and flags)
    std::vector<int> initial_;               // leaves of state 0, where every scan begins
    size_t cache_bytes_ = 0;                 // bytes the cached states hold (estimated)
    size_t scanned_ = 0;                     // bytes scanned since the last clear, by scans that ended
    const char* scan_from_ = nullptr;        // where the present scan began (or was at the last clear)
    int thrashing_ = 0;                      // clears in a row that came too soon
    std::vector<unsigned> seen_;             // per NFA state: the closure pass it was last added in
    unsigned pass_ = 0;                      // number of the closure pass
    std::vector<int> todo_;                  // stack of the closure walk
    std::vector<int> work_;                  // leaves of the state being made
};

dfa_automaton::dfa_automaton(nfa n, bool first_match)
    : nfa_(std::move(n)), first_match_(first_match), seen_(nfa_.states.size(), 0)
{
    make_classes();
    new_pass();
    closure(nfa_.start, initial_);
    for (int leaf : initial_)
        if (nfa_.states[static_cast<size_t>(leaf)].kind == nfa_state::bytes)
            starts_.first.add_set(nfa_.states[static_cast<size_t>(leaf)].set);
    starts_.before.invert();
    starts_.build();
    intern(initial_, first_match_ ? searching : 0);
}

// Bytes belong to one class when every set of the NFA holds both or neither.
void dfa_automaton::make_classes()
{
    std::vector<char_set> sets;
    for (const nfa_state& s : nfa_.states)
        if (s.kind == nfa_state::bytes &&
            std::none_of(sets.begin(), sets.end(), [&](const char_set& x) { return x == s.set; }))
            sets.push_back(s.set);
    std::map<std::vector<bool>, uint8_t> classes;
    for (unsigned c = 0; c < 256; ++c) {
        std::vector<bool> in;
        for (const char_set& s : sets)
            in.push_back(s.test(static_cast<unsigned char>(c)));
        auto [it, added] = classes.emplace(std::move(in), static_cast<uint8_t>(classes.size()));
        if (added)
            class_byte_[it->second] = static_cast<unsigned char>(c);
        byte_class_[c] = it->second;
    }
    class_count_ = classes.size();
}

void dfa_automaton::new_pass()
{
    if (++pass_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        pass_ = 1;
    }
}

void dfa_automaton::closure(int s, std::vector<int>& out)
{
    todo_.push_back(s);
    while (!todo_.empty()) {
        int i = todo_.back();
        todo_.pop_back();
        if (seen_[static_cast<size_t>(i)] == pass_)
            continue;
        seen_[static_cast<size_t>(i)] = pass_;
        const nfa_state& st = nfa_.states[static_cast<size_t>(i)];
        if (st.kind == nfa_state::split) {
            todo_.push_back(st.out2);
            todo_.push_back(st.out);
        } else {
            out.push_back(i);
        }
    }
}

int dfa_automaton::intern(const std::vector<int>& leaves, uint8_t flags)
{
    std::string key(reinterpret_cast<const char*>(leaves.data()), leaves.size() * sizeof(int));
    key += static_cast<char>(flags);
    auto found = index_.find(key);
    if (found != index_.end())
        return found->second;
    int id = static_cast<int>(leaves_.size());
    cache_bytes_ += 2 * key.size() + class_count_ * sizeof(int) + 96;
    index_.emplace(std::move(key), id);
    leaves_.push_back(leaves);
    flags_.push_back(flags);
    next_.resize(next_.size() + class_count_, -1);
    return id;
}

// A cache that fills again after fewer bytes than a few per state costs more than the
// automaton saves; after a few such clears in a row the scan gives up.
void dfa_automaton::clear_cache(const char* at)
{
    size_t scanned = scanned_ + static_cast<size_t>(at > scan_from_ ? at - scan_from_ : scan_from_ - at);
    thrashing_ = scanned < thrash_bytes_per_state * leaves_.size() ? thrashing_ + 1 : 0;
    if (thrashing_ >= max_thrashing)
        throw cache_thrashing{};
    scanned_ = 0;
    scan_from_ = at;
    leaves_.clear();
    flags_.clear();
    next_.clear();
    index_.clear();
    cache_bytes_ = 0;
    intern(initial_, first_match_ ? searching : 0);
}

int dfa_automaton::make_step(int s, const char* p)
{
    unsigned char cls = byte_class_[static_cast<unsigned char>(*p)];
    unsigned char b = class_byte_[cls];
    uint8_t flags = flags_[static_cast<size_t>(s)] & searching;
    work_.clear();
    new_pass();
    for (int leaf : leaves_[static_cast<size_t>(s)]) {
        const nfa_state& st = nfa_.states[static_cast<size_t>(leaf)];
        if (st.kind == nfa_state::bytes && st.set.test(b))
            closure(st.out, work_);
    }
    if (flags & searching)
        closure(nfa_.start, work_);
    auto m = std::find_if(work_.begin(), work_.end(),
                          [&](int i) { return nfa_.states[static_cast<size_t>(i)].kind == nfa_state::match; });
    if (m != work_.end()) {
        flags |= matched;
        if (first_match_) {
            // The threads after the first to match (later starts among them) lose to it.
            work_.erase(m, work_.end());
            flags &= static_cast<uint8_t>(~searching);
        } else {
            work_.erase(m);
        }
    }
    if (!first_match_)
        std::sort(work_.begin(), work_.end());
    if (work_.empty() && !(flags & searching))
        flags |= dead;
    bool full = cache_bytes_ > cache_budget_bytes;
    if (full)
        clear_cache(p);
    int t = intern(work_, flags);
    if (!full)
        next_[static_cast<size_t>(s) * class_count_ + cls] = t;
    return t;
}

const char* dfa_automaton::next_start(const char* p, const char* end) const
{
    const char* found = starts_.find(p, p, end - 1);
    return found != nullptr ? found : end;
}

const char* dfa_automaton::scan_forward(const char* from, const char* end)
{
    scan_from_ = from;
    const char* found = nullptr;
    int s = 0;
    const char* p = from;
    for (; p < end;) {
        if (s == 0) {
            // Only a thread starting here lives: bytes no match begins with change nothing.
            p = next_start(p, end);
            if (p == end)
                break;
        }
        s = step(s, p++);
        if (uint8_t f = flags_[static_cast<size_t>(s)]) {
            if (f & matched)
                found = p;
            if (f & dead)
                break;
        }
    }
    scanned_ += static_cast<size_t>(p - scan_from_);
    return found;
}

const char* dfa_automaton::scan_backward(const char* at, const char* from)
{
    scan_from_ = at;
    const char* found = nullptr;
    int s = 0;
    const char* p = at;
    while (p > from) {
        --p;
        s = step(s, p);
        if (uint8_t f = flags_[static_cast<size_t>(s)]) {
            if (f & matched)
                found = p;
            if (f & dead)
                break;
        }
    }
    scanned_ += static_cast<size_t>(scan_from_ - p);
    return found;
}

std::unique_ptr<lazy_dfa> lazy_dfa::build(const match_group& top)
{
    try {
        auto forward = std::make_unique<dfa_automaton>(nfa_builder(false).build(top), true);
        auto reverse = std::make_unique<dfa_automaton>(nfa_builder(true).build(top), false);
        return std::make_unique<lazy_dfa>(std::move(forward), std::move(reverse));
    } catch (const not_eligible&) {
        return nullptr;
    }
}

lazy_dfa::lazy_dfa(std::unique_ptr<dfa_automaton> forward, std::unique_ptr<dfa_automaton> reverse)
    : forward_(std::move(forward)), reverse_(std::move(reverse))
{
}

lazy_dfa::~lazy_dfa() = default;

dfa_span lazy_dfa::locate(const char* from, const char* end)
{
    if (gave_up_)
        return {};
    try {
        const char* stop = forward_->scan_forward(from, end);
        if (stop == nullptr)
            return {dfa_span::none, nullptr, nullptr};
        const char* start = reverse_->scan_backward(stop, from);
        if (start == nullptr)
            return {};
        return {dfa_span::found, start, stop};
    } catch (const cache_thrashing&) {
        gave_up_ = true;
        return {};
    }
}

// The automata, where searches will use them. Where a literal picks the candidates the DFA
// does not pay: the matcher's attempts are few and cheap, and the literal scan is faster
// than any byte-by-byte automaton.
void Pattern::plan_dfa(dfa_use use)
{
    const bool literal_led = prefix_ || prefixes_ || lead_suffix_ || required_;
    const bool wanted = use == dfa_use::always || (use == dfa_use::where_it_pays && !literal_led);
    dfa_ = wanted && try_every_start_ && min_width_ > 0 ? lazy_dfa::build(*top_) : nullptr;
}

bool Pattern::dfa_start(const char*& from, const char* end) const
{
    if (!dfa_)
        return true;
    std::unique_lock<std::mutex> lock(dfa_->mutex(), std::try_to_lock);
    if (!lock.owns_lock())
        return true;
    dfa_span span = dfa_->locate(from, end);
    if (span.outcome == dfa_span::found)
        from = span.start;
    return span.outcome != dfa_span::none;
}

}  // namespace regex
