/*
 * qm_regex_bench: counts every match of seven patterns over the same text of package
 * changelogs with this engine and with each peer engine that was found at configure time,
 * and reports bytes per second. Only the search is timed; each pattern is compiled once
 * before the timing loop. The text's path is QM_BENCH_TEXT in the environment, else the
 * one made in the build tree.
 */
#include "engines.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const bench::BenchPattern kPatterns[] = {
    {"literal", "release", false},
    {"literal_nocase", "release", true},
    {"alternation", "upstream|release|package|version|changes", false},
    {"email", R"([\w\.+-]+@[\w\.-]+\.[\w\.-]+)", false},
    {"uri", R"([\w]+://[^/\s?#]+[^\s?#]+(?:\?[^\s#]*)?(?:#[^\s]*)?)", false},
    {"ipv4",
     R"((?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?))",
     false},
    {"suffix_ing", "[a-zA-Z]+ing", false},
};

std::string ReadText() {
  const char* env = std::getenv("QM_BENCH_TEXT");
  const char* path = env != nullptr ? env : QM_BENCH_TEXT;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "qm_regex_bench: cannot read the text %s\n", path);
    std::exit(1);
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RunOne(benchmark::State& state, const bench::EngineEntry& engine,
            const bench::BenchPattern& pattern, const std::string& text) {
  std::unique_ptr<bench::Matcher> matcher = engine.compile(pattern);
  if (!matcher) {
    state.SkipWithError("pattern refused by this engine");
    return;
  }
  long matches = 0;
  for (auto _ : state) {
    matches = matcher->Count(text);
    benchmark::DoNotOptimize(matches);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["matches"] = static_cast<double>(matches);
}

}  // namespace

int main(int argc, char** argv) {
  static const std::string text = ReadText();
  static std::vector<bench::EngineEntry> engines;
#ifdef QM_BENCH_ENGINE
  bench::AddEngineEntries(engines);
#endif
#ifdef QM_BENCH_PCRE2
  bench::AddPcre2Entries(engines);
#endif
#ifdef QM_BENCH_BOOST
  bench::AddBoostEntries(engines);
#endif
#ifdef QM_BENCH_RE2
  bench::AddRe2Entries(engines);
#endif
  bench::AddStdEntries(engines);

  for (const bench::BenchPattern& pattern : kPatterns) {
    for (const bench::EngineEntry& engine : engines) {
      std::string name = std::string(pattern.name) + "/" + engine.name;
      benchmark::RegisterBenchmark(name.c_str(), [&engine, &pattern](benchmark::State& state) {
        RunOne(state, engine, pattern, text);
      })->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
