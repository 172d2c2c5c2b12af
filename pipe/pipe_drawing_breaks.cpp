// The gaps a pipe's breaks leave in what it draws, and the stretches drawn between
// them.
#include "pipe/pipe_drawing.h"

std::vector<breakInfo> mergeBreaks(const std::vector<double>& distances, double width) {
  std::vector<breakInfo> breaks;
  mergeBreaksInto(distances.begin(), distances.end(), width, breaks);
  return breaks;
}

void spansBetweenBreaksInto(const std::vector<breakInfo>& breaks, double start, double end, bool withLast,
                            std::vector<DrawnSpan>& out) {
  out.clear();
  if (breaks.empty()) {
    out.push_back({start, end});
    return;
  }
  if (breaks.front().lower() > start) out.push_back({start, breaks.front().lower()});
  for (size_t i = 0; i + 1 < breaks.size(); ++i) out.push_back({breaks[i].upper(), breaks[i + 1].lower()});
  if (withLast && breaks.back().upper() < end) out.push_back({breaks.back().upper(), end});
}

std::vector<DrawnSpan> spansBetweenBreaks(const std::vector<breakInfo>& breaks, double start, double end,
                                          bool withLast) {
  std::vector<DrawnSpan> spans;
  spansBetweenBreaksInto(breaks, start, end, withLast, spans);
  return spans;
}

int usedSlotCount(const double (&slots)[kFittingBreakSlots]) {
  int used = 0;
  while (used < kFittingBreakSlots && slots[used] != 0.0) ++used;
  return used;
}
