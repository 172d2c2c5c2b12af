// LISP values crossing to plug-ins and back: the argument chains a registered function
// receives, the values its acedRet... calls answer, RSERR, acedInvoke, registration
// by application, and recording the host's LISP functions.
#include <gtest/gtest.h>

#include <cwchar>

#include "arx/aced_lisp.h"
#include "lisp/lisp_bridge.h"
#include "lisp/lisp_call_recorder.h"
#include "lisp/lisp_reader.h"
#include "lisp/lisp_resbuf.h"
#include "test_lisp_fixture.h"

namespace {

// A chain in a compact text: "short:1 real:2.5 str:a ( pt:1.0,2.0 . nil )".
std::wstring describe(const resbuf* rb) {
  std::wstring out;
  for (; rb != nullptr; rb = rb->rbnext) {
    if (!out.empty()) out += L' ';
    const ads_u_val& v = rb->resval;
    switch (rb->restype) {
      case RTSHORT: out += L"short:" + std::to_wstring(v.rint); break;
      case RTLONG: out += L"long:" + std::to_wstring(v.rlong); break;
      case RTREAL: out += L"real:" + lispFormatReal(v.rreal); break;
      case RTSTR: out += L"str:" + std::wstring(v.rstring); break;
      case RTPOINT: out += L"pt:" + lispFormatReal(v.rpoint[0]) + L',' + lispFormatReal(v.rpoint[1]); break;
      case RT3DPOINT:
        out += L"pt3:" + lispFormatReal(v.rpoint[0]) + L',' + lispFormatReal(v.rpoint[1]) + L',' +
               lispFormatReal(v.rpoint[2]);
        break;
      case RTENAME: out += L"ename:" + std::to_wstring(v.rlname[0]) + L'/' + std::to_wstring(v.rlname[1]); break;
      case RTLB: out += L'('; break;
      case RTLE: out += L')'; break;
      case RTDOTE: out += L'.'; break;
      case RTNIL: out += L"nil"; break;
      case RTT: out += L"T"; break;
      default: out += L"type:" + std::to_wstring(rb->restype); break;
    }
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

int returnChain() {
  acedRetT();
  acedRetList(gToReturn);
  return RSRSLT;
}

int returnSeveral() {
  acedRetInt(1);
  acedRetReal(2.5);
  acedRetStr(L"last");
  return RSRSLT;
}

int returnName() {
  ads_name name = {0x1234, 0};
  acedRetName(name, RTENAME);
  return RSRSLT;
}

int failRequest() { return RSERR; }

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
  LispBridge() {
    gReceived.clear();
    gCalls = 0;
    gToReturn = nullptr;
  }
  void registerFunction(const wchar_t* name, short code, int (*handler)()) {
    ASSERT_EQ(acedDefun(name, code), RTNORM);
    ASSERT_EQ(acedRegFunc(handler, code), RTNORM);
  }
  // The answer of a registered function that hands back this chain with acedRetList.
  std::wstring returned(resbuf* chain) {
    gToReturn = chain;
    std::wstring value = eval("(ret)");
    acutRelRb(chain);
    gToReturn = nullptr;
    return value;
  }
};

TEST_F(LispBridge, ArgumentsArriveAsTheHostPassesThem) {
  registerFunction(L"f", 1, recordArgs);
  EXPECT_EQ(eval("(f 1 2.5 \"a\" '(1 2) '(1 2 3) '(1 2 3 4) '(\"a\" . 5) nil T)"), L"nil");
  EXPECT_EQ(gReceived,
            L"short:1 real:2.5 str:a pt:1.0,2.0 pt3:1.0,2.0,3.0 ( short:1 short:2 short:3 short:4 ) "
            L"( str:a . short:5 ) nil T");
  // Integers take 16 bits when they fit.
  eval("(f 70000 -32768 32767 32768 -32769)");
  EXPECT_EQ(gReceived, L"long:70000 short:-32768 short:32767 long:32768 long:-32769");
  eval("(f)");
  EXPECT_EQ(gReceived, L"");
  EXPECT_EQ(gCalls, 3);
}

TEST_F(LispBridge, NestedListsAndPointsInsideLists) {
  registerFunction(L"f", 1, recordArgs);
  eval("(f '((1 \"x\") ((2 3 4 5)) ((1 2) (3 4.5 5))) '(1 2 . 3) '(1 . 2) '(a b))");
  EXPECT_EQ(gReceived,
            L"( ( short:1 str:x ) ( ( short:2 short:3 short:4 short:5 ) ) ( pt:1.0,2.0 pt3:3.0,4.5,5.0 ) ) "
            L"( short:1 short:2 . short:3 ) ( short:1 . short:2 ) ( str:A str:B )");
}

TEST_F(LispBridge, EntityNamesCarryTheOldId) {
  registerFunction(L"f", 1, recordArgs);
  registerFunction(L"name", 2, returnName);
  EXPECT_EQ(eval("(name)"), L"<Entity name: 1234>");
  eval("(f (name) (list (name)))");
  EXPECT_EQ(gReceived, L"ename:4660/0 ( ename:4660/0 )");
  EXPECT_EQ(eval("(equal (name) (name))"), L"T");
}

TEST_F(LispBridge, FunctionsCannotBePassedAndNothingLeaks) {
  registerFunction(L"f", 1, recordArgs);
  EXPECT_EQ(eval("(f 1 \"a\" '(1 2 3 4) car)"), L"; error: bad argument type for a host function: #<SUBR CAR>");
  EXPECT_EQ(gCalls, 0);
}

TEST_F(LispBridge, RetListAnswersListsAndDottedPairs) {
  registerFunction(L"ret", 1, returnChain);
  ads_point p = {1.0, 2.0, 0.0};
  EXPECT_EQ(returned(acutBuildList(RTLB, RTSHORT, 1, RTSHORT, 2, RTLE, 0)), L"(1 2)");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, RTLE, 0)), L"(\"a\" . 5)");
  EXPECT_EQ(returned(acutBuildList(RTSHORT, 1, RTSHORT, 2, 0)), L"(1 2)");
  EXPECT_EQ(returned(acutBuildList(RTSTR, L"a", RTDOTE, RTLONG, 70000, 0)), L"(\"a\" . 70000)");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTSHORT, 1, RTLE, RTLB, RTSHORT, 2, RTLE, 0)), L"((1) (2))");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTLE, 0)), L"nil");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTSHORT, 1, RTLB, RTSTR, L"a", RTDOTE, RTREAL, 2.0, RTLE, RTLE, RTPOINT, p,
                                   RTLONG, 70000, RTNIL, RTT, 0)),
            L"((1 (\"a\" . 2.0)) (1.0 2.0) 70000 nil T)");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTLB, RTSTR, L"k", RTDOTE, RTSHORT, 1, RTLE, RTLB, RTSTR, L"m", RTDOTE,
                                   RTREAL, 0.5, RTLE, RTLE, 0)),
            L"((\"k\" . 1) (\"m\" . 0.5))");
  // Entity data comes as DXF groups: each becomes (code . value), a point (code x y z).
  ads_point q = {1.0, 2.0, 3.0};
  EXPECT_EQ(returned(acutBuildList(8, L"0", 10, q, 62, 1, 0)), L"((8 . \"0\") (10 1.0 2.0 3.0) (62 . 1))");
  // A malformed chain is refused and the value set before it stays.
  EXPECT_EQ(returned(acutBuildList(RTLE, 0)), L"T");
  EXPECT_EQ(returned(acutBuildList(RTLB, RTSHORT, 1, 0)), L"T");
}

