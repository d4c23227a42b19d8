/*
 * qm_regex_bench: counts every match of each pattern of patterns.tsv over two texts - package
 * changelogs and C/C++ headers, both made at build time - with this engine and with each peer
 * engine found at configure time, and reports bytes per second. Only the search is timed;
 * each pattern is compiled once before the timing loop. Benchmarks are named
 * "PATTERN@TEXT/ENGINE". QM_BENCH_CHANGELOGS and QM_BENCH_HEADERS in the environment point
 * at other texts.
 */
#include "engines.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const char* path) {
  std::fprintf(stderr, "qm_regex_bench: cannot read %s %s\n", what, path);
  std::exit(1);
}

std::string ReadText(const char* variable, const char* fallback) {
  const char* env = std::getenv(variable);
  const char* path = env != nullptr ? env : fallback;
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("the text", path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of patterns.tsv that are not comments: name, flags, pattern.
std::vector<bench::BenchPattern> ReadPatterns() {
  std::ifstream in(QM_BENCH_PATTERNS);
  if (!in) Fail("the patterns", QM_BENCH_PATTERNS);
  std::vector<bench::BenchPattern> patterns;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = line.find('\t', tab1 + 1);
    const std::string flags = line.substr(tab1 + 1, tab2 - tab1 - 1);
    patterns.push_back({line.substr(0, tab1), line.substr(tab2 + 1), flags.find('i') != std::string::npos,
                        flags.find('m') != std::string::npos});
  }
  return patterns;
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
  static const std::vector<bench::BenchPattern> patterns = ReadPatterns();
  static const std::pair<const char*, std::string> texts[] = {
      {"changelogs", ReadText("QM_BENCH_CHANGELOGS", QM_BENCH_CHANGELOGS)},
      {"headers", ReadText("QM_BENCH_HEADERS", QM_BENCH_HEADERS)},
  };
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

  for (const auto& [textName, text] : texts) {
    for (const bench::BenchPattern& pattern : patterns) {
      for (const bench::EngineEntry& engine : engines) {
        std::string name = pattern.name + "@" + textName + "/" + engine.name;
        benchmark::RegisterBenchmark(name.c_str(), [&engine, &pattern, &text = text](benchmark::State& state) {
          RunOne(state, engine, pattern, text);
        })->Unit(benchmark::kMillisecond);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
