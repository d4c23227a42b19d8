/*
 * Tests of the matching machine: anchors and lines, groups and back-references,
 * look-around, independent groups, conditionals, recursion, the start-position
 * shortcuts (literal prefix, first bytes, leading repeats), global search, splitting,
 * and the limits: patterns that backtrack exponentially elsewhere, repeats over a long
 * line, and searches stopped by their budget, the cancel flag or the stack.
 */
#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "regex/CRegexp.h"

using regex_test::expect_spans;
using regex_test::shown;
using regex_test::spans;
using namespace regex;

namespace {

// Every match of a global search as "B,E" pairs of each kept record.
std::string global_spans(const std::string& pattern, const std::string& subject, uint32_t flags)
{
    Pattern p(flags | GLOBAL, pattern);
    p.compile();
    MatchResults r;
    return p.global_match(subject.data(), subject.data() + subject.size(), r) ? shown(r, subject.data()) : "nomatch";
}

std::vector<std::string> split(const std::string& pattern, const std::string& subject, int limit)
{
    Pattern p(GLOBAL, pattern);
    p.compile();
    std::vector<std::string> pieces;
    MatchResults r;
    int n = p.split(subject.data(), subject.data() + subject.size(), limit, pieces, r);
    EXPECT_EQ(n, static_cast<int>(pieces.size()));
    return pieces;
}

}  // namespace

// Cases Perl answers the same way are in the differential test's hand-picked list.
TEST(Matcher, AnchorsGroupsLookAroundConditionalsAndRecursion)
{
    expect_spans({
        {"a$", "a\nb", "nomatch"}, {"\\Aa", "ba", "nomatch"}, {".", "\n", "nomatch"}, {".", "\n", "0,1", SINGLELINE},
        {"\\Bcat", "concat", "3,6"}, {".*b", "aab\nab", "0,6", SINGLELINE}, {".+x", "ab\nax", "0,5", SINGLELINE},
        {"(a)\\1", "aA", "nomatch"}, {"(a*)*b", "aab", "0,3 2,2"}, {"(a*)+$", "aa", "0,2 2,2"},
        {"(?:a|b)*?c", "abc", "0,3"}, {"([ab])+", "abba", "0,4 3,4"}, {"(\\w+)\\s+\\1", "the the", "0,7 0,3"},
        {"(?>(a+))b|(a)", "aa", "0,1 - 0,1"}, {"(?(?=a)ab|cd)", "cd", "0,2"}, {"(?(?<=x)a|b)", "xa", "1,2"},
        {"x(?=y)", "xzxy", "2,3"}, {"x(?!y)", "xyxz", "2,3"}, {"(?<=ab)c", "acabc", "4,5"}, {"(?<!a)b", "abcb", "3,4"},
        {"(?<=a|bc)d", "bcd", "2,3"}, {"(?=(a))ab|a", "ac", "0,1 -"}, {"(?!(a)b)a", "ac", "0,1 -"},
        {"\\((?:[^()]|(?R))*\\)", "x(a(b)c)y", "1,8"}, {"(a)(?:(?R)|b)", "aab", "0,3 0,1"},
        {"(a)(?:(?R)|b)\\1", "aabaa", "0,5 0,1"}, {"(?:x(?R)y|z)+", "xzyz", "0,4"}, {"(?:x(?R)y|z){2}", "xzzyz", "0,5"},
        {"(?R)", "a", "nomatch"},
    });
}

