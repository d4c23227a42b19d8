// The process runner: start failures, exit statuses, arguments that reach the child one by
// one without a shell reading them, descriptor inheritance and Close with and without
// termination.
#include "backup/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "backup/CommandLine.h"

namespace fs = std::filesystem;

namespace {

std::string Line(std::initializer_list<std::string> words) {
  std::string line;
  for (const std::string& w : words) line += QuoteArgument(w) + " ";
  return line;
}

}  // namespace

TEST(ProcessRunner, ReportsStartFailuresAndExitStatuses) {
  ProcessRunner runner;
  EXPECT_FALSE(runner.Start(nullptr, false, "", false));
  EXPECT_FALSE(runner.Start("   ", false, "", false));
  EXPECT_FALSE(runner.Start("\"/nonexistent/dir/7za\" a", false, "", false));
  EXPECT_EQ(runner.Process(), 0);
  EXPECT_EQ(runner.Wait(), -1);

  ArchiverOutcome missing = RunArchiver("\"/nonexistent/dir/7za\" a");
  EXPECT_FALSE(missing.started);

  ArchiverOutcome three = RunArchiver(Line({"/bin/sh", "-c", "exit 3"}));
  EXPECT_TRUE(three.started);
  EXPECT_EQ(three.exitStatus, 3);
  EXPECT_EQ(RunArchiver(Line({"sh", "-c", "kill -TERM $$"})).exitStatus, 128 + SIGTERM);
}

TEST(ProcessRunner, PassesEachArgumentWhole) {
  fs::path out = fs::temp_directory_path() / ("qm_runner_args_" + std::to_string(getpid()));
  std::vector<std::string> args = {"a b", "q\"uote", "$HOME", "`id`", "back\\", "semi;colon"};
  std::string line = Line({"/bin/sh", "-c", "printf '%s\\n' \"$@\" > \"$0\"", out.string()});
  for (const std::string& a : args) line += QuoteArgument(a) + " ";
  EXPECT_EQ(RunArchiver(line).exitStatus, 0);
  std::ifstream in(out);
  std::vector<std::string> seen;
  for (std::string l; std::getline(in, l);) seen.push_back(l);
  EXPECT_EQ(seen, args);
  fs::remove(out);
}

TEST(ProcessRunner, InheritsDescriptorsOnlyWhenAsked) {
  int fd = open("/dev/null", O_RDONLY);  // no close-on-exec
  ASSERT_GE(fd, 3);
  std::string probe = Line({"/bin/sh", "-c", "test -e /proc/self/fd/" + std::to_string(fd)});
  ProcessRunner runner;
  ASSERT_TRUE(runner.Start(probe.c_str(), true, "", false));
  EXPECT_EQ(runner.Wait(), 0);
  ASSERT_TRUE(runner.Start(probe.c_str(), false, "", false));
  EXPECT_EQ(runner.Wait(), 1);
  close(fd);
}

TEST(ProcessRunner, CloseTerminatesOnlyWhenAsked) {
  std::string sleeper = Line({"/bin/sleep", "30"});
  ProcessRunner keep;
  ASSERT_TRUE(keep.Start(sleeper.c_str(), false, "", false));
  pid_t kept = keep.Process();
  keep.Close();
  EXPECT_EQ(keep.Process(), 0);
  EXPECT_EQ(kill(kept, 0), 0) << "the process should still run";
  kill(kept, SIGKILL);
  waitpid(kept, nullptr, 0);

  ProcessRunner stop;
  ASSERT_TRUE(stop.Start(sleeper.c_str(), false, "", true));
  pid_t stopped = stop.Process();
  stop.Close();
  EXPECT_EQ(kill(stopped, 0), -1) << "the process should be gone and reaped";
  EXPECT_EQ(errno, ESRCH);
}
