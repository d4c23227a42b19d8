/*
 * TargetPage: what the page "Files/Dirs 2 find/replace in" does, without its widgets. It
 * holds the page's settings, the expansion finder, the advanced dialog's values and the
 * target list, and offers one function per control; the widget moves values in and out and
 * calls them. Long work (the expansion, the wipe) pumps the desktop, and a second click on
 * the same button during it is the cancel click; the other handlers that change the list
 * or its files do nothing meanwhile.
 */
#pragma once

#include <cstdint>
#include <string>

#include "targets/CFileFinder.h"
#include "targets/ExpandOptions.h"
#include "targets/FileWiper.h"
#include "targets/TargetList.h"

class Desktop;
class Progress;

// The page's widgets that the handlers change while they work.
class TargetPageView : public TargetListView {
public:
    // The caption of "Expand!" ("cancel" while expanding).
    virtual void SetExpandCaption(const std::string& caption) = 0;
    // The caption of "Wipe!" ("cancel" while wiping).
    virtual void SetWipeCaption(const std::string& caption) = 0;
};

// The items of the depth list; the depth of item i is i - 1.
inline constexpr const char* kDepthItems[] = {"-1 infinite depth", "0  no expanding", "1", "2", "3",
                                              "4", "5", "6", "7", "8", "9"};
// The items of the wipe rounds list; item i means i rounds.
inline constexpr const char* kWipeRoundItems[] = {"0 (simple delete)", "1", "2"};
// The first items of the pattern combo.
inline constexpr const char* kPatternItems[] = {
    "\\.(html?|js|css)$", "\\.(html?|jsp|java|php)$",
    "\\.(html?|jsp|java|php|js|css|tpl|txt|xml|xsl|xsd)$", "\\.js$", "\\.css$",
    "\\.(ini|xml|conf)$", "\\.(cpp|h)$"};
// The longest pattern text taken from the combo.
inline constexpr std::size_t kMaxPatternLength = 299;

class TargetPage {
public:
    // The list the page shows.
    TargetList targets;
    // The expansion's finder (its criteria are the advanced dialog's).
    CFileFinder finder;
    // The wipe; the main window's in the program, shared with other layers.
    FileWiper& wiper;
    // The advanced dialog's values, kept between openings.
    AdvancedValues advanced;

    // "always on top".
    bool alwaysOnTop = false;
    // "dirs" and "files" of "Search for".
    bool wantDirs = true;
    bool wantFiles = true;
    // The depth list's item index (depth = index - 1).
    int depthIndex = 0;
    // The pattern the expansion uses.
    std::string effectivePattern;
    // "ignore case" of the name pattern.
    bool ignoreCase = true;
    // "exact match".
    bool exactMatch = false;
    // "wipe rounds" (0, 1 or 2).
    int wipeRounds = 0;
    // True while "Wipe!" runs; clearing it cancels the wipe.
    bool wipeInProgress = false;

    TargetPage(Desktop& desktop, FileWiper& fileWiper);
    TargetPage(const TargetPage&) = delete;
    TargetPage& operator=(const TargetPage&) = delete;

    // Whether an expansion or a wipe is under way: then only the button that started it acts
    // (as its cancel), and the widget disables what would change the list or its files.
    bool Busy() const { return finder.running || wipeInProgress; }

    // Connects the page's widgets (none: nothing is shown).
    void SetView(TargetPageView* pageView);

    // Files dropped on the page.
    void OnDropFiles(const FileDrop& drop);
    // "Expand!", or its cancel click while expanding.
    void OnExpand();
    // "Empty!".
    void OnEmpty();
    // "Wipe!", or its cancel click while wiping.
    void OnWipe();
    // The advanced dialog is about to open at `now`.
    void OnAdvancedOpening(std::time_t now);
    // The advanced dialog closed: its values become the finder's criteria.
    void OnAdvancedClosed();

    // The combo's text changed (or an item was chosen): it becomes the effective pattern.
    void OnPatternChanged(const std::string& text);
    // "exact match" was clicked and is now `ticked`.
    void OnExactMatchClicked(bool ticked);
    // "always on top" was clicked and is now `ticked`.
    void OnAlwaysOnTopClicked(bool ticked);
    // The page became visible (or hidden).
    void OnPageShown(bool shown);

    // The expansion's settings as the page holds them.
    ExpandOptions CurrentExpandOptions() const;

private:
    // Sets the effective pattern and lets "exact match" follow it.
    void SetEffectivePattern(std::string pattern);

    // Message boxes, pumps and the topmost state.
    Desktop& desktop_;
    // The page's widgets, or none.
    TargetPageView* view_ = nullptr;
};
