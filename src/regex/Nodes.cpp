/*
 * Nodes.cpp - the node arena, and what the pattern analysis asks of every node: its
 * width range and the bytes a match of it can begin with.
 */
#include "regex/Nodes.h"

#include <cstdlib>

namespace regex {

namespace {
constexpr size_t arena_block_size = 16384;
}

arena_allocator::~arena_allocator()
{
    for (char* b : blocks_)
        std::free(b);
}

void* arena_allocator::allocate(size_t bytes, size_t align)
{
    size_t pad = (align - reinterpret_cast<uintptr_t>(cursor_) % align) % align;
    if (cursor_ == nullptr || pad + bytes > left_) {
        size_t size = bytes + align > arena_block_size ? bytes + align : arena_block_size;
        char* block = static_cast<char*>(std::malloc(size));
        if (block == nullptr)
            throw bad_allocation();
        try {
            blocks_.push_back(block);
        } catch (const std::bad_alloc&) {
            std::free(block);
            throw bad_allocation();
        }
        cursor_ = block;
        left_ = size;
        pad = (align - reinterpret_cast<uintptr_t>(cursor_) % align) % align;
    }
    char* p = cursor_ + pad;
    cursor_ = p + bytes;
    left_ -= pad + bytes;
    return p;
}

width_range chain_width(const sub_expr* n)
{
    width_range w;
    for (; n != nullptr && !n->terminal(); n = n->next) {
        width_range x = n->width();
        w.min = width_add(w.min, x.min);
        w.max = width_add(w.max, x.max);
    }
    return w;
}

bool chain_first_bytes(const sub_expr* n, char_set& out)
{
    for (; n != nullptr && !n->terminal(); n = n->next)
        if (!n->first_bytes(out))
            return false;
    return true;
}

bool char_node::first_bytes(char_set& out) const
{
    out.add(ch);
    return false;
}

bool nocase_char_node::first_bytes(char_set& out) const
{
    out.add(lower);
    out.add(upper);
    return false;
}

bool string_node::first_bytes(char_set& out) const
{
    out.add(static_cast<unsigned char>(text[0]));
    return false;
}

bool nocase_string_node::first_bytes(char_set& out) const
{
    out.add(static_cast<unsigned char>(lower[0]));
    out.add(static_cast<unsigned char>(upper[0]));
    return false;
}

bool set_node::first_bytes(char_set& out) const
{
    out.add_set(set);
    return false;
}

bool repeat_node::first_bytes(char_set& out) const
{
    out.add_set(set);
    return min == 0;
}

// A back-reference may hold anything, or nothing.
bool backref_node::first_bytes(char_set& out) const
{
    for (uint64_t& b : out.bits)
        b = ~uint64_t(0);
    return true;
}

bool recursion_node::first_bytes(char_set& out) const
{
    for (uint64_t& b : out.bits)
        b = ~uint64_t(0);
    return true;
}

width_range match_group::width() const
{
    width_range w{width_inf, 0};
    for (int i = 0; i < alt_count; ++i) {
        width_range a = chain_width(alts[i]);
        w.min = a.min < w.min ? a.min : w.min;
        w.max = a.max > w.max ? a.max : w.max;
    }
    if (alt_count == 0)
        w.min = 0;
    return w;
}

bool match_group::first_bytes(char_set& out) const
{
    bool nullable = alt_count == 0;
    for (int i = 0; i < alt_count; ++i)
        nullable |= chain_first_bytes(alts[i], out);
    return nullable;
}

width_range group_quantifier::width() const
{
    width_range b = body->width();
    int64_t mx = max == INT32_MAX ? width_inf : max;
    return {width_mul(b.min, min), (mx == width_inf && b.max > 0) ? width_inf : width_mul(b.max, mx)};
}

bool group_quantifier::first_bytes(char_set& out) const
{
    if (max == 0)
        return true;
    return body->first_bytes(out) || min == 0;
}

width_range independent_node::width() const { return body->width(); }

bool independent_node::first_bytes(char_set& out) const { return body->first_bytes(out); }

width_range conditional_node::width() const
{
    width_range y = chain_width(yes);
    width_range n = no ? chain_width(no) : width_range{0, 0};
    return {y.min < n.min ? y.min : n.min, y.max > n.max ? y.max : n.max};
}

bool conditional_node::first_bytes(char_set& out) const
{
    bool nullable = chain_first_bytes(yes, out);
    if (no == nullptr)
        return true;
    return chain_first_bytes(no, out) || nullable;
}

}  // namespace regex
