/*
 * TargetPage: the handlers of the target list page.
 */
#include "targets/TargetPage.h"

#include "base/Desktop.h"
#include "base/Progress.h"

TargetPage::TargetPage(Desktop& desktop, FileWiper& fileWiper) : wiper(fileWiper), desktop_(desktop)
{
    finder.desktop = &desktop;
    finder.notifyWindow = &targets;
}

void TargetPage::SetView(TargetPageView* pageView)
{
    view_ = pageView;
    targets.view = pageView;
}

void TargetPage::OnDropFiles(const FileDrop& drop)
{
    if (Busy())
        return;
    targets.OnDropFiles(desktop_, drop);
}

ExpandOptions TargetPage::CurrentExpandOptions() const
{
    ExpandOptions options;
    options.depth = depthIndex - 1;
    options.wantDirs = wantDirs;
    options.wantFiles = wantFiles;
    options.pattern = effectivePattern;
    options.ignoreCase = ignoreCase;
    options.criteria = finder.criteria;
    return options;
}

void TargetPage::OnExpand()
{
    if (finder.running) {
        finder.running = false;
        return;
    }
    if (wipeInProgress)
        return;
    if (view_ != nullptr)
        view_->SetExpandCaption("cancel");
    ExpandTargets(targets, finder, CurrentExpandOptions());
    if (view_ != nullptr)
        view_->SetExpandCaption("Expand!");
}

void TargetPage::OnEmpty()
{
    if (Busy())
        return;
    targets.Empty();
}

void TargetPage::OnWipe()
{
    if (wipeInProgress) {
        wipeInProgress = false;
        wiper.wiping = false;
        return;
    }
    if (finder.running)
        return;
    if (targets.lines.Count() == 0) {
        desktop_.Notice("Nothing to wipe!");
        return;
    }
    if (desktop_.AskYesNoCancel("Sure ?") != DesktopAnswer::Yes ||
        desktop_.AskYesNoCancel("REALLY sure ???") != DesktopAnswer::Yes)
        return;
    targets.NormalizeTargets();
    std::size_t count = targets.lines.Count();
    if (view_ != nullptr)
        view_->SetWipeCaption("cancel");
    desktop_.PumpMessages();
    wipeInProgress = true;
    std::size_t wiped = 0;
    for (std::size_t i = 0; i < count && i < targets.lines.Count(); ++i) {
        if (wiper.Wipe(CDynString(targets.lines.Line(i).c_str()), false, wipeRounds)) {
            targets.lines.Select(i, true);
            desktop_.PumpMessages();
            ++wiped;
        }
        if (!wipeInProgress)
            break;
    }
    wipeInProgress = false;
    if (view_ != nullptr)
        view_->SetWipeCaption("Wipe!");
    if (wiper.progress != nullptr)
        wiper.progress->SetPosition(0);
    desktop_.PumpMessages();
    targets.DeleteSelectedLines();
    desktop_.Notice(std::to_string(wiped) + " of " + std::to_string(count) + " wiped.");
}

void TargetPage::OnAdvancedOpening(std::time_t now)
{
    advanced.OnOpening(now);
}

void TargetPage::OnAdvancedClosed()
{
    ApplyAdvancedValues(advanced, finder.criteria);
}

void TargetPage::SetEffectivePattern(std::string pattern)
{
    effectivePattern = std::move(pattern);
    exactMatch = IsExactPattern(effectivePattern);
}

void TargetPage::OnPatternChanged(const std::string& text)
{
    SetEffectivePattern(text.substr(0, kMaxPatternLength));
}

void TargetPage::OnExactMatchClicked(bool ticked)
{
    SetEffectivePattern(RewriteExactMatch(effectivePattern, ticked));
}

void TargetPage::OnAlwaysOnTopClicked(bool ticked)
{
    alwaysOnTop = ticked;
    desktop_.SetTopmost(ticked);
}

void TargetPage::OnPageShown(bool shown)
{
    alwaysOnTop = shown;
    desktop_.SetTopmost(shown);
}
