// Archive names: which file names count as zip files and numbered parts.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

TEST(Zip_utilsIsAZipFile, ZipExtensionInAnyCase) {
  EXPECT_TRUE(IsAZipFile(u"results.zip"));
  EXPECT_TRUE(IsAZipFile(u"/data/RESULTS.ZIP"));
  EXPECT_TRUE(IsAZipFile(u"x.Zip"));
}

TEST(Zip_utilsIsAZipFile, NumberedParts) {
  EXPECT_TRUE(IsAZipFile(u"results.ZIP3"));
  EXPECT_TRUE(IsAZipFile(u"results.zip0"));
  EXPECT_TRUE(IsAZipFile(u"results.zip12"));
  EXPECT_FALSE(IsAZipFile(u"results.zip-1"));
}

TEST(Zip_utilsIsAZipFile, OtherNames) {
  EXPECT_FALSE(IsAZipFile(u"results.zipper"));
  EXPECT_FALSE(IsAZipFile(u"results"));
  EXPECT_FALSE(IsAZipFile(u""));
  EXPECT_FALSE(IsAZipFile(u"results.zi"));
  EXPECT_FALSE(IsAZipFile(u"results.zip.txt"));
  EXPECT_FALSE(IsAZipFile(u"archive.zip/member.txt"));
  EXPECT_FALSE(IsAZipFile(u"archive.zip\\member"));
  EXPECT_FALSE(IsAZipFile(u"folder.zip/readme"));  // the dot belongs to a folder
  EXPECT_TRUE(IsAZipFile(u".zip"));
}

TEST(Zip_utilsZipFilePlusNumber, NumberAfterTheExtension) {
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip3"), 3);
  EXPECT_EQ(ZipFilePlusNumber(u"a.ZIP0"), 0);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zipx"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip99999999999"), -1);  // too large for an integer
  // Only the length of the zip extension is used, not its letters.
  EXPECT_EQ(ZipFilePlusNumber(u"a.txt12"), 12);
}

}  // namespace
}  // namespace sk