TEST_F(LispBridge, OnlyTheLastValueCounts) {
  registerFunction(L"several", 1, returnSeveral);
  EXPECT_EQ(eval("(several)"), L"\"last\"");
}

TEST_F(LispBridge, AnRserrAnswerIsAnAdsRequestError) {
  registerFunction(L"fail", 1, failRequest);
  EXPECT_EQ(runScript("(princ \"a\") (fail) (princ \"next\")"), L"a\n; error: ADS request error\nnext");
  EXPECT_EQ(eval("(fail)"), L"; error: ADS request error");
}

TEST_F(LispBridge, ValuesReadBackFromChains) {
  std::vector<LispValue> forms;
  std::wstring error;
  ASSERT_TRUE(lispReadAll(std::string("(1 \"a\" (b . 2) ((1 \"x\")) (3 4) -70000 nil t)"), forms, error));
  LispArgs items;
  ASSERT_TRUE(lispListItems(forms[0], items));
  resbuf* chain = lispArgsToResbuf(items);
  LispArgs back;
  ASSERT_TRUE(lispValuesFromResbuf(chain, back, error));
  acutRelRb(chain);
  // Symbols other than T go as their names, and points come back as reals.
  EXPECT_EQ(lispToString(LispValue::list(back)), L"(1 \"a\" (\"B\" . 2) ((1 \"x\")) (3.0 4.0) -70000 nil T)");
}

