/*
 * Tests of the substitution language: group references, case conversion, escape
 * normalisation, errors, and substitute over a range and with global search.
 */
#include <gtest/gtest.h>

#include <string>

#include "regex/Pattern.h"

using namespace regex;

namespace {

// The text after substituting; "error: MESSAGE" when the replacement is refused.
std::string replaced(const std::string& pattern, const std::string& replacement, std::string text, uint32_t flags = 0,
                     int* count = nullptr, size_t start = 0, size_t len = std::string::npos)
{
    Pattern p(flags, pattern);
    p.compile();
    try {
        p.set_substitution(replacement);
    } catch (const bad_regexpr& e) {
        return std::string("error: ") + e.what();
    }
    MatchResults r;
    int n = p.substitute(text, start, len, r);
    if (count != nullptr)
        *count = n;
    return text;
}

}  // namespace

// References, case conversion and escapes, each replacing the first match.
TEST(Substitution, ReplacementTexts)
{
    const struct {
        const char* pattern;
        const char* replacement;
        const char* text;
        const char* expected;
        uint32_t flags = 0;
    } cases[] = {
        {"b+", "<$0>", "abbc", "a<bb>c"}, {"b+", "<$&>", "abbc", "a<bb>c"}, {"b+", "<$>", "abbc", "a<bb>c"},
        {"b+", "$", "abbc", "abbc"}, {"(a)(b)?", "[$1]", "a", "[a]"}, {"(a)(b)?", "[$2]", "a", "[]"},
        {"b", "[$`|$']", "abc", "a[a|c]c"}, {"a", "\\$1\\\\", "a", "$1\\"}, {"a", "", "bab", "bb"},
        {"(a)", "$10", "a", "error: invalid backreference in substitution"},
        {"(a)(b)", "$3", "ab", "error: invalid backreference in substitution"},
        {"a", "$1", "a", "error: invalid backreference in substitution"},
        {"a", "x\\", "a", "error: expecting escape sequence in substitution string"},
        {"(ab)", "\\U$1\\E-$1", "ab", "AB-ab"}, {"(ab)", "\\u$1", "ab", "Ab"}, {"(AB)", "\\l$1", "AB", "aB"},
        {"(AB)", "\\L$1x\\EY", "AB", "abxY"}, {"(ab)", "\\L\\u$1", "ab", "Ab"}, {"(x?)(ab)", "\\u$1$2", "ab", "Ab"},
        {"(\xe9t\xe9)", "\\U$1", "\xe9t\xe9", "\xe9T\xe9"}, {"a", "\\U\\Q$1\\E\\x", "a", "$1x"},
        {"a", "\\Q$\\", "a", "$\\"}, {"a", "\\U", "bab", "bb"},
        {"a", "\\n", "a", "\n", NORMALIZE}, {"a", "\\n", "a", "n"}, {"a", "\\t\\e\\v", "a", "\t\x1b\v", NORMALIZE},
        {"a", "\\\\n", "a", "\\n", NORMALIZE}, {"a", "\\\\\\\\n", "a", "\\n", NORMALIZE},
        {"a", "\\x41", "a", "x41", NORMALIZE},
        {"a", "x\\", "a", "error: expecting escape sequence in substitution string", NORMALIZE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replaced(c.pattern, c.replacement, c.text, c.flags), c.expected)
            << c.pattern << " by " << c.replacement;
}

TEST(Substitution, ExpansionOfOneMatchTakesItsContextBounds)
{
    Pattern p(0, "(b)", "[$`|\\U$1\\E|$']");
    p.compile();
    const std::string text = "abcd";
    const char* s = text.data();
    MatchResults r;
    EXPECT_EQ(p.expand(r, s, s + 4), "");
    ASSERT_TRUE(p.search_from(s, s + 4, s + 1, r));
    EXPECT_EQ(p.expand(r, s, s + 4), "[a|B|cd]");
    EXPECT_EQ(p.expand(r, s + 1, s + 3), "[|B|c]");
    EXPECT_EQ(p.expand(r, s + 3, s), "[|B|]");
}

TEST(Substitution, FirstOrEveryMatchWithinTheRange)
{
    int count = -1;
    EXPECT_EQ(replaced("o", "0", "foo boo", 0, &count), "f0o boo");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(replaced("o", "0", "foo boo", GLOBAL, &count), "f00 b00");
    EXPECT_EQ(count, 4);
    EXPECT_EQ(replaced("a*", "X", "baaa", GLOBAL, &count), "XbXX");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(replaced("x", "y", "abc", GLOBAL, &count), "abc");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(replaced("o", "0", "foo boo", GLOBAL, &count, 2, 3), "fo0 boo");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(replaced("^o", "0", "foo", GLOBAL, &count, 1), "f0o");
    EXPECT_EQ(replaced("o", "0", "foo", GLOBAL, &count, 9), "foo");
    // Every match is found in the text as given, not in the text already replaced.
    EXPECT_EQ(replaced("\\ba", "x", "aa", GLOBAL), "xa");
    EXPECT_EQ(replaced("a", "$`", "aa", GLOBAL), "a");
}

// The records of a substitution pointed into the text before it changed: they are reset
// (or, with NOBACKREFS, released), never left pointing at freed memory.
TEST(Substitution, RecordsAfterSubstituteNeverPointIntoTheOldText)
{
    Pattern keep(GLOBAL | FIRSTBACKREFS, "(o)", "0");
    keep.compile();
    std::string text = "foo";
    MatchResults r;
    ASSERT_EQ(keep.substitute(text, 0, std::string::npos, r), 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_FALSE(r.at(0).matched);
    EXPECT_EQ(r.at(0).first, nullptr);
    Pattern drop(GLOBAL | NOBACKREFS | FIRSTBACKREFS, "(o)", "0");
    drop.compile();
    ASSERT_EQ(drop.substitute(text, 0, std::string::npos, r), 0);
    text = "foo";
    ASSERT_EQ(drop.substitute(text, 0, std::string::npos, r), 2);
    EXPECT_EQ(r.size(), 0u);
    EXPECT_EQ(text, "f00");
}

TEST(Substitution, RefusedReplacementKeepsThePreviousOne)
{
    Pattern p(0, "(a)", "<$1>");
    p.compile();
    EXPECT_THROW(p.set_substitution("$2"), bad_regexpr);
    std::string text = "a";
    MatchResults r;
    EXPECT_EQ(p.substitute(text, 0, std::string::npos, r), 1);
    EXPECT_EQ(text, "<a>");
    Pattern bad(0, "a", "$1");
    EXPECT_THROW(bad.compile(), bad_regexpr);
}
