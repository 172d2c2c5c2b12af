// acedInvoke handing a plug-in's function the caller's chain as it is: only a chain
// that the round trip through LISP values would give back unchanged may go that way,
// the function must see exactly what it saw before, and runaway recursion through it
// still ends in a LISP error.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "arx/aced_lisp.h"
#include "lisp/lisp_resbuf.h"
#include "test_lisp_fixture.h"

namespace {

// Buffers compared by type and by what their type holds.
bool sameBuffer(const resbuf* a, const resbuf* b) {
  if (a->restype != b->restype) return false;
  const ads_u_val& x = a->resval;
  const ads_u_val& y = b->resval;
  switch (a->restype) {
    case RTREAL: return x.rreal == y.rreal;
    case RTSHORT: return x.rint == y.rint;
    case RTLONG: return x.rlong == y.rlong;
    case RTSTR: return x.rstring != nullptr && y.rstring != nullptr && std::wstring(x.rstring) == y.rstring;
    case RTENAME: return x.rlname[0] == y.rlname[0] && x.rlname[1] == y.rlname[1];
    case RTPOINT:
    case RT3DPOINT:
      for (int k = 0; k < 3; ++k)
        if (x.rpoint[k] != y.rpoint[k] || std::signbit(x.rpoint[k]) != std::signbit(y.rpoint[k])) return false;
      return true;
    default: return true;
  }
}

bool sameChain(const resbuf* a, const resbuf* b) {
  for (; a != nullptr && b != nullptr; a = a->rbnext, b = b->rbnext)
    if (!sameBuffer(a, b)) return false;
  return a == nullptr && b == nullptr;
}

// Whether the chain comes back unchanged from LISP values: the oracle the check must
// agree with.
bool survivesRoundTrip(const resbuf* chain) {
  LispArgs values;
  std::wstring error;
  if (!lispValuesFromResbuf(chain, values, error)) return false;
  resbuf* again = lispArgsToResbuf(values);
  const bool same = sameChain(chain, again);
  acutRelRb(again);
  return same;
}

// Builds test chains buffer by buffer.
class Chain {
 public:
  ~Chain() { acutRelRb(head_); }
  Chain& add(int type) {
    last_ = acutNewRb(type);
    *tail_ = last_;
    tail_ = &last_->rbnext;
    return *this;
  }
  Chain& real(double v) { add(RTREAL).last_->resval.rreal = v; return *this; }
  Chain& shortInt(short v) { add(RTSHORT).last_->resval.rint = v; return *this; }
  Chain& longInt(int v) { add(RTLONG).last_->resval.rlong = v; return *this; }
  Chain& text(const wchar_t* v) { add(RTSTR).last_->resval.rstring = v ? acutNewString(v) : nullptr; return *this; }
  Chain& point(int type, double x, double y, double z) {
    add(type);
    last_->resval.rpoint[0] = x;
    last_->resval.rpoint[1] = y;
    last_->resval.rpoint[2] = z;
    return *this;
  }
  Chain& name(std::int64_t old, std::int64_t second) {
    add(RTENAME);
    last_->resval.rlname[0] = old;
    last_->resval.rlname[1] = second;
    return *this;
  }
  Chain& open() { return add(RTLB); }
  Chain& close() { return add(RTLE); }
  Chain& dot() { return add(RTDOTE); }
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

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"nothing", true, [](Chain&) {}},
      {"keyed lists", true,
       [](Chain& c) { c.name(0x40, 0).open().text(L"P1").point(RT3DPOINT, 0, 0, 10).close().open().text(L"N").real(1.5).close(); }},
      {"atoms", true, [](Chain& c) { c.real(2.5).shortInt(-3).text(L"").add(RTNIL).add(RTT).point(RTPOINT, 1, 2, 0); }},
      {"a long outside 16 bits", true, [](Chain& c) { c.longInt(70000).longInt(-32769); }},
      {"four numbers", true, [](Chain& c) { c.open().real(1).real(2).real(3).real(4).close(); }},
      {"two numbers and a text", true, [](Chain& c) { c.open().real(1).real(2).text(L"x").close(); }},
      {"points inside a list", true, [](Chain& c) { c.open().point(RTPOINT, 1, 2, 0).point(RTPOINT, 3, 4, 0).close(); }},
      {"a dotted pair", true, [](Chain& c) { c.open().text(L"a").dot().shortInt(5).close(); }},
      {"a dotted list to T", true, [](Chain& c) { c.open().real(1).text(L"b").dot().add(RTT).close(); }},
      {"nested", true, [](Chain& c) { c.open().open().text(L"e").shortInt(0).real(1).close().close(); }},
      {"a small long", false, [](Chain& c) { c.longInt(5); }},
      {"an angle", false, [](Chain& c) { c.add(RTANG); }},
      {"none", false, [](Chain& c) { c.add(RTNONE); }},
      {"a group code", false, [](Chain& c) { c.add(70); }},
      {"a null text", false, [](Chain& c) { c.text(nullptr); }},
      {"a name with a second word", false, [](Chain& c) { c.name(0x40, 7); }},
      {"a 2D point with a height", false, [](Chain& c) { c.point(RTPOINT, 1, 2, 3); }},
      {"an empty list", false, [](Chain& c) { c.open().close(); }},
      {"two numbers in a list", false, [](Chain& c) { c.open().real(1).shortInt(2).close(); }},
      {"three numbers in a nested list", false, [](Chain& c) { c.open().text(L"k").open().real(1).real(2).longInt(70000).close().close(); }},
      {"a dotted nil", false, [](Chain& c) { c.open().text(L"a").dot().add(RTNIL).close(); }},
      {"a dotted list", false, [](Chain& c) { c.open().text(L"a").dot().open().text(L"b").close().close(); }},
      {"a dotted point", false, [](Chain& c) { c.open().text(L"a").dot().point(RT3DPOINT, 1, 2, 3).close(); }},
      {"two values after a dot", false, [](Chain& c) { c.open().text(L"a").dot().real(1).real(2).close(); }},
      {"a dot first", false, [](Chain& c) { c.open().dot().real(1).close(); }},
      {"a dot at the top", false, [](Chain& c) { c.text(L"a").dot().real(1); }},
      {"an open list", false, [](Chain& c) { c.open().text(L"a"); }},
      {"a stray end", false, [](Chain& c) { c.text(L"a").close(); }},
  };
  return all;
}

