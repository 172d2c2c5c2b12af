// ov_plumb-setPipeInfo: the LISP program pushes a pipe's drawing details into it as
// keyed lists, (KEY VALUE ...), each applied at once in the order given.
#include <functional>
#include <map>
#include <string_view>

#include "arx/aced_lisp.h"
#include "arx/ap_doc_manager.h"
#include "arx/db_database.h"
#include "arx/db_symtab.h"
#include "frame/lisp_frame.h"
#include "pipe/open_pipe.h"
#include "pipe/pipe_drawing_lisp.h"
#include "pipe/pipe_functions.h"

namespace {

// The drawing a name is looked up in: the current document's, or the working one
// when no document is current.
AcDbDatabase* currentDatabase() {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (doc != nullptr && doc->database() != nullptr) return doc->database();
  return acdbHostApplicationServices()->workingDatabase();
}

template <typename Table>
bool findRecord(const std::wstring& name, AcDbObjectId& id) {
  AcDbDatabase* db = currentDatabase();
  Table* table = nullptr;
  if (db == nullptr || db->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return false;
  const bool found = table->getAt(name.c_str(), id) == Acad::eOk;
  table->close();
  return found;
}

// True at the item that closes the key's own list (or at the end of the arguments).
bool atListEnd(const ArgCursor& args) { return args.atEnd() || args.cursor->restype == RTLE; }

// Steps over one item of the key's list, a nested list as a whole.
void skipItem(ArgCursor& args) {
  int depth = 0;
  do {
    if (args.cursor->restype == RTLB) ++depth;
    if (args.cursor->restype == RTLE) --depth;
    argSkip(args);
  } while (depth > 0 && !args.atEnd());
}

// The numbers of a key's list up to its end, each read as a real or (where asInt
// says so for its place in a group of groupSize) as an integer; anything else is
// stepped over.
std::vector<double> flatNumbers(ArgCursor& args, int groupSize, int intPlace) {
  std::vector<double> values;
  while (!atListEnd(args)) {
    const bool wantInt = static_cast<int>(values.size() % groupSize) == intPlace;
    const resbuf* before = args.cursor;
    int whole = 0;
    double real = 0.0;
    if (wantInt ? argInt(args, whole) : argReal(args, real)) {
      // A DXF group code reads as a number without moving on: it is no number here.
      if (args.cursor != before) {
        values.push_back(wantInt ? whole : real);
        continue;
      }
    }
    skipItem(args);
  }
  return values;
}

using KeyReader = std::function<void(ArgCursor&, PlumbPipe&)>;

KeyReader realField(double PlumbPipe::*field) {
  return [field](ArgCursor& args, PlumbPipe& pipe) {
    double value = 0.0;
    if (argDistance(args, value)) pipe.*field = value;
  };
}

KeyReader boolField(bool PlumbPipe::*field) {
  return [field](ArgCursor& args, PlumbPipe& pipe) {
    bool value = false;
    if (argBool(args, value)) pipe.*field = value;
  };
}

void readElbows(ArgCursor& args, PlumbPipe& pipe) {
  const std::vector<double> numbers = flatNumbers(args, 2, -1);
  pipe.aElbows.removeAll();
  for (size_t i = 0; i + 1 < numbers.size(); i += 2)
    if (numbers[i] != 0.0) pipe.aElbows.append(elbowInfo(numbers[i], numbers[i + 1]));
}

void readArcs(ArgCursor& args, PlumbPipe& pipe) {
  const std::vector<double> numbers = flatNumbers(args, 3, 2);
  pipe.aArcs.removeAll();
  for (size_t i = 0; i + 2 < numbers.size(); i += 3)
    if (numbers[i] != 0.0)
      pipe.aArcs.append(arcInfo(numbers[i], numbers[i + 1], static_cast<Adesk::Int32>(numbers[i + 2])));
}

void readVerticalAngles(ArgCursor& args, PlumbPipe& pipe) {
  pipe.aVerticalAngles.removeAll();
  double angle = 0.0;
  while (!atListEnd(args) && argDistance(args, angle)) pipe.aVerticalAngles.append(angle);
}

void readPoint(ArgCursor& args, PlumbPipe& pipe, bool start) {
  AcGePoint3d point;
  if (!argPoint3d(args, point)) return;
  if (start) pipe.setStartPoint(point, true);
  else pipe.setEndPoint(point, true);
}

void readElevation(ArgCursor& args, PlumbPipe& pipe, bool start) {
  double z = 0.0;
  if (!argDistance(args, z)) return;
  const AcGePoint3d& p = start ? pipe.ptStart : pipe.ptEnd;
  if (start) pipe.setStartPoint({p.x, p.y, z}, true);
  else pipe.setEndPoint({p.x, p.y, z}, true);
}

// Keys are looked up as they stand in the argument list, without a copy.
using KeyReaders = std::map<std::wstring, KeyReader, std::less<>>;

const KeyReaders& keyReaders() {
  static const KeyReaders readers = {
      {L"P1", [](ArgCursor& a, PlumbPipe& p) { readPoint(a, p, true); }},
      {L"P2", [](ArgCursor& a, PlumbPipe& p) { readPoint(a, p, false); }},
      {L"ixPipe",
       [](ArgCursor& a, PlumbPipe& p) {
         int id = 0;
         if (argInt(a, id)) p.setPipeId(id);
       }},
      {L"dZ1", [](ArgCursor& a, PlumbPipe& p) { readElevation(a, p, true); }},
      {L"dZ2", [](ArgCursor& a, PlumbPipe& p) { readElevation(a, p, false); }},
      {L"OFFSETDISTANCE", realField(&PlumbPipe::dOffsetDistance)},
      {L"DWG",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring text;
         if (argString(a, text)) p.strDwg = text;
       }},
      {L"DWGSTART", boolField(&PlumbPipe::bDwgStart)},
      {L"DWGEND", boolField(&PlumbPipe::bDwgEnd)},
      {L"TAILOFFSET", realField(&PlumbPipe::dTailOffset)},
      {L"HEADOFFSET", realField(&PlumbPipe::dHeadOffset)},
      {L"ELBOW45OFFSET", realField(&PlumbPipe::dElbow45Offset)},
      {L"ELBOWLIST", readElbows},
      {L"ARCRADIUS", realField(&PlumbPipe::dArcRadius)},
      {L"ARCLIST", readArcs},
      {L"TICKOFFSETHEAD", realField(&PlumbPipe::dTickOffsetHead)},
      {L"TICKOFFSETTAIL", realField(&PlumbPipe::dTickOffsetTail)},
      {L"TICKWIDTH", realField(&PlumbPipe::dTickWidth)},
      {L"ELBOW45", boolField(&PlumbPipe::bElbow45)},
      {L"TEE45", boolField(&PlumbPipe::bTee45)},
      {L"ELBOWARC", boolField(&PlumbPipe::bElbowArc)},
      {L"TEEARC", boolField(&PlumbPipe::bTeeArc)},
      {L"VERTICALTYPE",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring type;
         if (!argString(a, type)) return;
         if (type == L"UP") p.iVerticalType = 0;
         if (type == L"DOWN") p.iVerticalType = 1;
       }},
      {L"VERTICALANGLELIST", readVerticalAngles},
      {L"VERTICALRADIUS",
       [](ArgCursor& a, PlumbPipe& p) {
         double radius = 0.0;
         if (argDistance(a, radius)) p.setVerticalRadius(radius);
       }},
      {L"TEXTDISTANCE", realField(&PlumbPipe::dTextDistance)},
      {L"TEXTHEIGHT",
       [](ArgCursor& a, PlumbPipe& p) {
         double height = 0.0;
         if (argDistance(a, height)) p.mtLabel.setTextHeight(height);
       }},
      {L"TEXT",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring text;
         if (argString(a, text)) p.strText = text;
       }},
      {L"TEXTANGLEIS0", boolField(&PlumbPipe::bTextAngleIs0)},
      {L"TEXTSTYLE",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring name;
         AcDbObjectId id;
         if (argString(a, name) && findRecord<AcDbTextStyleTable>(name, id)) p.setTextStyle(id);
       }},
      {L"PTRAP",
       [](ArgCursor& a, PlumbPipe& p) {
         bool on = false;
         p.bPtrap = argBool(a, on) && on;
       }},
      {L"PTRAPWIDTH", realField(&PlumbPipe::dPtrapWidth)},
      {L"ISOMETRIC", boolField(&PlumbPipe::bIsometric)},
      {L"HIDDENLAYER",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring name;
         AcDbObjectId id;
         if (argString(a, name) && findRecord<AcDbLayerTable>(name, id)) p.idHiddenLayer = id;
       }},
      {L"TEXTLAYER",
       [](ArgCursor& a, PlumbPipe& p) {
         std::wstring name;
         AcDbObjectId id;
         // A missing layer puts the label back on the pipe's layer.
         p.idTextLayer = argString(a, name) && findRecord<AcDbLayerTable>(name, id) ? id : AcDbObjectId();
       }},
  };
  return readers;
}

int setPipeInfoWorker() {
  ArgCursor args;
  OpenPipe pipe;
  int status = kWorkerDone;
  if (!openPipeFromArgs(args, pipe, AcDb::kForWrite, status)) return status;
  const auto& readers = keyReaders();
  // Items between the lists, their closing ends and what a key did not read among
  // them, are stepped over.
  while (!args.atEnd()) {
    if (!argListBegin(args)) {
      argSkip(args);
      continue;
    }
    std::wstring_view key;
    if (!argStringView(args, key)) continue;
    const auto reader = readers.find(key);
    if (reader != readers.end()) reader->second(args, *pipe);
  }
  pipe->recordGraphicsModified();
  acedRetT();
  return kWorkerDone;
}

}  // namespace

int ovLispSetPipeInfo() { return runInDocument(setPipeInfoWorker); }
