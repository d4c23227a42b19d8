// Parameter files byte for byte: the layout written with the defaults, and what a damaged file
// (wrong count, wrong kind, wrong length, cut short, lengths past its end) loads.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Scratch.h"
#include "fakes/ScriptedDesktop.h"
#include "settings/ConfigPage.h"

namespace {

// A record of a fixed value of 4 bytes with no name.
Bytes FixedRecord(std::uint32_t value) {
  Bytes b = {0};
  Put(b, U32(4));
  Put(b, U32(value));
  Put(b, U32(0));
  return b;
}

Bytes StringRecord(const std::string& text) {
  Bytes b = {1};
  Put(b, U32(static_cast<std::uint32_t>(text.size())));
  Put(b, text);
  Put(b, U32(0));
  return b;
}

Bytes ConfigBlock(std::uint32_t buffer, std::uint32_t overlap, const std::string& temp, const std::string& arch) {
  Bytes b = U32(4);
  Put(b, FixedRecord(buffer));
  Put(b, FixedRecord(overlap));
  Put(b, StringRecord(temp));
  Put(b, StringRecord(arch));
  return b;
}

// Reads `bytes` into the sheet's page through ReadPageParams; its result.
bool LoadPage(CMainConfigSheet& sheet, const Bytes& bytes, const ScratchDir& dir) {
  WriteBytes(dir / "p.par", bytes);
  int fd = open((dir / "p.par").c_str(), O_RDONLY);
  bool result = ReadPageParams(sheet.page.registry, fd);
  close(fd);
  return result;
}

void ExpectValues(const CMainConfigPage1& page, std::uint32_t buffer, std::uint32_t overlap,
                  const char* temp, const char* arch) {
  EXPECT_EQ(page.bufferSize, buffer);
  EXPECT_EQ(page.overlap, overlap);
  EXPECT_EQ(page.tempDir.View(), temp);
  EXPECT_EQ(page.archiveDir.View(), arch);
}

// A second page with one fixed value, to see where the next page starts reading.
class OneValuePage : public PersistentPage {
 public:
  OneValuePage() { RegisterVar(registry, PersistentVar::kFixed, &value, sizeof value, ""); }
  VarRegistry& Registry() override { return registry; }
  std::uint32_t value = 7;  // the one registered value
  VarRegistry registry;     // holds `value`
};

class ParamFile : public ::testing::Test {
 protected:
  void SetUp() override {
    sheet.page.tempDir = "/opt/qm/qmend_temp";
    sheet.page.archiveDir = "/opt/qm/qmend_arch";
  }
  ScratchDir dir;          // where the files go
  CMainConfigSheet sheet;  // the configuration sheet under test
};

}  // namespace

TEST_F(ParamFile, DefaultsAreWrittenInTheExactLayoutAndReadBack) {
  ASSERT_TRUE(SaveParamsTo(sheet, dir / "d.par"));
  Bytes expected = {4, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0};
  Put(expected, StringRecord("/opt/qm/qmend_temp"));
  Put(expected, StringRecord("/opt/qm/qmend_arch"));
  EXPECT_EQ(ReadBytes(dir / "d.par"), expected);

  CMainConfigSheet other;
  other.page.bufferSize = other.page.overlap = 1;
  ScriptedDesktop desktop;
  ASSERT_TRUE(LoadParamsFrom(other, desktop, dir / "d.par"));
  ExpectValues(other.page, 65536, 512, "/opt/qm/qmend_temp", "/opt/qm/qmend_arch");
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ParamFile, EmptyStringsAndRegisteringTwice) {
  sheet.page.tempDir = "";
  RegisterVar(sheet.page.registry, PersistentVar::kFixed, &sheet.page.bufferSize, 4, "again");
  EXPECT_EQ(sheet.page.registry.vars.count, 4);
  ASSERT_TRUE(SaveParamsTo(sheet, dir / "e.par"));
  Bytes expected = ConfigBlock(65536, 512, "", "/opt/qm/qmend_arch");
  EXPECT_EQ(ReadBytes(dir / "e.par"), expected);
  sheet.page.tempDir = "x";
  EXPECT_TRUE(LoadPage(sheet, expected, dir));
  EXPECT_EQ(sheet.page.tempDir.View(), "");
  EXPECT_FALSE(sheet.page.tempDir.IsNone());
}

TEST_F(ParamFile, WrongCountLoadsNothingAndTheNextPageReadsOn) {
  Bytes three = U32(3);
  Put(three, FixedRecord(4096));
  EXPECT_FALSE(LoadPage(sheet, three, dir));
  ExpectValues(sheet.page, 65536, 512, "/opt/qm/qmend_temp", "/opt/qm/qmend_arch");

  // The first page's count is wrong: the second page takes its count from the next 4 bytes.
  OneValuePage second;
  sheet.pages.push_back(&second);
  Bytes bytes = U32(9);
  Put(bytes, U32(1));
  Put(bytes, FixedRecord(77));
  WriteBytes(dir / "two.par", bytes);
  int fd = open((dir / "two.par").c_str(), O_RDONLY);
  EXPECT_TRUE(ReadParams(sheet, fd));
  close(fd);
  EXPECT_EQ(second.value, 77u);
  EXPECT_EQ(sheet.page.bufferSize, 65536u);
}

