// Reading a LISP call's arguments: a cursor over the list acedGetArgs answered and the
// readers every worker uses. A reader that succeeds stores the value, moves the cursor
// past what it read and answers true; one that fails answers false and leaves the
// cursor where it was.
#pragma once

#include <string>
#include <string_view>

#include "arx/db_id.h"
#include "arx/ge.h"
#include "arx/resbuf.h"

// The arguments of one call. The head is released when the cursor ends, so a worker
// gives the list back on every way out without saying so.
class ArgCursor {
 public:
  // Takes the call's arguments from the host (acedGetArgs).
  ArgCursor();
  // Takes a list the caller made; the cursor releases it.
  explicit ArgCursor(resbuf* head) : cursor(head), head(head) {}
  ~ArgCursor();
  ArgCursor(const ArgCursor&) = delete;
  ArgCursor& operator=(const ArgCursor&) = delete;

  bool atEnd() const { return cursor == nullptr; }

  resbuf* cursor;
  resbuf* head;
};

bool argString(ArgCursor& args, std::wstring& value);
// A text read in place: the view stays valid while the cursor's list lives.
bool argStringView(ArgCursor& args, std::wstring_view& value);
// RTSHORT, RTLONG and RTREAL (truncated toward zero). A DXF group code stands for
// itself: the code is the value and the cursor stays on it.
bool argInt(ArgCursor& args, int& value);
// RTREAL, or whatever argInt reads.
bool argReal(ArgCursor& args, double& value);
bool argRealOnly(ArgCursor& args, double& value);
// Anything but the start of a list: nil is false and so is the end of a list (which
// is not consumed); every other value is true.
bool argBool(ArgCursor& args, bool& value);
// A point (2D or 3D), a DXF point group (10 to 17), or two reals in a row.
bool argPoint2d(ArgCursor& args, AcGePoint2d& value);
// A point (z 0 for a 2D one), a DXF point group, or two or three numbers in a row.
bool argPoint3d(ArgCursor& args, AcGePoint3d& value);
// An entity name of an object of an open drawing.
bool argObjectId(ArgCursor& args, AcDbObjectId& value);
bool argListBegin(ArgCursor& args);
bool argListEnd(ArgCursor& args);
// A dotted pair of a text and an integer: ("name" . 5).
bool argNamedInt(ArgCursor& args, std::wstring& name, int& value);
// Steps over one item of any kind; nothing to step over at the end of the list.
bool argSkip(ArgCursor& args);