TEST(Matcher, RangeStartIsTheSubjectBeginAndCStringsEndAtTheirNul)
{
    // A search from a later position still sees the subject before it: "B,E" or "nomatch".
    const struct {
        const char* pattern;
        const char* subject;
        int from;
        const char* found;
    } later[] = {
        {"^a", "aaaa", 1, "nomatch"},  {"\\Aa", "aa", 1, "nomatch"},     {"^a", "b\na", 1, "nomatch"},
        {"\\bfoo", "foofoo", 1, "nomatch"}, {"\\Bfoo", "foofoo", 1, "3,6"}, {"(?<=a)b", "ab", 1, "1,2"},
        {"a|(?<=a)b", "ab", 1, "1,2"},  {"(?<!a)b", "ab", 1, "nomatch"}, {"^a", "aa", 0, "0,1"},
        {"a", "aa", 3, "nomatch"},
    };
    for (const auto& c : later) {
        Pattern p(0, c.pattern);
        p.compile();
        MatchResults r;
        const char* s = c.subject;
        EXPECT_EQ(p.search_from(s, s + std::strlen(s), s + c.from, r) ? shown(r, s) : "nomatch", c.found)
            << c.pattern << " in " << c.subject;
    }

    // A match over a later range takes the range start as the subject begin.
    const char aaa[] = "aaa";
    MatchResults r;
    for (const char* pattern : {"^a", "\\ba"}) {
        Pattern p(0, pattern);
        p.compile();
        ASSERT_TRUE(p.match(aaa + 1, aaa + 3, r)) << pattern;
        EXPECT_EQ(r.at(0).first, aaa + 1) << pattern;
        EXPECT_EQ(r.subject_begin(), aaa + 1) << pattern;
    }
    Pattern behind(0, "(?<=a)b");
    behind.compile();
    const char ab[] = "ab";
    EXPECT_FALSE(behind.match(ab + 1, ab + 2, r));
    EXPECT_FALSE(behind.search_from(ab + 1, ab + 2, ab, r));
    Pattern star(0, "x*");
    star.compile();
    ASSERT_TRUE(star.search_from(ab, ab + 2, ab, r, ab));
    EXPECT_EQ(r.at(0).first, ab + 1);

    Pattern lit(0, "b$");
    lit.compile();
    const char with_nul[] = "ab\0b";
    EXPECT_TRUE(lit.match(with_nul, r));
    EXPECT_EQ(r.at(0).first, with_nul + 1);
    ASSERT_TRUE(lit.match(with_nul, with_nul + 4, r));
    EXPECT_EQ(r.at(0).first, with_nul + 3);
}

TEST(Matcher, StartPositionShortcutsFindEveryMatch)
{
    // Literal prefixes at every offset around the 16-byte scanning blocks.
    for (size_t at = 0; at < 40; ++at) {
        std::string subject(at, 'x');
        subject += "needle";
        subject += std::string(at % 7, 'y');
        EXPECT_EQ(spans("needle", subject), std::to_string(at) + "," + std::to_string(at + 6)) << at;
        std::string upper = subject;
        upper.replace(at, 6, "NeEdLe");
        EXPECT_EQ(spans("needle", upper, NOCASE), std::to_string(at) + "," + std::to_string(at + 6)) << at;
        EXPECT_EQ(spans("needle", upper), "nomatch") << at;
        EXPECT_EQ(spans("needlez", subject), "nomatch") << at;
    }
    expect_spans({
        {"a.c", "abd a-c", "4,7"}, {"[\\w.+-]+@[\\w.-]+\\.[\\w.-]+", "x@y mail: joe.b@ex.org!", "10,22"},
        {"[a-zA-Z]+ing", "ringo sing", "0,4"}, {"[a-zA-Z]+ing", "ing singing", "4,11"},
        {"[a-z]*?ax", "bbab aax", "5,8"}, {"[a-z]+1", "ab2cd1", "3,6"}, {"\\d+\\.\\d+", "1.x 22.5", "4,8"},
        {"cat|dog|bird", "a bird, a dog", "2,6"}, {"cat|Dog|", "xDog", "0,0"}, {"(?:cat|dog)s", "dog cats", "4,8"},
    });
}

// "(?:P|\b\B)" matches exactly what P matches, but its start has no literal, no first
// bytes, no leading repeat and no required byte: the search tries every position. The
// shortcuts must not change any global search's matches or groups.
TEST(Matcher, StartPositionShortcutsAgreeWithTryingEveryPosition)
{
    const char* patterns[] = {
        "[a-z]+ing", "[a-z]*ing", "[a-z]{2,}ing", "[a-z]{1,2}ng", "[a-z]+ing!", "\\w+@\\w+", "[a-z]+ING",
        "ing|ng|a.b", "(?:ab|ing)x?", "(?i)ING|B", "ab|b.|i", "(ab|c)x", "\\d{1,3}\\.\\d", "(?:\\d\\.){2}\\d",
        "(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)",
        "a.c", "ing", "(?i)nG", "[^ ]+ +x", "(a|i)+n", "[a-z]ing", ".{0,2}(ing|x@)", "([a-z]ng|[a-z]x)\\s",
        "\\s[a-z]{0,3}ing\\s", "\\b\\w+ng\\b", "(?m)^\\s*[a-z]+", "(?m)^ .x", "\\b(?:in|x)\\b",
        "\\b[a-z]+(?=x)", "(?<=\\s)[a-z]+(?= )", "\\b(\\w+)\\s+\\1\\b", "Ga.IN|1259",
    };
    const char alphabet[] = "aingbING .x@01259-\n";
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        std::string subject;
        size_t length = random() % 60;
        for (size_t i = 0; i < length; ++i)
            subject += alphabet[random() % (sizeof alphabet - 1)];
        for (const char* pattern : patterns) {
            uint32_t flags = (round % 3 == 0) ? uint32_t(NOCASE) : 0u;
            std::string plain = "(?:" + std::string(pattern) + "|\\b\\B)";
            ASSERT_EQ(global_spans(pattern, subject, ALLBACKREFS | flags), global_spans(plain, subject, ALLBACKREFS | flags))
                << pattern << " on " << subject;
        }
    }
}

