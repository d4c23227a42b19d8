/*
 * Tests of the pattern syntax: every compile error with an input that causes it, the
 * guards against patterns too deep or counts too large, and the syntax edge cases.
 */
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"

using regex_test::compile_error;
using regex_test::expect_spans;
using regex_test::spans;
using namespace regex;

TEST(PatternSyntax, EveryErrorMessageForItsInput)
{
    struct error_case {
        const char* pattern;
        const char* message;
    };
    const error_case cases[] = {
        {"(a", "mismatched parenthesis"},
        {"(", "mismatched parenthesis"},
        {"a)", "mismatched parenthesis"},
        {"(?:a", "mismatched parenthesis"},
        {"*a", "quantifier not expected"},
        {"a**", "quantifier not expected"},
        {"a|*", "quantifier not expected"},
        {"(*)", "quantifier not expected"},
        {"(?=a)*", "quantifier not expected"},
        {"(?<=a)*", "quantifier not expected"},
        {"a$*", "quantifier not expected"},
        {"\\b+", "quantifier not expected"},
        {"(?i)*", "quantifier not expected"},
        {"a(?i)*", "quantifier not expected"},
        {"(?z)", "bad extension sequence"},
        {"(?<x)", "bad extension sequence"},
        {"(?i-m-s)", "bad extension sequence"},
        {"(?(a)b|c)", "bad extension sequence"},
        {"(?(?:a)b)", "bad extension sequence"},
        {"(?Rx)", "bad extension sequence"},
        {"(?#note", "Expecting end of comment"},
        {"a(?:", "ill-formed regular expression"},
        {"(?", "ill-formed regular expression"},
        {"(?<=", "ill-formed regular expression"},
        {"(?i", "ill-formed regular expression"},
        {"(?(1)a|b|c)", "Too many alternates in conditional subexpression"},
        {"\\E", "quotemeta turned off, but was never turned on"},
        {"\\Qa\\E\\E", "quotemeta turned off, but was never turned on"},
        {"a\\c", "incomplete escape sequence \\c"},
        {"(?(1)a|b)*", "sub-expression cannot be quantified"},
        {"(a)(?R)*", "recursion sub-expression cannot be quantified"},
        {"a{2,1}", "Can't do {n, m} with n > m"},
        {"[c-a]", "invalid range specified in character set"},
        {"[abc", "expecting end of character set"},
        {"[a\\", "expecting end of character set"},
        {"(a)\\2", "reference to nonexistent group"},
        {"(?(2)a)", "reference to nonexistent group"},
    };
    for (const error_case& c : cases)
        EXPECT_EQ(compile_error(c.pattern), c.message) << c.pattern;
}

TEST(PatternSyntax, NestingAndCountsBeyondTheEngineEndInAnError)
{
    EXPECT_EQ(compile_error(std::string(100000, '(')), "ill-formed regular expression");
    EXPECT_EQ(compile_error(std::string(100000, '(') + std::string(100000, ')')), "ill-formed regular expression");
    EXPECT_EQ(compile_error("a{4000000000}"), "ill-formed regular expression");
    EXPECT_EQ(compile_error("a{1,4000000000}"), "ill-formed regular expression");
    // Nesting within the stack and large counts that fit are accepted.
    EXPECT_EQ(spans(std::string(200, '(') + "a" + std::string(200, ')'), "a").substr(0, 7), "0,1 0,1");
    EXPECT_EQ(spans("a{2147483646}", "aa"), "nomatch");
}

TEST(PatternSyntax, QuantifiersAndExtendedMode)
{
    expect_spans({
        {"a{2}", "aaa", "0,2"}, {"^a{2}$", "a", "nomatch"}, {"a{,2}", "aaa", "0,2"}, {"ba{2,}", "baaaa", "0,5"},
        {"a{a", "a{a", "0,3"}, {"a{,}", "a{,}", "0,4"}, {"ab*", "abbb", "0,4"}, {"ab*", "abab", "0,2"},
        {"a+?", "aaa", "0,1"}, {"(ab)+", "ababa", "0,4 2,4"}, {"(ab){2}?c", "ababc", "0,5 2,4"},
        {"\\Qab\\E*", "abbb", "0,4"},
        // Extended mode skips white space and comments, outside brackets only.
        {"a#x\nb", "ab", "0,2", EXTENDED}, {"a b # comment", "ab", "0,2", EXTENDED}, {"a + ?", "aaa", "0,1", EXTENDED},
        {"(? : a )", "a", "0,1", EXTENDED}, {"a b", "ab", "nomatch"}, {"[ ]", " ", "0,1", EXTENDED},
        {"(?x) a b", "ab", "0,2"},
    });
}

// Cases Perl answers the same way are in the differential test's hand-picked list.
TEST(PatternSyntax, GroupsCommentsInlineModifiersAndEscapes)
{
    expect_spans({
        {"(?#note)a", "a", "0,1"}, {"a(?#note)*", "aaa", "0,3"}, {"()", "x", "0,0 0,0"},
        {"(a)(?:b)(c)", "abc", "0,3 0,1 2,3"}, {"a(?i)b|c", "C", "0,1"}, {"(?i-i)a", "A", "nomatch"},
        {"(?-i)a", "A", "nomatch", NOCASE}, {"(?s).", "\n", "0,1"}, {"(?m)^b", "a\nb", "2,3"},
        {"\\x41", "A", "0,1"}, {"\\x4", "\x04", "0,1"}, {"\\x", std::string(1, '\0'), "0,1"}, {"\\101", "A", "0,1"},
        {"\\0101", "\x08" "1", "0,2"}, {"\\cM", "\r", "0,1"}, {"\\cm", "\r", "0,1"}, {"\\e", "\x1b", "0,1"},
        {"\\Qa.b\\E", "a.b", "0,3"}, {"\\Qa.b\\E", "axb", "nomatch"}, {"\\Q(a", "x(a", "1,3"}, {"a\\", "a\\", "0,2"},
        {"\\.", "x.", "1,2"}, {"\\n", "n", "0,1"}, {"\\n\\t", "\n\t", "0,2", NORMALIZE}, {"\\v", "v", "0,1", NORMALIZE},
        {std::string("\\\0", 2), std::string(1, '\0'), "0,1", NORMALIZE}, {"(a)\\1", "aa", "0,2 0,1"},
        // \10 is a back-reference only when ten groups were opened before it; else octal 8.
        {"(a)\\10", "a\x08", "0,2 0,1"},
    });
    EXPECT_EQ(spans("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", "abcdefghijj").substr(0, 4), "0,11");
}
