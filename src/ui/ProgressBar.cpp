#include "ui/ProgressBar.h"

#include <algorithm>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

void ProgressBar::SetRange(int lower, int upper)
{
    // An empty range stands for an empty bar of one step.
    setRange(lower, std::max(upper, lower + 1));
    setValue(lower);
}

void ProgressBar::SetPosition(int position) { setValue(std::clamp(position, minimum(), maximum())); }

void ProgressBar::StepIt() { setValue(std::min(value() + step_, maximum())); }
