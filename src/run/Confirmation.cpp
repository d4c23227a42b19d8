/*
 * The confirmation of occurrences: the occurrence box for content and for names, the wait
 * for the user's answer, and what an answer does to the rewritten text. The replacement of
 * an occurrence is built from the very match that was found and shown (its groups, in the
 * text it was found in), never by searching again, so look-behind, "\b" and matches longer
 * than the overlap are replaced exactly as they were found.
 */
#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "regex/Pattern.h"
#include "run/RunTexts.h"
#include "run/SearchRun.h"

namespace {

// Bytes of context shown before an occurrence.
constexpr std::size_t kContextBefore = 400;
// Bytes of context shown after an occurrence.
constexpr std::size_t kContextAfter = 399;
// The occurrence stands this many lines below the top of the box...
constexpr int kScrollLinesAbove = 6;
// ...and this many characters from its left edge.
constexpr int kScrollColumnsLeft = 25;
// The wait polls this often.
constexpr auto kPollInterval = std::chrono::milliseconds(4);
// The go button's label blinks every this many polls.
constexpr int kBlinkPolls = 41;
// A separator line of the name box.
const std::string kNameRule(36, ':');

// Fills in the box's scrolling for its selection.
void ScrollTo(OccurrenceBox& box)
{
    const std::string& text = box.text;
    const std::size_t sel = box.selectionStart;
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(sel, text.size())), '\n');
    int column = 0;
    for (std::size_t i = std::min(sel, text.size() - 1); i > 0 && text[i] != '\n'; --i) ++column;
    box.scrollLines = static_cast<int>(line) - kScrollLinesAbove;
    box.scrollColumns = column - kScrollColumnsLeft;
}

}  // namespace

void SearchRun::ShowContentOccurrence(const std::string& path, std::size_t start, std::size_t length,
                                      const std::string* replacement)
{
    if (Unasked()) return;
    ReadBuffer& buffer = state_.readBuffer;
    const std::string_view chunk = buffer.Chunk();
    OccurrenceBox box;
    if (!job_.searchOnly) {
        const std::size_t before = std::min(kContextBefore, start - buffer.position);
        const std::size_t fromOutput = std::min(kContextBefore - before, state_.output.size());
        box.text.assign(state_.output, state_.output.size() - fromOutput, fromOutput);
        box.text.append(chunk.substr(start - before, before));
    } else {
        const std::size_t from = start > kContextBefore ? start - kContextBefore : 0;
        box.text.assign(chunk.substr(from, start - from));
    }
    box.selectionStart = box.text.size();
    box.selectionLength = length;
    box.text.append(chunk.substr(start, length + kContextAfter));
    ScrollTo(box);
    OccurrenceDetails details{path, false, state_.processAll ? 0 : buffer.LineOf(start),
                              std::string(chunk.substr(start, length)), std::nullopt};
    if (replacement) details.replacement = *replacement;
    seams_.view.ShowOccurrence(box, details);
    WaitForAnswer();
}

void SearchRun::ShowNameOccurrence(const std::string& path, const std::string& name, std::size_t position,
                                   std::size_t start, std::size_t length, const std::string* replacement)
{
    if (Unasked()) return;
    OccurrenceBox box;
    if (!job_.searchOnly) box.text = "\r\n\r\nReplace this occurence?\r\n";
    box.text += kNameRule + "\r\n" + kNameRule + "\r\n" + kNameRule + "\r\n\r\n";
    if (job_.searchOnly) {
        box.selectionStart = box.text.size() + start;
        box.text += name;
    } else {
        box.text += state_.output;
        box.selectionStart = box.text.size() + (start - position);
        box.text.append(name, position);
    }
    box.selectionLength = length;
    box.text += "\r\n\r\n" + kNameRule + "\r\n" + kNameRule + "\r\n" + kNameRule;
    OccurrenceDetails details{path, true, 0, name.substr(start, length), std::nullopt};
    if (replacement) details.replacement = *replacement;
    seams_.view.ShowOccurrence(box, details);
    WaitForAnswer();
}

bool SearchRun::Unasked() const
{
    return state_.processAll && !seams_.view.ShowsUnaskedOccurrences();
}

void SearchRun::WaitForAnswer()
{
    if (!state_.running || state_.processAll) return;
    const std::string label = job_.searchOnly ? runtext::kGoContinue : runtext::kGoReplace;
    std::string capitals = label;
    for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string saved = seams_.view.GoLabel();
    for (int pass = 0; state_.answer == kAnswerNone && state_.running && !state_.processAll; ++pass) {
        std::this_thread::sleep_for(kPollInterval);
        if (pass % kBlinkPolls == 0) seams_.view.SetGoLabel((pass / kBlinkPolls) % 2 == 0 ? label : capitals);
        seams_.desktop.PumpOneMessage();
    }
    seams_.view.SetGoLabel(saved);
}

bool SearchRun::Confirmed() const { return state_.processAll || state_.answer == kAnswerGo; }

void SearchRun::ApplyAnswer(std::string_view matched, const std::string& replacement, int& replaced)
{
    if (Confirmed()) {
        state_.output += replacement;
        ++replaced;
    } else {
        state_.output.append(matched);
    }
}

std::string SearchRun::ReplacementFor(std::size_t prefixStart, std::size_t suffixEnd, std::string_view matched)
{
    std::string replacement;
    try {
        if (state_.regex.BuildReplacement(job_.replacement.c_str(), prefixStart, suffixEnd, replacement))
            return replacement;
    } catch (const regex::bad_regexpr&) {
        // The start refuses a bad replacement; should one get here, the occurrence stays.
    }
    return std::string(matched);
}
