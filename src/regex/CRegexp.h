/*
 * CRegexp: the one door through which the application uses the regular-expression engine.
 * It owns one compiled regex::Pattern with the pattern text and the flag string it was
 * compiled from, and offers what the application needs: compile with a flag string, count
 * groups, find all matches into MatchSpan records, substitute, and split.
 *
 * Compile never throws: a syntax error or an allocation failure leaves the facade empty and
 * returns false. Every operation on an empty facade returns -1 (or false). A bad replacement
 * text throws regex::bad_regexpr out of SetSubstitution, Substitute, Replace and
 * BuildReplacement.
 *
 * Texts come in two forms: NUL-terminated, and binary-safe as a std::string_view whose
 * length is the text's length, so that file content holding NUL bytes can be searched.
 * A search range [start, start + length) is the whole subject for the engine: "^", "\A",
 * "\b" and look-behind never look before start. A negative length, or one reaching past
 * the end of the text, means up to the end; a start outside the text, or a text longer than
 * a 32-bit offset can count, is a failure (-1). A caller stepping through a text match by
 * match uses the FindAll that takes the subject start apart from the search start, and
 * builds each replacement from the match found (BuildReplacement).
 *
 * A search that cannot finish - it used up its budget of steps, ran out of stack, or the
 * cancel flag was set - is never taken as "no match": FindAll, Substitute, Replace and
 * Split return -1, change nothing, and GetSearchStop says why.
 */
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/CDynString.h"
#include "base/CWexList.h"
#include "regex/MatchSpan.h"
#include "regex/Pattern.h"

class CRegexp {
public:
    // Nothing compiled.
    CRegexp();
    // Compiles pattern with flags; whether that worked shows only through HasPattern.
    CRegexp(const char* pattern, const char* flags);
    ~CRegexp();
    CRegexp(const CRegexp&) = delete;
    CRegexp& operator=(const CRegexp&) = delete;

    // The engine flags a flag string stands for: "i" NOCASE, "m" MULTILINE, "s" SINGLELINE,
    // "x" EXTENDED, "n" NORMALIZE; "g" GLOBAL with NOBACKREFS | FIRSTBACKREFS, "g" and "R"
    // GLOBAL | FIRSTBACKREFS, "g", "R" and "S" GLOBAL | ALLBACKREFS. Other characters are
    // ignored; letters are case-sensitive; null is the empty string.
    static std::uint32_t EngineFlags(const char* flags);

    // Deletes the compiled pattern and empties pattern text and flag string.
    void Clear();
    // Compiles pattern with the flag string; false (and empty) for a null or empty pattern,
    // a syntax error or an allocation failure.
    bool Compile(const char* pattern, const char* flags);
    // True exactly after a successful Compile.
    bool HasPattern() const;
    // Groups of the compiled pattern with group 0, or -1 when nothing is compiled.
    int GetGroupCount() const;
    // The pattern text and the flag string of the last successful Compile (empty otherwise).
    const CDynString& GetPatternText() const { return m_patternText; }
    const CDynString& GetFlags() const { return m_flags; }

    // A flag the matcher polls while it searches: once it is set (from another thread or a
    // signal handler), the running search stops. Kept across Compile; null for none.
    void SetCancelFlag(const std::atomic<bool>* cancel);
    // Called by a running search every few thousand steps, just before it looks at the cancel
    // flag (see regex::search_limits::poll). Kept across Compile; empty for none.
    void SetPollHook(std::function<void()> poll);
    // Why the last search stopped before it could finish; none when it ran to its end.
    regex::search_stop GetSearchStop() const { return m_lastStop; }

    // Parses a replacement into the compiled pattern; false when nothing is compiled or the
    // replacement is null. Throws regex::bad_regexpr for a bad replacement.
    bool SetSubstitution(const char* replacement);

