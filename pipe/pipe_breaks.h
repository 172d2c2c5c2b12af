// Where the breaks of a pipe and of its fittings go: the sorted list of the pipe (and
// of its P-trap parts) and the ten fixed slots of an elbow or arc.
#pragma once

#include "pipe/PlumbPipe.h"

// Inserts d before the first greater distance; an exactly equal one already there
// keeps d out.
void insertSortedBreak(PlumbArray<double>& breaks, double d);
// Puts d into the first slot that is empty (0.0) or greater, moving the rest up one
// place; the last slot's value falls off. With no such slot, or for d = 0.0, d is dropped. Equal
// values sit side by side.
void insertSlotBreak(double (&slots)[kFittingBreakSlots], double d);
// Empties every slot.
void clearSlotBreaks(double (&slots)[kFittingBreakSlots]);
