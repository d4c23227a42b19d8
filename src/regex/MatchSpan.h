/*
 * MatchSpan: one match found by CRegexp::FindAll, as an offset and a length counted from the
 * start of the text that was searched, with the matched text when the facade keeps it and,
 * for a top-level match, the spans of its groups. Spans are copied by value into CWexList,
 * so copying one copies its groups list too.
 */
#pragma once

#include <cstdint>

#include "base/CDynString.h"
#include "base/CWexList.h"

struct MatchSpan {
    // Position of the first matched character from the start of the text given to FindAll.
    std::int32_t offset = 0;
    // Number of characters matched; 0 for an empty match.
    std::int32_t length = 0;
    // The matched characters when the facade keeps texts, else empty.
    CDynString text;
    // The spans of this match's groups (their own groups lists stay empty); duplicates kept.
    CWexList<MatchSpan> groups;

    MatchSpan() { groups.unique = false; }
    MatchSpan(std::int32_t spanOffset, std::int32_t spanLength)
        : offset(spanOffset), length(spanLength) { groups.unique = false; }
    MatchSpan(const MatchSpan& other);
    MatchSpan& operator=(const MatchSpan& other);
};
