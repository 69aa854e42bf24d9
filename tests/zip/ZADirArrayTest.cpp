// The entry table: hashing, growth, the name index kept to positions, lookups
// without regard to case, and copies that own their extra blocks.
#include <gtest/gtest.h>

#include "zip/ZADirArray.h"
#include "zip/ZAExcept.h"

namespace sk {
namespace {

TDirItem Named(const String& name) {
  TDirItem item;
  item.Name = name;
  return item;
}

void Fill(TZADirArray& table, std::initializer_list<const char16_t*> names) {
  const Int32 start = table.Count();
  table.SetCount(start + static_cast<Int32>(names.size()));
  Int32 i = start;
  for (const char16_t* n : names) table.SetItem(i++, Named(n));
}

int NativeErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EZAException& e) {
    return e.NativeError;
  }
  return -1;
}

TEST(ZADirArrayHash, HashOf) {
  TZAStringHash h(7);
  EXPECT_EQ(h.HashOf(u""), 0u);
  EXPECT_EQ(h.HashOf(u"A"), 65u);
  EXPECT_EQ(h.HashOf(u"AB"), 326u);
  // Rotation, not a shift: the top bits come round.
  EXPECT_EQ(h.HashOf(String(17, u'\xFFFF')) != 0, true);
}

TEST(ZADirArrayHash, DuplicatesNewestFirstAndRemove) {
  TZAStringHash h(3);
  h.Add(u"k", 1);
  h.Add(u"k", 2);
  h.Add(u"other", 3);
  EXPECT_EQ(h.ValueOf(u"k"), 2);
  EXPECT_EQ(h.ValuesOf(u"k"), (std::vector<Int32>{2, 1}));
  EXPECT_TRUE(h.Modify(u"k", 5));
  EXPECT_EQ(h.ValueOf(u"k"), 5);
  EXPECT_FALSE(h.Modify(u"K", 1));  // keys compare exactly
  h.Remove(u"k", 1);                // the item with that value, not the newest
  EXPECT_EQ(h.ValuesOf(u"k"), (std::vector<Int32>{5}));
  h.Remove(u"k");
  EXPECT_EQ(h.ValueOf(u"k"), -1);
  EXPECT_EQ(*h.Find(u"k"), nullptr);
  EXPECT_EQ(h.ValueOf(u"other"), 3);
  h.Clear();
  EXPECT_EQ(h.ValueOf(u"other"), -1);
}

TEST(ZADirArrayHashedList, IndexFollowsAddsUpdatesAndDeletes) {
  TZAHashedStringList list;
  list.Add(u"Alpha");
  list.Add(u"beta");
  EXPECT_EQ(list.IndexOf(u"ALPHA"), 0);  // not case-sensitive by default
  list.Add(u"gamma");                     // the index is valid: kept current
  EXPECT_EQ(list.IndexOf(u"Gamma"), 2);
  list.Update(1, u"delta");
  EXPECT_EQ(list.IndexOf(u"beta"), -1);
  EXPECT_EQ(list.IndexOf(u"delta"), 1);
  list.Delete(0);
  EXPECT_EQ(list.IndexOf(u"delta"), 0);
  EXPECT_EQ(list.IndexOf(u"gamma"), 1);
  list.Clear();
  EXPECT_EQ(list.IndexOf(u"gamma"), -1);

  list.Add(u"name=value");
  list.Add(u"=empty");
  list.Add(u"plain");
  EXPECT_EQ(list.IndexOfName(u"NAME"), 0);
  EXPECT_EQ(list.IndexOfName(u""), 1);
  EXPECT_EQ(list.IndexOfName(u"plain"), -1);
}

TEST(ZADirArrayHashedList, OutgrownIndexIsRebuiltLarger) {
  TZAHashedStringList list;
  list.Add(u"first");
  EXPECT_EQ(list.IndexOf(u"first"), 0);
  ASSERT_TRUE(list.FValueHash);
  EXPECT_EQ(list.FValueHash->Size, 1000u);
  for (int i = 1; i <= 5000; ++i) list.Add(u"n" + String(1, Char(u'a' + i % 26)) + String(i % 7, u'x') + Char(i));
  EXPECT_FALSE(list.FValueHash);  // more than five strings per bucket: dropped
  EXPECT_EQ(list.IndexOf(u"FIRST"), 0);
  EXPECT_EQ(list.FValueHash->Size, 5001u);
}

