/*
 * CRegexp: the application's facade over regex::Pattern. Compile turns every engine exception
 * into a false result; searches resolve the caller's start and length into a range that the
 * engine takes as its whole subject, and FindAll turns the engine's group records into
 * MatchSpan records, telling top-level matches from their groups by position.
 */
#include "regex/CRegexp.h"

#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

// Appends a copy of every span of from to to, which takes from's `unique` setting.
void CopySpans(const CWexList<MatchSpan>& from, CWexList<MatchSpan>& to)
{
    to.unique = from.unique;
    for (const auto* node = from.head; node != nullptr; node = node->next)
        to.t_Insert(to.tail, node->element);
}

}  // namespace

MatchSpan::MatchSpan(const MatchSpan& other)
    : offset(other.offset), length(other.length), text(other.text)
{
    CopySpans(other.groups, groups);
}

MatchSpan& MatchSpan::operator=(const MatchSpan& other)
{
    if (this == &other)
        return *this;
    offset = other.offset;
    length = other.length;
    text = other.text;
    groups.t_DeleteList();
    CopySpans(other.groups, groups);
    return *this;
}

CRegexp::CRegexp() = default;

CRegexp::CRegexp(const char* pattern, const char* flags)
{
    Compile(pattern, flags);
}

CRegexp::~CRegexp()
{
    Clear();
}

std::uint32_t CRegexp::EngineFlags(const char* flags)
{
    const std::string_view letters = flags != nullptr ? flags : "";
    auto has = [letters](char letter) { return letters.find(letter) != std::string_view::npos; };
    std::uint32_t result = 0;
    if (has('i'))
        result |= regex::NOCASE;
    if (has('m'))
        result |= regex::MULTILINE;
    if (has('s'))
        result |= regex::SINGLELINE;
    if (has('x'))
        result |= regex::EXTENDED;
    if (has('n'))
        result |= regex::NORMALIZE;
    if (has('g')) {
        if (!has('R'))
            result |= regex::GLOBAL | regex::NOBACKREFS | regex::FIRSTBACKREFS;
        else if (!has('S'))
            result |= regex::GLOBAL | regex::FIRSTBACKREFS;
        else
            result |= regex::GLOBAL | regex::ALLBACKREFS;
    }
    return result;
}

void CRegexp::Clear()
{
    m_pattern.reset();
    m_patternText.Assign(static_cast<const char*>(nullptr));
    m_flags.Assign(static_cast<const char*>(nullptr));
    m_global = false;
    m_keepMatchText = false;
    m_keepGroupText = false;
    m_lastMatch.release();
    m_lastText = nullptr;
}

bool CRegexp::Compile(const char* pattern, const char* flags)
{
    Clear();
    if (pattern == nullptr || *pattern == '\0')
        return false;
    const std::string_view letters = flags != nullptr ? flags : "";
    try {
        auto compiled = std::make_unique<regex::Pattern>(EngineFlags(flags), std::string(pattern));
        compiled->compile();
        m_pattern = std::move(compiled);
        ApplyCallerLimits();
    } catch (...) {
        // A syntax error or an allocation failure: the caller only learns that it failed.
        return false;
    }
    m_global = letters.find('g') != std::string_view::npos;
    m_keepMatchText = letters.find('R') != std::string_view::npos;
    m_keepGroupText = letters.find('S') != std::string_view::npos;
    m_patternText.Assign(pattern);
    m_flags.Assign(letters.data(), letters.size());
    return true;
}

void CRegexp::SetCancelFlag(const std::atomic<bool>* cancel)
{
    m_cancel = cancel;
    ApplyCallerLimits();
}

void CRegexp::SetPollHook(std::function<void()> poll)
{
    m_poll = std::move(poll);
    ApplyCallerLimits();
}

void CRegexp::ApplyCallerLimits()
{
    if (!m_pattern)
        return;
    regex::search_limits limits = m_pattern->limits();
    limits.cancel = m_cancel;
    limits.poll = m_poll;
    m_pattern->set_limits(limits);
}

bool CRegexp::HasPattern() const
{
    return !m_patternText.IsEmpty();
}

int CRegexp::GetGroupCount() const
{
    return m_pattern ? m_pattern->group_count() : -1;
}

bool CRegexp::SetSubstitution(const char* replacement)
{
    if (!m_pattern || replacement == nullptr)
        return false;
    m_pattern->set_substitution(replacement);
    return true;
}

bool CRegexp::ResolveRange(std::size_t textLength, int start, int length, std::size_t& begin,
                           std::size_t& end)
{
    // Offsets are reported as 32-bit values, so a longer text is refused rather than wrapped.
    if (start < 0 || static_cast<std::size_t>(start) > textLength ||
        textLength > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    begin = static_cast<std::size_t>(start);
    const std::size_t rest = textLength - begin;
    end = length < 0 || static_cast<std::size_t>(length) >= rest ? textLength
                                                                 : begin + static_cast<std::size_t>(length);
    return true;
}

int CRegexp::FindAll(const char* text, CWexList<MatchSpan>* list, int start, int length)
{
    if (text == nullptr)
        return -1;
    return FindAll(std::string_view(text, std::strlen(text)), list, start, length);
}

int CRegexp::FindAll(std::string_view text, CWexList<MatchSpan>* list, int start, int length)
{
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!m_pattern || text.data() == nullptr || !ResolveRange(text.size(), start, length, begin, end))
        return -1;
    const char* rangeBegin = text.data() + begin;
    regex::MatchResults results;
    const bool found = m_pattern->global_match(rangeBegin, text.data() + end, results);
    m_lastStop = results.stopped();
    if (m_lastStop != regex::search_stop::none)
        return -1;
    if (!found)
        return 0;
    if (!m_global && list == nullptr)
        return 1;
    return CollectSpans(results, rangeBegin, start, list);
}

