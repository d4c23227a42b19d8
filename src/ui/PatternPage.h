/*
 * PatternPage: the work page "What 2 Find/Replace?": the pattern and the replacement, the
 * four pattern options, "whole word in content", where to search, and "Test regexp!". Every
 * change goes into the page's values at once; the pattern test and the whole-word wrapping
 * are the core's.
 */
#pragma once

#include <QCheckBox>
#include <QPlainTextEdit>

#include "run/JobSettings.h"
#include "ui/WorkPage.h"

class PatternPage : public WorkPage {
    Q_OBJECT
public:
    // values are the page's variables (the pattern, the options, where to search).
    PatternPage(Desktop& desktop, JobSettings& values, QWidget* parent = nullptr);

    QPlainTextEdit* pattern;
    QPlainTextEdit* replacement;
    QCheckBox* searchOnly;
    QCheckBox* ignoreCase;
    QCheckBox* multiline;
    QCheckBox* dotAll;
    QCheckBox* extended;
    QCheckBox* wholeWord;
    QCheckBox* inContent;
    QCheckBox* inFileNames;
    QCheckBox* inDirNames;

private:
    // Moves every control into the values.
    void ControlsToValues();
    // Shows the values in the controls.
    void ValuesToControls();
    // "search only!": "Replace to:" is open exactly when the job may replace.
    void OnSearchOnly();
    // "whole word in content": wraps or unwraps the pattern.
    void OnWholeWord();
    // "Test regexp!".
    void OnTestRegexp();

    // The page's variables.
    JobSettings& values_;
    // Set while the values are shown, so the controls' signals do not write them back.
    bool showing_ = false;
};
