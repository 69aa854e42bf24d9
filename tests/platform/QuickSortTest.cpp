#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "platform/runtime/QuickSort.h"

namespace sk {

namespace {

// Sorts v with cmp while checking that every index handed to the comparer or
// the exchange lies inside [lo, hi].
template <class Cmp>
bool SortCheckingBounds(std::vector<int>& v, Int32 lo, Int32 hi, Cmp cmp) {
  bool inBounds = true;
  auto check = [&](Int32 i) {
    if (i < lo || i > hi) inBounds = false;
  };
  QuickSortIndexes(
      lo, hi,
      [&](Int32 i, Int32 j) {
        check(i);
        check(j);
        return cmp(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
      },
      [&](Int32 i, Int32 j) {
        check(i);
        check(j);
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
      });
  return inBounds;
}

int Ascending(int a, int b) { return a < b ? -1 : a > b ? 1 : 0; }

std::vector<int> Sorted(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST(QuickSortOrder, SortsEveryPermutationOfSmallInputs) {
  for (int n = 0; n <= 7; ++n) {
    std::vector<int> base(static_cast<size_t>(n));
    std::iota(base.begin(), base.end(), 0);
    do {
      std::vector<int> v = base;
      if (n > 0) {
        ASSERT_TRUE(SortCheckingBounds(v, 0, n - 1, Ascending));
      }
      ASSERT_EQ(v, Sorted(base));
    } while (std::next_permutation(base.begin(), base.end()));
  }
}

TEST(QuickSortOrder, SortsLargeInputsOfEveryShape) {
  const int n = 100000;
  std::mt19937 rng(7);
  std::vector<std::vector<int>> inputs;
  std::vector<int> random(n), sorted(n), reversed(n), equal(n, 5), fewValues(n), organPipe(n);
  for (int i = 0; i < n; ++i) {
    random[static_cast<size_t>(i)] = static_cast<int>(rng() % 1000000);
    sorted[static_cast<size_t>(i)] = i;
    reversed[static_cast<size_t>(i)] = n - i;
    fewValues[static_cast<size_t>(i)] = static_cast<int>(rng() % 3);
    organPipe[static_cast<size_t>(i)] = i < n / 2 ? i : n - i;
  }
  for (auto* input : {&random, &sorted, &reversed, &equal, &fewValues, &organPipe}) {
    std::vector<int> v = *input;
    ASSERT_TRUE(SortCheckingBounds(v, 0, n - 1, Ascending));
    ASSERT_EQ(v, Sorted(*input));
  }
}

TEST(QuickSortOrder, NoInputTakesQuadraticComparisons) {
  // Inputs that defeat a fixed pivot rule: organ pipes, and a median-of-three killer built
  // by putting the largest items where the pivot candidates are.
  const int n = 100000;
  std::vector<int> organ(n), killer(n);
  for (int i = 0; i < n; ++i) organ[static_cast<size_t>(i)] = i < n / 2 ? i : n - i;
  for (int i = 0; i < n; ++i) killer[static_cast<size_t>(i)] = (i % 2 == 0) ? i : n + i;
  for (auto* input : {&organ, &killer}) {
    std::vector<int> v = *input;
    long long comparisons = 0;
    QuickSortIndexes(
        0, n - 1,
        [&](Int32 i, Int32 j) {
          ++comparisons;
          return Ascending(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
        },
        [&](Int32 i, Int32 j) { std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]); });
    EXPECT_EQ(v, Sorted(*input));
    EXPECT_LT(comparisons, 20LL * n * 17);  // a few times n log n, far below n^2
  }
}

TEST(QuickSortOrder, TouchesOnlyTheGivenRange) {
  std::vector<int> v = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  ASSERT_TRUE(SortCheckingBounds(v, 3, 6, Ascending));
  EXPECT_EQ(v, (std::vector<int>{9, 8, 7, 3, 4, 5, 6, 2, 1, 0}));
}

TEST(QuickSortOrder, EmptyAndSingleRangesDoNothing) {
  int calls = 0;
  QuickSortIndexes(
      5, 5, [&](Int32, Int32) { ++calls; return 0; }, [&](Int32, Int32) { ++calls; });
  QuickSortIndexes(
      5, 2, [&](Int32, Int32) { ++calls; return 0; }, [&](Int32, Int32) { ++calls; });
  EXPECT_EQ(calls, 0);
}

TEST(QuickSortOrder, VectorHelperSortsWithThreeWayComparer) {
  std::vector<std::string> v = {"pear", "apple", "fig", "apple", "kiwi"};
  QuickSortVector(v, [](const std::string& a, const std::string& b) { return a.compare(b); });
  EXPECT_EQ(v, (std::vector<std::string>{"apple", "apple", "fig", "kiwi", "pear"}));
  std::vector<int> empty;
  QuickSortVector(empty, Ascending);
  EXPECT_TRUE(empty.empty());
}

TEST(QuickSortOrder, CallsOnPassDuringTheSort) {
  std::vector<int> v(1000);
  std::iota(v.rbegin(), v.rend(), 0);
  int passes = 0;
  QuickSortIndexes(
      0, 999, [&](Int32 i, Int32 j) { return Ascending(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]); },
      [&](Int32 i, Int32 j) { std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]); }, [&] { ++passes; });
  EXPECT_GT(passes, 0);
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
}

