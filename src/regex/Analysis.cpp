/*
 * Analysis.cpp - what the compile step learns from the node tree about where matches
 * can begin, so the search only runs the matcher at promising positions.
 *
 * In order of preference: a literal prefix (scanned sixteen bytes at a time), the
 * leading literals of several alternatives (scanned together), the literal after a
 * leading repeat of a set (the run before it is walked back), or a byte every match
 * holds within a bounded distance of its start (found with memchr); a table of the
 * possible first bytes filters what remains. Widths and anchoring are settled here too.
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
    }
    if (first != nullptr && first->kind == node_kind::repeat) {
        auto* r = static_cast<repeat_node*>(first);
        if (r->accepts_all && r->min <= 1 && r->max == INT32_MAX)
            try_every_start_ = false;
        r->leading = !has_recursion && r->max == INT32_MAX;
        build_lead_suffix(r);
    }
    if (!try_every_start_)
        return;
    if (build_prefix(first) || build_prefixes(first))
        return;
    char_set starts;
    if (!top_->first_bytes(starts) && !starts.all()) {
        first_bytes_ = std::make_unique<uint8_t[]>(256);
        for (unsigned c = 0; c < 256; ++c)
            first_bytes_[c] = starts.test(static_cast<unsigned char>(c));
    }
    width_range offset;
    if (first != nullptr && !lead_suffix_)
        find_required_byte(first, offset);
}

// Look along the chain for a literal byte that every match holds at an offset range
// that stays bounded (entering groups with one alternative, and the first iteration of
// a repeated group). `offset` holds the range at the chain's start and is advanced.
bool Pattern::find_required_byte(const sub_expr* n, width_range& offset)
{
    for (; n != nullptr && !n->terminal() && offset.max < width_inf; n = n->next) {
        if (auto* c = dynamic_cast<const char_node*>(n)) {
            required_byte_ = c->ch;
        } else if (auto* s = dynamic_cast<const string_node*>(n)) {
            required_byte_ = static_cast<unsigned char>(s->text[0]);
        } else if (auto* g = dynamic_cast<const match_group*>(n); g != nullptr && g->alt_count == 1) {
            if (find_required_byte(g->alts[0], offset))
                return true;
            continue;
        } else if (auto* q = dynamic_cast<const group_quantifier*>(n); q != nullptr && q->min >= 1 && q->body->alt_count == 1) {
            width_range inside = offset;
            if (find_required_byte(q->body->alts[0], inside))
                return true;
        }
        if (required_byte_ >= 0) {
            required_lo_ = static_cast<int>(offset.min);
            required_hi_ = static_cast<int>(offset.max);
            return true;
        }
        width_range w = n->width();
        offset.min = width_add(offset.min, w.min);
        offset.max = width_add(offset.max, w.max);
    }
    return false;
}

// The literal right after a leading repeat of a set, which the search scans for.
void Pattern::build_lead_suffix(const repeat_node* r)
{
    if (r->accepts_all || r->next == nullptr)
        return;
    auto literal = std::make_unique<prefix_searcher>();
    if (!literal_text(r->next, *literal))
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
    if (g->alt_count < 2 || g->alt_count > 8)
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
