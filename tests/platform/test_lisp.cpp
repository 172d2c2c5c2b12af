// The host's LISP through its C++ interface, where the LISP scripts (lisp_*.lsp,
// plugin_*.lsp) cannot reach: script runs that go on after errors and end at a fault in
// their text, texts evaluated up to their first error, the recursion guards and the
// reader's round trip; entity data over what LISP alone cannot make (layers with their
// own state, linetypes with dashes, registered applications and extended data); and
// LISP values crossing to plug-ins and back through the calls a plug-in makes: the
// values acedRet... answers, malformed chains, acedInvoke's refusals and nested calls,
// registration by name and by application, and which chains acedInvoke may hand a
// plug-in's function as they are. (Recording the host's functions is checked where the
// module's tests and the host program's use it.)
#include <gtest/gtest.h>

#include <cwchar>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "arx/aced_lisp.h"
#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "lisp/lisp_bridge.h"
#include "lisp/lisp_reader.h"
#include "lisp/lisp_resbuf.h"
#include "test_lisp_fixture.h"

namespace {

using LispEval = LispFixture;

// A script prints its errors, goes on and counts them; a fault in its text ends it
// after the forms before it. Evaluating a text stops at its first error and prints
// nothing.
TEST_F(LispEval, ScriptsGoOnAfterErrorsTextsStopAtTheFirstAndRunawayRecursionStops) {
  EXPECT_EQ(lisp_.evaluateScript("(car 1) (cdr 2) 3"), 2);
  EXPECT_EQ(runScript("(princ \"a\") (princ \"b\") (princ "), L"ab\n; error: malformed list on input\n");
  EXPECT_EQ(runScript("(princ 1))"), L"1\n; error: extra right paren on input\n");
  output_.clear();
  EXPECT_EQ(eval("(setq s 1) (car 1) (setq s 2)"), L"; error: bad argument type: consp 1");
  EXPECT_EQ(eval("s"), L"1");
  EXPECT_EQ(eval("(setq s 3) (car"), L"; error: malformed list on input");
  EXPECT_EQ(eval("s"), L"3");
  EXPECT_EQ(output_, L"");

  // Without a count limit the watch on the machine stack still stops runaway recursion;
  // with one, it is the count that stops it.
  eval("(defun down (n) (+ 1 (down n)))");
  lisp_.setMaxDepth(std::numeric_limits<int>::max());
  EXPECT_EQ(eval("(down 1)"), L"; error: maximum recursion depth exceeded");
  lisp_.setMaxDepth(50);
  eval("(defun depth (n) (if (= n 0) 0 (1+ (depth (1- n)))))");
  EXPECT_EQ(eval("(depth 5)"), L"5");
  EXPECT_EQ(eval("(depth 100)"), L"; error: maximum recursion depth exceeded");
}

TEST(LispReader, FormsBeforeAFaultAreKeptDeepNestingIsReadAndEntityNamesPrintInHex) {
  std::vector<LispValue> forms;
  std::wstring error;
  EXPECT_FALSE(lispReadAll(std::string("1 (2) (3"), forms, error));
  EXPECT_EQ(error, L"malformed list on input");
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(lispToString(forms[1]), L"(2)");

  const int depth = 200000;
  forms.clear();
  ASSERT_TRUE(lispReadAll(std::string(depth, '(') + "x" + std::string(depth, ')'), forms, error));
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(lispToString(forms[0]), std::wstring(depth, L'(') + L"X" + std::wstring(depth, L')'));
  // Entity names print their id in lower-case hexadecimal.
  AcDbObjectId id;
  id.setFromOldId(static_cast<std::intptr_t>(0x7ff6c1e05b10));
  EXPECT_EQ(lispToString(LispValue::list({LispValue::ename(id)})), L"(<Entity name: 7ff6c1e05b10>)");
}

// Random text built from the reader's special characters: the reader must never
// crash, and whatever it accepts must print as text it reads back to the same print.
TEST(LispReader, RandomTextIsReadOrRefusedAndPrintsBackTheSame) {
  const std::string alphabet = "()'.\";|\\ \nab1e-5";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    std::vector<LispValue> forms;
    std::wstring error;
    if (!lispReadAll(text, forms, error)) {
      EXPECT_FALSE(error.empty()) << text;
      continue;
    }
    ++accepted;
    for (const LispValue& form : forms) {
      std::wstring printed = lispToString(form);
      std::vector<LispValue> again;
      ASSERT_TRUE(lispReadAll(printed, again, error)) << text << " printed as " << acutWideToUtf8(printed);
      ASSERT_EQ(again.size(), 1u) << acutWideToUtf8(printed);
      EXPECT_EQ(lispToString(again[0]), printed);
    }
  }
  EXPECT_GT(accepted, 100);
}

