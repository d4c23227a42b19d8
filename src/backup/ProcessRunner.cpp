// ProcessRunner on posix_spawn. The argument vector comes from SplitCommandLine, so a path
// with blanks, quotes, "$" or backquotes reaches the child as one argument and no shell ever
// reads it. Without handle inheritance every descriptor above standard error is closed in
// the child.
#include "backup/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "backup/CommandLine.h"

extern char** environ;

namespace {

// posix_spawn's file actions, released on every way out.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
  posix_spawn_file_actions_t actions;  // what the child does before exec
};

int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

}  // namespace

ProcessRunner::~ProcessRunner() { Close(); }

bool ProcessRunner::Start(const char* commandLine, bool inheritHandles, const char* /*title*/,
                          bool terminate) {
  if (commandLine == nullptr) return false;
  Close();
  terminateOnClose = terminate;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty() || words[0].empty()) return false;

  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  SpawnActions spawn;
  if (detachInput) {
    posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, STDERR_FILENO, STDOUT_FILENO);
  }
  if (!inheritHandles) posix_spawn_file_actions_addclosefrom_np(&spawn.actions, STDERR_FILENO + 1);

  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], &spawn.actions, nullptr, argv.data(), environ) != 0) return false;
  process = child;
  return true;
}

int ProcessRunner::Wait(const std::function<void()>& whileRunning) {
  if (process == 0) return -1;
  int waitStatus = 0;
  const int options = whileRunning ? WNOHANG : 0;
  pid_t done;
  for (;;) {
    done = waitpid(process, &waitStatus, options);
    if (done < 0 && errno == EINTR) continue;
    if (done != 0) break;
    whileRunning();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  process = 0;
  return done < 0 ? -1 : StatusOf(waitStatus);
}

void ProcessRunner::Close() {
  if (process == 0) return;
  if (terminateOnClose) {
    kill(process, SIGKILL);
    Wait();
  }
  process = 0;
}

ArchiverOutcome RunArchiver(const std::string& commandLine, const std::function<void()>& whileRunning) {
  ProcessRunner runner;
  runner.detachInput = true;
  ArchiverOutcome outcome;
  outcome.started = runner.Start(commandLine.c_str(), false, "", false);
  if (outcome.started) outcome.exitStatus = runner.Wait(whileRunning);
  runner.Close();
  return outcome;
}
