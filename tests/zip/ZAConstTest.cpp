// The engine's event texts, the CRC-32 table and the version text.
#include <gtest/gtest.h>

#include <set>

#include "platform/runtime/Format.h"
#include "zip/ZAConst.h"

namespace sk {
namespace {

TEST(ZAConst, EventTextsExactly) {
  struct Case {
    const TResStringRec* rec;
    const char16_t* text;
  };
  const Case cases[] = {
      {&_SConfirmOverwrite, u"Overwrite file \"%s\" with \"%s\""},
      {&_SPasswordTitle, u"Password for \"%s\""},
      {&_SPasswordPrompt, u"Enter password: "},
      {&_SOnRequestBlankDisk, u"Please insert a blank disk #%d"},
      {&_SOnRequestFirstDisk, u"Please insert the first disk"},
      {&_SOnRequestLastDisk, u"Please insert the last disk"},
      {&_SOnRequestMiddleDisk, u"Please insert disk #%d"},
      {&_SOnDiskFull, u"Disk is full. Required free space: %d bytes, but available only: %d bytes. Clean the "
                      u"disk or find another blank disk"},
      {&_SOnProcessFileFailure, u"%s. File processing error, possibly disk is full"},
      {&_SWrongDiskRequestLastDisk,
       u"File '%s' not found on inserted disk. Please insert last disk with required file"},
  };
  ASSERT_EQ(std::size(cases), static_cast<size_t>(ZAConst_EntryCount));
  std::set<Int32> ids;
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(LoadResString(cases[i].rec), cases[i].text);
    EXPECT_EQ(ZAConst_Entries[i], cases[i].rec);
    EXPECT_TRUE(ids.insert(cases[i].rec->Identifier).second);
  }
}

TEST(ZAConst, DiskFullTextTakesSixtyFourBitNumbers) {
  const Int64 required = 4928307200LL, available = 123;
  EXPECT_EQ(Format(LoadResString(&_SOnDiskFull), {required, available}),
            u"Disk is full. Required free space: 4928307200 bytes, but available only: 123 bytes. Clean the disk "
            u"or find another blank disk");
}

TEST(ZAConst, Crc32TableKnownValues) {
  EXPECT_EQ(CRC32_TABLE[0], 0x00000000u);
  EXPECT_EQ(CRC32_TABLE[1], 0x77073096u);
  EXPECT_EQ(CRC32_TABLE[2], 0xEE0E612Cu);
  EXPECT_EQ(CRC32_TABLE[128], 0xEDB88320u);
  EXPECT_EQ(CRC32_TABLE[255], 0x2D02EF8Du);
}

TEST(ZAConst, VersionTextClearedWhenTheUnitStops) {
  ZAConst_initialization();
  internalCurrentVersionText = u"suite 8";
  ZAConst_initialization();  // a second start (a tool calling first) ...
  ZAConst_Finalization();    // ... and its stop leave the text
  EXPECT_EQ(internalCurrentVersionText, u"suite 8");
  ZAConst_Finalization();
  EXPECT_TRUE(internalCurrentVersionText.empty());
}

}  // namespace
}  // namespace sk