// ---- entity data ------------------------------------------------------------------

// A drawing of the test's own as the working database, with a layer "Pipes" (dashed,
// off and locked) and the applications OVTEST and OTHER registered.
class LispEntity : public LispFixture {
 protected:
  LispEntity() : previous_(acdbHostApplicationServices()->workingDatabase()) {
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
  }
  ~LispEntity() override { acdbHostApplicationServices()->setWorkingDatabase(previous_); }

  void SetUp() override {
    db_.loadLineTypeFile(L"DASHED", L"acad.lin");
    AcDbLinetypeTable* linetypes = nullptr;
    ASSERT_EQ(db_.getLinetypeTable(linetypes, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(linetypes->getAt(L"DASHED", dashed_), Acad::eOk);
    linetypes->close();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db_.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(L"Pipes");
    layer->setLinetypeObjectId(dashed_);
    layer->setIsOff(true);
    layer->setIsLocked(true);
    ASSERT_EQ(layers->add(pipes_, layer), Acad::eOk);
    layer->close();
    layers->close();
    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
    for (const wchar_t* name : {L"OVTEST", L"OTHER"}) {
      auto* app = new AcDbRegAppTableRecord();
      app->setName(name);
      ASSERT_EQ(apps->add(app), Acad::eOk);
      app->close();
    }
    apps->close();
  }

  // Appends an entity to model space (closed after) and binds its name to a symbol.
  void add(const wchar_t* symbol, AcDbEntity* entity) {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
    space->close();
    entity->close();
    lisp_.setSymbolValue(symbol, LispValue::ename(id));
  }

  AcDbDatabase db_;
  AcDbDatabase* previous_;
  AcDbObjectId dashed_, pipes_;
};

// By layer and by linetype are what an entity has unless told otherwise: then there is
// no 6 or 62 group. The layer's name is the one the entity draws on.
TEST_F(LispEntity, EntgetAndDrawNameTheLayerAndLinetypeAndAddTheApplicationsData) {
  auto* line = new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(4, 6, 0));
  ASSERT_EQ(line->setLayer(L"Pipes"), Acad::eOk);
  ASSERT_EQ(line->setLinetype(L"DASHED"), Acad::eOk);
  EXPECT_EQ(line->setLinetypeScale(0.0), Acad::eInvalidInput);
  ASSERT_EQ(line->setLinetypeScale(2.0), Acad::eOk);
  add(L"ln", line);
  EXPECT_EQ(eval("(cddddr (entget ln))"),
            L"((100 . \"AcDbEntity\") (8 . \"Pipes\") (6 . \"DASHED\") (48 . 2.0) (100 . \"AcDbLine\") (10 1.0 2.0 0.0) "
            L"(11 4.0 6.0 0.0))");
  EXPECT_EQ(eval("(host-draw ln)"), L"((\"POLYLINE\" \"Pipes\" ((1.0 2.0 0.0) (4.0 6.0 0.0))))");
  // Without a layer group entmake uses the current layer.
  ASSERT_EQ(db_.setClayer(pipes_), Acad::eOk);
  eval("(entmake '((0 . \"CIRCLE\") (10 1 2) (40 . 3)))");
  EXPECT_EQ(eval("(cdr (assoc 8 (entget (entlast))))"), L"\"Pipes\"");

  auto* plain = new AcDbLine();
  resbuf* xdata = acutBuildList(AcDb::kDxfRegAppName, L"OVTEST", AcDb::kDxfXdAsciiString, L"DN 50",
                                AcDb::kDxfXdInteger16, 3, AcDb::kDxfRegAppName, L"OTHER", AcDb::kDxfXdReal, 2.5, 0);
  EXPECT_EQ(plain->setXData(xdata), Acad::eOk);
  acutRelRb(xdata);
  add(L"ln", plain);
  EXPECT_EQ(eval("(assoc -3 (entget ln))"), L"nil");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"ovtest\")))"), L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"*\")))"),
            L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)) (\"OTHER\" (1040 . 2.5)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"NOAPP\")))"), L"nil");
  EXPECT_EQ(eval("(entget ln '(5))"), L"; error: bad argument type: stringp 5");
}

