/*
 * Tests of the lazy DFA: which patterns it takes, and that searches it guides find exactly
 * the matches and groups of the matcher alone, over many generated patterns and subjects.
 */
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "EngineTestSupport.h"

using regex_test::shown;
using namespace regex;

namespace {

bool dfa_takes(const std::string& pattern, uint32_t flags = 0)
{
    Pattern p(flags, pattern);
    p.compile(dfa_use::always);
    return p.has_dfa();
}

// Every match of a global search with all its groups, the DFA used as `use` says.
std::string all_matches(const std::string& pattern, uint32_t flags, const std::string& subject, dfa_use use)
{
    Pattern p(flags | GLOBAL | ALLBACKREFS, pattern);
    p.compile(use);
    MatchResults r;
    bool found = p.global_match(subject.data(), subject.data() + subject.size(), r);
    return found ? shown(r, subject.data()) : "nomatch";
}

// A random pattern over the letters a, b, c: literals, sets, ".", groups with alternatives,
// and greedy, lazy and counted quantifiers, nested up to `depth`.
class pattern_maker {
public:
    explicit pattern_maker(unsigned seed) : rng_(seed) {}

    std::string sequence(int depth)
    {
        std::string out;
        for (int n = pick(1, 3); n > 0; --n)
            out += quantified(depth);
        return out;
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

private:
    std::string atom(int depth)
    {
        static const char* const leaves[] = {"a", "b", "c", "ab", "A", ".", "[ab]", "[^a]", "\\w", "\\s"};
        if (depth > 0 && pick(0, 3) == 0) {
            std::string g = pick(0, 1) ? "(" : "(?:";
            g += sequence(depth - 1);
            for (int n = pick(0, 2); n > 0; --n)
                g.append("|").append(sequence(depth - 1));
            return g.append(")");
        }
        return leaves[pick(0, 9)];
    }

    std::string quantified(int depth)
    {
        static const char* const quantifiers[] = {"", "", "", "*", "+", "?", "{2}", "{1,3}", "{0,2}", "{2,}"};
        std::string a = atom(depth);
        const char* q = quantifiers[pick(0, 9)];
        a.append(q);
        if (*q != '\0' && pick(0, 2) == 0)
            a.append("?");
        return a;
    }

    std::mt19937 rng_;
};

}  // namespace

TEST(LazyDfa, TakesOnlyPatternsItCanFollow)
{
    EXPECT_TRUE(dfa_takes("[\"'][^\"']{0,30}[?!\\.][\"']"));
    EXPECT_TRUE(dfa_takes("(a|bc)+?d{2,5}", NOCASE));
    EXPECT_TRUE(dfa_takes("(?:ab)+"));
    for (const char* p : {"(a)\\1", "a(?=b)", "(?<=a)b", "(?>a+)b", "(a)?(?(1)b|c)", "a|b(?R)c", "^a", "a$",
                          "\\ba", "\\Aa", "a*", "(a|)+b", "(a*)+b", "a{5000}"})
        EXPECT_FALSE(dfa_takes(p)) << p;
}

TEST(LazyDfa, FindsTheMatchesOfTheMatcherAlone)
{
    pattern_maker make(20261207);
    std::mt19937 text_rng(7);
    const std::string alphabet = "aabbcA \n";
    int taken = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string pattern = make.sequence(2);
        uint32_t flags = (make.pick(0, 3) == 0 ? uint32_t{NOCASE} : 0u) | (make.pick(0, 3) == 0 ? uint32_t{SINGLELINE} : 0u);
        if (!dfa_takes(pattern, flags))
            continue;
        ++taken;
        std::string subject;
        for (int n = make.pick(0, 40); n > 0; --n)
            subject += alphabet[text_rng() % alphabet.size()];
        ASSERT_EQ(all_matches(pattern, flags, subject, dfa_use::always),
                  all_matches(pattern, flags, subject, dfa_use::never))
            << "pattern " << pattern << " flags " << flags << " subject \"" << subject << '"';
    }
    EXPECT_GT(taken, 1000);
}
