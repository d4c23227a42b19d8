// Quoting and splitting of command lines: the Windows rules' classic examples, and round trips
// of words that a shell would mangle.
#include "backup/CommandLine.h"

#include <gtest/gtest.h>

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRulesAndQuotedWordsComeBackUnchanged) {
  EXPECT_EQ(SplitCommandLine(R"("a b c" d e)"), (Words{"a b c", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"("ab\"c" "\\" d)"), (Words{"ab\"c", "\\", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\b d"e f"g h)"), (Words{"a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b c d)"), (Words{"a\\\"b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c" d e)"), (Words{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(SplitCommandLine("\"a\"\"b\" \"\" \t lone\\ "), (Words{"a\"b", "", "lone\\"}));
  EXPECT_TRUE(SplitCommandLine("  \t ").empty());

  Words words = {"/usr/bin/7za", "with blank", "quo\"te", "back\\slash", "trail\\", "trail\\\\", "\\\"",
                 "$HOME", "`id`", "", "tab\there", "a\\\\\\\"b"};
  std::string line;
  for (const std::string& w : words) line += QuoteArgument(w) + " ";
  EXPECT_EQ(SplitCommandLine(line), words);
  EXPECT_EQ(QuoteArgumentIfNeeded("-tzip"), "-tzip");
  EXPECT_EQ(QuoteArgumentIfNeeded("-tz ip"), "\"-tz ip\"");
}
