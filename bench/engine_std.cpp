/*
 * std::regex (ECMAScript grammar) as a peer; a pattern it cannot read (look-behind) is skipped.
 */
#include "engines.h"

#include <regex>

namespace bench {
namespace {

class StdMatcher : public Matcher {
 public:
  explicit StdMatcher(std::regex re) : re_(std::move(re)) {}

  long Count(std::string_view text) override {
    std::cregex_iterator it(text.data(), text.data() + text.size(), re_);
    long count = 0;
    for (; it != std::cregex_iterator(); ++it) ++count;
    return count;
  }

 private:
  std::regex re_;  // compiled pattern
};

std::unique_ptr<Matcher> CompileStd(const BenchPattern& pattern) {
  auto flags = std::regex::ECMAScript;
  if (pattern.ignoreCase) flags |= std::regex::icase;
  if (pattern.multiline) flags |= std::regex::multiline;
  try {
    return std::make_unique<StdMatcher>(std::regex(pattern.text, flags));
  } catch (const std::regex_error&) {
    return nullptr;
  }
}

}  // namespace

void AddStdEntries(std::vector<EngineEntry>& engines) {
  engines.push_back({"std_regex", CompileStd});
}

}  // namespace bench
