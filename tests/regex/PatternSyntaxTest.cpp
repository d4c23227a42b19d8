/*
 * Tests of the pattern syntax: every compile error with an input that causes it, the
 * guards against patterns too deep or counts too large, and the syntax edge cases.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineTestSupport.h"

using regex_test::compile_error;
using regex_test::expect_spans;
using regex_test::spans;
using namespace regex;

// Each message with the inputs that cause it; nesting and counts beyond what the engine
// holds end in an error too.
TEST(PatternSyntax, EveryErrorMessageForItsInputs)
{
    const std::string deep(100000, '(');
    const struct {
        const char* message;
        std::vector<std::string> patterns;
    } cases[] = {
        {"mismatched parenthesis", {"(a", "(", "a)", "(?:a"}},
        {"quantifier not expected", {"*a", "a**", "a|*", "(*)", "(?=a)*", "(?<=a)*", "a$*", "\\b+", "(?i)*", "a(?i)*"}},
        {"bad extension sequence", {"(?z)", "(?<x)", "(?i-m-s)", "(?(a)b|c)", "(?(?:a)b)", "(?Rx)"}},
        {"Expecting end of comment", {"(?#note"}},
        {"ill-formed regular expression",
         {"a(?:", "(?", "(?<=", "(?i", deep, deep + std::string(100000, ')'), "a{4000000000}", "a{1,4000000000}"}},
        {"Too many alternates in conditional subexpression", {"(?(1)a|b|c)"}},
        {"quotemeta turned off, but was never turned on", {"\\E", "\\Qa\\E\\E"}},
        {"incomplete escape sequence \\c", {"a\\c"}},
        {"sub-expression cannot be quantified", {"(?(1)a|b)*"}},
        {"recursion sub-expression cannot be quantified", {"(a)(?R)*"}},
        {"Can't do {n, m} with n > m", {"a{2,1}"}},
        {"invalid range specified in character set", {"[c-a]"}},
        {"expecting end of character set", {"[abc", "[a\\"}},
        {"reference to nonexistent group", {"(a)\\2", "(?(2)a)"}},
    };
    for (const auto& c : cases)
        for (const std::string& pattern : c.patterns)
            EXPECT_EQ(compile_error(pattern), c.message) << pattern.substr(0, 20);
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
