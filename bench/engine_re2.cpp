/*
 * RE2 as a peer, in Latin-1 mode so that it works on bytes like our engine.
 */
#include "engines.h"

#include <re2/re2.h>

namespace bench {
namespace {

class Re2Matcher : public Matcher {
 public:
  explicit Re2Matcher(std::unique_ptr<RE2> re) : re_(std::move(re)) {}

  long Count(std::string_view text) override {
    re2::StringPiece subject(text.data(), text.size());
    re2::StringPiece match;
    size_t offset = 0;
    long count = 0;
    while (offset <= text.size() &&
           re_->Match(subject, offset, text.size(), RE2::UNANCHORED, &match, 1)) {
      ++count;
      size_t end = static_cast<size_t>(match.data() - text.data()) + match.size();
      offset = match.empty() ? end + 1 : end;
    }
    return count;
  }

 private:
  std::unique_ptr<RE2> re_;  // compiled pattern
};

std::unique_ptr<Matcher> CompileRe2(const BenchPattern& pattern) {
  RE2::Options options;
  options.set_encoding(RE2::Options::EncodingLatin1);
  options.set_case_sensitive(!pattern.ignoreCase);
  options.set_log_errors(false);
  auto re = std::make_unique<RE2>(pattern.multiline ? "(?m)" + pattern.text : pattern.text, options);
  if (!re->ok()) return nullptr;
  return std::make_unique<Re2Matcher>(std::move(re));
}

}  // namespace

void AddRe2Entries(std::vector<EngineEntry>& engines) {
  engines.push_back({"re2", CompileRe2});
}

}  // namespace bench
