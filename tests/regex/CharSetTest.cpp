/*
 * Tests of character sets, POSIX classes, escape classes and case folding.
 */
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"

using regex_test::spans;
using namespace regex;

namespace {

// The bytes 0..255 that the pattern (a single-character set) accepts, as a string.
std::string members(const std::string& pattern, uint32_t flags = 0)
{
    Pattern p(flags, "^" + pattern + "$");
    p.compile();
    std::string out;
    MatchResults r;
    for (int c = 0; c < 256; ++c) {
        char ch = static_cast<char>(c);
        if (p.match(&ch, &ch + 1, r))
            out += ch;
    }
    return out;
}

}  // namespace

TEST(CharSet, RangesNegationClassesAndCaseFolding)
{
    const struct {
        const char* pattern;
        const char* members;
        uint32_t flags = 0;
    } listed[] = {
        {"[a-c]", "abc"}, {"[]a]", "]a"}, {"[-a]", "-a"}, {"[a-]", "-a"}, {"[\\d-z]", "-0123456789z"},
        {"[a-\\d]", "-0123456789a"}, {"[\\x41-\\x43]", "ABC"}, {"[\\x4142]", "B"}, {"[\\101]", "A"}, {"[\\cA]", "\x01"},
        {"[\\b]", "\b"}, {"[\\e]", "\x1b"}, {"[\\n]", "n"}, {"[\\n\\v]", "\n\v", NORMALIZE}, {"[\\]]", "]"},
        {"[[:digit:]]", "0123456789"}, {"[[:xdigit:]]", "0123456789ABCDEFabcdef"}, {"[[:blank:]]", "\t "},
        {"[[:space:]]", "\t\n\v\f\r "}, {"\\s", "\t\n\v\f\r "}, {"[^\\S\\n]", "\t\v\f\r ", NORMALIZE},
        // A class name not written whole is taken as its characters.
        {"[[:alpha]", ":[ahlp"},
        // Only the ASCII letters have another case.
        {"[a-c]", "ABCabc", NOCASE}, {"x", "Xx", NOCASE}, {"1", "1", NOCASE},
    };
    for (const auto& c : listed)
        EXPECT_EQ(members(c.pattern, c.flags), c.members) << c.pattern;
    const struct {
        const char* pattern;
        size_t count;
        uint32_t flags = 0;
    } counted[] = {
        {"[^0-9]", 246}, {"[^]a]", 254}, {"[[:^digit:]x]", 246}, {"[[:cntrl:]]", 33}, {"[[:punct:]]", 32},
        {"[[:print:]]", 95}, {"[[:graph:]]", 94}, {"[[:upper:]]", 26}, {"[[:alnum:]]", 62}, {"\\w", 63},
        {"\\W", 193}, {"\\D", 246}, {"[^a]", 254, NOCASE},
    };
    for (const auto& c : counted)
        EXPECT_EQ(members(c.pattern, c.flags).size(), c.count) << c.pattern;
    EXPECT_EQ(members("[^0-9]").find('\n'), 10u);
    EXPECT_EQ(members("[[:alpha:]]").find('_'), std::string::npos);
    EXPECT_NE(members("\\w").find('_'), std::string::npos);
    EXPECT_EQ(members("\\w").find('\xe9'), std::string::npos);
    EXPECT_EQ(spans("\\b", "a"), "0,0");
    EXPECT_EQ(spans("\xe9", "\xc9", NOCASE), "nomatch");
    EXPECT_EQ(spans("caf\xe9", "CAF\xe9", NOCASE), "0,4");
    EXPECT_EQ(spans("[[:lower:]]+", "abC"), "0,2");
}
