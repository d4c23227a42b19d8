/*
 * StartScan.h - finding the next position where a match of a class-led pattern can start:
 * a byte of the first-byte class whose previous byte is in the class allowed before a
 * match (all bytes, the non-word bytes before "\b\w", the class of a leading one-byte
 * look-behind). Sixteen or thirty-two positions are tested at once: each class is looked
 * up per nibble with byte shuffles, which may let a few bytes above 127 through, so every
 * candidate is then tested exactly.
 */
#pragma once

#include <cstdint>

#include "regex/CharSet.h"

namespace regex {

struct start_scan {
    char_set first;           // bytes a match can begin with
    char_set before;          // bytes allowed right before a match
    bool at_begin = true;     // a match may begin at the subject begin
    // Per low (high) nibble of a byte, the rows of the class it may belong to; filled by build().
    uint8_t first_low[16] = {}, first_high[16] = {};
    uint8_t before_low[16] = {}, before_high[16] = {};

    // Fill the nibble tables once the classes are in place.
    void build();
    // Whether a match can begin at p of the subject that begins at begin.
    bool admits(const char* begin, const char* p) const
    {
        return first.test(static_cast<unsigned char>(*p)) &&
               (p == begin ? at_begin : before.test(static_cast<unsigned char>(p[-1])));
    }
    // The first position in [from, last] where a match can begin, or null (last < end).
    const char* find(const char* begin, const char* from, const char* last) const;
};

}  // namespace regex
