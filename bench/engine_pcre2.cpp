/*
 * PCRE2 (8-bit, no UTF mode, so it works on bytes like our engine) as a peer, once with its
 * interpreter and once with its JIT compiler, matched through the JIT fast path.
 */
#include "engines.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace bench {
namespace {

class Pcre2Matcher : public Matcher {
 public:
  Pcre2Matcher(pcre2_code* code, bool jit)
      : code_(code), data_(pcre2_match_data_create_from_pattern(code, nullptr)), jit_(jit) {}
  ~Pcre2Matcher() override {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }

  long Count(std::string_view text) override {
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    PCRE2_SIZE offset = 0;
    long count = 0;
    while (offset <= text.size()) {
      int rc = jit_ ? pcre2_jit_match(code_, subject, text.size(), offset, 0, data_, nullptr)
                    : pcre2_match(code_, subject, text.size(), offset, 0, data_, nullptr);
      if (rc < 0) break;
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data_);
      ++count;
      offset = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
    return count;
  }

 private:
  pcre2_code* code_;          // compiled pattern, owned
  pcre2_match_data* data_;    // match data sized for the pattern, owned
  bool jit_;                  // match with the JIT-compiled code
};

pcre2_code* CompilePcre2(const BenchPattern& pattern) {
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  uint32_t options = (pattern.ignoreCase ? PCRE2_CASELESS : 0) | (pattern.multiline ? PCRE2_MULTILINE : 0);
  return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.text.c_str()), PCRE2_ZERO_TERMINATED, options,
                       &error, &errorOffset, nullptr);
}

std::unique_ptr<Matcher> CompileInterpreter(const BenchPattern& pattern) {
  pcre2_code* code = CompilePcre2(pattern);
  if (code == nullptr) return nullptr;
  return std::make_unique<Pcre2Matcher>(code, false);
}

std::unique_ptr<Matcher> CompileJit(const BenchPattern& pattern) {
  pcre2_code* code = CompilePcre2(pattern);
  if (code == nullptr) return nullptr;
  if (pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) {
    pcre2_code_free(code);
    return nullptr;
  }
  return std::make_unique<Pcre2Matcher>(code, true);
}

}  // namespace

void AddPcre2Entries(std::vector<EngineEntry>& engines) {
  engines.push_back({"pcre2", CompileInterpreter});
  engines.push_back({"pcre2_jit", CompileJit});
}

}  // namespace bench
