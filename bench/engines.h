/*
 * The benchmark's view of a regex engine: a matcher compiled once from one of the benchmark
 * patterns that counts every non-overlapping, leftmost match over a whole text. Each engine
 * file adds its entries to the registry; main registers one benchmark per entry and pattern.
 */
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// One pattern of the comparison.
struct BenchPattern {
  std::string name;   // short label used in the benchmark name
  std::string text;   // pattern text in the common Perl-style syntax
  bool ignoreCase;    // compile case-insensitively
  bool multiline;     // "^" and "$" also match at line boundaries
};

// A compiled pattern of one engine.
class Matcher {
 public:
  virtual ~Matcher() = default;
  // Number of matches in text, each search continuing after the previous match
  // (one byte further after an empty match).
  virtual long Count(std::string_view text) = 0;
};

// Compiles a pattern for one engine; null when the engine refuses the pattern.
using MatcherFactory = std::unique_ptr<Matcher> (*)(const BenchPattern&);

// One engine (or one way of driving an engine) in the comparison.
struct EngineEntry {
  const char* name;         // label used in the benchmark name and the table's column
  MatcherFactory compile;   // builds a matcher for a pattern
};

void AddEngineEntries(std::vector<EngineEntry>& engines);
void AddPcre2Entries(std::vector<EngineEntry>& engines);
void AddBoostEntries(std::vector<EngineEntry>& engines);
void AddRe2Entries(std::vector<EngineEntry>& engines);
void AddStdEntries(std::vector<EngineEntry>& engines);

}  // namespace bench