TEST_F(LispBridge, MalformedChainsAreRefused) {
  const struct {
    resbuf* chain;
    const wchar_t* message;
  } cases[] = {
      {acutBuildList(RTLE, 0), L"RTLE without RTLB"},
      {acutBuildList(RTLB, RTSHORT, 1, 0), L"RTLB without RTLE"},
      {acutBuildList(RTLB, RTDOTE, RTSHORT, 1, RTLE, 0), L"misplaced RTDOTE"},
      {acutBuildList(RTSHORT, 1, RTDOTE, RTSHORT, 2, 0), L"misplaced RTDOTE"},  // no dot between arguments
      {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 2, RTSHORT, 3, RTLE, 0), L"more than one value after RTDOTE"},
      {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTLE, 0), L"RTDOTE without a value after it"},
      {acutNewRb(4000), L"result buffer of unknown type 4000"},
  };
  for (const auto& c : cases) {
    LispArgs values;
    std::wstring error;
    EXPECT_FALSE(lispValuesFromResbuf(c.chain, values, error));
    EXPECT_EQ(error, c.message);
    acutRelRb(c.chain);
  }
}

TEST_F(LispBridge, InvokeCallsADefunWithArgumentsAndAnswersItsResult) {
  eval("(defun add3 (a b c) (list (+ a b c) \"sum\"))");
  resbuf* call = acutBuildList(RTSTR, L"add3", RTSHORT, 1, RTLONG, 70000, RTREAL, 0.5, 0);
  resbuf* result = nullptr;
  ASSERT_EQ(acedInvoke(call, &result), RTNORM);
  EXPECT_EQ(describe(result), L"real:70001.5 str:sum");
  acutRelRb(result);
  acutRelRb(call);
}

TEST_F(LispBridge, InvokeAnswersEachKindOfValue) {
  eval("(defun echo (x) x)");
  const struct {
    resbuf* argument;
    const wchar_t* answer;
  } cases[] = {
      {acutBuildList(RTLB, RTSHORT, 1, RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 2, RTLE, RTLE, 0), L"short:1 ( str:a . short:2 )"},
      {acutBuildList(RTLB, RTLB, RTSHORT, 1, RTLE, RTLB, RTSTR, L"x", RTLE, RTLE, 0), L"( short:1 ) ( str:x )"},
      {acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 1, RTLE, 0), L"( str:a . short:1 )"},
      {acutBuildList(RTNIL, 0), L"nil"},
      {acutBuildList(RTT, 0), L"T"},
      {acutBuildList(RTSTR, L"x", 0), L"str:x"},
      {acutBuildList(RTLONG, 70000, 0), L"long:70000"},
  };
  for (const auto& c : cases) {
    resbuf* call = acutBuildList(RTSTR, L"ECHO", 0);
    call->rbnext = c.argument;
    resbuf* result = nullptr;
    EXPECT_EQ(acedInvoke(call, &result), RTNORM);
    EXPECT_EQ(describe(result), c.answer);
    acutRelRb(result);
    acutRelRb(call);
  }
}

TEST_F(LispBridge, InvokeRefusesWhatItCannotCall) {
  resbuf* result = reinterpret_cast<resbuf*>(1);
  EXPECT_EQ(acedInvoke(nullptr, &result), RTERROR);
  EXPECT_EQ(result, nullptr);
  resbuf* notAName = acutBuildList(RTSHORT, 1, 0);
  EXPECT_EQ(acedInvoke(notAName, &result), RTERROR);
  acutRelRb(notAName);
  resbuf* unknown = acutBuildList(RTSTR, L"no-such-function", 0);
  EXPECT_EQ(acedInvoke(unknown, &result), RTERROR);
  acutRelRb(unknown);
  resbuf* special = acutBuildList(RTSTR, L"setq", RTSTR, L"x", 0);
  EXPECT_EQ(acedInvoke(special, &result), RTERROR);
  acutRelRb(special);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(output_, L"");
}