TEST(ZADirArray, GrowthSteps) {
  TZADirArray t;
  t.SetCount(1001);
  EXPECT_EQ(t.AllocItemCount, 1001);
  t.SetCount(1002);
  EXPECT_EQ(t.AllocItemCount, 3001);
  t.SetCount(3002);
  EXPECT_EQ(t.AllocItemCount, 7001);
  t.SetCount(7002);
  EXPECT_EQ(t.AllocItemCount, 15001);
  t.SetCount(15002);
  EXPECT_EQ(t.AllocItemCount, 25001);  // the step stops at 10,000
  t.SetCount(10);
  EXPECT_EQ(t.AllocItemCount, 25001);  // shrinking keeps the storage
  EXPECT_EQ(t.Count(), 10);
  t.SetCount(0);
  EXPECT_EQ(t.AllocItemCount, 0);
  TZADirArray small;
  small.SetCount(1);
  EXPECT_EQ(small.AllocItemCount, 1000);
}

TEST(ZADirArray, LookupsIgnoreCaseAndPreferTheExactName) {
  TZADirArray t;
  Fill(t, {u"Dir/File.TXT", u"other.txt"});
  Int32 index = -1;
  EXPECT_TRUE(t.FileExists(u"dir/file.txt", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(t.FileExists(u"dir/file", index));
  EXPECT_EQ(index, -1);

  // Names that differ only in case: the exact one wins, else the newest.
  Fill(t, {u"dir/file.txt"});
  EXPECT_TRUE(t.FileExists(u"Dir/File.TXT", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(t.FileExists(u"dir/file.txt", index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(t.FileExists(u"DIR/FILE.TXT", index));
  EXPECT_EQ(index, 2);

  EXPECT_TRUE(t.FileExists(u"ÜBER.txt", index) == false);
  Fill(t, {u"über.txt"});
  EXPECT_TRUE(t.FileExists(u"ÜBER.TXT", index));
  EXPECT_EQ(index, 3);
}

TEST(ZADirArray, EmptyNamesKeepTheirPositions) {
  TZADirArray t;
  t.SetCount(3);
  t.SetItemName(0, u"");
  t.SetItemName(1, u"");
  t.SetItemName(2, u"b");
  Int32 index = -1;
  EXPECT_TRUE(t.FileExists(u"b", index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(t.FileExists(u"", index));
  // Renaming keeps each entry at its place.
  t.SetItemName(0, u"a");
  EXPECT_TRUE(t.FileExists(u"a", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(t.FileExists(u"", index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(t.FItems[1].Name, u"");
  // An entry beyond the names given so far cannot be named.
  TZADirArray u;
  u.SetCount(3);
  EXPECT_EQ(NativeErrorOf([&] { u.SetItemName(1, u"x"); }), 59);
  EXPECT_EQ(NativeErrorOf([&] { u.SetItem(2, Named(u"x")); }), 58);
}

TEST(ZADirArray, DuplicateKeysSurviveRenames) {
  TZADirArray t;
  Fill(t, {u"a", u"A"});
  t.SetItemName(0, u"b");  // must take out position 0's key, not position 1's
  Int32 index = -1;
  EXPECT_TRUE(t.FileExists(u"a", index));
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(t.FileExists(u"b", index));
  EXPECT_EQ(index, 0);
}

TEST(ZADirArray, DeleteMovesLaterEntries) {
  TZADirArray t;
  Fill(t, {u"a", u"b", u"c", u"d"});
  t.DeleteItem(1);
  ASSERT_EQ(t.Count(), 3);
  Int32 index = -1;
  EXPECT_FALSE(t.FileExists(u"b", index));
  for (auto [name, pos] : {std::pair{u"a", 0}, {u"c", 1}, {u"d", 2}}) {
    EXPECT_TRUE(t.FileExists(name, index));
    EXPECT_EQ(index, pos);
    EXPECT_EQ(t.GetItem(pos).Name, name);
  }
  // With names equal but for case, the deleted entry's own place goes.
  TZADirArray u;
  Fill(u, {u"x", u"X", u"y"});
  u.DeleteItem(0);
  EXPECT_TRUE(u.FileExists(u"X", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(u.FileExists(u"y", index));
  EXPECT_EQ(index, 1);
}

TEST(ZADirArray, IndexErrors) {
  TZADirArray t;
  Fill(t, {u"a"});
  EXPECT_EQ(NativeErrorOf([&] { t.GetItem(1); }), 2);
  EXPECT_EQ(NativeErrorOf([&] { t.GetItem(-1); }), 2);
  EXPECT_EQ(NativeErrorOf([&] { t.GetItemPtr(1); }), 3);
  EXPECT_EQ(NativeErrorOf([&] { t.SetItem(1, Named(u"b")); }), 1);
  EXPECT_EQ(NativeErrorOf([&] { t.DeleteItem(1); }), 4);
  EXPECT_NO_THROW(t.GetItemPtr(0)->Tagged = true);
  EXPECT_TRUE(t.GetItem(0).Tagged);
}

TEST(ZADirArray, CopiesOwnTheirExtraBlocks) {
  TZADirArray a;
  TDirItem item = Named(u"x");
  item.ExtraFields.push_back({0x1234, 3, {1, 2, 3}});
  item.Tagged = true;
  a.SetCount(1);
  a.SetItem(0, item);
  item.ExtraFields[0].pData[0] = 9;  // the table holds its own copy
  EXPECT_EQ(a.GetItem(0).ExtraFields[0].pData[0], 1);

  TZADirArray b;
  b.Assign(a);
  a.GetItemPtr(0)->ExtraFields[0].pData[1] = 7;
  EXPECT_EQ(b.GetItem(0).ExtraFields[0].pData[1], 2);
  Int32 index = -1;
  EXPECT_TRUE(b.FileExists(u"X", index));

  Fill(b, {u"y"});
  TZADirArray c;
  Fill(c, {u"first"});
  c.Append(b);
  ASSERT_EQ(c.Count(), 3);
  EXPECT_TRUE(c.GetItem(1).Tagged);  // flags come along
  EXPECT_TRUE(c.FileExists(u"y", index));
  EXPECT_EQ(index, 2);
  c.Append(c);
  EXPECT_EQ(c.Count(), 6);
  EXPECT_TRUE(c.FileExists(u"first", index));
  c.ClearTags();
  for (Int32 i = 0; i < c.Count(); ++i) EXPECT_FALSE(c.GetItem(i).Tagged);
}

TEST(ZADirArray, StreamsFreedOnlyWhenTheTableOwnsThem) {
  TZADirArray t;
  Fill(t, {u"owned", u"kept"});
  auto owned = std::make_shared<TMemoryStream>();
  std::weak_ptr<TStream> watchOwned = owned;
  t.GetItemPtr(0)->Stream = std::move(owned);
  t.GetItemPtr(0)->bDestroyStream = true;
  TMemoryStream callers;
  t.GetItemPtr(1)->Stream = std::shared_ptr<TStream>(&callers, [](TStream*) {});
  t.DeleteItem(0);
  EXPECT_TRUE(watchOwned.expired());
  t.DeleteItem(0);
  callers.WriteValue<Int32>(1);  // still the caller's
  EXPECT_EQ(callers.Size(), 4);
}

TEST(ZADirArray, ClearKeepsStorageAndForgetsNames) {
  TZADirArray t;
  Fill(t, {u"a", u"b"});
  const Int32 alloc = t.AllocItemCount;
  t.Clear();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t.AllocItemCount, alloc);
  Int32 index = -1;
  EXPECT_FALSE(t.FileExists(u"a", index));
  Fill(t, {u"c"});
  EXPECT_TRUE(t.FileExists(u"c", index));
  EXPECT_EQ(index, 0);
}

}  // namespace
}  // namespace sk
