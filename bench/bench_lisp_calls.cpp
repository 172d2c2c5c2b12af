// How fast the LISP program's calls into the module are: ov_plumb-setPipeInfo with
// every key, ov_plumb-setPipeBreaks with 20 breaks and ov_plumb-pipe-elbowList, each
// invoked through the host's LISP dispatch with argument chains made once, beside a
// bare walk of the same chains as the floor.
//
// The module is the real libov_plumb.so beside ov_bench, loaded by the host's plug-in
// loader into a document that lies in a project folder, as ovhost loads it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arx/aced_lisp.h"
#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/plugin_loader.h"
#include "arx/rx.h"
#include "bench/bench_plan.h"
#include "db/project_seed.h"
#include "lisp/lisp_interpreter.h"

namespace fs = std::filesystem;

namespace {

// Appends buffers to a chain that is released with the builder.
class ChainMaker {
 public:
  ChainMaker() = default;
  ~ChainMaker() { acutRelRb(head_); }
  ChainMaker(const ChainMaker&) = delete;
  ChainMaker& operator=(const ChainMaker&) = delete;

  const resbuf* chain() const { return head_; }

  ChainMaker& add(int type) {
    last_ = acutNewRb(type);
    *tail_ = last_;
    tail_ = &last_->rbnext;
    return *this;
  }
  ChainMaker& text(const std::wstring& value) {
    add(RTSTR);
    last()->resval.rstring = acutNewString(value.c_str());
    return *this;
  }
  ChainMaker& real(double value) {
    add(RTREAL);
    last()->resval.rreal = value;
    return *this;
  }
  ChainMaker& integer(short value) {
    add(RTSHORT);
    last()->resval.rint = value;
    return *this;
  }
  ChainMaker& point(double x, double y, double z) {
    add(RT3DPOINT);
    last()->resval.rpoint[0] = x;
    last()->resval.rpoint[1] = y;
    last()->resval.rpoint[2] = z;
    return *this;
  }
  ChainMaker& name(const ads_name value) {
    add(RTENAME);
    last()->resval.rlname[0] = value[0];
    last()->resval.rlname[1] = value[1];
    return *this;
  }
  // Opens a keyed list: (KEY ...
  ChainMaker& key(const wchar_t* keyName) { return add(RTLB).text(keyName); }
  ChainMaker& end() { return add(RTLE); }

 private:
  resbuf* last() const { return last_; }

  resbuf* head_ = nullptr;
  resbuf* last_ = nullptr;
  resbuf** tail_ = &head_;
};

// The module's default place, as ovhost finds it: ../lib beside the executable.
std::wstring modulePath() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return acutUtf8ToWide((exe.parent_path() / ".." / "lib" / "libov_plumb.so").lexically_normal().string());
}

// One registered function called through acedInvoke; false when it did not answer.
bool invoke(const resbuf* call, resbuf*& answer) { return acedInvoke(call, &answer) == RTNORM; }

// The text a call answers in its first buffer, or the empty text.
std::wstring invokeForText(const resbuf* call) {
  resbuf* answer = nullptr;
  std::wstring text;
  if (invoke(call, answer) && answer != nullptr && answer->restype == RTSTR && answer->resval.rstring != nullptr)
    text = answer->resval.rstring;
  acutRelRb(answer);
  return text;
}

