/*
 * The four case commands of qmend-regex. "match" goes to the engine directly with the flags
 * translated as the facade does; "findall", "subst" and "split" go through CRegexp, so the
 * driver exercises the same paths the application uses.
 */
#include "RegexCases.h"

#include <new>
#include <string>
#include <vector>

#include "regex/CRegexp.h"
#include "regex/CharSet.h"
#include "regex/Pattern.h"

namespace regex_cases {
namespace {

using regex::hex_digit_value;

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', from)) {
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    fields.push_back(line.substr(from));
    return fields;
}

std::string Span(std::int32_t offset, std::int32_t length)
{
    return std::to_string(offset) + "," + std::to_string(length);
}

std::string RunMatch(const std::string& flags, const std::string& pattern, const std::string& subject)
{
    try {
        regex::Pattern compiled(CRegexp::EngineFlags(flags.c_str()), pattern);
        compiled.compile();
        regex::MatchResults results;
        if (!compiled.match(subject.data(), subject.data() + subject.size(), results))
            return "nomatch";
        std::string out = "match";
        for (int group = 0; group < compiled.group_count(); ++group) {
            const regex::backref_tag& record = results.at(static_cast<std::size_t>(group));
            if (!record.matched) {
                out += "\t-";
                continue;
            }
            out += '\t';
            out += std::to_string(record.first - subject.data());
            out += ',';
            out += std::to_string(record.second - subject.data());
        }
        return out;
    } catch (const regex::bad_regexpr& error) {
        return std::string("error\t") + error.what();
    } catch (const std::bad_alloc&) {
        return "error\tbad allocation";
    }
}

std::string RunFindAll(const std::string& flags, const std::string& pattern, const std::string& subject)
{
    CRegexp facade;
    facade.Compile(pattern.c_str(), flags.c_str());
    CWexList<MatchSpan> spans;
    const int count = facade.FindAll(std::string_view(subject), &spans);
    std::string out = "findall\t" + std::to_string(count);
    for (const auto* node = spans.head; node != nullptr; node = node->next) {
        out += '\t';
        out += Span(node->element.offset, node->element.length);
        if (node->element.groups.count == 0)
            continue;
        out += "[";
        for (const auto* group = node->element.groups.head; group != nullptr; group = group->next) {
            if (group != node->element.groups.head)
                out += ' ';
            out += Span(group->element.offset, group->element.length);
        }
        out += "]";
    }
    return out;
}

std::string RunSubst(const std::string& flags, const std::string& pattern, std::string subject,
                     const std::string& replacement)
{
    CRegexp facade;
    facade.Compile(pattern.c_str(), flags.c_str());
    try {
        const int count = facade.Substitute(subject, replacement.c_str());
        return "subst\t" + std::to_string(count) + "\t" + Escape(subject);
    } catch (const regex::bad_regexpr& error) {
        return std::string("error\t") + error.what();
    }
}

std::string RunSplit(const std::string& flags, const std::string& pattern, const std::string& subject)
{
    CRegexp facade;
    facade.Compile(pattern.c_str(), flags.c_str());
    CWexList<CDynString> pieces;
    const int count = facade.Split(std::string_view(subject), &pieces, 0);
    std::string out = "split\t" + std::to_string(count);
    for (const auto* node = pieces.head; node != nullptr; node = node->next) {
        out += '\t';
        out += Escape(node->element.View());
    }
    return out;
}

}  // namespace

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
        } else if (next == '\\' || next == 't' || next == 'n' || next == 'r') {
            out += next == '\\' ? '\\' : next == 't' ? '\t' : next == 'n' ? '\n' : '\r';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hex_digit_value(text[i + 2]) >= 0 &&
                   hex_digit_value(text[i + 3]) >= 0) {
            out += static_cast<char>(hex_digit_value(text[i + 2]) * 16 + hex_digit_value(text[i + 3]));
            i += 3;
        } else {
            out += '\\';
        }
    }
    return out;
}

std::string Escape(std::string_view bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 32 || byte >= 127)
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        else
            out += c;
    }
    return out;
}

std::string FlagsOf(std::string_view field)
{
    return field == "-" ? std::string() : std::string(field);
}

std::string RunCase(std::string_view line)
{
    const std::vector<std::string_view> fields = SplitFields(line);
    const std::string_view command = fields[0];
    const bool isSubst = command == "subst";
    const std::size_t wanted = isSubst ? 5 : 4;
    const bool known = command == "match" || command == "findall" || isSubst || command == "split";
    if (!known)
        return "error\tunknown command";
    if (fields.size() != wanted)
        return "error\texpecting " + std::to_string(wanted) + " tab-separated fields";
    const std::string flags = FlagsOf(fields[1]);
    const std::string pattern = Unescape(fields[2]);
    const std::string subject = Unescape(fields[3]);
    if (command == "match")
        return RunMatch(flags, pattern, subject);
    if (command == "findall")
        return RunFindAll(flags, pattern, subject);
    if (isSubst)
        return RunSubst(flags, pattern, subject, Unescape(fields[4]));
    return RunSplit(flags, pattern, subject);
}

}  // namespace regex_cases
