// Concordance jump targets: golden bytes, sorting on save, indexes outside the
// list, and corrupt streams.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "services/File_utils.h"

namespace sk {
namespace {

TEST(File_utils_jumplists, SavedSortedByBytePositionInEightByteRecords) {
  TConcordJumpFileAndByteList list;
  list.AddOne(TConcordJumpTo{2, 50});
  list.AddOne(TConcordJumpTo{7, 10});
  TMemoryStream s;
  ASSERT_TRUE(list.SaveToStream(&s));
  EXPECT_EQ(s.ToBytes(), B({2, 0, 0, 0, 7, 0, 0, 0, 10, 0, 0, 0, 2, 0, 0, 0, 50, 0, 0, 0}));
  s.SetPosition(0);
  TConcordJumpFileAndByteList back;
  back.AddOne(TConcordJumpTo{9, 9});  // reading appends
  ASSERT_TRUE(back.ReadFromStream(&s));
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.GetAJumpTo(1).byte_position, 10);
  EXPECT_EQ(back.GetAJumpTo(2).byte_position, 50);
  EXPECT_EQ(back.IndexOfFilenumber_1B(2), 2);
  EXPECT_EQ(back.IndexOfFilenumber_1B(3), -1);
  EXPECT_EQ(back.GetAFilenumber_1B(0), 9);
}

TEST(File_utils_jumplists, IndexesOutsideTheListGiveZeros) {
  TConcordJumpFileAndByteList list;
  list.AddOne(TConcordJumpTo{4, 40});
  for (Int32 i : {-1, 1, 1000}) {
    EXPECT_EQ(list.GetAFilenumber_1B(i), 0);
    EXPECT_EQ(list.GetAJumpTo(i).byte_position, 0);
  }
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GetAJumpTo(0).file_number_1B, 0);
}

TEST(File_utils_jumplists, CorruptStreamsFailWithoutHugeLists) {
  struct Case {
    TBytes bytes;
    bool ok;
    Int32 count;
  };
  const Case cases[] = {
      {B({}), false, 0},
      {B({1, 0}), false, 0},                                      // a short count
      {B({0xFF, 0xFF, 0xFF, 0xFF}), false, 0},                    // negative
      {B({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 2, 0, 0, 0}), false, 1},  // huge, one record there
      {B({2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0}), false, 1},     // the second record cut short
      {B({0, 0, 0, 0}), true, 0},
  };
  for (const Case& c : cases) {
    TBytesStream s(c.bytes);
    TConcordJumpFileAndByteList list;
    EXPECT_EQ(list.ReadFromStream(&s), c.ok);
    EXPECT_EQ(list.Count(), c.count);
  }
  TConcordJumpToHolder h(TConcordJumpTo{1, 2});
  TBytesStream shortStream(B({5, 0, 0}));
  EXPECT_FALSE(h.ReadFromStream(&shortStream));
  EXPECT_EQ(h.data.file_number_1B, 1);
  EXPECT_EQ(TConcordJumpToHolder::CreateBlank()->data.byte_position, 0);
}

}  // namespace
}  // namespace sk
