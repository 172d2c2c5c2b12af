// Where breaks go: the sorted list without duplicates of a pipe, and the ten slots of
// a fitting that keep their used values first and drop what does not fit.
#include "pipe/pipe_breaks.h"
#include "test_pipe_data_fixture.h"

namespace {

std::vector<double> sortedFrom(std::initializer_list<double> given) {
  PlumbArray<double> list;
  for (double d : given) insertSortedBreak(list, d);
  return asVector(list);
}

std::vector<double> slotsFrom(const std::vector<double>& given) {
  double slots[kFittingBreakSlots] = {};
  for (double d : given) insertSlotBreak(slots, d);
  return std::vector<double>(slots, slots + kFittingBreakSlots);
}

std::vector<double> padded(std::vector<double> used) {
  used.resize(kFittingBreakSlots, 0.0);
  return used;
}

TEST(PipeSortedBreaks, AreAscendingWithoutExactDuplicates) {
  EXPECT_EQ(sortedFrom({5.0, 2.0, 5.0, 9.0}), (std::vector<double>{2.0, 5.0, 9.0}));
  EXPECT_EQ(sortedFrom({3.0, -1.0, 3.5, 0.0, -1.0}), (std::vector<double>{-1.0, 0.0, 3.0, 3.5}));
  // Equality is exact: a value a hair apart is a break of its own.
  EXPECT_EQ(sortedFrom({1.0, 1.0 + 1e-12}).size(), 2u);
}

TEST(PipeSlotBreaks, TwelveAscendingKeepTheFirstTen) {
  std::vector<double> given;
  for (int i = 1; i <= 12; ++i) given.push_back(i);
  EXPECT_EQ(slotsFrom(given), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(PipeSlotBreaks, TwelveDescendingKeepTheTenSmallest) {
  std::vector<double> given;
  for (int i = 12; i >= 1; --i) given.push_back(i);
  EXPECT_EQ(slotsFrom(given), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(PipeSlotBreaks, EqualValuesSitSideBySideAndASmallerOnePushesTheLargestOut) {
  EXPECT_EQ(slotsFrom({4.0, 2.0, 4.0}), padded({2.0, 4.0, 4.0}));
  EXPECT_EQ(slotsFrom({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 15}),
            (std::vector<double>{10, 15, 20, 30, 40, 50, 60, 70, 80, 90}));
}

// 0.0 marks an empty slot; stored in front of used ones it would hide them.
TEST(PipeSlotBreaks, ZeroTakesNoSlot) {
  EXPECT_EQ(slotsFrom({0.0}), padded({}));
  EXPECT_EQ(slotsFrom({2.0, 5.0, 0.0}), padded({2.0, 5.0}));
  EXPECT_EQ(slotsFrom({3.0, -1.5}), padded({-1.5, 3.0})) << "a negative distance is stored";
}

TEST(PipeSlotBreaks, ClearingEmptiesEverySlot) {
  double slots[kFittingBreakSlots] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  clearSlotBreaks(slots);
  EXPECT_EQ(std::vector<double>(slots, slots + kFittingBreakSlots), padded({}));
}

}  // namespace
