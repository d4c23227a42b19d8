/*
 * QmendFixture: the program's private copy (a hard link where the file system allows, else
 * a copy), runs through the shell, and children started with a pipe for their answers.
 */
#include "QmendFixture.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The exit status of a wait status, -1 when the process did not exit.
int ExitStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

}  // namespace

ProgramHome::ProgramHome(const std::string& parent)
{
    std::string pattern = parent + "/qmend-home-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    folder_ = pattern;
    std::error_code error;
    fs::create_hard_link(QMEND_PATH, Program(), error);
    if (error) fs::copy_file(QMEND_PATH, Program());
    // The first run creates the configuration beside the program and says so; later runs are
    // quiet about it.
    std::system((Program() + " --save-config=/dev/null > /dev/null 2>&1").c_str());
}

ProgramHome::~ProgramHome()
{
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

QmendFixture::QmendFixture() : home(fs::temp_directory_path()) {}

Outcome QmendFixture::QmendFrom(const ProgramHome& from, const std::string& args, const std::string& input,
                                const std::string& prefix)
{
    WriteFile(from / "in", input);
    const std::string command = "cd '" + dir.Path() + "' && " + prefix + " " + from.Program() + " " + args + " < " +
                                from / "in" + " > " + from / "out" + " 2> " + from / "err";
    const int raw = std::system(command.c_str());
    return {ExitStatus(raw), ReadFile(from / "out"), ReadFile(from / "err")};
}

Child QmendFixture::Start(const std::vector<std::string>& args, int errFd)
{
    int answers[2];
    if (pipe(answers) != 0) throw std::runtime_error("no pipe");
    const std::string out = home / "out";
    const std::string err = home / "err";
    const std::string program = home.Program();
    std::vector<char*> argv{const_cast<char*>("qmend")};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(answers[0], 0);
        close(answers[1]);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (errFd == -1) errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd == -1 || errFd == -1 || dup2(outFd, 1) == -1 || dup2(errFd, 2) == -1 || chdir(dir.Path().c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(answers[0]);
    return {pid, answers[1]};
}

int QmendFixture::Finish(Child& child)
{
    close(child.answers);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return status;
}

std::string QmendFixture::File(const std::string& name, const std::string& bytes)
{
    fs::create_directories(fs::path(dir / name).parent_path());
    EXPECT_TRUE(WriteFile(dir / name, bytes));
    return dir / name;
}
