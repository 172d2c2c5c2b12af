// Creating a flow arrow from LISP and changing its settings by key.
#include "arrow/arrow_lisp.h"

#include <string>

#include "arrow/PlumbPipeArrow.h"
#include "arx/aced_lisp.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"

namespace {

int insertPipeArrowWorker() {
  ArgCursor args;
  AcGePoint3d start, end;
  double tailOffset = 0.0, headOffset = 0.0;
  bool reverse = false;
  if (!argPoint3d(args, start) || !argPoint3d(args, end) || !argReal(args, tailOffset) ||
      !argReal(args, headOffset) || !argBool(args, reverse))
    return kWorkerWrongType;

  auto* arrow = new PlumbPipeArrow();
  arrow->setStartPoint(start);
  arrow->setEndPoint(end);
  arrow->setTailOffset(tailOffset);
  arrow->setHeadOffset(headOffset);
  arrow->setReversed(reverse);
  // The append step has told the user what failed; the arrow never reached the drawing.
  if (ovAppendToModelSpace(arrow) != Acad::eOk) {
    delete arrow;
    acedRetNil();
    return kWorkerDone;
  }
  retObjectName(arrow);
  arrow->close();
  return kWorkerDone;
}

// "HANGERDIST": every number up to the end of its list replaces the hangers; anything
// else in between is passed over.
void readHangers(ArgCursor& args, PlumbPipeArrow* arrow) {
  AcGeDoubleArray distances;
  while (!args.atEnd() && !argListEnd(args)) {
    const resbuf* before = args.cursor;
    double value = 0.0;
    if (argReal(args, value)) distances.append(value);
    // A group code reads as a number without moving on; step over it all the same.
    if (args.cursor == before) argSkip(args);
  }
  arrow->setHangers(distances);
}

// One setting: the cursor stands after its opening RTLB. A value that cannot be read
// leaves the field as it was.
void applySetting(ArgCursor& args, PlumbPipeArrow* arrow) {
  std::wstring key;
  if (!argString(args, key)) return;
  AcGePoint3d point;
  double real = 0.0;
  int integer = 0;
  bool flag = false;
  if (key == L"P1") {
    if (argPoint3d(args, point)) arrow->setStartPoint(point);
  } else if (key == L"P2") {
    if (argPoint3d(args, point)) arrow->setEndPoint(point);
  } else if (key == L"ARROWLENGTH") {
    if (argReal(args, real)) arrow->setArrowLength(real);
  } else if (key == L"ixPipe") {
    if (argInt(args, integer)) arrow->setPipeId(integer);
  } else if (key == L"HANGERDIST") {
    readHangers(args, arrow);
  } else if (key == L"TAILOFFSET") {
    if (argReal(args, real)) arrow->setTailOffset(real);
  } else if (key == L"HEADOFFSET") {
    if (argReal(args, real)) arrow->setHeadOffset(real);
  } else if (key == L"REVERSEARROWS") {
    if (argBool(args, flag)) arrow->setReversed(flag);
  }
}

int setPipeArrowInfoWorker() {
  ArgCursor args;
  AcDbObjectId id;
  if (!argObjectId(args, id)) return kWorkerWrongType;
  PlumbPipeArrow* arrow = nullptr;
  if (acdbOpenObject(arrow, id, AcDb::kForWrite) != Acad::eOk) return kWorkerDone;
  // Whatever follows a setting's value, up to the next list, is passed over, so a
  // setting with extra values or a stray atom between settings does no harm.
  while (!args.atEnd()) {
    if (argListBegin(args)) applySetting(args, arrow);
    else argSkip(args);
  }
  acedRetT();
  arrow->close();
  return kWorkerDone;
}

}  // namespace

int ovLispInsertPipeArrow() { return runInDocument(insertPipeArrowWorker); }
int ovLispSetPipeArrowInfo() { return runInDocument(setPipeArrowInfoWorker); }
