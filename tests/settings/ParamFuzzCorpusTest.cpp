// The parameter file reader over a generated corpus: every cut of a valid file, every byte
// changed to a few telling values, and seeded random damage. No loaded text may be longer
// than its input; under the sanitizers a bad read or a huge allocation fails the run.
#include <gtest/gtest.h>

#include <random>

#include "Bytes.h"
#include "fuzz/ReadParamsTarget.h"

namespace {

::testing::AssertionResult Step(const std::string& bytes) {
  if (ReadParamsOnBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "a text longer than the " << bytes.size() << " input bytes";
}

}  // namespace

TEST(ParamFuzzCorpus, CutsChangedBytesAndRandomDamageReadSafely) {
  std::string valid = Block(4096, 64, "/tmp/qm_temp", "/tmp/qm_arch") + U32(2) + Text("abc") + Fixed(5) + "tail";
  for (size_t cut = 0; cut <= valid.size(); ++cut) ASSERT_TRUE(Step(valid.substr(0, cut)));
  for (size_t at = 0; at < valid.size(); ++at) {
    for (char value : {'\0', '\1', '\2', '\x7F', '\x80', '\xFF'}) {
      std::string changed = valid;
      changed[at] = value;
      ASSERT_TRUE(Step(changed));
    }
  }
  std::mt19937 random(20261206);
  for (int i = 0; i < 3000; ++i) {
    std::string bytes = valid;
    for (int e = 0; e <= static_cast<int>(random() % 4); ++e) bytes[random() % bytes.size()] = static_cast<char>(random());
    bytes.resize(random() % (bytes.size() + 8), '\xFF');
    ASSERT_TRUE(Step(bytes));
  }
}