// The host as ovhost sets it up: an interpreter, a drawing in a project folder, the
// module loaded into it, and one pipe drawn by the module, with the calls' argument
// chains made once. Made for each benchmark run and taken down after it, so that the
// other benchmarks of ov_bench find the process as they left it.
class LispCallHost {
 public:
  LispCallHost() {
    previousSink_ = acedSetPrintSink([](const std::wstring&) {});
    folder_ = fs::temp_directory_path() / ("ov_bench_lisp_calls-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    std::wstring reason;
    if (createStandardProject(acutUtf8ToWide(folder_.string()), &reason).empty()) {
      fail(L"no project: " + reason);
      return;
    }
    AcApDocument* doc = nullptr;
    if (acDocManagerPtr()->hostOpenDocument(acutUtf8ToWide((folder_ / "plan.hdw").string()), doc, reason) !=
        Acad::eOk) {
      fail(L"no drawing: " + reason);
      return;
    }
    document_ = doc;
    stepStaticClassesAside();
    loader_ = std::make_unique<PluginLoader>([](const std::wstring&) {});
    if (!loader_->load(modulePath(), reason)) {
      fail(L"module not loaded: " + reason);
      return;
    }
    drawPipe();
    if (error_.empty()) makeChains();
  }

  ~LispCallHost() {
    loader_.reset();
    if (document_ != nullptr) acDocManagerPtr()->closeDocument(document_);
    if (classesStepped_) bench::registerPlanClasses();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    acedSetPrintSink(previousSink_);
  }

  const std::string& error() const { return error_; }

  ChainMaker setPipeInfo;
  ChainMaker setPipeBreaks;
  ChainMaker elbowList;

 private:
  void fail(const std::wstring& why) { error_ = acutWideToUtf8(why); }

  // Other benchmarks of this process register the module's classes from the copy of
  // the module linked into ov_bench; the loaded module refuses a descriptor of its
  // name that is not its own. They are put back when the host is taken down.
  void stepStaticClassesAside() {
    if (acrxFindClass(L"PlumbPipe") == nullptr) return;
    PlumbPipe::rxUninit();
    PlumbPipeArrow::rxUninit();
    classesStepped_ = true;
  }

  // The layers the LISP program asks the module for, then a pipe with two elbows.
  void drawPipe() {
    ChainMaker textLayer, hiddenLayer, insert;
    textLayer.text(L"ov_plumb-getLayer").text(L"CW").integer(1);
    hiddenLayer.text(L"ov_plumb-getLayer").text(L"V").add(RTNIL);
    textLayer_ = invokeForText(textLayer.chain());
    hiddenLayer_ = invokeForText(hiddenLayer.chain());
    if (textLayer_.empty() || hiddenLayer_.empty()) {
      fail(L"ov_plumb-getLayer answered no layer");
      return;
    }
    insert.text(L"ov_plumb-insertPipe").integer(7).point(0.0, 0.0, 10.0).point(100.0, 0.0, 10.0);
    resbuf* answer = nullptr;
    if (!invoke(insert.chain(), answer) || answer == nullptr || answer->restype != RTENAME) {
      acutRelRb(answer);
      fail(L"ov_plumb-insertPipe drew no pipe");
      return;
    }
    pipe_[0] = answer->resval.rlname[0];
    pipe_[1] = answer->resval.rlname[1];
    acutRelRb(answer);
  }

  void makeChains() {
    // Every key the function reads, each with a value that leaves the pipe as the
    // previous call left it.
    setPipeInfo.text(L"ov_plumb-setPipeInfo").name(pipe_);
    setPipeInfo.key(L"P1").point(0.0, 0.0, 10.0).end();
    setPipeInfo.key(L"P2").point(100.0, 0.0, 10.0).end();
    setPipeInfo.key(L"ixPipe").integer(7).end();
    setPipeInfo.key(L"dZ1").real(10.0).end();
    setPipeInfo.key(L"dZ2").real(10.0).end();
    setPipeInfo.key(L"OFFSETDISTANCE").real(1.5).end();
    setPipeInfo.key(L"DWG").text(L"Level 2").end();
    setPipeInfo.key(L"DWGSTART").add(RTT).end();
    setPipeInfo.key(L"DWGEND").add(RTNIL).end();
    setPipeInfo.key(L"TAILOFFSET").real(2.0).end();
    setPipeInfo.key(L"HEADOFFSET").real(2.5).end();
    setPipeInfo.key(L"ELBOW45OFFSET").real(3.5).end();
    setPipeInfo.key(L"ELBOWLIST").real(6.0).real(0.785).real(4.0).real(-0.785).end();
    setPipeInfo.key(L"ARCRADIUS").real(3.0).end();
    setPipeInfo.key(L"ARCLIST").real(2.0).real(10.0).integer(1).end();
    setPipeInfo.key(L"TICKOFFSETHEAD").real(1.5).end();
    setPipeInfo.key(L"TICKOFFSETTAIL").real(1.5).end();
    setPipeInfo.key(L"TICKWIDTH").real(2.0).end();
    setPipeInfo.key(L"ELBOW45").add(RTT).end();
    setPipeInfo.key(L"TEE45").add(RTNIL).end();
    setPipeInfo.key(L"ELBOWARC").add(RTT).end();
    setPipeInfo.key(L"TEEARC").add(RTNIL).end();
    setPipeInfo.key(L"VERTICALTYPE").text(L"UP").end();
    setPipeInfo.key(L"VERTICALANGLELIST").real(0.0).real(1.5708).end();
    setPipeInfo.key(L"VERTICALRADIUS").real(4.0).end();
    setPipeInfo.key(L"TEXTDISTANCE").real(20.0).end();
    setPipeInfo.key(L"TEXTHEIGHT").real(1.5).end();
    setPipeInfo.key(L"TEXT").text(L"3/4\" CW").end();
    setPipeInfo.key(L"TEXTANGLEIS0").add(RTT).end();
    setPipeInfo.key(L"TEXTSTYLE").text(L"Standard").end();
    setPipeInfo.key(L"PTRAP").add(RTNIL).end();
    setPipeInfo.key(L"PTRAPWIDTH").real(5.5).end();
    setPipeInfo.key(L"ISOMETRIC").add(RTNIL).end();
    setPipeInfo.key(L"HIDDENLAYER").text(hiddenLayer_).end();
    setPipeInfo.key(L"TEXTLAYER").text(textLayer_).end();

    setPipeBreaks.text(L"ov_plumb-setPipeBreaks").name(pipe_).real(2.5);
    setPipeBreaks.key(L"tag");
    for (int i = 0; i < 20; ++i) setPipeBreaks.real(4.0 + 4.5 * i);
    setPipeBreaks.end();

    elbowList.text(L"ov_plumb-pipe-elbowList").name(pipe_);

    // The calls must do their work here, or the numbers would mean nothing.
    resbuf* answer = nullptr;
    if (!invoke(setPipeInfo.chain(), answer) || answer == nullptr || answer->restype != RTT)
      fail(L"ov_plumb-setPipeInfo did not answer T");
    acutRelRb(answer);
    answer = nullptr;
    if (!invoke(setPipeBreaks.chain(), answer) || answer == nullptr || answer->restype != RTT)
      fail(L"ov_plumb-setPipeBreaks did not answer T");
    acutRelRb(answer);
    answer = nullptr;
    int items = 0;
    if (invoke(elbowList.chain(), answer))
      for (const resbuf* rb = answer; rb != nullptr; rb = rb->rbnext) ++items;
    acutRelRb(answer);
    // ((("i" . 0) ("dLength" . 6.0) ("dAngle" . 0.785)) ...) for the two elbows.
    if (items < 2 * 3 * 5) fail(L"ov_plumb-pipe-elbowList did not answer both elbows");
  }

  LispInterpreter lisp_;
  LispCurrentScope current_{lisp_};
  AcedPrintSink previousSink_;
  fs::path folder_;
  AcApDocument* document_ = nullptr;
  std::unique_ptr<PluginLoader> loader_;
  bool classesStepped_ = false;
  std::wstring textLayer_, hiddenLayer_;
  ads_name pipe_ = {0, 0};
  std::string error_;
};

std::unique_ptr<LispCallHost> gHost;

void setUpHost(const benchmark::State&) { gHost = std::make_unique<LispCallHost>(); }
void takeDownHost(const benchmark::State&) { gHost.reset(); }

using ChainOf = ChainMaker LispCallHost::*;

// One call per iteration through the host's LISP dispatch; the answer is released as
// the caller would.
void invokeEach(benchmark::State& state, ChainOf which) {
  if (!gHost->error().empty()) {
    state.SkipWithError(gHost->error().c_str());
    return;
  }
  const resbuf* call = ((*gHost).*which).chain();
  for (auto _ : state) {
    resbuf* answer = nullptr;
    if (acedInvoke(call, &answer) != RTNORM) {
      state.SkipWithError("the call failed");
      break;
    }
    benchmark::DoNotOptimize(answer);
    acutRelRb(answer);
  }
  state.SetItemsProcessed(state.iterations());
}

// The floor: every buffer of the same chain visited, its type and value read.
void walkEach(benchmark::State& state, ChainOf which) {
  if (!gHost->error().empty()) {
    state.SkipWithError(gHost->error().c_str());
    return;
  }
  const resbuf* call = ((*gHost).*which).chain();
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (const resbuf* rb = call; rb != nullptr; rb = rb->rbnext) {
      sum += static_cast<std::uint64_t>(rb->restype);
      switch (rb->restype) {
        case RTREAL: sum += static_cast<std::uint64_t>(rb->resval.rreal); break;
        case RTSHORT: sum += static_cast<std::uint64_t>(rb->resval.rint); break;
        case RT3DPOINT: sum += static_cast<std::uint64_t>(rb->resval.rpoint[0] + rb->resval.rpoint[2]); break;
        case RTSTR: sum += static_cast<std::uint64_t>(rb->resval.rstring[0]); break;
        case RTENAME: sum += static_cast<std::uint64_t>(rb->resval.rlname[0]); break;
        default: break;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LispSetPipeInfo(benchmark::State& state) { invokeEach(state, &LispCallHost::setPipeInfo); }
void BM_LispSetPipeBreaks(benchmark::State& state) { invokeEach(state, &LispCallHost::setPipeBreaks); }
void BM_LispElbowList(benchmark::State& state) { invokeEach(state, &LispCallHost::elbowList); }
void BM_LispWalkSetPipeInfo(benchmark::State& state) { walkEach(state, &LispCallHost::setPipeInfo); }
void BM_LispWalkSetPipeBreaks(benchmark::State& state) { walkEach(state, &LispCallHost::setPipeBreaks); }
void BM_LispWalkElbowList(benchmark::State& state) { walkEach(state, &LispCallHost::elbowList); }

BENCHMARK(BM_LispSetPipeInfo)->Setup(setUpHost)->Teardown(takeDownHost);
BENCHMARK(BM_LispWalkSetPipeInfo)->Setup(setUpHost)->Teardown(takeDownHost);
BENCHMARK(BM_LispSetPipeBreaks)->Setup(setUpHost)->Teardown(takeDownHost);
BENCHMARK(BM_LispWalkSetPipeBreaks)->Setup(setUpHost)->Teardown(takeDownHost);
BENCHMARK(BM_LispElbowList)->Setup(setUpHost)->Teardown(takeDownHost);
BENCHMARK(BM_LispWalkElbowList)->Setup(setUpHost)->Teardown(takeDownHost);

}  // namespace