// A layer that is off has its colour (white, 7, unless told otherwise) negative, locked
// is 4 in the flags; a linetype lists its description, alignment, dash count, pattern
// length and each dash.
TEST_F(LispEntity, TblsearchListsLayersLinetypesAndApplications) {
  EXPECT_EQ(eval("(tblsearch \"layer\" \"PIPES\")"),
            L"((0 . \"LAYER\") (2 . \"Pipes\") (70 . 4) (62 . -7) (6 . \"DASHED\"))");
  EXPECT_EQ(eval("(tblsearch \"LTYPE\" \"dashed\")"),
            L"((0 . \"LTYPE\") (2 . \"DASHED\") (70 . 0) (3 . \"Dashed __ __ __ __ __\") (72 . 65) (73 . 2) (40 . 0.75) "
            L"(49 . 0.5) (74 . 0) (49 . -0.25) (74 . 0))");
  EXPECT_EQ(eval("(tblsearch \"APPID\" \"ovtest\" T)"), L"((0 . \"APPID\") (2 . \"OVTEST\") (70 . 0))");
}

// ---- values crossing to plug-ins -----------------------------------------------------

// A chain as text, every value exact (reals in hexadecimal, so that even the sign of a
// zero shows): "short:1 str:a ( ename:4660/0 . real:0x1p+0 ) T".
std::wstring describe(const resbuf* rb) {
  static const std::map<int, std::wstring> marks = {
      {RTLB, L"("}, {RTLE, L")"}, {RTDOTE, L"."}, {RTNIL, L"nil"}, {RTT, L"T"}};
  std::wstring out;
  for (; rb != nullptr; rb = rb->rbnext) {
    const ads_u_val& v = rb->resval;
    const auto mark = marks.find(rb->restype);
    wchar_t text[200];
    switch (rb->restype) {
      case RTSHORT: swprintf(text, 200, L"short:%d", v.rint); break;
      case RTLONG: swprintf(text, 200, L"long:%d", static_cast<int>(v.rlong)); break;
      case RTREAL: swprintf(text, 200, L"real:%a", v.rreal); break;
      case RTPOINT:
      case RT3DPOINT: swprintf(text, 200, L"pt%d:%a,%a,%a", rb->restype, v.rpoint[0], v.rpoint[1], v.rpoint[2]); break;
      case RTSTR: swprintf(text, 200, L"str:%ls", v.rstring != nullptr ? v.rstring : L"(none)"); break;
      case RTENAME: swprintf(text, 200, L"ename:%ld/%ld", long{v.rlname[0]}, long{v.rlname[1]}); break;
      default: swprintf(text, 200, L"type:%d", rb->restype); break;
    }
    out += (out.empty() ? L"" : L" ") + (mark != marks.end() ? mark->second : std::wstring(text));
  }
  return out;
}

// What the registered test functions saw and are to answer. Handlers are plain
// function pointers, so their state lives here.
std::wstring gReceived;
const resbuf* gToReturn = nullptr;
int gCalls = 0;

int recordArgs() {
  ++gCalls;
  resbuf* args = acedGetArgs();
  gReceived = describe(args);
  acutRelRb(args);
  return RSRSLT;
}

// Sets T first: a chain refused by acedRetList leaves that value.
int returnChain() {
  acedRetT();
  acedRetList(gToReturn);
  return RSRSLT;
}

// Only the last value set counts.
int returnSeveral() {
  acedRetInt(1);
  acedRetReal(2.5);
  return acedRetStr(L"last") == RTNORM ? RSRSLT : RSERR;
}

