// The parameter file reader over a generated corpus: every cut of a valid file, every single
// byte changed to a few telling values, and seeded random files and lengths. No loaded text
// may be longer than its input; under the sanitizers any bad read or huge allocation fails.
#include <gtest/gtest.h>

#include <random>

#include "Scratch.h"
#include "fuzz/ReadParamsTarget.h"

namespace {

Bytes ValidFile() {
  Bytes b = U32(4);
  for (std::uint32_t v : {4096u, 64u}) {
    Put(b, Bytes{0, 4, 0, 0, 0});
    Put(b, U32(v));
    Put(b, U32(0));
  }
  for (const char* s : {"/tmp/qm_temp", "/tmp/qm_arch"}) {
    Put(b, Bytes{1});
    Put(b, U32(12));
    Put(b, std::string(s));
    Put(b, U32(3));
    Put(b, std::string("nam"));
  }
  Put(b, U32(2));
  Put(b, Bytes{1});
  Put(b, U32(3));
  Put(b, std::string("abc"));
  Put(b, U32(0));
  return b;
}

// Runs one input; false (with the input's size) when a text outgrew it.
::testing::AssertionResult Step(const Bytes& bytes) {
  if (ReadParamsOnBytes(bytes.data(), bytes.size())) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "a text longer than the " << bytes.size() << " input bytes";
}

}  // namespace

TEST(ParamFuzzCorpus, CutsChangedBytesAndRandomFilesReadSafely) {
  Bytes valid = ValidFile();
  for (size_t cut = 0; cut <= valid.size(); ++cut) ASSERT_TRUE(Step(Bytes(valid.begin(), valid.begin() + cut)));
  for (size_t at = 0; at < valid.size(); ++at) {
    for (unsigned char value : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFF}) {
      Bytes changed = valid;
      changed[at] = value;
      ASSERT_TRUE(Step(changed));
    }
  }
  std::mt19937 random(20261206);
  for (int i = 0; i < 3000; ++i) {
    Bytes bytes = valid;
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
    bytes.resize(random() % (bytes.size() + 8), 0xFF);
    ASSERT_TRUE(Step(bytes));
  }
}
