/*
 * Planning.cpp - what the matcher learns from the node tree before any search: where
 * the rest of a match can go on after a repeat or a group quantifier (so a choice that
 * cannot lead anywhere is never made, and a long loop keeps no backtracking state), and
 * the layout of the failure memo.
 *
 * The memo: where success cannot depend on captured text (no back-reference, no
 * condition on a group, no recursion), whether the rest of the pattern matches from a
 * node at a position depends only on the node, the position and the counters of the
 * group quantifiers around the node. So a failed (node, position, counters) state fails
 * again, and the matcher remembers it in a bit set: each node that joins several paths
 * (a group, a group's end, a quantifier's loop, a repeat) gets one row of bits per
 * combination of the counters that matter to it. Nodes inside a look-behind are left
 * out: their outcome also depends on where the look-behind stands.
 */
#include <functional>
#include <vector>

#include "regex/Nodes.h"

namespace regex {

namespace {

// Counter combinations beyond this make a node too costly to remember.
constexpr int max_memo_states = 64;
// Follow sets are worked out this many nodes of nesting deep, then taken as unknown.
constexpr int max_follow_depth = 8;

// The place of a node in the tree: the group quantifiers around it, and whether it lies
// inside a look-behind.
struct tree_place {
    std::vector<const group_quantifier*> loops;  // enclosing quantifiers, outermost first
    bool behind = false;                         // inside a look-behind body
};

using node_visitor = std::function<void(sub_expr*, const tree_place&)>;

void visit_node(sub_expr* n, const tree_place& place, const node_visitor& f);

void visit_chain(sub_expr* n, const tree_place& place, const node_visitor& f)
{
    for (; n != nullptr && !n->terminal(); n = n->next)
        visit_node(n, place, f);
}

// Calls f on n and on every node below it (group ends and quantifier loops included).
void visit_node(sub_expr* n, const tree_place& place, const node_visitor& f)
{
    f(n, place);
    switch (n->kind) {
    case node_kind::group: {
        auto* g = static_cast<match_group*>(n);
        for (int i = 0; i < g->alt_count; ++i)
            visit_chain(g->alts[i], place, f);
        f(g->end, place);
        break;
    }
    case node_kind::quantifier: {
        auto* q = static_cast<group_quantifier*>(n);
        tree_place inner = place;
        inner.loops.push_back(q);
        visit_node(q->body, inner, f);
        f(q->body->next, inner);
        break;
    }
    case node_kind::assertion: {
        auto* a = static_cast<assertion_node*>(n);
        tree_place inner = place;
        inner.behind = inner.behind || a->behind;
        visit_node(a->body, inner, f);
        break;
    }
    case node_kind::independent:
        visit_node(static_cast<independent_node*>(n)->body, place, f);
        break;
    case node_kind::conditional: {
        auto* c = static_cast<conditional_node*>(n);
        if (c->cond != nullptr)
            visit_node(const_cast<assertion_node*>(c->cond), place, f);
        visit_chain(c->yes, place, f);
        visit_chain(c->no, place, f);
        f(c->end, place);
        break;
    }
    default:
        break;
    }
}

void add_follow(follow_set& into, const follow_set& from)
{
    into.any = into.any || from.any;
    into.at_end = into.at_end || from.at_end;
    into.bytes.add_set(from.bytes);
}

// Where a match going on from n (through the ends of the groups around it) can begin.
follow_set follow_from(const sub_expr* n, int depth)
{
    follow_set f;
    if (depth > max_follow_depth)
        return f;
    f.any = false;
    for (; n != nullptr; n = n->next) {
        switch (n->kind) {
        case node_kind::end:
        case node_kind::assertion_end:
        case node_kind::backref:
        case node_kind::recursion:
            f.any = true;
            return f;
        case node_kind::group_end:
            n = static_cast<const group_end*>(n)->owner;
            continue;
        case node_kind::quant_loop: {
            const group_quantifier* q = static_cast<const quant_loop*>(n)->owner;
            add_follow(f, follow_from(q->body, depth + 1));
            add_follow(f, follow_from(q->next, depth + 1));
            return f;
        }
        case node_kind::anchor: {
            auto t = static_cast<const anchor_node*>(n)->type;
            if (t == anchor_type::line_end || t == anchor_type::subject_end_nl || t == anchor_type::subject_end) {
                if (t != anchor_type::subject_end)
                    f.bytes.add('\n');
                f.at_end = true;
                return f;
            }
            continue;
        }
        case node_kind::assertion: {
            // A look-ahead that consumes something decides which bytes can come next.
            auto* a = static_cast<const assertion_node*>(n);
            char_set body;
            if (!a->negative && !a->behind && !a->body->first_bytes(body)) {
                f.bytes.add_set(body);
                return f;
            }
            continue;
        }
        default:
            if (!n->first_bytes(f.bytes))
                return f;
        }
    }
    f.any = true;
    return f;
}

// Whether the chain from n reaches the end of the pattern without consuming or testing
// anything (only group ends in between).
bool ends_pattern(const sub_expr* n)
{
    while (n != nullptr && n->kind == node_kind::group_end)
        n = static_cast<const group_end*>(n)->owner->next;
    return n != nullptr && n->kind == node_kind::end;
}

bool joins_paths(const sub_expr* n)
{
    switch (n->kind) {
    case node_kind::group:
    case node_kind::group_end:
    case node_kind::quant_loop:
        return true;
    case node_kind::repeat: {
        auto* r = static_cast<const repeat_node*>(n);
        return r->max > r->min;
    }
    default:
        return false;
    }
}

// Whether captured text can change the outcome somewhere in the tree.
bool outcome_needs_captures(sub_expr* top)
{
    bool needs = false;
    visit_node(top, tree_place{}, [&needs](sub_expr* n, const tree_place&) {
        if (n->kind == node_kind::backref || n->kind == node_kind::recursion ||
            (n->kind == node_kind::conditional && static_cast<conditional_node*>(n)->group >= 0))
            needs = true;
    });
    return needs;
}

}  // namespace

void Pattern::plan_follow_sets()
{
    visit_node(top_, tree_place{}, [](sub_expr* n, const tree_place&) {
        if (n->kind == node_kind::assertion) {
            // A body of one byte class is tested in place, without a match of its own.
            auto* a = static_cast<assertion_node*>(n);
            const sub_expr* only = a->body->alt_count == 1 ? a->body->alts[0] : nullptr;
            a->one_byte = only != nullptr && only->next == a->body->end &&
                          (only->kind == node_kind::character || only->kind == node_kind::nocase_character ||
                           only->kind == node_kind::set);
            if (a->one_byte)
                only->first_bytes(a->byte_set);
        } else if (n->kind == node_kind::repeat) {
            auto* r = static_cast<repeat_node*>(n);
            r->rest = follow_from(r->next, 0);
            // A greedy repeat backs off to this byte with memrchr.
            r->rest_byte = r->rest.any || r->rest.at_end ? -1 : r->rest.bytes.only_member();
            char_set lacking = r->set;
            lacking.invert();
            r->stop_byte = lacking.only_member();
        } else if (n->kind == node_kind::quantifier) {
            auto* q = static_cast<group_quantifier*>(n);
            q->enter = follow_from(q->body, 0);
            q->leave = follow_from(q->next, 0);
            q->leave_wins = ends_pattern(q->next);
        }
    });
}

void Pattern::plan_memo()
{
    memo_rows_ = 0;
    if (outcome_needs_captures(top_))
        return;
    int rows = 0;
    visit_node(top_, tree_place{}, [this, &rows](sub_expr* n, const tree_place& place) {
        if (place.behind || !joins_paths(n))
            return;
        std::vector<memo_digit> digits;
        int states = 1;
        for (const group_quantifier* q : place.loops) {
            int counts = q->max != INT32_MAX ? q->max + 1 : (q->min > 1 ? q->min + 1 : 1);
            if (counts > 1) {
                digits.push_back({q->slot, counts, false});
                states *= counts;
            }
            if (q->body->width().min == 0) {
                digits.push_back({q->slot, 4, true});
                states *= 4;
            }
            if (states > max_memo_states)
                return;
        }
        memo_digit* stored = arena_->make_array<memo_digit>(digits.size());
        std::copy(digits.begin(), digits.end(), stored);
        n->memo_digits = stored;
        n->memo_digit_count = static_cast<int>(digits.size());
        n->memo_row = rows;
        rows += states;
    });
    memo_rows_ = rows;
}

}  // namespace regex
