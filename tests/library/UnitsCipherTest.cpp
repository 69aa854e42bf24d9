// The cipher library's place in the unit table: start-up registers the six
// string formats and the AES cipher class, shut-down frees the registries.
#include <gtest/gtest.h>

#include <cstring>

#include "library/Units.h"
#include "zip/ZACipher.h"

namespace sk {
namespace {

int IndexOf(const char* name) {
  for (std::size_t i = 0; i < UnitTableCount(); ++i)
    if (std::strcmp(UnitTable()[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

TEST(UnitsCipherLibrary, AfterTheHashUnitsFormatsBeforeTheCipherClass) {
  const int messages = IndexOf("ZACryptConst");
  const int formats = IndexOf("ZACryptUtil");
  const int ciphers = IndexOf("ZACipher");
  ASSERT_GE(messages, 0);
  EXPECT_GT(messages, IndexOf("Global_vars"));
  EXPECT_GT(messages, IndexOf("ZAsha1"));
  EXPECT_LT(messages, formats);
  EXPECT_LT(formats, ciphers);
}

TEST(UnitsCipherLibrary, StartRegistersAndStopFrees) {
  Initialize();
  for (Int32 id : {fmtCOPY, fmtHEX, fmtHEXL, fmtMIME64, fmtUU, fmtXX}) EXPECT_NE(StringFormat(id), nullptr) << id;
  EXPECT_EQ(GetCipherClass(u"Rijndael"), &TCipher_Rijndael::ClassRef());
  EXPECT_EQ(CipherList()->Count(), 1);
  Finalize();
  EXPECT_EQ(StringFormat(fmtHEX), nullptr);
  EXPECT_EQ(GetCipherClass(u"Rijndael"), nullptr);
  // Asking after shut-down left an empty registry behind; a new start fills it.
  Initialize();
  EXPECT_EQ(CipherList()->Count(), 1);
  Finalize();
}

}  // namespace
}  // namespace sk
