/*
 * Analysis.cpp - what the compile step learns from the node tree about where matches
 * can begin, so the search only runs the matcher at promising positions.
 *
 * In order of preference: a literal prefix, the leading literals of several
 * alternatives (scanned together; LiteralScan.cpp), the literal after a
 * leading repeat of a set (the run before it is walked back), or literals one of which
 * every match holds within a bounded distance of its start (scanned together, then the
 * few start positions before an occurrence are tried); the class of the possible first
 * bytes filters what remains, and a pattern that starts with a multi-line "^" is only
 * tried at line starts. Else a vector scan finds the first bytes, where the byte before
 * suits the "\b" or one-byte look-behind that opens the pattern (StartScan.cpp).
 * Zero-width anchors at the start are looked past: a literal after them still opens every
 * match. Widths and anchoring are settled here too.
 */
#include <climits>

#include "regex/Nodes.h"

namespace regex {

namespace {

// Appends to ps the literal nodes that open chain, up to the first node that is none.
void gather_literals(const sub_expr* chain, prefix_searcher& ps)
{
    for (const sub_expr* n = chain; n != nullptr && !n->terminal(); n = n->next)
        if (!literal_text(n, ps))
            break;
}

// Whether chain, up to the end of its group, is nothing but literal characters.
bool only_literals(const sub_expr* chain)
{
    prefix_searcher ps;
    const sub_expr* n = chain;
    while (n != nullptr && !n->terminal() && literal_text(n, ps))
        n = n->next;
    return n != nullptr && n->kind == node_kind::group_end;
}

// The first node of chain that is not a zero-width anchor.
sub_expr* skip_anchors(sub_expr* chain)
{
    while (chain != nullptr && chain->kind == node_kind::anchor)
        chain = chain->next;
    return chain;
}

bool find_required(const sub_expr* n, width_range offset, multi_prefix& found, width_range& at, bool bounded);

// Narrow what may stand before a match by the zero-width tests that open every match (the
// chain from n): "\b" or "\B" where every match begins with a word byte, and a look-behind
// of one byte.
void constrain_before(const sub_expr* n, start_scan& scan)
{
    const char_set& word = escape_class_set('w');
    char_set word_first = scan.first;
    word_first.keep_only(word);
    const bool word_led = word_first == scan.first;
    for (; n != nullptr && !n->terminal(); n = n->next) {
        if (n->kind == node_kind::anchor) {
            auto t = static_cast<const anchor_node*>(n)->type;
            if (word_led && t == anchor_type::word_boundary)
                scan.before.keep_only(escape_class_set('W'));
            if (word_led && t == anchor_type::not_word_boundary) {
                scan.before.keep_only(word);
                scan.at_begin = false;
            }
        } else if (n->kind == node_kind::assertion) {
            auto* a = static_cast<const assertion_node*>(n);
            if (a->behind && a->one_byte) {
                char_set allowed = a->byte_set;
                if (a->negative)
                    allowed.invert();
                scan.before.keep_only(allowed);
                scan.at_begin = scan.at_begin && a->negative;
            }
        } else {
            break;
        }
    }
}

// Required literals of a group: one alternative's own, or one of every alternative's.
bool find_required_in_group(const match_group* g, width_range offset, multi_prefix& found, width_range& at,
                            bool bounded)
{
    if (g->alt_count == 1)
        return find_required(g->alts[0], offset, found, at, bounded);
    multi_prefix all;
    width_range span{width_inf, 0};
    for (int i = 0; i < g->alt_count; ++i) {
        width_range one;
        if (!find_required(g->alts[i], offset, all, one, bounded) || all.literals.size() > max_literals)
            return false;
        span.min = one.min < span.min ? one.min : span.min;
        span.max = one.max > span.max ? one.max : span.max;
    }
    found = std::move(all);
    at = span;
    return true;
}

// Look along the chain for literals one of which every match holds (entering groups, and
// the first iteration of a repeated group), when bounded only at an offset from its start
// that stays bounded; `offset` is the range at the chain's start, `at` receives the
// literals' range.
bool find_required(const sub_expr* n, width_range offset, multi_prefix& found, width_range& at, bool bounded)
{
    for (; n != nullptr && !n->terminal() && (!bounded || offset.max < width_inf); n = n->next) {
        prefix_searcher ps;
        if (literal_text(n, ps)) {
            gather_literals(n->next, ps);
            ps.build();
            found.literals.push_back(std::move(ps));
            at = offset;
            return true;
        }
        if (n->kind == node_kind::group &&
            find_required_in_group(static_cast<const match_group*>(n), offset, found, at, bounded))
            return true;
        if (n->kind == node_kind::quantifier) {
            auto* q = static_cast<const group_quantifier*>(n);
            if (q->min >= 1 && find_required_in_group(q->body, offset, found, at, bounded))
                return true;
        }
        width_range w = n->width();
        offset.min = width_add(offset.min, w.min);
        offset.max = width_add(offset.max, w.max);
    }
    return false;
}

}  // namespace

void Pattern::analyse(bool has_recursion)
{
    width_range w = top_->width();
    min_width_ = w.min > INT_MAX ? INT_MAX : static_cast<int>(w.min);
    max_width_ = w.max > INT_MAX ? -1 : static_cast<int>(w.max);

    sub_expr* first = top_->alt_count == 1 ? top_->alts[0] : nullptr;
    if (first != nullptr && first->kind == node_kind::anchor) {
        auto* a = static_cast<anchor_node*>(first);
        if ((a->type == anchor_type::line_begin && !a->multiline) || a->type == anchor_type::subject_begin)
            try_every_start_ = false;
        line_start_ = a->type == anchor_type::line_begin && a->multiline;
    }
    if (first != nullptr && first->kind == node_kind::repeat) {
        auto* r = static_cast<repeat_node*>(first);
        if (r->accepts_all && r->min <= 1 && r->max == INT32_MAX)
            try_every_start_ = false;
    }
    sub_expr* lead = skip_anchors(first);
    if (lead != nullptr && lead->kind == node_kind::repeat) {
        auto* r = static_cast<repeat_node*>(lead);
        r->leading = !has_recursion && r->max == INT32_MAX;
        build_lead_suffix(r);
    }
    auto must = std::make_unique<multi_prefix>();
    width_range anywhere;
    if (find_required_in_group(top_, width_range{}, *must, anywhere, false)) {
        must->build();
        must_ = std::move(must);
    }
    if (!try_every_start_)
        return;
    if (build_prefix(lead)) {
        literal_only_ = lead == first && group_count_ == 1 && only_literals(first);
        return;
    }
    if (build_prefixes(lead))
        return;
    char_set starts;
    if (!top_->first_bytes(starts)) {
        auto scan = std::make_unique<start_scan>();
        scan->first = starts;
        scan->before.invert();
        constrain_before(first, *scan);
        scan->build();
        if (!starts.all() || !scan->before.all() || !scan->at_begin)
            starts_ = std::move(scan);
    }
    auto found = std::make_unique<multi_prefix>();
    width_range at;
    if (!lead_suffix_ && find_required_in_group(top_, width_range{}, *found, at, true)) {
        found->build();
        required_ = std::move(found);
        required_lo_ = static_cast<int>(at.min);
        required_hi_ = static_cast<int>(at.max);
    }
}

// The literal right after a leading repeat of a set, which the search scans for; a
// look-ahead that opens with a literal puts that literal there too.
void Pattern::build_lead_suffix(const repeat_node* r)
{
    if (r->accepts_all || r->next == nullptr)
        return;
    const sub_expr* after = r->next;
    if (after->kind == node_kind::assertion) {
        auto* a = static_cast<const assertion_node*>(after);
        if (a->negative || a->behind || a->body->alt_count != 1)
            return;
        after = a->body->alts[0];
    }
    auto literal = std::make_unique<prefix_searcher>();
    if (!literal_text(after, *literal))
        return;
    literal->build();
    lead_suffix_ = std::move(literal);
    lead_repeat_ = r;
}

// The literal characters every match begins with, when the pattern starts with some.
bool Pattern::build_prefix(const sub_expr* first)
{
    auto prefix = std::make_unique<prefix_searcher>();
    gather_literals(first, *prefix);
    if (prefix->text.empty())
        return false;
    prefix->build();
    prefix_ = std::move(prefix);
    return true;
}

// When every alternative of group 0 (or of a group that starts its only alternative)
// begins with a literal, the search scans for all of them at once.
bool Pattern::build_prefixes(const sub_expr* first)
{
    const match_group* g = top_;
    if (first != nullptr && first->kind == node_kind::group)
        g = static_cast<const match_group*>(first);
    if (g->alt_count < 2 || g->alt_count > static_cast<int>(max_literals))
        return false;
    auto set = std::make_unique<multi_prefix>();
    for (int i = 0; i < g->alt_count; ++i) {
        prefix_searcher ps;
        gather_literals(g->alts[i], ps);
        if (ps.text.empty())
            return false;
        ps.build();
        set->literals.push_back(std::move(ps));
    }
    set->build();
    prefixes_ = std::move(set);
    return true;
}

// Append the text of a literal node to the searcher's; false when n is no literal or its
// case folding differs from the text gathered so far.
bool literal_text(const sub_expr* n, prefix_searcher& ps)
{
    std::string part;
    bool nocase = false;
    if (auto* c = dynamic_cast<const char_node*>(n)) {
        part.assign(1, static_cast<char>(c->ch));
    } else if (auto* nc = dynamic_cast<const nocase_char_node*>(n)) {
        part.assign(1, static_cast<char>(nc->lower));
        nocase = true;
    } else if (auto* str = dynamic_cast<const string_node*>(n)) {
        part.assign(str->text, static_cast<size_t>(str->len));
    } else if (auto* ns = dynamic_cast<const nocase_string_node*>(n)) {
        part.assign(ns->lower, static_cast<size_t>(ns->len));
        nocase = true;
    } else {
        return false;
    }
    if (!ps.text.empty() && nocase != ps.nocase)
        return false;
    ps.nocase = nocase;
    ps.text += part;
    return true;
}

}  // namespace regex
