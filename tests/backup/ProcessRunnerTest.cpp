// The process runner: start failures, exit statuses, pumping while waiting, and Close with and without termination.
// (Arguments reaching the child whole are shown with a recording archiver in BackupTest.)
#include "backup/ProcessRunner.h"

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "backup/CommandLine.h"

namespace {

std::string Line(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& w : words) line += QuoteArgument(w) + " ";
  return line;
}

}  // namespace

TEST(ProcessRunner, ReportsStartFailuresAndExitStatuses) {
  ProcessRunner runner;
  EXPECT_FALSE(runner.Start(nullptr, false, "", false));
  EXPECT_FALSE(runner.Start("  ", false, "", false));
  EXPECT_FALSE(runner.Start("\"/nonexistent/7za\" a", false, "", false));
  EXPECT_EQ(runner.Wait(), -1);
  EXPECT_FALSE(RunArchiver("\"/nonexistent/7za\" a").started);
  EXPECT_EQ(RunArchiver(Line({"/bin/sh", "-c", "exit 3"})).exitStatus, 3);
  EXPECT_EQ(RunArchiver(Line({"sh", "-c", "kill -TERM $$"})).exitStatus, 128 + SIGTERM);
  // A window's messages are handled while the archiver works, and its status still arrives.
  int pumps = 0;
  EXPECT_EQ(RunArchiver(Line({"sh", "-c", "sleep 0.3; exit 4"}), [&pumps] { ++pumps; }).exitStatus, 4);
  EXPECT_GE(pumps, 3);
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
