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

TEST(CharSet, RangesNegationAndLiteralPositions)
{
    EXPECT_EQ(members("[a-c]"), "abc");
    EXPECT_EQ(members("[^0-9]").size(), 246u);
    EXPECT_EQ(members("[^0-9]").find('\n'), 10u);
    EXPECT_EQ(members("[]a]"), "]a");
    EXPECT_EQ(members("[^]a]").size(), 254u);
    EXPECT_EQ(members("[-a]"), "-a");
    EXPECT_EQ(members("[a-]"), "-a");
    EXPECT_EQ(members("[\\d-z]"), "-0123456789z");
    EXPECT_EQ(members("[a-\\d]"), "-0123456789a");
    EXPECT_EQ(members("[\\x41-\\x43]"), "ABC");
    EXPECT_EQ(members("[\\x4142]"), "B");
    EXPECT_EQ(members("[\\101]"), "A");
    EXPECT_EQ(members("[\\cA]"), "\x01");
    EXPECT_EQ(members("[\\b]"), "\b");
    EXPECT_EQ(members("[\\e]"), "\x1b");
    EXPECT_EQ(members("[\\n]"), "n");
    EXPECT_EQ(members("[\\n\\v]", NORMALIZE), "\n\v");
    EXPECT_EQ(members("[\\]]"), "]");
    EXPECT_EQ(spans("\\b", "a"), "0,0");
}

TEST(CharSet, PosixAndEscapeClasses)
{
    EXPECT_EQ(members("[[:digit:]]"), "0123456789");
    EXPECT_EQ(members("[[:^digit:]x]").size(), 246u);
    EXPECT_EQ(members("[[:xdigit:]]"), "0123456789ABCDEFabcdef");
    EXPECT_EQ(members("[[:blank:]]"), "\t ");
    EXPECT_EQ(members("[[:space:]]"), "\t\n\v\f\r ");
    EXPECT_EQ(members("[[:cntrl:]]").size(), 33u);
    EXPECT_EQ(members("[[:punct:]]").size(), 32u);
    EXPECT_EQ(members("[[:print:]]").size(), 95u);
    EXPECT_EQ(members("[[:graph:]]").size(), 94u);
    EXPECT_EQ(members("[[:upper:]]").size(), 26u);
    EXPECT_EQ(members("[[:alnum:]]").size(), 62u);
    EXPECT_EQ(members("[[:alpha:]]").find('_'), std::string::npos);
    EXPECT_NE(members("\\w").find('_'), std::string::npos);
    EXPECT_EQ(members("\\w").size(), 63u);
    EXPECT_EQ(members("\\W").size(), 193u);
    EXPECT_EQ(members("\\s"), "\t\n\v\f\r ");
    EXPECT_EQ(members("\\D").size(), 246u);
    EXPECT_EQ(members("[^\\S\\n]", NORMALIZE), "\t\v\f\r ");
    // A class name not written whole is taken as its characters.
    EXPECT_EQ(members("[[:alpha]"), ":[ahlp");
}

TEST(CharSet, CaseFoldingCoversOnlyAsciiLetters)
{
    EXPECT_EQ(members("[a-c]", NOCASE), "ABCabc");
    EXPECT_EQ(members("[^a]", NOCASE).size(), 254u);
    EXPECT_EQ(spans("\xe9", "\xc9", NOCASE), "nomatch");
    EXPECT_EQ(spans("caf\xe9", "CAF\xe9", NOCASE), "0,4");
    EXPECT_EQ(members("\\w").find('\xe9'), std::string::npos);
    EXPECT_EQ(members("x", NOCASE), "Xx");
    EXPECT_EQ(members("1", NOCASE), "1");
    EXPECT_EQ(spans("[[:lower:]]+", "abC"), "0,2");
}
