/*
 * StartView: the Start page's boxes and its go button as the run drives them. The desktop
 * shell shows them in widgets, the command-line front end on the terminal, tests record
 * them. The run computes everything a box shows (texts, selection, scrolling); a view only
 * displays it. OccurrenceDetails carries what a terminal shows instead of the box.
 */
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The occurrence box: its text, the selected occurrence and how far to scroll it so that the
// occurrence stands about six lines below the top and 25 characters from the left edge.
struct OccurrenceBox {
    // The whole box text.
    std::string text;
    // The selection: the occurrence within text.
    std::size_t selectionStart = 0;
    std::size_t selectionLength = 0;
    // Lines to scroll down (negative: none).
    int scrollLines = 0;
    // Characters to scroll right (negative: none).
    int scrollColumns = 0;
};

// One occurrence as a line-oriented display shows it.
struct OccurrenceDetails {
    // The target being searched.
    std::string path;
    // Whether the occurrence is in the target's name (else in its content).
    bool inName = false;
    // The 1-based line of the occurrence in the file (0 when not worked out or in a name).
    std::uint64_t line = 0;
    // The matched bytes.
    std::string found;
    // What a confirmation would put in its place (replace mode only).
    std::optional<std::string> replacement;
};

class StartView {
public:
    virtual ~StartView() = default;
    // The "Total found:" box.
    virtual void ShowTotalFound(std::int32_t total) = 0;
    // The "Process all !" box.
    virtual void ShowProcessAll(bool ticked) = 0;
    // The current-target box.
    virtual void ShowCurrentTarget(const std::string& path) = 0;
    // The occurrence box with its selection and scrolling, for the occurrence described.
    virtual void ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails& details) = 0;
    // Whether occurrences "Process all !" answers without asking are shown too; the run
    // builds no box for a view that shows only what it asks about.
    virtual bool ShowsUnaskedOccurrences() const { return true; }
    // The occurrence box with a plain text and no selection.
    virtual void ShowBoxText(const std::string& text) = 0;
    // The go button's label.
    virtual std::string GoLabel() const = 0;
    virtual void SetGoLabel(const std::string& label) = 0;
};