int returnName() {
  ads_name name = {0x1234, 0};
  return acedRetName(name, RTENAME) == RTNORM ? RSRSLT : RSERR;
}

// Calls the LISP function "inner" through acedInvoke, then answers its own arguments:
// a nested call must leave the outer call's arguments and result alone.
int invokeThenEcho() {
  resbuf* call = acutBuildList(RTSTR, L"inner", RTSHORT, 5, 0);
  resbuf* result = nullptr;
  int status = acedInvoke(call, &result);
  acutRelRb(call);
  gReceived = L"inner " + std::to_wstring(status) + L": " + describe(result);
  acutRelRb(result);
  resbuf* args = acedGetArgs();
  acedRetList(args);
  acutRelRb(args);
  return RSRSLT;
}

class LispBridge : public LispFixture {
 protected:
  LispBridge() { gCalls = 0; }
  void registerFunction(const wchar_t* name, short code, int (*handler)()) {
    ASSERT_EQ(acedDefun(name, code), RTNORM);
    ASSERT_EQ(acedRegFunc(handler, code), RTNORM);
  }
  // The answer of a registered function that hands back this chain with acedRetList.
  std::wstring returned(resbuf* chain) {
    gToReturn = chain;
    std::wstring value = eval("(ret)");
    acutRelRb(chain);
    return value;
  }
  // acedInvoke's status and the result chain it answered.
  std::wstring invoke(resbuf* call) {
    resbuf* result = reinterpret_cast<resbuf*>(1);
    const int status = acedInvoke(call, &result);
    std::wstring answer = std::to_wstring(status) + L": " + describe(result);
    acutRelRb(result);
    acutRelRb(call);
    return answer;
  }
};

// A list comes as one chain, with or without its brackets; entity data as DXF groups
// become (code . value) and points (code x y z); only the last value set counts, and
// a malformed chain is refused, leaving the value set before it.
TEST_F(LispBridge, ValuesAFunctionAnswersAndMalformedChainsRefused) {
  registerFunction(L"ret", 1, returnChain);
  ads_point p = {1.0, 2.0, 0.0};
  ads_point q = {1.0, 2.0, 3.0};
  const struct {
    resbuf* chain;
    const wchar_t* value;
  } cases[] = {
      {acutBuildList(RTSHORT, 1, RTSHORT, 2, 0), L"(1 2)"},
      {acutBuildList(RTSTR, L"a", RTDOTE, RTLONG, 70000, 0), L"(\"a\" . 70000)"},
      {acutBuildList(RTLB, RTLE, 0), L"nil"},
      {acutBuildList(RTLB, RTSHORT, 1, RTLB, RTSTR, L"a", RTDOTE, RTREAL, 2.0, RTLE, RTLE, RTPOINT, p, RTLONG, 70000,
                     RTNIL, RTT, 0),
       L"((1 (\"a\" . 2.0)) (1.0 2.0) 70000 nil T)"},
      {acutBuildList(RTLB, RTLB, RTSTR, L"k", RTDOTE, RTSHORT, 1, RTLE, RTLB, RTSTR, L"m", RTDOTE, RTREAL, 0.5, RTLE,
                     RTLE, 0),
       L"((\"k\" . 1) (\"m\" . 0.5))"},
      {acutBuildList(8, L"0", 10, q, 62, 1, 0), L"((8 . \"0\") (10 1.0 2.0 3.0) (62 . 1))"},
      {acutBuildList(RTLE, 0), L"T"},
      {acutBuildList(RTLB, RTSHORT, 1, 0), L"T"},
  };
  for (const auto& c : cases) EXPECT_EQ(returned(c.chain), c.value);
  registerFunction(L"several", 2, returnSeveral);
  registerFunction(L"name", 3, returnName);
  registerFunction(L"f", 4, recordArgs);
  EXPECT_EQ(eval("(list (several) (name))"), L"(\"last\" <Entity name: 1234>)");
  // An entity name carries the old id, both ways.
  eval("(f (name) (list (name)))");
  EXPECT_EQ(gReceived, L"ename:4660/0 ( ename:4660/0 )");
  EXPECT_EQ(eval("(equal (name) (name))"), L"T");

  // Malformed chains are refused with what is wrong with them.
  std::wstring error;
  const struct {
    resbuf* chain;
    const wchar_t* message;
  } malformed[] = {
      {acutBuildList(RTLE, 0), L"RTLE without RTLB"},
      {acutBuildList(RTLB, RTSHORT, 1, 0), L"RTLB without RTLE"},
      {acutBuildList(RTLB, RTDOTE, RTSHORT, 1, RTLE, 0), L"misplaced RTDOTE"},
      {acutBuildList(RTSHORT, 1, RTDOTE, RTSHORT, 2, 0), L"misplaced RTDOTE"},  // no dot between arguments
      {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 2, RTSHORT, 3, RTLE, 0), L"more than one value after RTDOTE"},
      {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTLE, 0), L"RTDOTE without a value after it"},
      {acutNewRb(4000), L"result buffer of unknown type 4000"},
  };
  for (const auto& c : malformed) {
    LispArgs values;
    EXPECT_FALSE(lispValuesFromResbuf(c.chain, values, error));
    EXPECT_EQ(error, c.message);
    acutRelRb(c.chain);
  }
}

