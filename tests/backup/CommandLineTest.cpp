// Quoting and splitting of command lines: the documented Windows examples, and round trips of
// words that a shell would mangle.
#include "backup/CommandLine.h"

#include <gtest/gtest.h>

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
  EXPECT_EQ(SplitCommandLine(R"("a b c" d e)"), (Words{"a b c", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"("ab\"c" "\\" d)"), (Words{"ab\"c", "\\", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\b d"e f"g h)"), (Words{"a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b c d)"), (Words{"a\\\"b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c" d e)"), (Words{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"("a""b" "" x)"), (Words{"a\"b", "", "x"}));
  EXPECT_EQ(SplitCommandLine(" \t lone\\ \t"), (Words{"lone\\"}));
  EXPECT_TRUE(SplitCommandLine("  \t ").empty());
}

TEST(CommandLine, QuotedWordsComeBackUnchanged) {
  Words words = {"/usr/bin/7za", "plain", "with blank", "quo\"te", "back\\slash", "trail\\",
                 "trail\\\\", "\\\"", "$HOME", "`id`", "", "tab\there", "a\\\\\\\"b", "'single'"};
  std::string line;
  for (const std::string& w : words) line += QuoteArgument(w) + " ";
  EXPECT_EQ(SplitCommandLine(line), words);
  EXPECT_EQ(QuoteArgument("/tmp/x/"), "\"/tmp/x/\"");
  EXPECT_EQ(QuoteArgument("a\\"), "\"a\\\\\"");
}
