/*
 * QmendFixture: qmend run as a user runs it, in a scratch directory: answers on standard
 * input, the report on standard output, occurrences, questions and notes on standard error.
 * Each test runs its own copy of the program from a private folder, which is therefore the
 * program's data home: the configuration, work folders and undo records it makes there go
 * away with the test.
 */
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/types.h>

#include "fakes/TempDir.h"

// What one qmend run left behind.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A copy of qmend in a fresh folder below parent, configured by a first run; the folder is
// removed with everything in it at the end. It also holds the streams of the runs.
class ProgramHome {
public:
    explicit ProgramHome(const std::string& parent);
    ~ProgramHome();
    ProgramHome(const ProgramHome&) = delete;
    ProgramHome& operator=(const ProgramHome&) = delete;

    const std::string& Folder() const { return folder_; }
    std::string Program() const { return folder_ + "/qmend"; }
    // A file of the folder.
    std::string operator/(const std::string& name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
};

// A qmend started in the background.
struct Child {
    pid_t pid = -1;
    // The write end of its standard input.
    int answers = -1;
};

class QmendFixture : public ::testing::Test {
protected:
    QmendFixture();

    // Runs `prefix qmend args` in dir with input on standard input.
    Outcome Qmend(const std::string& args, const std::string& input = "", const std::string& prefix = "")
    {
        return QmendFrom(home, args, input, prefix);
    }
    // The same with the copy of qmend in `from`.
    Outcome QmendFrom(const ProgramHome& from, const std::string& args, const std::string& input = "",
                      const std::string& prefix = "");
    // Starts qmend with args in dir, its answers from a pipe; standard output goes to the
    // home's "out", standard error to errFd when given, else to the home's "err".
    Child Start(const std::vector<std::string>& args, int errFd = -1);
    // Closes the child's answers and waits for it; its wait status.
    int Finish(Child& child);
    // Writes a file below dir (making its folders); its path.
    std::string File(const std::string& name, const std::string& bytes);

    // The scratch directory the runs start in.
    TempDir dir;
    // The program's copy and data home.
    ProgramHome home;
};