// acedInvoke refuses what it cannot call without printing anything and answers no
// result, also for an error in the function, which it prints (the refusals LISP can
// reach are in plugin_invoke.lsp and lisp_plugin_chains.lsp); a nested call keeps the
// outer call's frame. Outside a call there are no arguments and no value to set.
TEST_F(LispBridge, InvokeRefusalsErrorsAndNestedCalls) {
  EXPECT_EQ(invoke(nullptr), L"-5001: ");
  EXPECT_EQ(invoke(acutBuildList(RTSHORT, 1, 0)), L"-5001: ");
  EXPECT_EQ(invoke(acutBuildList(RTSTR, L"no-such-function", 0)), L"-5001: ");
  eval("(defun broken (x) (car x))");
  EXPECT_EQ(invoke(acutBuildList(RTSTR, L"broken", RTSHORT, 1, 0)), L"-5001: ");
  EXPECT_EQ(output_, L"; error: bad argument type: consp 1\n");

  registerFunction(L"g", 1, recordArgs);
  registerFunction(L"outer", 2, invokeThenEcho);
  eval("(defun inner (n) (g n \"from inner\") (* n 2))");
  EXPECT_EQ(eval("(outer 1 '(2 . 3))"), L"(1 (2 . 3))");
  EXPECT_EQ(gReceived, L"inner 5100: short:10");
  EXPECT_EQ(gCalls, 1);
  EXPECT_EQ(acedGetArgs(), nullptr);
  EXPECT_EQ(acedRetT(), RTERROR);
  EXPECT_EQ(acedRetList(nullptr), RTERROR);
}

// A name defined again belongs to its new code, acedUndef takes it away only for that
// code, a name without a handler is not callable, and each application keeps its own
// codes and loses only its own functions.
TEST_F(LispBridge, FunctionsAreRegisteredByNameCodeAndApplication) {
  registerFunction(L"f", 1, returnName);
  registerFunction(L"f", 2, returnSeveral);
  EXPECT_EQ(eval("(list (f) (type f))"), L"(\"last\" EXRXSUBR)");
  EXPECT_EQ(acedUndef(L"f", 1), RTERROR);
  EXPECT_EQ(acedUndef(L"F", 2), RTNORM);
  EXPECT_EQ(eval("(f)"), L"; error: no function definition: F");
  ASSERT_EQ(acedDefun(L"lonely", 9), RTNORM);
  EXPECT_EQ(eval("(lonely)"), L"; error: no function definition: LONELY");

  static const char appA = 'a';
  static const char appB = 'b';
  {
    LispApplicationScope scope(&appA);
    registerFunction(L"from-a", 0, returnName);
  }
  {
    LispApplicationScope scope(&appB);
    registerFunction(L"from-b", 0, returnSeveral);
  }
  EXPECT_EQ(lispCurrentApplication(), nullptr);
  EXPECT_EQ(eval("(list (from-a) (from-b))"), L"(<Entity name: 1234> \"last\")");
  lisp_.removeApplication(&appA);
  EXPECT_EQ(eval("(from-a)"), L"; error: no function definition: FROM-A");
  EXPECT_EQ(eval("(from-b)"), L"\"last\"");
}

