/*
 * This engine in the comparison, driven two ways: through regex::Pattern directly (one
 * global search that keeps group 0 of every match), and through CRegexp::FindAll without a
 * list, the way "qmend-regex --count" and the application count matches.
 */
#include "engines.h"

#include "regex/CRegexp.h"
#include "regex/Pattern.h"

namespace bench {
namespace {

class PatternMatcher : public Matcher {
 public:
  explicit PatternMatcher(std::unique_ptr<regex::Pattern> pattern) : pattern_(std::move(pattern)) {}

  long Count(std::string_view text) override {
    regex::MatchResults results;
    if (!pattern_->global_match(text.data(), text.data() + text.size(), results)) return 0;
    return static_cast<long>(results.size());
  }

 private:
  std::unique_ptr<regex::Pattern> pattern_;  // compiled with GLOBAL | FIRSTBACKREFS
};

class FacadeMatcher : public Matcher {
 public:
  explicit FacadeMatcher(std::unique_ptr<CRegexp> facade) : facade_(std::move(facade)) {}

  long Count(std::string_view text) override { return facade_->FindAll(text); }

 private:
  std::unique_ptr<CRegexp> facade_;  // compiled with "g"
};

std::unique_ptr<Matcher> CompilePattern(const BenchPattern& pattern) {
  std::uint32_t flags = regex::GLOBAL | regex::FIRSTBACKREFS;
  if (pattern.ignoreCase) flags |= regex::NOCASE;
  if (pattern.multiline) flags |= regex::MULTILINE;
  try {
    auto compiled = std::make_unique<regex::Pattern>(flags, pattern.text);
    compiled->compile();
    return std::make_unique<PatternMatcher>(std::move(compiled));
  } catch (const regex::bad_regexpr&) {
    return nullptr;
  }
}

std::unique_ptr<Matcher> CompileFacade(const BenchPattern& pattern) {
  auto facade = std::make_unique<CRegexp>();
  std::string flags = "g";
  if (pattern.ignoreCase) flags += 'i';
  if (pattern.multiline) flags += 'm';
  if (!facade->Compile(pattern.text.c_str(), flags.c_str())) return nullptr;
  return std::make_unique<FacadeMatcher>(std::move(facade));
}

}  // namespace

void AddEngineEntries(std::vector<EngineEntry>& engines) {
  engines.push_back({"qm_pattern", CompilePattern});
  engines.push_back({"qm_findall", CompileFacade});
}

}  // namespace bench
