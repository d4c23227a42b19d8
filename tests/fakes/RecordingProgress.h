/*
 * RecordingProgress: a Progress for tests that keeps the bar's state and counts the steps.
 */
#pragma once

#include "base/Progress.h"

class RecordingProgress : public Progress {
public:
    int upper = 100;    // the range's upper end, last set
    int step = 10;      // the step last set
    int position = 0;   // the bar's position, moved by SetPosition and StepIt
    int stepCount = 0;  // how many times StepIt was called

    void SetRange(int, int upperValue) override { upper = upperValue; }
    void SetStep(int stepValue) override { step = stepValue; }
    void SetPosition(int value) override { position = value; }
    void StepIt() override
    {
        ++stepCount;
        position += step;
    }
};