// ---- chains handed over as they are -------------------------------------------------

// acedInvoke may hand a plug-in's function the caller's chain as it is only when the
// round trip through LISP values would give it back unchanged: the function must see
// exactly what it saw before.

// Builds test chains buffer by buffer: add(type, value...) sets what the type holds.
class Chain {
 public:
  ~Chain() { acutRelRb(head_); }
  Chain& add(int type, double value = 0, double y = 0, double z = 0) {
    last_ = *tail_ = acutNewRb(type);
    tail_ = &last_->rbnext;
    ads_u_val& v = last_->resval;
    if (type == RTREAL) v.rreal = value;
    if (type == RTSHORT) v.rint = static_cast<short>(value);
    if (type == RTLONG) v.rlong = static_cast<int>(value);
    if (type == RTENAME) v.rlname[0] = static_cast<std::int64_t>(value);
    if (type == RTENAME) v.rlname[1] = static_cast<std::int64_t>(y);
    if (type == RTPOINT || type == RT3DPOINT) v.rpoint[0] = value, v.rpoint[1] = y, v.rpoint[2] = z;
    return *this;
  }
  Chain& text(const wchar_t* v) {
    add(RTSTR).last_->resval.rstring = v ? acutNewString(v) : nullptr;
    return *this;
  }
  const resbuf* get() const { return head_; }

 private:
  resbuf* head_ = nullptr;
  resbuf* last_ = nullptr;
  resbuf** tail_ = &head_;
};

struct Case {
  const char* what;
  bool passes;
  void (*build)(Chain&);
};

const Case kCases[] = {
    {"nothing", true, [](Chain&) {}},
    {"keyed lists", true,
     [](Chain& c) {
       c.add(RTENAME, 0x40).add(RTLB).text(L"P1").add(RT3DPOINT, 0, 0, 10).add(RTLE);
       c.add(RTLB).text(L"N").add(RTREAL, 1.5).add(RTLE);
     }},
    {"atoms", true,
     [](Chain& c) { c.add(RTREAL, 2.5).add(RTSHORT, -3).text(L"").add(RTNIL).add(RTT).add(RTPOINT, 1, 2); }},
    {"a long outside 16 bits", true, [](Chain& c) { c.add(RTLONG, 70000).add(RTLONG, -32769); }},
    {"four numbers", true,
     [](Chain& c) { c.add(RTLB).add(RTREAL, 1).add(RTREAL, 2).add(RTREAL, 3).add(RTREAL, 4).add(RTLE); }},
    {"two numbers and a text", true, [](Chain& c) { c.add(RTLB).add(RTREAL, 1).add(RTREAL, 2).text(L"x").add(RTLE); }},
    {"points inside a list", true, [](Chain& c) { c.add(RTLB).add(RTPOINT, 1, 2).add(RTPOINT, 3, 4).add(RTLE); }},
    {"a dotted pair", true, [](Chain& c) { c.add(RTLB).text(L"a").add(RTDOTE).add(RTSHORT, 5).add(RTLE); }},
    {"a dotted list to T", true,
     [](Chain& c) { c.add(RTLB).add(RTREAL, 1).text(L"b").add(RTDOTE).add(RTT).add(RTLE); }},
    {"nested", true,
     [](Chain& c) { c.add(RTLB).add(RTLB).text(L"e").add(RTSHORT, 0).add(RTREAL, 1).add(RTLE).add(RTLE); }},
    {"a small long", false, [](Chain& c) { c.add(RTLONG, 5); }},
    {"an angle", false, [](Chain& c) { c.add(RTANG); }},
    {"none", false, [](Chain& c) { c.add(RTNONE); }},
    {"a group code", false, [](Chain& c) { c.add(70); }},
    {"a null text", false, [](Chain& c) { c.text(nullptr); }},
    {"a name with a second word", false, [](Chain& c) { c.add(RTENAME, 0x40, 7); }},
    {"a 2D point with a height", false, [](Chain& c) { c.add(RTPOINT, 1, 2, 3); }},
    {"an empty list", false, [](Chain& c) { c.add(RTLB).add(RTLE); }},
    {"two numbers in a list", false, [](Chain& c) { c.add(RTLB).add(RTREAL, 1).add(RTSHORT, 2).add(RTLE); }},
    {"three numbers in a nested list", false,
     [](Chain& c) {
       c.add(RTLB).text(L"k").add(RTLB).add(RTREAL, 1).add(RTREAL, 2).add(RTLONG, 70000).add(RTLE).add(RTLE);
     }},
    {"a dotted nil", false, [](Chain& c) { c.add(RTLB).text(L"a").add(RTDOTE).add(RTNIL).add(RTLE); }},
    {"a dotted list", false,
     [](Chain& c) { c.add(RTLB).text(L"a").add(RTDOTE).add(RTLB).text(L"b").add(RTLE).add(RTLE); }},
    {"a dotted point", false, [](Chain& c) { c.add(RTLB).text(L"a").add(RTDOTE).add(RT3DPOINT, 1, 2, 3).add(RTLE); }},
    {"two values after a dot", false,
     [](Chain& c) { c.add(RTLB).text(L"a").add(RTDOTE).add(RTREAL, 1).add(RTREAL, 2).add(RTLE); }},
    {"a dot first", false, [](Chain& c) { c.add(RTLB).add(RTDOTE).add(RTREAL, 1).add(RTLE); }},
    {"a dot at the top", false, [](Chain& c) { c.text(L"a").add(RTDOTE).add(RTREAL, 1); }},
    {"an open list", false, [](Chain& c) { c.add(RTLB).text(L"a"); }},
    {"a stray end", false, [](Chain& c) { c.text(L"a").add(RTLE); }},
};

