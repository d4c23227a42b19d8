/*
 * ProgressBar: the main window's progress bar as the core's Progress. A range whose upper
 * end is not above its lower end shows an empty bar (Qt would animate a busy bar), and a
 * step never goes past the maximum.
 */
#pragma once

#include <QProgressBar>

#include "base/Progress.h"

class ProgressBar : public QProgressBar, public Progress {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    void SetRange(int lower, int upper) override;
    void SetStep(int step) override { step_ = step; }
    void SetPosition(int position) override;
    void StepIt() override;

private:
    // How far StepIt moves the bar.
    int step_ = 10;
};
