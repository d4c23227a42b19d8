/*
 * ProgressLine: one line on a terminal that tells how far a run is - targets done of all,
 * bytes of the files done, and the current path (escaped) - or, while the targets are
 * listed, how many entries the walk has been through and the current one. It is shown only
 * once the work has taken a second, redrawn at most ten times a second in place, and
 * cleared before anything else is printed and at the end. Nothing is drawn when the stream
 * is not a terminal.
 */
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class ProgressLine {
public:
    explicit ProgressLine(std::FILE* stream);

    // The run starts over `total` targets.
    void Start(int total);
    // A listing starts; how many entries it will examine is not known.
    void StartListing();
    // The listing has walked to path.
    void Walked(const std::string& path);
    // The current target.
    void SetCurrent(const std::string& path);
    // The current target is done.
    void StepDone();
    // Removes the line, if shown, so other output starts on a clean line.
    void Clear();

private:
    static constexpr int kUnknownTotal = -1;

    // Draws the line when it is time to.
    void Draw();

    std::FILE* stream_;
    // Whether stream_ is a terminal.
    bool terminal_;
    // When the run started, and when the line was last drawn.
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point drawn_;
    // The line is on the screen.
    bool shown_ = false;
    // The targets of the run; kUnknownTotal while a listing counts entries.
    int total_ = 0;
    // Targets done, or entries walked.
    int done_ = 0;
    std::uint64_t bytes_ = 0;
    std::string current_;
};
