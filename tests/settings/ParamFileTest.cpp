// Parameter files byte for byte: the layout written with the defaults, and what a damaged file
// (wrong count, kind or length, cut short, lengths past its end) loads.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Bytes.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "settings/ConfigPage.h"

namespace {

class ParamFile : public ::testing::Test {
 protected:
  void SetUp() override { page.tempDir = "/q/temp", page.archiveDir = "/q/arch"; }
  // ReadPageParams (or ReadParams over the whole sheet) over the bytes; its result.
  bool Load(const std::string& bytes, bool wholeSheet = false) {
    WriteFile(dir / "p.par", bytes);
    int fd = open((dir / "p.par").c_str(), O_RDONLY);
    bool result = wholeSheet ? ReadParams(sheet, fd) : ReadPageParams(page.registry, fd);
    close(fd);
    return result;
  }
  void Expect(std::uint32_t buffer, std::uint32_t overlap, const char* temp, const char* arch) {
    EXPECT_EQ(page.bufferSize, buffer);
    EXPECT_EQ(page.overlap, overlap);
    EXPECT_EQ(page.tempDir.View(), temp);
    EXPECT_EQ(page.archiveDir.View(), arch);
  }
  TempDir dir;                          // the files
  CMainConfigSheet sheet;               // the sheet under test
  CMainConfigPage1& page = sheet.page;  // its page
  ScriptedDesktop desktop;              // receives refusals
};

// A second page with one value, to see where the next page starts reading.
struct OneValuePage : PersistentPage {
  OneValuePage() { RegisterVar(registry, PersistentVar::kFixed, &value, 4, ""); }
  VarRegistry& Registry() override { return registry; }
  std::uint32_t value = 7;  // the registered value
  VarRegistry registry;     // holds it
};

}  // namespace

TEST_F(ParamFile, DefaultsAreWrittenInTheExactLayoutAndReadBack) {
  RegisterVar(page.registry, PersistentVar::kFixed, &page.bufferSize, 4, "twice");
  ASSERT_TRUE(SaveParamsTo(sheet, dir / "d.par"));
  std::string head("\4\0\0\0" "\0\4\0\0\0\0\0\1\0\0\0\0\0" "\0\4\0\0\0\0\2\0\0\0\0\0\0", 30);
  EXPECT_EQ(ReadFile(dir / "d.par"), head + Text("/q/temp") + Text("/q/arch"));
  CMainConfigSheet other;
  other.page.bufferSize = 1;
  ASSERT_TRUE(LoadParamsFrom(other, desktop, dir / "d.par"));
  EXPECT_EQ(other.page.bufferSize, 65536u);
  EXPECT_EQ(other.page.archiveDir.View(), "/q/arch");
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ParamFile, DamagedFilesLoadOnlyWhatTheyHold) {
  EXPECT_FALSE(Load(U32(3) + Fixed(4096) + Fixed(8) + Text("/t")));
  Expect(65536, 512, "/q/temp", "/q/arch");
  // A wrong kind and a wrong length refuse their entry; reading goes on after the length.
  EXPECT_TRUE(Load(U32(4) + std::string("\1\0\0\0\0" "\0\2\0\0\0", 10) + Text("/t") + Text("")));
  Expect(65536, 512, "/t", "");
  EXPECT_EQ(page.registry.vars.head->element.kind, PersistentVar::kFixed);
  // Cut inside the overlap's value: it keeps its value, the strings become empty.
  EXPECT_TRUE(Load(U32(4) + Fixed(4096) + std::string("\0\4\0\0\0\x10", 6)));
  Expect(4096, 512, "", "");
  // Lengths past the end take what is left, up to a NUL.
  EXPECT_TRUE(Load(U32(4) + Fixed(2048) + Fixed(64) + "\1" + U32(0xFFFFFFF0u) + std::string("/rest\0x", 7)));
  Expect(2048, 64, "/rest", "");
  EXPECT_TRUE(Load(U32(4) + std::string(1, 0) + U32(4) + U32(1000) + U32(0x7FFFFFFF) + "nm"));
  EXPECT_EQ(page.registry.vars.head->element.name.View(), "nm");

  // A page whose count is wrong: the next page reads its count from the very next bytes.
  OneValuePage second;
  sheet.pages.push_back(&second);
  EXPECT_TRUE(Load(U32(9) + U32(1) + Fixed(77), true));
  EXPECT_EQ(second.value, 77u);
  EXPECT_EQ(page.bufferSize, 1000u);
}

TEST_F(ParamFile, ReadsFromAPipeWithTheSameBounds) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string bytes = U32(4) + Fixed(8192) + Fixed(100) + "\1" + U32(0xFFFFFFF0u) + "/piped";
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fds[1]);
  EXPECT_TRUE(ReadPageParams(page.registry, fds[0]));
  close(fds[0]);
  Expect(8192, 100, "/piped", "");
  EXPECT_FALSE(ReadPageParams(page.registry, -1));
}

TEST_F(ParamFile, SavingOverALongerFileKeepsItsTailAndLoadingGivesTheNewValues) {
  std::string old = Block(1, 2, std::string(100, 'x'), "y");
  WriteFile(dir / "long.par", old);
  page.bufferSize = 9999;
  ASSERT_TRUE(SaveParamsTo(sheet, dir / "long.par"));
  std::string written = Block(9999, 512, "/q/temp", "/q/arch");
  EXPECT_EQ(ReadFile(dir / "long.par"), written + old.substr(written.size()));
  page.bufferSize = 1;
  ASSERT_TRUE(LoadParamsFrom(sheet, desktop, dir / "long.par"));
  EXPECT_EQ(page.bufferSize, 9999u);
  EXPECT_FALSE(LoadParamsFrom(sheet, desktop, dir / "missing.par"));
  EXPECT_FALSE(SaveParamsTo(sheet, dir / "long.par/below-a-file.par"));
}

TEST_F(ParamFile, LoadedSizesOutsideTheRuleAreRefused) {
  page.bufferSize = 4096, page.overlap = 100;
  for (auto [buffer, overlap] : {std::pair{1000u, 1000u}, {1000u, 0u}, {(1u << 30) + 1, 10u}}) {
    WriteFile(dir / "bad.par", Block(buffer, overlap, "/t", "/a"));
    ASSERT_TRUE(LoadParamsFrom(sheet, desktop, dir / "bad.par"));
    Expect(4096, 100, "/t", "/a");
  }
  ASSERT_EQ(desktop.messages.size(), 3u);
  EXPECT_EQ(desktop.messages[0].text, "The read buffer size 1000 and the overlap 1000 in \"" + (dir / "bad.par") +
                                          "\" are refused:\nBuffer size must be greater than overlap!\n"
                                          "The values held before are kept.");
  EXPECT_NE(desktop.messages[1].text.find("Overlap must be greater than 0!"), std::string::npos);
  EXPECT_NE(desktop.messages[2].text.find("1 GiB"), std::string::npos);
  WriteFile(dir / "max.par", Block(1u << 30, 1, "/t", "/a"));
  ASSERT_TRUE(LoadParamsFrom(sheet, desktop, dir / "max.par"));
  EXPECT_EQ(page.bufferSize, 1u << 30);
}