int CRegexp::FindAll(const char* text, std::size_t length, CWexList<MatchSpan>* list, std::size_t start,
                     std::size_t subjectStart)
{
    m_lastText = nullptr;
    m_lastStop = regex::search_stop::none;
    if (!m_pattern || text == nullptr || subjectStart > start || start > length ||
        length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return -1;
    const char* end = text + length;
    const char* from = text + start;
    const char* noEmptyAt = nullptr;
    // Both result sets are members, so a search per occurrence allocates nothing.
    regex::MatchResults& one = m_nextMatch;
    int count = 0;
    while (from <= end && m_pattern->search_from(text + subjectStart, end, from, one, noEmptyAt)) {
        count += CollectSpans(one, text, 0, list);
        std::swap(m_lastMatch, one);
        m_lastText = text;
        if (!m_global)
            break;
        const regex::backref_tag& whole = m_lastMatch.at(0);
        noEmptyAt = whole.first == whole.second ? whole.second : nullptr;
        from = whole.second;
    }
    m_lastStop = one.stopped();
    if (m_lastStop != regex::search_stop::none) {
        m_lastText = nullptr;
        return -1;
    }
    return count;
}

bool CRegexp::LastMatch(std::size_t& offset, std::size_t& length) const
{
    if (m_lastText == nullptr)
        return false;
    const regex::backref_tag& whole = m_lastMatch.at(0);
    offset = static_cast<std::size_t>(whole.first - m_lastText);
    length = static_cast<std::size_t>(whole.second - whole.first);
    return true;
}

bool CRegexp::BuildReplacement(const char* replacement, std::size_t prefixStart, std::size_t suffixEnd,
                               std::string& out)
{
    if (!SetSubstitution(replacement) || m_lastText == nullptr)
        return false;
    out = m_pattern->expand(m_lastMatch, m_lastText + prefixStart, m_lastText + suffixEnd);
    return true;
}

int CRegexp::CollectSpans(const regex::MatchResults& results, const char* rangeBegin, int start,
                          CWexList<MatchSpan>* list) const
{
    if (list != nullptr)
        list->unique = false;
    std::ptrdiff_t lastEnd = -1;  // index of the last character of the last top-level match
    int count = 0;
    MatchSpan* current = nullptr;  // the last top-level span appended, owner of later groups
    for (const regex::backref_tag& record : results.records()) {
        // A group that took no part has no position; nothing reports it.
        if (!record.matched)
            continue;
        const std::ptrdiff_t pos = record.first - rangeBegin;
        const std::ptrdiff_t len = record.second - record.first;
        const bool topLevel = pos + len - 1 > lastEnd || len == 0;
        MatchSpan span(static_cast<std::int32_t>(pos + start), static_cast<std::int32_t>(len));
        if (topLevel) {
            ++count;
            lastEnd = pos + len - 1;
            if (list == nullptr)
                continue;
            if (m_keepMatchText)
                span.text.Assign(record.first, static_cast<std::size_t>(len));
            auto* node = list->t_Insert(list->tail, span);
            current = node != nullptr ? &node->element : nullptr;
        } else if (current != nullptr) {
            if (m_keepGroupText)
                span.text.Assign(record.first, static_cast<std::size_t>(len));
            current->groups.t_Insert(current->groups.tail, span);
        }
    }
    return count;
}

int CRegexp::Substitute(std::string& text, const char* replacement, int start, int length)
{
    if (!SetSubstitution(replacement))
        return -1;
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!ResolveRange(text.size(), start, length, begin, end))
        return -1;
    regex::MatchResults results;
    const std::size_t span = end == text.size() ? std::string::npos : end - begin;
    const int replaced = m_pattern->substitute(text, begin, span, results);
    m_lastStop = results.stopped();
    return m_lastStop != regex::search_stop::none ? -1 : replaced;
}

int CRegexp::Replace(CDynString& text, const char* replacement, int start, int length)
{
    std::string work(text.View());
    const int replaced = Substitute(work, replacement, start, length);
    if (replaced > 0)
        text.Assign(work.data(), work.size());
    return replaced;
}

int CRegexp::Split(const char* text, CWexList<CDynString>* pieces, int limit, int start, int length)
{
    if (text == nullptr)
        return -1;
    return Split(std::string_view(text, std::strlen(text)), pieces, limit, start, length);
}

int CRegexp::Split(std::string_view text, CWexList<CDynString>* pieces, int limit, int start, int length)
{
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!m_pattern || text.data() == nullptr || !ResolveRange(text.size(), start, length, begin, end))
        return -1;
    std::vector<std::string> cut;
    regex::MatchResults results;
    const int count = m_pattern->split(text.data() + begin, text.data() + end, limit, cut, results);
    m_lastStop = results.stopped();
    if (pieces != nullptr) {
        for (const std::string& piece : cut)
            pieces->t_Insert(pieces->tail, CDynString(piece.data(), piece.size()));
    }
    return count;
}