TEST_F(ParamFile, WrongKindOrLengthLeavesTheValueAndReadingGoesOnAfterTheLength) {
  Bytes bytes = U32(4);
  Put(bytes, Bytes{1, 0, 0, 0, 0});  // a string's kind where the buffer size is: refused
  Put(bytes, Bytes{0, 2, 0, 0, 0});  // a fixed value of 2 bytes for the overlap: refused
  Put(bytes, StringRecord("/t"));    // so the next record read is the temp dir's
  Put(bytes, StringRecord("/a"));
  EXPECT_TRUE(LoadPage(sheet, bytes, dir));
  ExpectValues(sheet.page, 65536, 512, "/t", "/a");
  EXPECT_EQ(sheet.page.registry.vars.head->element.kind, PersistentVar::kFixed);
}

TEST_F(ParamFile, FileCutShortEmptiesStringsAndKeepsNumbers) {
  Bytes bytes = U32(4);
  Put(bytes, FixedRecord(4096));
  Put(bytes, Bytes{0, 4, 0, 0, 0, 0x10});  // the overlap's value cut after one byte
  EXPECT_TRUE(LoadPage(sheet, bytes, dir));
  ExpectValues(sheet.page, 4096, 512, "", "");

  Bytes nameless = U32(4);
  Put(nameless, FixedRecord(2048));
  EXPECT_TRUE(LoadPage(sheet, nameless, dir));
  ExpectValues(sheet.page, 2048, 512, "", "");
}

TEST_F(ParamFile, LengthsPastTheEndTakeWhatIsLeft) {
  Bytes bytes = U32(4);
  Put(bytes, FixedRecord(4096));
  Put(bytes, FixedRecord(256));
  Put(bytes, Bytes{1});
  Put(bytes, U32(0xFFFFFFF0u));  // far more than the file holds
  Put(bytes, std::string("/rest\0of", 8));
  EXPECT_TRUE(LoadPage(sheet, bytes, dir));
  ExpectValues(sheet.page, 4096, 256, "/rest", "");

  // A name length past the end is bounded the same way.
  PersistentVar& first = sheet.page.registry.vars.head->element;
  Bytes named = U32(4);
  Put(named, Bytes{0});
  Put(named, U32(4));
  Put(named, U32(1000));
  Put(named, U32(0x7FFFFFFF));
  Put(named, std::string("nm"));
  EXPECT_TRUE(LoadPage(sheet, named, dir));
  EXPECT_EQ(sheet.page.bufferSize, 1000u);
  EXPECT_EQ(first.name.View(), "nm");
}

TEST_F(ParamFile, ReadsFromAPipeToo) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  Bytes bytes = U32(4);
  Put(bytes, FixedRecord(8192));
  Put(bytes, FixedRecord(100));
  Put(bytes, Bytes{1});
  Put(bytes, U32(0xFFFFFFF0u));
  Put(bytes, std::string("/piped"));
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fds[1]);
  EXPECT_TRUE(ReadPageParams(sheet.page.registry, fds[0]));
  close(fds[0]);
  ExpectValues(sheet.page, 8192, 100, "/piped", "");
  EXPECT_FALSE(ReadPageParams(sheet.page.registry, -1));
}

TEST_F(ParamFile, SavingOverALongerFileKeepsItsTailAndLoadsTheNewValues) {
  Bytes old = ConfigBlock(1, 2, std::string(100, 'x'), std::string(100, 'y'));
  WriteBytes(dir / "long.par", old);
  sheet.page.bufferSize = 9999;
  ASSERT_TRUE(SaveParamsTo(sheet, dir / "long.par"));
  Bytes now = ReadBytes(dir / "long.par");
  Bytes written = ConfigBlock(9999, 512, "/opt/qm/qmend_temp", "/opt/qm/qmend_arch");
  ASSERT_EQ(now.size(), old.size());
  EXPECT_TRUE(std::equal(written.begin(), written.end(), now.begin()));
  EXPECT_TRUE(std::equal(now.begin() + written.size(), now.end(), old.begin() + written.size()));

  CMainConfigSheet other;
  ScriptedDesktop desktop;
  ASSERT_TRUE(LoadParamsFrom(other, desktop, dir / "long.par"));
  ExpectValues(other.page, 9999, 512, "/opt/qm/qmend_temp", "/opt/qm/qmend_arch");
  EXPECT_FALSE(LoadParamsFrom(other, desktop, dir / "missing.par"));
  EXPECT_FALSE(SaveParamsTo(sheet, dir / "long.par/under-a-file.par"));
}

TEST_F(ParamFile, LoadedSizesOutsideTheRuleAreRefused) {
  ScriptedDesktop desktop;
  sheet.page.bufferSize = 4096;
  sheet.page.overlap = 100;
  for (auto [buffer, overlap] : {std::pair{1000u, 1000u}, {1000u, 0u}, {(1u << 30) + 1, 10u}}) {
    WriteBytes(dir / "bad.par", ConfigBlock(buffer, overlap, "/t", "/a"));
    ASSERT_TRUE(LoadParamsFrom(sheet, desktop, dir / "bad.par"));
    ExpectValues(sheet.page, 4096, 100, "/t", "/a");
  }
  ASSERT_EQ(desktop.messages.size(), 3u);
  EXPECT_EQ(desktop.messages[0].text,
            "The read buffer size 1000 and the overlap 1000 in \"" + (dir / "bad.par") +
                "\" are refused:\nBuffer size must be greater than overlap!\nThe values held before are kept.");
  EXPECT_NE(desktop.messages[1].text.find("Overlap must be greater than 0!"), std::string::npos);
  EXPECT_NE(desktop.messages[2].text.find("1 GiB"), std::string::npos);
  WriteBytes(dir / "max.par", ConfigBlock(1u << 30, 1, "/t", "/a"));
  ASSERT_TRUE(LoadParamsFrom(sheet, desktop, dir / "max.par"));
  EXPECT_EQ(sheet.page.bufferSize, 1u << 30);
}