// What the function saw, as a copy of its arguments, and how deep it invoked itself.
resbuf* gSeen = nullptr;
int gDepth = 0;

int keepArgs() {
  acutRelRb(gSeen);
  gSeen = acedGetArgs();
  acedRetT();
  return RSRSLT;
}

// Invokes itself for ever: only the host's recursion limit ends it.
int invokeItself() {
  ++gDepth;
  resbuf* call = acutBuildList(RTSTR, L"test-again", RTLB, RTSTR, L"k", RTREAL, 1.0, RTLE, 0);
  resbuf* answer = nullptr;
  const int status = acedInvoke(call, &answer);
  acutRelRb(call);
  acutRelRb(answer);
  return status == RTNORM ? RSRSLT : RSERR;
}

// The check agrees with the round trip through LISP values, and the function sees what
// that round trip would have given it.
TEST_F(LispBridge, InvokeHandsOverOnlyChainsTheRoundTripKeepsAndEndsRecursion) {
  registerFunction(L"test-keep", 1, keepArgs);
  for (const Case& one : kCases) {
    acutRelRb(std::exchange(gSeen, nullptr));
    Chain chain;
    chain.text(L"test-keep");
    one.build(chain);
    const resbuf* args = chain.get()->rbnext;
    LispArgs values;
    std::wstring error;
    const bool readable = lispValuesFromResbuf(args, values, error);
    resbuf* again = readable ? lispArgsToResbuf(values) : nullptr;
    EXPECT_EQ(lispChainIsArgsForm(args), one.passes) << one.what;
    EXPECT_EQ(readable && describe(args) == describe(again), one.passes) << one.what;
    resbuf* answer = nullptr;
    const int status = acedInvoke(chain.get(), &answer);
    EXPECT_EQ(status, readable ? RTNORM : RTERROR) << one.what;
    EXPECT_EQ(describe(answer), readable ? L"T" : L"") << one.what;
    EXPECT_EQ(describe(gSeen), describe(again)) << one.what;
    acutRelRb(answer);
    acutRelRb(again);
  }
  acutRelRb(gSeen);
  gSeen = nullptr;

  registerFunction(L"test-again", 2, invokeItself);
  lisp_.setMaxDepth(40);
  gDepth = 0;
  EXPECT_EQ(invoke(acutBuildList(RTSTR, L"test-again", 0)), L"-5001: ");
  EXPECT_GT(gDepth, 1);
  EXPECT_LE(gDepth, 40);
  EXPECT_NE(output_.find(L"maximum recursion depth exceeded"), std::wstring::npos);
}

}  // namespace
