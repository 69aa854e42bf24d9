// The owning lists' storage: the same items as a plain vector through every
// kind of edit and read, a bounded number of moves per edit whatever the
// size, and the room given back when a list is cut down.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "TestSupport.h"
#include "platform/EditPlaces.h"
#include "platform/runtime/RankedVector.h"

namespace sk {
namespace {

using TItems = TRankedVector<std::unique_ptr<int>>;
constexpr size_t kLeaf = TItems::kLeaf;

void ExpectSame(const TItems& v, const std::vector<int>& model) {
  ASSERT_EQ(v.size(), model.size());
  for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(*v[i], model[i]) << "at " << i;
}

// Reads every item at scattered places, as a search or a sort does; enough
// of them make the list take its direct index, which the edits after must
// drop.
void ReadScattered(const TItems& v, const std::vector<int>& model, std::mt19937& rng) {
  for (size_t k = 0; k < 2 * model.size() + 2 * kLeaf; ++k) {
    const size_t i = rng() % model.size();
    ASSERT_EQ(*v[i], model[i]) << "at " << i;
  }
}

// Rounds of edits at one kind of place, each followed by scattered reads and
// exchanges, on lists that grow past many leaves and shrink back to nothing:
// the items stay those of a plain vector, and an edit moves at most about a
// leaf's worth of items however long the list (not sqrt(n) or n).
TEST(RankedVector, EditsMatchAPlainVectorAndMoveAboutALeaf) {
  for (TEditPlace where : {front, middle, random, back}) {
    for (size_t n : {100u, 3000u, 40000u}) {
      SCOPED_TRACE(testing::Message() << "where " << where << " n " << n);
      std::mt19937 rng(static_cast<unsigned>(n) * 4 + where);
      auto place = [&](size_t size) { return EditIndex(where, size, rng); };
      TItems v;
      std::vector<int> model;
      int next = 0;
      size_t edits = 0;
      for (int round = 0; round < 4; ++round) {
        for (size_t k = 0; k < n / 4; ++k, ++edits) {
          const size_t at = place(v.size());
          v.insert(at, std::make_unique<int>(next));
          model.insert(model.begin() + static_cast<ptrdiff_t>(at), next++);
        }
        ReadScattered(v, model, rng);
        for (int s = 0; s < 50; ++s) {
          const size_t a = rng() % model.size(), b = rng() % model.size();
          std::swap(v[a], v[b]);
          std::swap(model[a], model[b]);
        }
        ExpectSame(v, model);
      }
      EXPECT_LE(v.MovedItems(), edits * (kLeaf + 8));
      // Then down to a tenth, with the reads between the deletes.
      while (model.size() > n / 10) {
        const size_t at = std::min(place(model.size() - 1), model.size() - 1);
        ASSERT_EQ(*v[at], model[at]);
        v.erase(at);
        model.erase(model.begin() + static_cast<ptrdiff_t>(at));
        ++edits;
        if (model.size() % 997 == 0) ReadScattered(v, model, rng);
      }
      ExpectSame(v, model);
      EXPECT_LE(v.MovedItems(), edits * (kLeaf + 8));
      // A list cut down keeps few leaves: no two neighbours hold half a
      // leaf between them.
      EXPECT_LE(v.LeafCount(), 2 * model.size() / (kLeaf / 4) + 2);
      while (!model.empty()) {
        v.erase(0);
        model.erase(model.begin());
      }
      EXPECT_TRUE(v.empty());
      EXPECT_EQ(v.LeafCount(), 0u);
    }
  }
}

// A list read at scattered places and then cut down to a hundredth holds
// about what a plain vector of the items it keeps holds: the leaves emptied
// are joined and given back, and so is the index its reads built.
TEST(RankedVector, ACutDownListHoldsAboutWhatItKeeps) {
  std::mt19937 rng(7);
  const size_t before = AllocatedBytes();
  size_t held = 0;
  {
    TItems v;
    std::vector<int> model;
    for (int i = 0; i < 200000; ++i) {
      v.push_back(std::make_unique<int>(i));
      model.push_back(i);
    }
    ReadScattered(v, model, rng);
    while (model.size() > 2000) {
      const size_t at = rng() % model.size();
      v.erase(at);
      model.erase(model.begin() + static_cast<ptrdiff_t>(at));
      if (model.size() % 50000 == 0) ReadScattered(v, model, rng);
    }
    ExpectSame(v, model);
    model.shrink_to_fit();
    held = AllocatedBytes() - before - model.capacity() * sizeof(int);
  }
  const size_t beforeVector = AllocatedBytes();
  std::vector<std::unique_ptr<int>> plain;
  for (int i = 0; i < 2000; ++i) plain.push_back(std::make_unique<int>(i));
  const size_t vectorHeld = AllocatedBytes() - beforeVector;
  EXPECT_LE(held, vectorHeld + (size_t{64} << 10)) << "a vector of the same items holds " << vectorHeld;
}

// The iterator forms: insert and erase at an iterator, a range erase (the
// packing of freed slots) and the standard algorithms over the items.
TEST(RankedVector, IteratorEditsAndRangeErase) {
  TItems v;
  std::vector<int> model;
  for (int i = 0; i < 2000; ++i) {
    v.push_back(i % 3 == 0 ? nullptr : std::make_unique<int>(i));
    model.push_back(i);
  }
  const auto kept = std::remove_if(v.begin(), v.end(), [](const std::unique_ptr<int>& p) { return p == nullptr; });
  v.erase(kept, v.end());
  std::erase_if(model, [](int i) { return i % 3 == 0; });
  ExpectSame(v, model);
  v.insert(v.begin() + 5, std::make_unique<int>(-1));
  model.insert(model.begin() + 5, -1);
  v.erase(v.begin() + 700);
  model.erase(model.begin() + 700);
  ExpectSame(v, model);
  EXPECT_EQ(std::count_if(v.begin(), v.end(), [](const std::unique_ptr<int>& p) { return *p < 0; }), 1);
  v.pop_back();
  model.pop_back();
  EXPECT_EQ(*v.back(), model.back());
  TItems moved(std::move(v));
  ExpectSame(moved, model);
  EXPECT_TRUE(v.empty());
}

}  // namespace
}  // namespace sk