TEST(Matcher, GlobalSearchKeepsRecordsByFlags)
{
    expect_spans({
        {"a*", "baaa", "0,0 1,4 4,4", FIRSTBACKREFS}, {"x*", "ab", "0,0 1,1 2,2", FIRSTBACKREFS},
        {"(a)(b)", "abab", "0,2 2,4", FIRSTBACKREFS}, {"(a)(b)", "abab", "0,2 0,1 1,2 2,4 2,3 3,4", ALLBACKREFS},
        {"(a)(b)", "abab", "2,4 2,3 3,4"}, {"\\b", "ab cd", "0,0 2,2 3,3 5,5", FIRSTBACKREFS},
        {"^a", "aaa", "0,1", FIRSTBACKREFS}, {"(?m)^a", "a\na", "0,1 2,3", FIRSTBACKREFS},
        {"z", "abc", "nomatch", FIRSTBACKREFS},
    }, global_spans);

    Pattern p(GLOBAL | ALLBACKREFS, "(a)(b)?");
    p.compile();
    MatchResults r;
    const std::string s = "xx";
    EXPECT_FALSE(p.global_match(s.data(), s.data() + s.size(), r));
    EXPECT_EQ(r.size(), 3u);
}

TEST(Matcher, Split)
{
    EXPECT_EQ(split("[\t\r\n]+", "one\r\ntwo\tthree", 0), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(split(",", "a,b,", 0), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split(",", ",a", 0), (std::vector<std::string>{"", "a"}));
    EXPECT_EQ(split("(-)", "a-b", 0), (std::vector<std::string>{"a", "-", "b"}));
    EXPECT_EQ(split("", "abc", 0), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(split(",", "a,b,c", 1), (std::vector<std::string>{"a,b,c"}));
    EXPECT_EQ(split(",", "a,b,c", 2), (std::vector<std::string>{"a", "b,c"}));
    EXPECT_EQ(split(",", "a,b,", 5), (std::vector<std::string>{"a", "b", ""}));
}

// The patterns that backtrack exponentially in a plain backtracking matcher, each on n
// bytes of `fill` (n = 10, 100, 10 000) followed by a tail it matches whole and by one it
// does not match at all (Perl's answers). The test runner's time limit on this suite
// catches a hang.
TEST(MatcherLimits, CatalogueOfSlowPatternsEndsAsPerlSays)
{
    const struct {
        const char* pattern;
        char fill;
        const char* hit;
        const char* miss;
    } cases[] = {
        {"(a+)*b", 'a', "b", ""}, {"(a|a)*b", 'a', "b", ""}, {"(a|aa)*c", 'a', "c", ""}, {"(x+x+)+y", 'x', "y", ""},
        {"(.*a){12}", 'b', "aaaaaaaaaaaa", "aaaaaaaaaaa"}, {"^(\\w+\\s?)*$", 'a', "", "!"},
        {"(\\w+)*@", 'a', "@", ""}, {"(a*)*b", 'a', "b", ""}, {"([a-z]+)*[0-9]", 'a', "1", ""},
        {"(.*,){12}X", ',', ",,,X", ""}, {"(a|)*\\d", 'a', "1", ""}, {"(?:a|)*\\d", 'a', "1", ""},
        {"^([a-zA-Z0-9])(([\\-.]|[_]+)?([a-zA-Z0-9]+))*(@){1}[a-z0-9]+[.]{1}(([a-z]{2,3})|([a-z]{2,3}[.]{1}[a-z]{2,3}))$",
         'a', "@ab.com", "!"},
        {"^(([a-z])+.)+[A-Z]([a-z])+$", 'a', "Ab", "!"},
    };
    for (const auto& c : cases) {
        for (size_t n : {10u, 100u, 10000u}) {
            const std::string hit = std::string(n, c.fill) + c.hit;
            const std::string miss = std::string(n, c.fill) + c.miss;
            const std::string found = spans(c.pattern, hit);
            EXPECT_EQ(found.substr(0, found.find(' ')), "0," + std::to_string(hit.size())) << c.pattern << " n=" << n;
            Pattern p(0, c.pattern);
            p.compile();
            MatchResults r;
            EXPECT_FALSE(p.match(miss.data(), miss.data() + miss.size(), r)) << c.pattern << " n=" << n;
            EXPECT_EQ(r.stopped(), search_stop::none) << c.pattern << " n=" << n;
        }
    }
}

// Repeats over a 10 MB line keep no machine stack per iteration: they match as Perl says.
TEST(MatcherLimits, DeepRepeatsOnATenMegabyteLineMatchAsPerlSays)
{
    const size_t n = 10'000'000;
    std::string ab;
    for (size_t i = 0; i < n / 2; ++i)
        ab += "ab";
    const std::string abc = ab + "c";
    std::string words;
    while (words.size() < n)
        words += "word ";
    const std::string letters(n, 'a');
    const std::string lettersC = letters + "c";
    EXPECT_EQ(spans("(a|b)*c", abc), "0," + std::to_string(n + 1) + " " + std::to_string(n - 1) + "," + std::to_string(n));
    EXPECT_EQ(spans("(?:a|b)*c", abc), "0," + std::to_string(n + 1));
    EXPECT_EQ(spans("(a)*c", lettersC), "0," + std::to_string(n + 1) + " " + std::to_string(n - 1) + "," + std::to_string(n));
    EXPECT_EQ(spans("(.)*", letters), "0," + std::to_string(n) + " " + std::to_string(n - 1) + "," + std::to_string(n));
    EXPECT_EQ(spans("(?:\\w\\s?)*$", words), "0," + std::to_string(words.size()));
    EXPECT_EQ(spans("(a|b)*c", ab), "nomatch");
}

// A search that cannot finish says why and holds no match; the pattern works on after it.
TEST(MatcherLimits, BudgetCancelAndStackStopASearchAndSayWhy)
{
    const std::string as = std::string(40, 'a') + "!b";
    Pattern backref(0, "(a|a)*\\1b");  // a back-reference: failed states are not remembered
    backref.compile();
    EXPECT_FALSE(backref.memoised());
    search_limits small;
    small.base_steps = 100000;
    small.steps_per_byte = 10;
    backref.set_limits(small);
    MatchResults r;
    EXPECT_FALSE(backref.match(as.data(), as.data() + as.size(), r));
    EXPECT_EQ(r.stopped(), search_stop::budget);
    EXPECT_FALSE(r.at(0).matched);
    const std::string short_hit = "aab";
    EXPECT_TRUE(backref.match(short_hit.data(), short_hit.data() + short_hit.size(), r));
    EXPECT_EQ(r.stopped(), search_stop::none);

    std::atomic<bool> cancel{true};
    CRegexp facade("(a|a)*\\1b", "g");
    facade.SetCancelFlag(&cancel);
    EXPECT_EQ(facade.FindAll(as), -1);
    EXPECT_EQ(facade.GetSearchStop(), search_stop::cancelled);
    std::string text = as;
    EXPECT_EQ(facade.Substitute(text, "x"), -1);
    EXPECT_EQ(text, as);
    EXPECT_EQ(facade.Split(as, nullptr, 0), -1);
    cancel = false;
    EXPECT_EQ(facade.FindAll(std::string_view("aab aab")), 2);
    EXPECT_EQ(facade.GetSearchStop(), search_stop::none);

    Pattern endless(0, "(?R)");
    endless.compile();
    EXPECT_FALSE(endless.match(as.data(), as.data() + as.size(), r));
    EXPECT_EQ(r.stopped(), search_stop::stack);
}

// A search the poll hook starts (a window handling its events) leaves the stacks and the
// gathered records of the search it interrupts alone.
TEST(MatcherLimits, ASearchStartedFromThePollHookLeavesTheRunningOneAlone)
{
    // Matches before and after a long word, where every start costs a scan: the hook runs
    // while records are gathered and choices are open.
    std::string subject = "k1 v1, k2 v2, " + std::string(3000, 'w') + " k3 v3, k4 v4,";
    auto outer = [&](bool nested, int& polls) {
        Pattern p(GLOBAL | ALLBACKREFS, "(\\w+)\\s(\\w+),");
        p.compile(dfa_use::never);
        search_limits limits;
        if (nested)
            limits.poll = [&] {
                polls += global_spans("(w)(w)|(x)", "ww x", ALLBACKREFS) == "0,2 0,1 1,2 - 3,4 - - 3,4";
            };
        p.set_limits(limits);
        MatchResults r;
        return p.global_match(subject.data(), subject.data() + subject.size(), r) ? shown(r, subject.data()) : "nomatch";
    };
    int polls = 0;
    const std::string alone = outer(false, polls);
    EXPECT_EQ(alone.substr(0, 11), "0,6 0,2 3,5");
    EXPECT_EQ(outer(true, polls), alone);
    EXPECT_GT(polls, 0);
}
