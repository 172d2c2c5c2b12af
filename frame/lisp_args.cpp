// The argument readers. Each looks at the buffers under the cursor without touching
// them and moves the cursor only when the whole value was read.
#include "frame/lisp_args.h"

#include <cmath>
#include <limits>

#include "arx/aced_lisp.h"
#include "arx/ads_names.h"

namespace {

bool isGroupCode(const resbuf* rb) { return rb->restype < 1000; }
bool isPointGroup(const resbuf* rb) { return rb->restype >= 10 && rb->restype <= 17; }
bool isNumber(const resbuf* rb) {
  return rb != nullptr && (rb->restype == RTREAL || rb->restype == RTLONG || rb->restype == RTSHORT);
}

double numberOf(const resbuf* rb) {
  switch (rb->restype) {
    case RTREAL: return rb->resval.rreal;
    case RTLONG: return rb->resval.rlong;
    default: return rb->resval.rint;
  }
}

// A real truncated toward zero, kept inside the 32-bit range so that the conversion
// is defined for any value LISP may pass.
int truncatedReal(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(std::trunc(value));
}

}  // namespace

ArgCursor::ArgCursor() : cursor(acedGetArgs()), head(cursor) {}

ArgCursor::~ArgCursor() { acutRelRb(head); }

bool argString(ArgCursor& args, std::wstring& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype != RTSTR) return false;
  value = rb->resval.rstring != nullptr ? rb->resval.rstring : L"";
  args.cursor = rb->rbnext;
  return true;
}

bool argStringView(ArgCursor& args, std::wstring_view& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype != RTSTR) return false;
  value = rb->resval.rstring != nullptr ? std::wstring_view(rb->resval.rstring) : std::wstring_view();
  args.cursor = rb->rbnext;
  return true;
}

bool argInt(ArgCursor& args, int& value) {
  resbuf* rb = args.cursor;
  if (rb == nullptr) return false;
  if (isGroupCode(rb)) {
    value = rb->restype;
    return true;
  }
  switch (rb->restype) {
    case RTSHORT: value = rb->resval.rint; break;
    case RTLONG: value = rb->resval.rlong; break;
    case RTREAL: value = truncatedReal(rb->resval.rreal); break;
    default: return false;
  }
  args.cursor = rb->rbnext;
  return true;
}

bool argReal(ArgCursor& args, double& value) {
  if (argRealOnly(args, value)) return true;
  int integer = 0;
  if (!argInt(args, integer)) return false;
  value = integer;
  return true;
}

bool argRealOnly(ArgCursor& args, double& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype != RTREAL) return false;
  value = rb->resval.rreal;
  args.cursor = rb->rbnext;
  return true;
}

bool argBool(ArgCursor& args, bool& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype == RTLB) return false;
  if (rb->restype == RTLE) {
    value = false;
    return true;
  }
  value = rb->restype != RTNIL;
  args.cursor = rb->rbnext;
  return true;
}

bool argPoint2d(ArgCursor& args, AcGePoint2d& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr) return false;
  if (rb->restype == RTPOINT || rb->restype == RT3DPOINT || isPointGroup(rb)) {
    value.set(rb->resval.rpoint[0], rb->resval.rpoint[1]);
    args.cursor = rb->rbnext;
    return true;
  }
  const resbuf* second = rb->rbnext;
  if (rb->restype != RTREAL || second == nullptr || second->restype != RTREAL) return false;
  value.set(rb->resval.rreal, second->resval.rreal);
  args.cursor = second->rbnext;
  return true;
}

bool argPoint3d(ArgCursor& args, AcGePoint3d& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr) return false;
  if (rb->restype == RTPOINT || rb->restype == RT3DPOINT || isPointGroup(rb)) {
    const double z = rb->restype == RTPOINT ? 0.0 : rb->resval.rpoint[2];
    value.set(rb->resval.rpoint[0], rb->resval.rpoint[1], z);
    args.cursor = rb->rbnext;
    return true;
  }
  const resbuf* second = rb->rbnext;
  if (!isNumber(rb) || !isNumber(second)) return false;
  const resbuf* third = second->rbnext;
  if (isNumber(third)) {
    value.set(numberOf(rb), numberOf(second), numberOf(third));
    args.cursor = third->rbnext;
  } else {
    value.set(numberOf(rb), numberOf(second), 0.0);
    args.cursor = second->rbnext;
  }
  return true;
}

bool argObjectId(ArgCursor& args, AcDbObjectId& value) {
  const resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype != RTENAME) return false;
  AcDbObjectId id;
  if (acdbGetObjectId(id, rb->resval.rlname) != Acad::eOk) return false;
  value = id;
  args.cursor = rb->rbnext;
  return true;
}

bool argListBegin(ArgCursor& args) {
  if (args.cursor == nullptr || args.cursor->restype != RTLB) return false;
  args.cursor = args.cursor->rbnext;
  return true;
}

bool argListEnd(ArgCursor& args) {
  if (args.cursor == nullptr || args.cursor->restype != RTLE) return false;
  args.cursor = args.cursor->rbnext;
  return true;
}

// The host passes a dotted pair as RTLB car RTDOTE cdr RTLE; chains built the older
// way, RTLB car cdr RTDOTE, are read as well. Either way the cursor ends past the pair.
bool argNamedInt(ArgCursor& args, std::wstring& name, int& value) {
  resbuf* rb = args.cursor;
  if (rb == nullptr || rb->restype != RTLB) return false;
  resbuf* car = rb->rbnext;
  if (car == nullptr || car->restype != RTSTR) return false;
  resbuf* next = car->rbnext;
  if (next == nullptr) return false;
  ArgCursor number(nullptr);
  resbuf* after = nullptr;
  int read = 0;
  if (next->restype == RTDOTE) {
    number.cursor = next->rbnext;
    if (!argInt(number, read) || number.cursor == next->rbnext || number.cursor == nullptr ||
        number.cursor->restype != RTLE)
      return false;
    after = number.cursor->rbnext;
  } else {
    number.cursor = next;
    if (!argInt(number, read) || number.cursor == next || number.cursor == nullptr ||
        number.cursor->restype != RTDOTE)
      return false;
    after = number.cursor->rbnext;
  }
  name = car->resval.rstring != nullptr ? car->resval.rstring : L"";
  value = read;
  args.cursor = after;
  return true;
}

bool argSkip(ArgCursor& args) {
  if (args.cursor == nullptr) return false;
  args.cursor = args.cursor->rbnext;
  return true;
}
