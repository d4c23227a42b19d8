/*
 * The expansion's set-up: "Expand!" as a function, the advanced dialog's values turned into
 * criteria, the "exact match" rewriting, and the command line's range parsers.
 */
#include "targets/ExpandOptions.h"

#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "targets/TargetList.h"

namespace {

constexpr std::uint64_t kNoUpperBound = std::numeric_limits<std::uint64_t>::max();
// The largest directory or file count "0-size dirs" allows.
constexpr std::int32_t kManyItems = 9999999;

// The byte count of a dialog number in a unit (0 byte, 1 kbyte, 2 mbyte).
std::uint64_t SizeInBytes(std::int64_t number, int unit)
{
    std::uint64_t bytes = number > 0 ? static_cast<std::uint64_t>(number) : 0;
    for (int i = 0; i < unit && i < 2; ++i)
        bytes *= 1000;
    return bytes;
}

std::uint64_t BoundTicks(std::time_t date, std::time_t time, std::time_t todayMidnight)
{
    return FileTimeFromCalendar(date + (time - todayMidnight));
}

// The text before and after the one ".." of a range.
bool SplitRange(std::string_view text, std::string_view& low, std::string_view& high)
{
    std::size_t dots = text.find("..");
    if (dots == std::string_view::npos || text.find("..", dots + 2) != std::string_view::npos)
        return false;
    low = text.substr(0, dots);
    high = text.substr(dots + 2);
    return true;
}

// A byte count with an optional k or m suffix.
std::optional<std::uint64_t> ParseByteCount(std::string_view text)
{
    std::uint64_t factor = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K'))
        factor = 1000;
    else if (!text.empty() && (text.back() == 'm' || text.back() == 'M'))
        factor = 1000000;
    if (factor != 1)
        text.remove_suffix(1);
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        number > kNoUpperBound / factor)
        return std::nullopt;
    return number * factor;
}

// Reads exactly `digits` decimal digits at text[at].
bool ReadDigits(std::string_view text, std::size_t at, std::size_t digits, int& value)
{
    if (at + digits > text.size())
        return false;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + digits, value);
    return error == std::errc() && end == text.data() + at + digits;
}

// A local time YYYY-MM-DD[THH:MM[:SS]]: its calendar time and the calendar time just after
// the day, minute or second it names.
bool ParseLocalTime(std::string_view text, std::time_t& start, std::time_t& next)
{
    std::tm parts{};
    int year = 0, month = 0, day = 0;
    if (!ReadDigits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !ReadDigits(text, 5, 2, month) || !ReadDigits(text, 8, 2, day))
        return false;
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    // The field the text ends with: the upper bound covers that whole day, minute or second.
    int std::tm::*last = &std::tm::tm_mday;
    if (text.size() > 10) {
        if ((text.size() != 16 && text.size() != 19) || text[10] != 'T' || text[13] != ':' ||
            !ReadDigits(text, 11, 2, parts.tm_hour) || !ReadDigits(text, 14, 2, parts.tm_min))
            return false;
        last = &std::tm::tm_min;
        if (text.size() == 19) {
            if (text[16] != ':' || !ReadDigits(text, 17, 2, parts.tm_sec))
                return false;
            last = &std::tm::tm_sec;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || parts.tm_hour > 23 || parts.tm_min > 59 ||
        parts.tm_sec > 59)
        return false;
    std::tm asked = parts;
    parts.tm_isdst = -1;
    start = std::mktime(&parts);
    if (start == static_cast<std::time_t>(-1) || parts.tm_mday != asked.tm_mday)
        return false;
    std::tm after = asked;
    after.tm_isdst = -1;
    ++(after.*last);
    next = std::mktime(&after);
    return next != static_cast<std::time_t>(-1);
}

}  // namespace

void ExpandTargets(TargetList& targets, CFileFinder& finder, const ExpandOptions& options)
{
    targets.GatherList();
    targets.ClearCounters();
    targets.inputList.t_DeleteList();
    targets.inputList.unique = targets.outputList.unique;
    for (const CWexNode<CDynString>* node = targets.outputList.head; node != nullptr; node = node->next) {
        if (targets.inputList.t_Insert(targets.inputList.tail, node->element) == nullptr) {
            targets.inputList.t_DeleteList();
            break;
        }
    }
    finder.criteria = options.criteria;
    // The walk reads every path it takes; the refill takes those kinds instead of asking again.
    std::vector<int> kinds;
    finder.resultKinds = &kinds;
    finder.Expand(targets.inputList, targets.outputList, options.depth, options.wantDirs,
                  options.wantFiles, CDynString(options.pattern.c_str()), options.ignoreCase, true);
    finder.resultKinds = nullptr;
    targets.inputList.t_DeleteList();
    targets.FillListFromOutput(true, kinds);
}

void AdvancedValues::OnOpening(std::time_t now)
{
    if (todayMidnight != 0)
        return;
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    todayMidnight = std::mktime(&local);
    for (TimeRowValues* row : {&createRow, &modifyRow, &accessRow}) {
        row->minDate = row->maxDate = todayMidnight;
        row->minTime = row->maxTime = now;
    }
}

