/*
 * EngineTestSupport.h - small helpers shared by the engine tests: compile a pattern and
 * show one search's group spans as text ("0,3 1,2 -"), or the error it throws; check a
 * table of such searches.
 */
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "regex/Pattern.h"

namespace regex_test {

// The kept records as "B,E" offsets from begin, "-" for an unmatched group.
inline std::string shown(const regex::MatchResults& r, const char* begin)
{
    std::string out;
    for (const regex::backref_tag& g : r.records()) {
        if (!out.empty())
            out += ' ';
        out += g.matched ? std::to_string(g.first - begin) + "," + std::to_string(g.second - begin) : "-";
    }
    return out;
}

// Spans of one search over the whole subject (see shown), "nomatch", or "error: MESSAGE"
// when compiling throws.
inline std::string spans(const std::string& pattern, const std::string& subject, uint32_t flags = 0)
{
    try {
        regex::Pattern p(flags, pattern);
        p.compile();
        regex::MatchResults r;
        return p.match(subject.data(), subject.data() + subject.size(), r) ? shown(r, subject.data()) : "nomatch";
    } catch (const regex::bad_regexpr& e) {
        return std::string("error: ") + e.what();
    }
}

// The message compiling throws, or "" when it compiles.
inline std::string compile_error(const std::string& pattern, uint32_t flags = 0)
{
    std::string s = spans(pattern, "", flags);
    return s.rfind("error: ", 0) == 0 ? s.substr(7) : "";
}

// One search over a whole subject and what spans() should show for it.
struct span_case {
    std::string pattern;
    std::string subject;
    const char* found;
    uint32_t flags = 0;
};

// Checks each case with `search` (spans, or another search shown the same way).
inline void expect_spans(std::initializer_list<span_case> cases,
                         std::string (*search)(const std::string&, const std::string&, uint32_t) = spans)
{
    for (const span_case& c : cases)
        EXPECT_EQ(search(c.pattern, c.subject, c.flags), c.found)
            << c.pattern << " on \"" << c.subject << "\" flags " << c.flags;
}

}  // namespace regex_test
