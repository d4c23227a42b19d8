/*
 * Progress: the main window's progress bar as the core sees it. The desktop shell draws
 * it; tests record what was set.
 */
#pragma once

class Progress {
public:
    virtual ~Progress() = default;
    // The values that mean empty and full.
    virtual void SetRange(int lower, int upper) = 0;
    // How far StepIt moves the bar.
    virtual void SetStep(int step) = 0;
    virtual void SetPosition(int position) = 0;
    // Moves the bar on by one step.
    virtual void StepIt() = 0;
};
