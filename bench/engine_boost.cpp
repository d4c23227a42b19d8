/*
 * Boost.Regex with its Perl syntax as a peer, iterating matches over the bytes. Its Perl
 * syntax lets "^" and "$" match at every line and "." match a line feed unless told
 * otherwise; both are switched to Perl's own defaults, as the other engines have them.
 */
#include "engines.h"

#include <boost/regex.hpp>

namespace bench {
namespace {

class BoostMatcher : public Matcher {
 public:
  explicit BoostMatcher(boost::regex re) : re_(std::move(re)) {}

  long Count(std::string_view text) override {
    boost::cregex_iterator it(text.data(), text.data() + text.size(), re_, boost::match_not_dot_newline);
    long count = 0;
    for (; it != boost::cregex_iterator(); ++it) ++count;
    return count;
  }

 private:
  boost::regex re_;  // compiled pattern
};

std::unique_ptr<Matcher> CompileBoost(const BenchPattern& pattern) {
  boost::regex::flag_type flags = boost::regex::perl;
  if (pattern.ignoreCase) flags |= boost::regex::icase;
  if (!pattern.multiline) flags |= boost::regex::no_mod_m;
  try {
    return std::make_unique<BoostMatcher>(boost::regex(pattern.text, flags));
  } catch (const boost::regex_error&) {
    return nullptr;
  }
}

}  // namespace

void AddBoostEntries(std::vector<EngineEntry>& engines) {
  engines.push_back({"boost", CompileBoost});
}

}  // namespace bench
