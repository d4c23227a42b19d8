// The runner of an outside program: starts one command line as a child process with
// posix_spawn (the words split by the Windows quoting rules, never through a shell), lets the
// caller wait for its end and reaps or terminates it on Close. RunArchiver is the one use:
// start the archiver, wait without time limit, report whether it started and how it ended.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

class ProcessRunner {
 public:
  ProcessRunner() = default;
  ~ProcessRunner();
  ProcessRunner(const ProcessRunner&) = delete;
  ProcessRunner& operator=(const ProcessRunner&) = delete;

  // Starts the command line (the program is its first word, looked up on PATH when it holds
  // no "/"). Closes whatever the runner held first. Returns whether the process was created;
  // false for an empty command line. The title has no counterpart on this platform.
  bool Start(const char* commandLine, bool inheritHandles, const char* title, bool terminateOnClose);

  // Waits without time limit for the process to end and returns its exit status: the code it
  // exited with, 128 + the signal number when a signal ended it, -1 when nothing runs. When
  // whileRunning is given it is called about every 20 ms until the process ends, so a window
  // can handle its messages meanwhile.
  int Wait(const std::function<void()>& whileRunning = {});

  // Forgets the process; when terminateOnClose is set and it still runs, it is killed and
  // reaped first.
  void Close();

  // The child's process id, 0 when nothing runs.
  pid_t Process() const { return process; }

  bool terminateOnClose = false;  // Close kills a process that still runs
  bool detachInput = false;       // the child reads /dev/null and writes its output to stderr

 private:
  pid_t process = 0;  // the running child, 0 when none
};

// How a run of the archiver went.
struct ArchiverOutcome {
  bool started = false;  // the process was created
  int exitStatus = -1;   // its exit status (see ProcessRunner::Wait), -1 when not started
};

// Runs the archiver's command line and waits for its end; no handle inheritance, its standard
// input is /dev/null so that a question of the archiver can never hang the caller, and its
// output goes to standard error so that it never mixes with a report on standard output.
// whileRunning is called while it runs (see ProcessRunner::Wait).
ArchiverOutcome RunArchiver(const std::string& commandLine, const std::function<void()>& whileRunning = {});
