/*
 * ProgressLine: carriage return and erase-line redraws on a terminal.
 */
#include "cli/ProgressLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include "cli/TerminalText.h"

namespace {

// How long a run goes before the line appears, and the least time between two draws.
constexpr auto kFirstDraw = std::chrono::seconds(1);
constexpr auto kRedraw = std::chrono::milliseconds(100);
// The longest path tail shown, so the line stays one line on most terminals.
constexpr std::size_t kShownPath = 50;

}  // namespace

ProgressLine::ProgressLine(std::FILE* stream) : stream_(stream), terminal_(isatty(fileno(stream)) == 1) {}

void ProgressLine::Start(int total)
{
    total_ = total;
    done_ = 0;
    bytes_ = 0;
    started_ = std::chrono::steady_clock::now();
}

void ProgressLine::StartListing()
{
    Start(kUnknownTotal);
}

void ProgressLine::Walked(const std::string& path)
{
    ++done_;
    SetCurrent(path);
}

void ProgressLine::SetCurrent(const std::string& path)
{
    current_ = path;
    Draw();
}

void ProgressLine::StepDone()
{
    // The size is asked only where the line can be shown: a run to a pipe pays nothing for it.
    struct stat status {};
    if (terminal_ && stat(current_.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        bytes_ += static_cast<std::uint64_t>(status.st_size);
    ++done_;
    Draw();
}

void ProgressLine::Clear()
{
    if (!shown_) return;
    std::fputs("\r\x1b[K", stream_);
    std::fflush(stream_);
    shown_ = false;
}

void ProgressLine::Draw()
{
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < kFirstDraw || (shown_ && now - drawn_ < kRedraw)) return;
    std::string path = EscapeForTerminal(current_);
    if (path.size() > kShownPath) path = "..." + path.substr(path.size() - kShownPath);
    if (total_ == kUnknownTotal)
        std::fprintf(stream_, "\r\x1b[K%d entries walked: %s", done_, path.c_str());
    else
        std::fprintf(stream_, "\r\x1b[K%d/%d targets, %llu bytes: %s", done_, total_,
                     static_cast<unsigned long long>(bytes_), path.c_str());
    std::fflush(stream_);
    drawn_ = now;
    shown_ = true;
}