TEST_F(LispBridge, AnErrorInAnInvokedFunctionIsPrintedAndAnswersRterror) {
  eval("(defun broken (x) (car x))");
  resbuf* call = acutBuildList(RTSTR, L"broken", RTSHORT, 1, 0);
  resbuf* result = nullptr;
  EXPECT_EQ(acedInvoke(call, &result), RTERROR);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(output_, L"; error: bad argument type: consp 1\n");
  acutRelRb(call);
  resbuf* tooFew = acutBuildList(RTSTR, L"broken", 0);
  EXPECT_EQ(acedInvoke(tooFew, &result), RTERROR);
  acutRelRb(tooFew);
}

TEST_F(LispBridge, InvokeReachesRegisteredFunctionsAndNestedCallsKeepTheirOwnFrames) {
  registerFunction(L"g", 1, recordArgs);
  registerFunction(L"outer", 2, invokeThenEcho);
  eval("(defun inner (n) (g n \"from inner\") (* n 2))");
  EXPECT_EQ(eval("(outer 1 '(2 . 3))"), L"(1 (2 . 3))");
  EXPECT_EQ(gReceived, L"inner 5100: short:10");
  EXPECT_EQ(gCalls, 1);
  // Outside a call there are no arguments and no value to set.
  EXPECT_EQ(acedGetArgs(), nullptr);
  EXPECT_EQ(acedRetT(), RTERROR);
  EXPECT_EQ(acedRetList(nullptr), RTERROR);
}

TEST_F(LispBridge, DefiningANameAgainReplacesItAndUndefRemovesIt) {
  registerFunction(L"f", 1, returnName);
  registerFunction(L"f", 2, returnSeveral);
  EXPECT_EQ(eval("(f)"), L"\"last\"");
  EXPECT_EQ(eval("(type f)"), L"EXRXSUBR");
  EXPECT_EQ(acedUndef(L"f", 1), RTERROR);  // the name now belongs to code 2
  EXPECT_EQ(acedUndef(L"F", 2), RTNORM);
  EXPECT_EQ(eval("(f)"), L"; error: no function definition: F");
  // A defun'd name without a handler is not callable either.
  ASSERT_EQ(acedDefun(L"lonely", 9), RTNORM);
  EXPECT_EQ(eval("(lonely)"), L"; error: no function definition: LONELY");
}

TEST_F(LispBridge, ApplicationsKeepTheirOwnFunctionCodes) {
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

TEST_F(LispBridge, ARecorderReplacesAHostFunctionAndPutsItBack) {
  lisp_.defineBuiltin(L"pipeSizingTable-deleteRecord", 1, 1, [](LispInterpreter&, const LispArgs&) {
    return LispValue::string(L"original");
  });
  resbuf* call = acutBuildList(RTSTR, L"pipeSizingTable-deleteRecord", RTLONG, 70000, 0);
  resbuf* result = nullptr;
  {
    LispCallRecorder recorder(lisp_, L"pipeSizingTable-deleteRecord",
                              [](LispInterpreter&, const LispArgs&) { return LispValue::t(); });
    ASSERT_EQ(acedInvoke(call, &result), RTNORM);
    EXPECT_EQ(describe(result), L"T");
    acutRelRb(result);
    ASSERT_EQ(recorder.calls().size(), 1u);
    EXPECT_EQ(lispToString(LispValue::list(recorder.calls()[0])), L"(70000)");
  }
  {
    // Without an answer of its own the recorder passes the call on.
    LispCallRecorder recorder(lisp_, L"pipeSizingTable-deleteRecord");
    EXPECT_EQ(eval("(pipeSizingTable-deleteRecord '(1 . \"x\"))"), L"\"original\"");
    ASSERT_EQ(recorder.calls().size(), 1u);
    EXPECT_EQ(lispToString(recorder.calls()[0][0]), L"(1 . \"x\")");
  }
  ASSERT_EQ(acedInvoke(call, &result), RTNORM);
  EXPECT_EQ(describe(result), L"str:original");
  acutRelRb(result);
  acutRelRb(call);
}

}  // namespace
