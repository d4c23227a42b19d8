/*
 * RecordingProgress: a Progress for tests that keeps the bar's state and counts the steps.
 */
#pragma once

#include <vector>

#include "base/Progress.h"

class RecordingProgress : public Progress {
public:
    // The range last set.
    int lower = 0;
    int upper = 100;
    // The step last set.
    int step = 10;
    // The bar's position, moved by SetPosition and StepIt.
    int position = 0;
    // How many times StepIt was called.
    int stepCount = 0;
    // Every position the bar took, in order.
    std::vector<int> positions;

    void SetRange(int lowerValue, int upperValue) override
    {
        lower = lowerValue;
        upper = upperValue;
    }
    void SetStep(int stepValue) override { step = stepValue; }
    void SetPosition(int value) override
    {
        position = value;
        positions.push_back(value);
    }
    void StepIt() override
    {
        ++stepCount;
        position += step;
        positions.push_back(position);
    }
};
