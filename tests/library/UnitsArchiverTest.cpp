// The archiver's place in the unit table: after the directory manager and the
// hash and cipher units it uses; starting makes the engine's lock and
// stopping deletes it.
#include <gtest/gtest.h>

#include <cstring>

#include "library/Units.h"
#include "zip/ZAArchiver.h"

namespace sk {
namespace {

int IndexOf(const char* name) {
  for (std::size_t i = 0; i < UnitTableCount(); ++i)
    if (std::strcmp(UnitTable()[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

TEST(UnitsArchiver, AfterEveryUnitItUses) {
  const int transform = IndexOf("ZACryptoTransform");
  const int archiver = IndexOf("ZAArchiver");
  ASSERT_GE(transform, 0);
  ASSERT_GE(archiver, 0);
  for (const char* used : {"ZAsha1", "ZAhmac", "ZAPBKDF_2", "ZACipher"}) EXPECT_GT(transform, IndexOf(used)) << used;
  for (const char* used : {"ZACryptoTransform", "ZADirManager", "ZAExcept", "ZAConst", "ZAZLib"})
    EXPECT_GT(archiver, IndexOf(used)) << used;
}

TEST(UnitsArchiver, StartMakesTheLockAndStopDeletesIt) {
  Initialize();
  {
    TZipArchiver zip;
    zip.Lock();
    zip.Lock();
    zip.Unlock();
    zip.Unlock();
  }
  Finalize();
  TZipArchiver zip;
  EXPECT_THROW(zip.Lock(), Exception);
}

}  // namespace
}  // namespace sk
