/*
 * How an expansion is set up: the options of one "Expand!" (depth, kinds, name pattern,
 * criteria), the advanced dialog's values and how they become criteria, the "exact match"
 * rewriting of the name pattern, and the parsers through which the command line fills the
 * same structures. The page and the command line both end in ExpandTargets.
 *
 * Time bounds are calendar times (seconds since 1970 UTC) turned into file-time ticks, the
 * time base of the items' own times, so a bound picked in local time means that moment.
 */
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "targets/CFileFinder.h"

class TargetList;

// One expansion's settings.
struct ExpandOptions {
    // -1: 99 levels; 0: only filter the listed entries; 1..9: that many levels.
    std::int32_t depth = -1;
    // Which kinds enter the list.
    bool wantDirs = true;
    bool wantFiles = true;
    // The name pattern (empty: every name).
    std::string pattern;
    // Whether the name pattern ignores case.
    bool ignoreCase = true;
    // The advanced criteria.
    FinderCriteria criteria;
};

// "Expand!" without its button: the existing distinct lines are walked with the options and
// the list is refilled with exactly what the walk took, in walk order.
void ExpandTargets(TargetList& targets, CFileFinder& finder, const ExpandOptions& options);

// The four date/time values of one time row of the advanced dialog (calendar times).
struct TimeRowValues {
    // Whether the row is tested.
    bool on = false;
    // The lower bound's day (its midnight) and time of day (a time on todayMidnight's day).
    std::time_t minDate = 0;
    std::time_t minTime = 0;
    // The upper bound's day and time of day.
    std::time_t maxDate = 0;
    std::time_t maxTime = 0;
};

// The values of the dialog "advanced expanding options"; they persist between openings.
struct AdvancedValues {
    // The size row: on, numbers and units (0 "byte", 1 "kbyte", 2 "mbyte").
    bool sizeRowOn = false;
    std::int64_t minSizeNumber = 0;
    int minSizeUnit = 0;
    std::int64_t maxSizeNumber = 0;
    int maxSizeUnit = 0;
    // The creation, modification and access rows.
    TimeRowValues createRow;
    TimeRowValues modifyRow;
    TimeRowValues accessRow;
    // "empty dirs" and "0-size dirs".
    bool emptyDirs = false;
    bool zeroSizeDirs = false;
    // The start of the day on which the dialog was first opened (0 before that).
    std::time_t todayMidnight = 0;

    // Called when the dialog opens at `now`: the first time, every date becomes the day's
    // midnight and every time `now`.
    void OnOpening(std::time_t now);
};

// The unit list of the size row, in order.
inline constexpr const char* kSizeUnits[] = {"byte", "kbyte", "mbyte"};

// Applies the dialog's values to the criteria ("advanced" closing): the switches always, the
// bounds only when any criterion is on.
void ApplyAdvancedValues(const AdvancedValues& values, FinderCriteria& criteria);

// Turns the content test on with the bounds of "0-size dirs", or of "empty dirs" (which
// wins when both are set: call it second).
void SetZeroSizeDirs(FinderCriteria& criteria);
void SetEmptyDirs(FinderCriteria& criteria);

// Whether a pattern counts as an exact match (starts with "^" and ends with "$").
bool IsExactPattern(std::string_view pattern);
// The "exact match" box clicked into `ticked`: wraps the pattern as ^( ... )$, or unwraps it.
std::string RewriteExactMatch(std::string_view pattern, bool ticked);

// Which time row a range fills.
enum class TimeField { Created, Modified, Accessed };

// "MIN..MAX" of byte counts, a number optionally ending in k (1000) or m (1000000); an empty
// side is no bound. Turns the size test on. False (criteria untouched) for a malformed text.
bool ParseSizeRange(std::string_view text, FinderCriteria& criteria);
// "FROM..TO" of local times YYYY-MM-DD[THH:MM[:SS]]; an empty side is no bound, and an upper
// bound covers the whole day, minute or second it names. Turns that time test on. False
// (criteria untouched) for a malformed text.
bool ParseTimeRange(std::string_view text, TimeField field, FinderCriteria& criteria);