TEST(ArgsForm, AgreesWithTheRoundTripThroughLispValues) {
  for (const Case& one : cases()) {
    Chain chain;
    one.build(chain);
    EXPECT_EQ(lispChainIsArgsForm(chain.get()), one.passes) << one.what;
    EXPECT_EQ(survivesRoundTrip(chain.get()), one.passes) << one.what;
  }
}

// What the function saw, as a copy of its arguments.
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

class InvokeChain : public LispFixture {
 protected:
  InvokeChain() {
    gSeen = nullptr;
    gDepth = 0;
    acedDefun(L"test-keep", 1);
    acedRegFunc(keepArgs, 1);
    acedDefun(L"test-again", 2);
    acedRegFunc(invokeItself, 2);
  }
  ~InvokeChain() override {
    acutRelRb(gSeen);
    gSeen = nullptr;
  }
};

TEST_F(InvokeChain, TheFunctionSeesWhatTheRoundTripWouldHaveGivenIt) {
  for (const Case& one : cases()) {
    Chain chain;
    chain.text(L"test-keep");
    one.build(chain);
    LispArgs values;
    std::wstring error;
    const bool readable = lispValuesFromResbuf(chain.get()->rbnext, values, error);
    resbuf* answer = nullptr;
    const int status = acedInvoke(chain.get(), &answer);
    if (!readable) {
      EXPECT_EQ(status, RTERROR) << one.what;
      EXPECT_EQ(answer, nullptr) << one.what;
      continue;
    }
    ASSERT_EQ(status, RTNORM) << one.what;
    ASSERT_NE(answer, nullptr) << one.what;
    EXPECT_EQ(answer->restype, RTT) << one.what;
    acutRelRb(answer);
    resbuf* expected = lispArgsToResbuf(values);
    EXPECT_TRUE(sameChain(gSeen, expected)) << one.what;
    acutRelRb(expected);
  }
}

TEST_F(InvokeChain, RecursionThroughInvokeEndsInAnErrorNotACrash) {
  lisp_.setMaxDepth(40);
  resbuf* call = acutBuildList(RTSTR, L"test-again", 0);
  resbuf* answer = nullptr;
  EXPECT_EQ(acedInvoke(call, &answer), RTERROR);
  acutRelRb(call);
  EXPECT_EQ(answer, nullptr);
  EXPECT_GT(gDepth, 1);
  EXPECT_LE(gDepth, 40);
  EXPECT_NE(output_.find(L"maximum recursion depth exceeded"), std::wstring::npos);
}

}  // namespace
