#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "module/value_sort.h"

namespace {

void expectSortedLike(std::vector<float> values, int32_t lo, int32_t hi) {
  std::vector<float> expected = values;
  std::sort(expected.begin() + lo, expected.begin() + hi + 1);
  fValueSort(values.data(), lo, hi);
  EXPECT_EQ(values, expected) << "lo " << lo << " hi " << hi;
}

}  // namespace

TEST(ValueSort, SortsRandomRangesAndLeavesTheRest) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> value(-100.0f, 100.0f);
  std::uniform_int_distribution<int> small(0, 5);
  for (int round = 0; round < 300; ++round) {
    const int32_t size = 1 + round % 60;
    std::vector<float> values(static_cast<size_t>(size));
    // Every third round draws from few values, to get many duplicates.
    for (float& v : values) v = round % 3 == 0 ? static_cast<float>(small(random)) : value(random);
    std::uniform_int_distribution<int32_t> index(0, size - 1);
    int32_t lo = index(random), hi = index(random);
    if (lo > hi) std::swap(lo, hi);
    expectSortedLike(values, lo, hi);
    expectSortedLike(values, 0, size - 1);
  }
}

TEST(ValueSort, OrderedReversedAndEqualInputs) {
  std::vector<float> ascending(5000), descending(5000), equal(5000, 1.5f);
  for (size_t n = 0; n < ascending.size(); ++n) {
    ascending[n] = static_cast<float>(n);
    descending[n] = static_cast<float>(ascending.size() - n);
  }
  // Organ pipe: small at both ends, large in the middle.
  std::vector<float> organ(5000);
  for (size_t n = 0; n < organ.size(); ++n) organ[n] = static_cast<float>(std::min(n, organ.size() - n));
  for (const auto& values : {ascending, descending, equal, organ}) {
    expectSortedLike(values, 0, static_cast<int32_t>(values.size()) - 1);
  }
}

TEST(ValueSort, EmptyAndSingleRangesDoNothing) {
  std::vector<float> values = {3, 2, 1};
  fValueSort(values.data(), 1, 1);
  fValueSort(values.data(), 2, 0);
  fValueSort(nullptr, 0, 5);
  EXPECT_EQ(values, (std::vector<float>{3, 2, 1}));
  fValueSort(values.data(), 0, 1);
  EXPECT_EQ(values, (std::vector<float>{2, 3, 1}));
}

TEST(ValueSort, NotANumberStaysInsideTheRange) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // Guards around the range must survive; the numbers keep their multiset.
  std::vector<float> values = {-7, nan, 5, 1, nan, 3, nan, 2, -7};
  fValueSort(values.data(), 1, 7);
  EXPECT_EQ(values.front(), -7);
  EXPECT_EQ(values.back(), -7);
  std::vector<float> numbers;
  int nans = 0;
  for (int n = 1; n <= 7; ++n) {
    if (std::isnan(values[static_cast<size_t>(n)])) ++nans;
    else numbers.push_back(values[static_cast<size_t>(n)]);
  }
  EXPECT_EQ(nans, 3);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, (std::vector<float>{1, 2, 3, 5}));
}