void SetZeroSizeDirs(FinderCriteria& criteria)
{
    criteria.contentOn = criteria.criteriaOn = true;
    criteria.minFiles = criteria.minDirs = 0;
    criteria.minBytes = 0;
    criteria.maxFiles = criteria.maxDirs = kManyItems;
    criteria.maxBytes = 0;
}

void SetEmptyDirs(FinderCriteria& criteria)
{
    criteria.contentOn = criteria.criteriaOn = true;
    criteria.minFiles = criteria.minDirs = criteria.maxFiles = criteria.maxDirs = 0;
    criteria.minBytes = criteria.maxBytes = 0;
}

void ApplyAdvancedValues(const AdvancedValues& values, FinderCriteria& criteria)
{
    criteria.sizeOn = values.sizeRowOn;
    criteria.accessTimeOn = values.accessRow.on;
    criteria.writeTimeOn = values.modifyRow.on;
    criteria.createTimeOn = values.createRow.on;
    criteria.contentOn = values.emptyDirs || values.zeroSizeDirs;
    criteria.criteriaOn = criteria.sizeOn || criteria.accessTimeOn || criteria.writeTimeOn ||
                          criteria.createTimeOn || criteria.contentOn;
    if (!criteria.criteriaOn)
        return;
    if (values.zeroSizeDirs)
        SetZeroSizeDirs(criteria);
    if (values.emptyDirs)
        SetEmptyDirs(criteria);
    criteria.minData.size = SizeInBytes(values.minSizeNumber, values.minSizeUnit);
    criteria.maxData.size = SizeInBytes(values.maxSizeNumber, values.maxSizeUnit);
    std::time_t midnight = values.todayMidnight;
    const TimeRowValues& created = values.createRow;
    const TimeRowValues& modified = values.modifyRow;
    const TimeRowValues& accessed = values.accessRow;
    criteria.minData.creationTime = BoundTicks(created.minDate, created.minTime, midnight);
    criteria.maxData.creationTime = BoundTicks(created.maxDate, created.maxTime, midnight);
    criteria.minData.lastWriteTime = BoundTicks(modified.minDate, modified.minTime, midnight);
    criteria.maxData.lastWriteTime = BoundTicks(modified.maxDate, modified.maxTime, midnight);
    criteria.minData.lastAccessTime = BoundTicks(accessed.minDate, accessed.minTime, midnight);
    criteria.maxData.lastAccessTime = BoundTicks(accessed.maxDate, accessed.maxTime, midnight);
}

bool IsExactPattern(std::string_view pattern)
{
    return pattern.starts_with('^') && pattern.ends_with('$') && pattern.size() >= 2;
}

std::string RewriteExactMatch(std::string_view pattern, bool ticked)
{
    if (!ticked) {
        if (pattern.size() >= 4 && pattern.starts_with("^(") && pattern.ends_with(")$"))
            return std::string(pattern.substr(2, pattern.size() - 4));
        return std::string(pattern);
    }
    for (char lead : {'^', '('}) {
        if (pattern.starts_with(lead))
            pattern.remove_prefix(1);
    }
    for (char trail : {'$', ')'}) {
        if (pattern.ends_with(trail))
            pattern.remove_suffix(1);
    }
    return "^(" + std::string(pattern) + ")$";
}

bool ParseSizeRange(std::string_view text, FinderCriteria& criteria)
{
    std::string_view low, high;
    if (!SplitRange(text, low, high))
        return false;
    std::optional<std::uint64_t> minimum = low.empty() ? 0 : ParseByteCount(low);
    std::optional<std::uint64_t> maximum = high.empty() ? kNoUpperBound : ParseByteCount(high);
    if (!minimum || !maximum || *minimum > *maximum)
        return false;
    criteria.minData.size = *minimum;
    criteria.maxData.size = *maximum;
    criteria.sizeOn = criteria.criteriaOn = true;
    return true;
}

bool ParseTimeRange(std::string_view text, TimeField field, FinderCriteria& criteria)
{
    std::string_view low, high;
    if (!SplitRange(text, low, high))
        return false;
    std::uint64_t minimum = 0;
    std::uint64_t maximum = kNoUpperBound;
    std::time_t start = 0, next = 0;
    if (!low.empty()) {
        if (!ParseLocalTime(low, start, next))
            return false;
        minimum = FileTimeFromCalendar(start);
    }
    if (!high.empty()) {
        if (!ParseLocalTime(high, start, next))
            return false;
        maximum = FileTimeFromCalendar(next) - 1;
    }
    if (minimum > maximum)
        return false;
    auto bounds = [&](std::uint64_t FileAttributes::*member, bool FinderCriteria::*on) {
        criteria.minData.*member = minimum;
        criteria.maxData.*member = maximum;
        criteria.*on = true;
    };
    if (field == TimeField::Created)
        bounds(&FileAttributes::creationTime, &FinderCriteria::createTimeOn);
    else if (field == TimeField::Modified)
        bounds(&FileAttributes::lastWriteTime, &FinderCriteria::writeTimeOn);
    else
        bounds(&FileAttributes::lastAccessTime, &FinderCriteria::accessTimeOn);
    criteria.criteriaOn = true;
    return true;
}
