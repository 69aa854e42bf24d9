// Options, spanning options and volume numbers.
#include <gtest/gtest.h>

#include "zip/ZATypes.h"

namespace sk {
namespace {

TEST(ZATypesOptions, DefaultsAndAssign) {
  TZAOptions a;
  EXPECT_EQ(a.FStorePath, spRelativePath);
  EXPECT_TRUE(a.FRecurse);
  EXPECT_EQ(a.FShareMode, smShareDenyNone);
  EXPECT_EQ(a.FOverwriteMode, omAlways);
  EXPECT_TRUE(a.FCreateDirs && a.FReplaceReadOnly && a.FSetAttributes && a.FFlushBuffers && a.FOEMFileNames);
  EXPECT_EQ(a.FSearchAttr, 0x28BF);

  TZAOptions b;
  b.FStorePath = spNoPath;
  b.FRecurse = false;
  b.FShareMode = smShareExclusive;
  b.FOverwriteMode = omIfNewer;
  b.FCreateDirs = b.FReplaceReadOnly = b.FSetAttributes = b.FFlushBuffers = b.FOEMFileNames = false;
  b.FSearchAttr = 7;
  a.Assign(&b);
  EXPECT_EQ(a.FStorePath, spNoPath);
  EXPECT_FALSE(a.FRecurse || a.FCreateDirs || a.FReplaceReadOnly || a.FSetAttributes || a.FFlushBuffers ||
               a.FOEMFileNames);
  EXPECT_EQ(a.FShareMode, smShareExclusive);
  EXPECT_EQ(a.FOverwriteMode, omIfNewer);
  EXPECT_EQ(a.FSearchAttr, 7);

  TZASpanningOptions other;
  EXPECT_THROW(a.Assign(&other), EConvertError);
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(ZATypesSpanningOptions, VolumeSizes) {
  TZASpanningOptions o;
  TZAVolumeNumberInfo first, second;
  first.SetFirstVolume(true);
  second.SetVolumeNumber(1);
  EXPECT_EQ(o.GetVolumeSize(first), -1);  // vsAutoDetect
  struct Case {
    TZAVolumeSize size;
    Int64 bytes;
  };
  const Case cases[] = {{vs1_44MB, 1457664},     {vs100MB, 104857600},  {vs200MB, 209715200},
                        {vs250MB, 262144000},    {vs600MB, 629145600},  {vs650MB, 681574400},
                        {vs700MB, 734003200},    {vs4700MB, 4928307200LL}};
  for (const Case& c : cases) {
    o.FVolumeSize = c.size;
    EXPECT_EQ(o.GetVolumeSize(second), c.bytes);
  }
  o.FVolumeSize = vs100MB;
  o.FFirstVolumeSize = 1000000;
  EXPECT_EQ(o.GetVolumeSize(first), 1000000);
  EXPECT_EQ(o.GetVolumeSize(second), 104857600);

  o.FVolumeSize = vsCustom;
  o.SetCustomVolumeSize(1000);
  EXPECT_EQ(o.FCustomVolumeSize, 65536);
  EXPECT_EQ(o.GetVolumeSize(second), 65536);
  o.SetCustomVolumeSize(70000);
  EXPECT_EQ(o.FCustomVolumeSize, 70000);

  TZASpanningOptions copy;
  o.FAdvancedNaming = o.FSaveDirToFirstVolume = true;
  copy.Assign(&o);
  EXPECT_TRUE(copy.FAdvancedNaming && copy.FSaveDirToFirstVolume);
  EXPECT_EQ(copy.FFirstVolumeSize, 1000000);
  EXPECT_EQ(copy.FVolumeSize, vsCustom);
  EXPECT_EQ(copy.FCustomVolumeSize, 70000);
}

TEST(ZATypesVolumeNumberInfo, FirstLastAndCustom) {
  TZAVolumeNumberInfo v;
  EXPECT_EQ(v.FVolumeKind, vnkUnknown);
  EXPECT_EQ(v.FVolumeNumber, -1);
  EXPECT_EQ(v.FLastVolumeNumber, -1);
  EXPECT_FALSE(v.GetFirstVolume());
  EXPECT_FALSE(v.GetLastVolume());

  v.SetFirstVolume(false);
  EXPECT_FALSE(v.GetFirstVolume());
  v.SetFirstVolume(true);
  EXPECT_TRUE(v.GetFirstVolume());
  EXPECT_EQ(v.FVolumeKind, vnkFirst);

  v.FLastVolumeNumber = 3;
  v.SetVolumeNumber(3);
  EXPECT_TRUE(v.GetLastVolume());
  EXPECT_EQ(v.FVolumeKind, vnkCustom);
  v.SetVolumeNumber(2);
  EXPECT_FALSE(v.GetLastVolume());

  // The last volume while its number is unknown: by kind.
  TZAVolumeNumberInfo w;
  w.SetLastVolume(true);
  EXPECT_EQ(w.FVolumeKind, vnkLast);
  EXPECT_EQ(w.FVolumeNumber, -1);
  EXPECT_TRUE(w.GetLastVolume());

  v.Init();
  EXPECT_EQ(v.FVolumeKind, vnkUnknown);
  EXPECT_EQ(v.FVolumeNumber, -1);
  EXPECT_EQ(v.FLastVolumeNumber, -1);
}

TEST(ZATypesVolumeNumberInfo, IsEqualTo) {
  TZAVolumeNumberInfo last, lastToo, first, firstToo, unknown, unknownToo, five, fiveToo, six;
  last.SetLastVolume(true);
  lastToo.SetLastVolume(true);
  first.SetFirstVolume(true);
  firstToo.SetVolumeNumber(0);
  five.SetVolumeNumber(5);
  fiveToo.SetVolumeNumber(5);
  six.SetVolumeNumber(6);
  EXPECT_TRUE(last.IsEqualTo(lastToo));
  EXPECT_FALSE(last.IsEqualTo(first));
  EXPECT_TRUE(first.IsEqualTo(firstToo));
  EXPECT_FALSE(first.IsEqualTo(five));
  EXPECT_TRUE(unknown.IsEqualTo(unknownToo));
  EXPECT_FALSE(unknown.IsEqualTo(five));
  EXPECT_TRUE(five.IsEqualTo(fiveToo));
  EXPECT_FALSE(five.IsEqualTo(six));
}

}  // namespace
}  // namespace sk
