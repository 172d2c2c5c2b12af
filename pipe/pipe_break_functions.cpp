// The LISP functions that store a pipe's breaks and the breaks of its elbows and arcs,
// and the ones that answer its fittings: the LISP program computes every position,
// the pipe keeps them.
#include "arx/aced_lisp.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "pipe/open_pipe.h"
#include "pipe/pipe_breaks.h"
#include "pipe/pipe_functions.h"

namespace {

int setPipeBreaksWorker() {
  ArgCursor args;
  OpenPipe pipe;
  int status = kWorkerDone;
  if (!openPipeFromArgs(args, pipe, AcDb::kForWrite, status)) return status;
  double width = 0.0;
  if (!argReal(args, width)) return kWorkerWrongType;
  pipe->setBreakWidth(width);
  status = readTaggedBreaks(args, pipe->aBreaks);
  if (status != kWorkerDone) return status;
  acedRetT();
  return kWorkerDone;
}

// Every fitting's slots are cleared, then each (TAG INDEX D1 ...) of the optional
// list adds its distances to the fitting at INDEX. Items between the sublists (their
// closing ends among them) are stepped over.
template <typename Fitting>
int setFittingBreaks(ArgCursor& args, PlumbArray<Fitting>& fittings) {
  for (Fitting& fitting : fittings) clearSlotBreaks(fitting.aBreaks);
  if (!argListBegin(args)) return kWorkerDone;
  while (!args.atEnd()) {
    if (!argListBegin(args)) {
      argSkip(args);
      continue;
    }
    std::wstring tag;
    int index = 0;
    if (!argString(args, tag) || !argInt(args, index)) return kWorkerWrongType;
    // An index outside the list raises the list's invalid-argument exception, which
    // the frame reports; breaks stored before it stay.
    double (&slots)[kFittingBreakSlots] = fittings[index].aBreaks;
    double d = 0.0;
    while (argDistance(args, d)) insertSlotBreak(slots, d);
  }
  return kWorkerDone;
}

// The elbows' and the arcs' breaks are set alike; only the list differs.
template <typename Fitting>
int setFittingBreaksWorker(PlumbArray<Fitting> PlumbPipe::*fittings) {
  ArgCursor args;
  OpenPipe pipe;
  int status = kWorkerDone;
  if (!openPipeFromArgs(args, pipe, AcDb::kForWrite, status)) return status;
  status = setFittingBreaks(args, (*pipe).*fittings);
  if (status == kWorkerDone) acedRetT();
  return status;
}

int setElbowBreaksWorker() { return setFittingBreaksWorker(&PlumbPipe::aElbows); }
int setArcBreaksWorker() { return setFittingBreaksWorker(&PlumbPipe::aArcs); }

int elbowLengthWorker() {
  ArgCursor args;
  OpenPipe pipe;
  int status = kWorkerDone;
  if (!openPipeFromArgs(args, pipe, AcDb::kForRead, status)) return status;
  acedRetReal(pipe->elbowLength());
  return kWorkerDone;
}

// The elbows and the arcs are answered alike: one entry per fitting, numbered from 0,
// in a single list; only the fields of an entry differ.
template <typename Fitting, typename AddFields>
int fittingListWorker(PlumbArray<Fitting> PlumbPipe::*fittings, AddFields addFields) {
  ArgCursor args;
  OpenPipe pipe;
  int status = kWorkerDone;
  if (!openPipeFromArgs(args, pipe, AcDb::kForRead, status)) return status;
  const PlumbArray<Fitting>& list = (*pipe).*fittings;
  ResultList result;
  resultListBegin(result);
  for (int i = 0; i < list.size(); ++i) {
    resultAddStringLong(result, L"i", i);
    addFields(result, list[i]);
  }
  resultListReturn(result);
  return kWorkerDone;
}

int elbowListWorker() {
  return fittingListWorker(&PlumbPipe::aElbows, [](ResultList& result, const elbowInfo& elbow) {
    resultAddStringReal(result, L"dLength", elbow.dLength);
    resultAddStringReal(result, L"dAngle", elbow.dAngle);
  });
}

int arcListWorker() {
  return fittingListWorker(&PlumbPipe::aArcs, [](ResultList& result, const arcInfo& arc) {
    resultAddStringReal(result, L"dLength", arc.dLength);
    resultAddStringReal(result, L"dOffset", arc.dOffset);
    resultAddStringLong(result, L"iNormal", arc.iNormal);
  });
}

}  // namespace

bool argDistance(ArgCursor& args, double& value) {
  // argReal takes a DXF group code for its number without moving on; such an item
  // is no distance, and reading on from it would never end.
  const resbuf* before = args.cursor;
  return argReal(args, value) && args.cursor != before;
}

int readTaggedBreaks(ArgCursor& args, PlumbArray<double>& breaks) {
  breaks.removeAll();
  if (!argListBegin(args)) return kWorkerDone;
  std::wstring tag;
  if (!argString(args, tag)) return kWorkerWrongType;
  double d = 0.0;
  while (argDistance(args, d)) insertSortedBreak(breaks, d);
  return kWorkerDone;
}

int ovLispSetPipeBreaks() { return runInDocument(setPipeBreaksWorker); }
int ovLispPipeSetElbowBreaks() { return runInDocument(setElbowBreaksWorker); }
int ovLispPipeSetArcBreaks() { return runInDocument(setArcBreaksWorker); }
int ovLispGetPipeElbowLength() { return runInDocument(elbowLengthWorker); }
int ovLispPipeElbowList() { return runInDocument(elbowListWorker); }
int ovLispPipeArcList() { return runInDocument(arcListWorker); }