    // Searches [start, start + length) of text and appends the top-level matches to list
    // (when one is given), each with its groups. Returns -1 when nothing is compiled, the
    // text is null, start lies outside it or the search stopped early; 0 when nothing matched; else the number of
    // top-level matches (1 without a list and without "g").
    int FindAll(const char* text, CWexList<MatchSpan>* list = nullptr, int start = 0, int length = -1);
    int FindAll(std::string_view text, CWexList<MatchSpan>* list = nullptr, int start = 0, int length = -1);
    // Searches text[0, length) from start on with the subject beginning at subjectStart
    // (subjectStart <= start <= length): "^", "\A", "\b", "\B" and look-behind see the bytes
    // from subjectStart on, so a search resumed after a match judges them as a search of the
    // whole subject would. Appends the first match (every match with "g") to list as above,
    // offsets counted from text, and keeps the last match for BuildReplacement. Returns -1
    // when nothing is compiled, text is null, the starts are out of order, the text is
    // longer than a 32-bit offset can count or a search stopped early; 0 when nothing matched; else as above.
    int FindAll(const char* text, std::size_t length, CWexList<MatchSpan>* list, std::size_t start,
                std::size_t subjectStart);
    // The match the last call above kept: its offset in that call's text and its length;
    // false when none is kept.
    bool LastMatch(std::size_t& offset, std::size_t& length) const;
    // Builds into out the expansion of replacement for the match the last call above kept,
    // whose text must still be there: "$`" is text[prefixStart, match start), "$'" is
    // text[match end, suffixEnd) (both bounds within the text), each empty where its bound
    // lies inside the match. False
    // when nothing is compiled, replacement is null or no match is kept. Throws
    // regex::bad_regexpr for a bad replacement.
    bool BuildReplacement(const char* replacement, std::size_t prefixStart, std::size_t suffixEnd, std::string& out);

    // Replaces in text, within [start, start + length), the first match (every match with
    // "g") by the expansion of replacement. Returns the number of replacements, or -1 (text
    // unchanged) when nothing is compiled, the replacement is null, start lies outside the
    // text or a search stopped early.
    int Substitute(std::string& text, const char* replacement, int start = 0, int length = -1);
    // As Substitute on a copy of text (NUL bytes included); text takes the result only when
    // something was replaced.
    int Replace(CDynString& text, const char* replacement, int start = 0, int length = -1);

    // Cuts [start, start + length) of text at the matches and appends every piece to pieces
    // (when given; duplicates are appended too). limit 0: no limit, a final empty piece is
    // dropped; 1: the whole range; more: at most that many pieces. Returns the number of
    // pieces, or -1 (nothing appended) when nothing is compiled, the text is null, start lies
    // outside it or a search stopped early.
    int Split(const char* text, CWexList<CDynString>* pieces, int limit, int start = 0, int length = -1);
    int Split(std::string_view text, CWexList<CDynString>* pieces, int limit, int start = 0, int length = -1);

private:
    // Resolves a start and length against a text of textLength bytes into [begin, end)
    // offsets; false when start lies outside the text.
    static bool ResolveRange(std::size_t textLength, int start, int length, std::size_t& begin,
                             std::size_t& end);
    // Gives the compiled pattern the caller's cancel flag and poll hook.
    void ApplyCallerLimits();
    // Turns the records of one search of the range starting at offset `start` into spans.
    int CollectSpans(const regex::MatchResults& results, const char* rangeBegin, int start,
                     CWexList<MatchSpan>* list) const;

    // The compiled pattern, or null when nothing is compiled.
    std::unique_ptr<regex::Pattern> m_pattern;
    // The text given to the last successful Compile; empty when nothing is compiled.
    CDynString m_patternText;
    // The flag string given to the last successful Compile.
    CDynString m_flags;
    // "g": every match is reported.
    bool m_global = false;
    // "R": FindAll stores the text of each match.
    bool m_keepMatchText = false;
    // "S": FindAll stores the text of each group too.
    bool m_keepGroupText = false;
    // The last match of a search with a separate subject start (unmatched when none); its
    // records point into that search's text.
    regex::MatchResults m_lastMatch;
    // The records the next search of that kind fills before they become m_lastMatch.
    regex::MatchResults m_nextMatch;
    // The text of that search; null when no match is kept.
    const char* m_lastText = nullptr;
    // The cancel flag given to every compiled pattern; null for none.
    const std::atomic<bool>* m_cancel = nullptr;
    // The poll hook given to every compiled pattern; empty for none.
    std::function<void()> m_poll;
    // Why the last search stopped early (none when it ran to its end).
    regex::search_stop m_lastStop = regex::search_stop::none;
};
