// The two ways breaks are kept: an open sorted list without duplicates, and ten
// fixed slots per fitting with 0.0 for an empty one.
#include "pipe/pipe_breaks.h"

void insertSortedBreak(PlumbArray<double>& breaks, double d) {
  for (int i = 0; i < breaks.size(); ++i) {
    if (breaks[i] > d) {
      breaks.insertAt(i, d);
      return;
    }
    if (breaks[i] == d) return;
  }
  breaks.append(d);
}

void insertSlotBreak(double (&slots)[kFittingBreakSlots], double d) {
  // 0.0 is what an empty slot holds: stored, it would read as the end of the used
  // slots and hide the breaks behind it.
  if (d == 0.0) return;
  int i = 0;
  while (i < kFittingBreakSlots && !(slots[i] > d || slots[i] == 0.0)) ++i;
  if (i == kFittingBreakSlots) return;
  for (int j = kFittingBreakSlots - 1; j > i; --j) slots[j] = slots[j - 1];
  slots[i] = d;
}

void clearSlotBreaks(double (&slots)[kFittingBreakSlots]) {
  for (double& slot : slots) slot = 0.0;
}
