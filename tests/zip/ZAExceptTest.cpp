// Engine errors: the text of every native code, the component's name in
// front and the five-digit code behind.
#include <gtest/gtest.h>

#include "zip/ZAExcept.h"

namespace sk {
namespace {

// The message of each native code 0 to 67, as the engine's table gives it.
const char16_t* const kMessageOfCode[68] = {
    u"Unknown error",                                                      // 0
    u"Index out of bounds",                                                // 1
    u"Index out of bounds",                                                // 2
    u"Index out of bounds",                                                // 3
    u"Index out of bounds",                                                // 4
    u"Invalid compression mode. Mode must be in [0-9] range",              // 5
    u"Unexpected nil pointer",                                             // 6
    u"Index out of bounds",                                                // 7
    u"Invalid size or check sum of file or unsupported compression format",  // 8
    u"File name is blank. Specify appropriate file name",                  // 9
    u"File name is blank. Specify appropriate file name",                  // 10
    u"File \"%s\" not found",                                              // 11
    u"File \"%s\" not found",                                              // 12
    u"Archive is not open",                                                // 13
    u"Archive is not open",                                                // 14
    u"File \"%s\" not found",                                              // 15
    u"Index out of bounds",                                                // 16
    u"SFXStub property is not specified",                                  // 17
    u"File \"%s\" not found",                                              // 18
    u"Cannot create file \"%s\"",                                          // 19
    u"Cannot create directory \"%s\"",                                     // 20
    u"Index out of bounds",                                                // 21
    u"Internal error. Update is not started",                              // 22
    u"Cannot create file \"%s\"",                                          // 23
    u"Index out of bounds",                                                // 24
    u"Internal error. Update is not started",                              // 25
    u"Cannot proceed when update is not ended. Preceding EndUpdate call is required.",  // 26
    u"Cannot delete file \"%s\"",                                          // 27
    u"In-memory archive can be created only",                              // 28
    u"File name is blank. Specify appropriate file name",                  // 29
    u"File \"%s\" not found",                                              // 30
    u"File \"%s\" not found",                                              // 31
    u"File is open in read-only mode",                                     // 32
    u"Cannot open file \"%s\"",                                            // 33
    u"Invalid compressed size, rfs.size = %d, count = %d",                 // 34
    u"Invalid archive file.",                                              // 35
    u"Cannot create output file. Probably file is locked by another process. FileName = '%s'.",  // 36
    u"Archive is open. You should close it beore performing this operation.",  // 37
    u"File \"%s\" not found",                                              // 38
    u"Unable to create directory",                                         // 39
    u"Cannot find 64-bit directory end record",                            // 40
    u"Cannot compress file '%s'. Zip64 mode is not enabled",               // 41
    u"File \"%s\" not found",                                              // 42
    u"Cannot compress file '%s'. Zip64 mode is not enabled",               // 43
    u"Cannot open archive file. Opening aborted or invalid file",          // 44
    u"Cannot open archive file. Opening aborted or invalid file",          // 45
    u"Write to stream error",                                              // 46
    u"Cannot place SFX stub on volume. Volume size limit is too small",    // 47
    u"Archive is damaged. Open failed",                                    // 48
    u"MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
    u"MakeSFX",                                                            // 49
    u"Archive already has SFX stub",                                       // 50
    u"Multi-volume archive is not allowed for custom stream",              // 51
    u"Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
    u"several times",                                                      // 52
    u"File \"%s\" not found",                                              // 53
    u"File \"%s\" not found",                                              // 54
    u"Deflate64 compression method is not supported",                      // 55
    u"MakeSFX error",                                                      // 56
    u"Archive is damaged. Open failed",                                    // 57
    u"Hashed list of file names is invalid",                               // 58
    u"Hashed list of file names is invalid",                               // 59
    u"Cannot delete folder \"%s\"",                                        // 60
    u"File name is too long: \r\n\"%s\"",                                  // 61
    u"Multiple transactions are not supported for multi-volume archives",  // 62
    u"Invalid InitVector index = %d. Index should be >= 0 and < %d",       // 63
    u"Invalid InitVector index = %d. Index should be >= 0 and < %d",       // 64
    u"Disk is full. There is not enough free space on disk.",              // 65
    u"Disk is full. There is not enough free space on disk.",              // 66
    u"Invalid password. Cannot decompress encrypted file.",                // 67
};

String Digits5(int code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%05d", code);
  return S(buf);
}

TEST(ZAExcept, EveryNativeCodeWithoutComponent) {
  for (int code = 0; code < 68; ++code) {
    const EZAException e(code);
    EXPECT_EQ(e.NativeError, code);
    EXPECT_EQ(e.Message(), String(kMessageOfCode[code]) + u" - Native error: " + Digits5(code)) << code;
    EXPECT_EQ(ZAErrorMessages[static_cast<size_t>(e.ErrorCode)], String(kMessageOfCode[code])) << code;
  }
}

TEST(ZAExcept, EveryNativeCodeWithNamedComponent) {
  TZAComponent zip1;
  zip1.Name = u"Zip1";
  for (int code = 0; code < 68; ++code) {
    const EZAException e(code, &zip1);
    EXPECT_EQ(e.Message(), u"Zip1: " + String(kMessageOfCode[code]) + u" - Native error: " + Digits5(code));
  }
}

TEST(ZAExcept, TableHoldsEachCodeOnceInOrder) {
  for (int i = 0; i < ZANativeErrorCount; ++i) {
    // Ascending; codes 0 to 72 have no gap.
    if (i <= 72) {
      EXPECT_EQ(ZANativeToErrorCode[static_cast<size_t>(i)].NativeCode, i);
    }
    if (i > 0) {
      EXPECT_LT(ZANativeToErrorCode[static_cast<size_t>(i - 1)].NativeCode,
                ZANativeToErrorCode[static_cast<size_t>(i)].NativeCode);
    }
    EXPECT_GE(ZANativeToErrorCode[static_cast<size_t>(i)].ErrorCode, 0);
    EXPECT_LT(ZANativeToErrorCode[static_cast<size_t>(i)].ErrorCode, ZAErrorMessageCount);
  }
  // Every one of the 41 messages is reached by some code.
  std::vector<bool> used(ZAErrorMessageCount, false);
  for (const auto& pair : ZANativeToErrorCode) used[static_cast<size_t>(pair.ErrorCode)] = true;
  for (int m = 0; m < ZAErrorMessageCount; ++m) EXPECT_TRUE(used[static_cast<size_t>(m)]) << m;
}

TEST(ZAExcept, Code7ReadsIndexOutOfBounds) {
  TZAComponent zip1;
  zip1.Name = u"Zip1";
  EXPECT_EQ(EZAException(7, &zip1).Message(), u"Zip1: Index out of bounds - Native error: 00007");
}

TEST(ZAExcept, EmptyComponentNameLeavesNoColon) {
  TZAComponent unnamed;
  EXPECT_EQ(EZAException(13, &unnamed).Message(), u"Archive is not open - Native error: 00013");
  EXPECT_EQ(EZAException(13).Message(), u"Archive is not open - Native error: 00013");
}

TEST(ZAExcept, UnknownCodes) {
  struct Case {
    int code;
    const char16_t* text;
  };
  const Case cases[] = {
      {73, u"Unknown error - Native error: 00073"},
      {12345, u"Unknown error - Native error: 12345"},
      {123456, u"Unknown error - Native error: 123456"},
      {-5, u"Unknown error - Native error: 000-5"},  // the blanks of "%5d" become zeros
  };
  for (const Case& c : cases) {
    const EZAException e(c.code);
    EXPECT_EQ(e.Message(), c.text) << c.code;
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_EQ(e.NativeError, c.code);
  }
}

TEST(ZAExcept, FormattedMessages) {
  TZAComponent arc;
  arc.Name = u"Arc";
  EXPECT_EQ(EZAException(12, {String(u"a.zip")}).Message(), u"File \"a.zip\" not found - Native error: 00012");
  EXPECT_EQ(EZAException(34, {7, 9}, &arc).Message(),
            u"Arc: Invalid compressed size, rfs.size = 7, count = 9 - Native error: 00034");
  EXPECT_EQ(EZAException(61, {String(u"x")}).Message(), u"File name is too long: \r\n\"x\" - Native error: 00061");
  // An unknown code with arguments: the text has no placeholder to fill.
  EXPECT_EQ(EZAException(99, {1}).Message(), u"Unknown error - Native error: 00099");
}

TEST(ZAExcept, CaughtAsTheRuntimeException) {
  try {
    throw EZAException(35);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid archive file. - Native error: 00035");
  }
}

}  // namespace
}  // namespace sk