TEST(QuickSortOrder, CheckedSortAsksItsCheckPointAndMayEndEarly) {
  std::mt19937 rng(9);
  std::vector<int> input(5000);
  for (int& x : input) x = static_cast<int>(rng() % 100000);
  auto sortWith = [&](std::vector<int>& v, const TSortCheckPoint& checkPoint) {
    return QuickSortIndexesChecked(
        0, static_cast<Int32>(v.size()) - 1,
        [&](Int32 i, Int32 j) { return Ascending(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]); },
        [&](Int32 i, Int32 j) { std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]); }, checkPoint);
  };
  struct Case {
    int stopAt;  // 0: never
    bool whole;
  };
  for (const Case c : {Case{0, true}, Case{1, false}, Case{7, false}}) {
    SCOPED_TRACE(c.stopAt);
    std::vector<int> v = input;
    int calls = 0;
    const bool whole = sortWith(v, [&] { return ++calls == c.stopAt; });
    EXPECT_EQ(whole, c.whole);
    // Every pass and every few hundred comparisons; never after it said stop.
    if (c.whole) {
      EXPECT_GT(calls, 5000 * 12 / kComparisonsPerCheck);
      EXPECT_EQ(v, Sorted(input));
    } else {
      EXPECT_EQ(calls, c.stopAt);
    }
    EXPECT_EQ(Sorted(v), Sorted(input));
  }
  // No check point: the plain sort.
  std::vector<int> v = input;
  EXPECT_TRUE(sortWith(v, TSortCheckPoint()));
  EXPECT_EQ(v, Sorted(input));
}

// Comparers that are not orders at all: the sort must stay in bounds, stop,
// and keep every item exactly once.
TEST(QuickSortInconsistent, StaysInBoundsAndKeepsItemsWhateverTheComparerSays) {
  std::mt19937 rng(11);
  struct Case {
    const char* name;
    std::function<int(int, int)> cmp;
  };
  std::vector<Case> cases = {
      {"always -1", [](int, int) { return -1; }},
      {"always +1", [](int, int) { return 1; }},
      {"always 0 (cancelled)", [](int, int) { return 0; }},
      {"random", [&](int, int) { return static_cast<int>(rng() % 3) - 1; }},
      {"huge magnitudes", [](int a, int b) { return a < b ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max(); }},
  };
  for (const Case& c : cases) {
    for (int n : {2, 3, 17, 1000, 20000}) {
      std::vector<int> v(static_cast<size_t>(n));
      std::iota(v.begin(), v.end(), 0);
      std::shuffle(v.begin(), v.end(), rng);
      const std::vector<int> before = Sorted(v);
      ASSERT_TRUE(SortCheckingBounds(v, 0, n - 1, c.cmp)) << c.name << " n=" << n;
      ASSERT_EQ(Sorted(v), before) << c.name << " n=" << n;
    }
  }
}

TEST(QuickSortInconsistent, NaNValuesKeepTheSortInBounds) {
  // A comparer that answers -1 for any comparison with a NaN, both ways round.
  std::vector<double> v;
  std::mt19937 rng(3);
  for (int i = 0; i < 5000; ++i)
    v.push_back(i % 7 == 0 ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(rng() % 100));
  const size_t nans = static_cast<size_t>(std::count_if(v.begin(), v.end(), [](double d) { return std::isnan(d); }));
  bool inBounds = true;
  const Int32 hi = static_cast<Int32>(v.size()) - 1;
  QuickSortIndexes(
      0, hi,
      [&](Int32 i, Int32 j) {
        if (i < 0 || j < 0 || i > hi || j > hi) inBounds = false;
        double a = v[static_cast<size_t>(i)], b = v[static_cast<size_t>(j)];
        if (std::isnan(a) || std::isnan(b)) return -1;
        return a < b ? -1 : a > b ? 1 : 0;
      },
      [&](Int32 i, Int32 j) {
        if (i < 0 || j < 0 || i > hi || j > hi) inBounds = false;
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
      });
  EXPECT_TRUE(inBounds);
  EXPECT_EQ(static_cast<size_t>(std::count_if(v.begin(), v.end(), [](double d) { return std::isnan(d); })), nans);
  EXPECT_EQ(v.size(), 5000u);
}

}  // namespace sk
