// The process runner: start failures, exit statuses, arguments reaching the child whole
// without a shell, and Close with and without termination.
#include "backup/ProcessRunner.h"

#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <gtest/gtest.h>

#include "backup/CommandLine.h"
#include "fakes/TempDir.h"

namespace {

std::string Line(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& w : words) line += QuoteArgument(w) + " ";
  return line;
}

}  // namespace

TEST(ProcessRunner, ReportsStartFailuresExitStatusesAndArguments) {
  ProcessRunner runner;
  EXPECT_FALSE(runner.Start(nullptr, false, "", false));
  EXPECT_FALSE(runner.Start("  ", false, "", false));
  EXPECT_FALSE(runner.Start("\"/nonexistent/7za\" a", false, "", false));
  EXPECT_EQ(runner.Wait(), -1);
  EXPECT_FALSE(RunArchiver("\"/nonexistent/7za\" a").started);
  EXPECT_EQ(RunArchiver(Line({"/bin/sh", "-c", "exit 3"})).exitStatus, 3);
  EXPECT_EQ(RunArchiver(Line({"sh", "-c", "kill -TERM $$"})).exitStatus, 128 + SIGTERM);

  TempDir dir;
  std::vector<std::string> args = {"a b", "q\"uote", "$HOME", "`id`", "back\\", "semi;colon", ""};
  std::vector<std::string> words = {"/bin/sh", "-c", "printf '%s\\n' \"$@\" > \"$0\"", dir / "out"};
  words.insert(words.end(), args.begin(), args.end());
  EXPECT_EQ(RunArchiver(Line(words)).exitStatus, 0);
  std::ifstream in(dir / "out");
  std::vector<std::string> seen;
  for (std::string l; std::getline(in, l);) seen.push_back(l);
  EXPECT_EQ(seen, args);
}

TEST(ProcessRunner, CloseTerminatesOnlyWhenAsked) {
  std::string sleeper = Line({"/bin/sleep", "30"});
  ProcessRunner keep, stop;
  ASSERT_TRUE(keep.Start(sleeper.c_str(), false, "", false));
  ASSERT_TRUE(stop.Start(sleeper.c_str(), false, "", true));
  pid_t kept = keep.Process(), stopped = stop.Process();
  keep.Close();
  stop.Close();
  EXPECT_EQ(keep.Process(), 0);
  EXPECT_EQ(kill(kept, 0), 0) << "still running";
  EXPECT_EQ(kill(stopped, 0), -1) << "killed and reaped";
  kill(kept, SIGKILL);
  waitpid(kept, nullptr, 0);
}
