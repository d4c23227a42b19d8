/*
 * RunFixture: a SearchRun wired to scripted seams in a scratch directory. Answers to
 * occurrences are queued as keys (y replace it / continue search, n Skip this word, f Skip
 * this file, a Process all !, q Cancel! (skip all)) and delivered one per pump, the way the
 * Start page's buttons arrive while the run waits.
 */
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/RecordingProgress.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "run/SearchRun.h"

// The Start page's boxes as a test sees them.
class RecordingView : public StartView {
public:
    // Every occurrence shown, in order.
    std::vector<OccurrenceBox> boxes;
    std::vector<OccurrenceDetails> details;
    // Every plain box text shown.
    std::vector<std::string> texts;
    // The go button's label and every label it was given.
    std::string label = "Search/Replace!";
    std::vector<std::string> labels;
    // The "Total found:" and "Process all !" boxes.
    std::int32_t total = -1;
    bool processAll = false;

    void ShowTotalFound(std::int32_t value) override { total = value; }
    void ShowProcessAll(bool ticked) override { processAll = ticked; }
    void ShowCurrentTarget(const std::string&) override {}
    void ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails& detail) override
    {
        boxes.push_back(box);
        details.push_back(detail);
    }
    void ShowBoxText(const std::string& text) override { texts.push_back(text); }
    std::string GoLabel() const override { return label; }
    void SetGoLabel(const std::string& text) override
    {
        label = text;
        labels.push_back(text);
    }
};

class RunFixture : public ::testing::Test {
protected:
    RunFixture()
    {
        // A test that runs out of answers cancels instead of waiting for ever.
        desktop.onPump = [this](int n) {
            if (n > 500) run.OnCancel();
        };
    }

    // Writes a file in the scratch directory (making its folders) and returns its path.
    std::string File(const std::string& name, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
        EXPECT_TRUE(WriteFile(dir / name, bytes));
        return dir / name;
    }
    // Names in the scratch directory: a temporary file left behind shows here.
    std::size_t Entries() const { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}); }
    // Puts paths in the target list, in this order.
    void List(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths) targets.lines.Append(path);
    }
    // Runs the job over paths (the whole target list) with the answers queued.
    void RunOver(const std::vector<std::string>& paths, const std::string& keys)
    {
        targets.lines.Assign(paths);
        Answer(keys);
        run.RunJob();
    }
    // Queues answers to the next occurrences.
    void Answer(const std::string& keys)
    {
        for (const char key : keys) desktop.presses.push_back([this, key] { Press(key); });
    }
    void Press(char key)
    {
        switch (key) {
        case 'y': run.OnGoButton(); break;
        case 'n': run.OnSkipWord(); break;
        case 'f': run.OnSkipFile(); break;
        case 'a': run.OnProcessAll(true); break;
        default: run.OnCancel(); break;
        }
    }
    // A replacing job with pattern and replacement over the listed targets.
    void Replace(const std::string& pattern, const std::string& replacement)
    {
        job.pattern = pattern;
        job.replacement = replacement;
        job.searchOnly = false;
    }

    TempDir dir;
    ScriptedDesktop desktop;
    RecordingProgress progress;
    RecordingView view;
    LineList report;
    TargetList targets;
    FileChooser chooser;
    JobSettings job;
    SearchRun run{job, {desktop, progress, view, report, targets, chooser}};
};
