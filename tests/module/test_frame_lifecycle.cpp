// The entry protocol through ovEntryPoint, its catch-alls around a failing class
// registration, the library's attach and detach, and the deferred work on activation.
#include <gtest/gtest.h>

#include <set>

#include "arx/aced_lisp.h"
#include "arx/editor.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame/module_lifecycle.h"
#include "frame/plumb_doc_reactor.h"
#include "frame_fixture.h"
#include "lisp/lisp_call_recorder.h"
#include "lisp/lisp_host_program.h"
#include "mfc/afx_exceptions.h"
#include "mfc/afx_module.h"
#include "win/last_error.h"

namespace {

// A custom class whose initialiser fails on demand, standing in for an entity class
// whose registration goes wrong. It stays registered for the whole run, doing nothing
// unless a test arms it.
enum class Failure { None, FrameworkException, OtherException };
Failure gFailure = Failure::None;
DWORD gLastErrorAtFailure = 0;

void failingInitialise() {
  switch (gFailure) {
    case Failure::None: return;
    case Failure::FrameworkException: throw new CSimpleException(L"Class registration failed");
    case Failure::OtherException: SetLastError(gLastErrorAtFailure); throw 42;
  }
}

void armFailure(Failure failure, DWORD lastError = 0) {
  static const bool registered = [] {
    ovAddModuleClass({failingInitialise, [] {}});
    return true;
  }();
  (void)registered;
  gFailure = failure;
  gLastErrorAtFailure = lastError;
}

class ModuleEntry : public FrameTest {
 protected:
  ~ModuleEntry() override {
    gFailure = Failure::None;
    ovSetDoDocumentActivated(true);
  }
  void TearDown() override {
    if (ovTheApplication() != nullptr) ovEntryPoint(AcRx::kUnloadAppMsg, nullptr);
    FrameTest::TearDown();
  }

  static size_t count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
};

TEST_F(ModuleEntry, InitialisationMakesTheContextAndConnectsTheCurrentProjectSilently) {
  makeProject("proj");
  ASSERT_NE(open("bare/other.hdw"), nullptr);
  ASSERT_NE(open("proj/plan.hdw"), nullptr);
  const int docReactors = manager()->hostReactorCount();
  const int editorReactors = acedEditorObject()->hostReactorCount();
  ovSetDoDocumentActivated(false);

  ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  ovApplication* context = ovTheApplication();
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(ovDoDocumentActivated()) << "every load starts with the deferred work on";
  EXPECT_EQ(context->documents().size(), 2u);
  EXPECT_EQ(manager()->hostReactorCount(), docReactors + 2) << "the framework's and the module's reactor";
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), editorReactors + 1);
  ASSERT_EQ(context->currentDocData()->path, path("proj/plan.hdw"));
  EXPECT_TRUE(ovIsOpen(context->currentDocData()->project->connection));
  EXPECT_FALSE(context->findProject(path("bare"))->connection);
  EXPECT_EQ(output_, L"");

  ASSERT_EQ(ovEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_EQ(ovTheApplication(), nullptr);
  EXPECT_EQ(manager()->hostReactorCount(), docReactors);
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), editorReactors);
}

TEST_F(ModuleEntry, AFailedSilentConnectionDoesNotStopTheLoad) {
  ASSERT_NE(open("bare/plan.hdw"), nullptr);
  EXPECT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  ASSERT_NE(ovTheApplication(), nullptr);
  EXPECT_EQ(output_, L"");
}

TEST_F(ModuleEntry, EachDocumentLoadPrintsTheBannerOnceAndDefinesTheFunctions) {
  ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  const std::wstring banner = L"\nLoading Orvane Plumbing ARX 4.1.44 (25084)\n";
  for (int load = 1; load <= 2; ++load) {
    ASSERT_EQ(ovEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
    EXPECT_EQ(count(output_, banner), static_cast<size_t>(load));
    const ovLispFunction* table = ovLispFunctionTable();
    for (short code = 0; code < kLispFunctionCount; ++code) {
      if (table[code].handler == nullptr) continue;
      SCOPED_TRACE(acutWideToUtf8(table[code].name));
      const LispValue function = lisp_.symbolValue(table[code].name);
      ASSERT_NE(function.subr(), nullptr);
      EXPECT_TRUE(function.subr()->external);
      EXPECT_EQ(function.subr()->funcCode, code);
      EXPECT_EQ(lisp_.externalHandler(code, function.subr()->application), table[code].handler);
    }
  }
  EXPECT_EQ(output_.rfind(banner, 0), 0u) << "the banner comes first";
  EXPECT_EQ(eval("(ov_plumb-setDoDocumentActivated T)"), L"nil");
}

TEST_F(ModuleEntry, TheTableNamesEveryFunctionOnceWithTheModulesPrefix) {
  const ovLispFunction* table = ovLispFunctionTable();
  std::set<std::wstring> names;
  for (short code = 0; code < kLispFunctionCount; ++code) {
    ASSERT_NE(table[code].name, nullptr) << "row " << code;
    const std::wstring name = table[code].name;
    EXPECT_EQ(name.rfind(L"ov_plumb-", 0), 0u) << acutWideToUtf8(name);
    EXPECT_TRUE(names.insert(name).second) << acutWideToUtf8(name) << " twice";
  }
  EXPECT_EQ(std::wstring(table[0].name), L"ov_plumb-disconnect");
  EXPECT_EQ(std::wstring(table[5].name), L"ov_plumb-getLayer");
  EXPECT_EQ(std::wstring(table[16].name), L"ov_plumb-options");
  EXPECT_EQ(std::wstring(table[33].name), L"ov_plumb-setDoDocumentActivated");
}

TEST_F(ModuleEntry, OtherMessagesAreAnsweredOkAndDoNothing) {
  const int reactors = manager()->hostReactorCount();
  for (int message : {0, 4, 5, 6, 7, 8, 9, 77}) {
    EXPECT_EQ(ovEntryPoint(static_cast<AcRx::AppMsgCode>(message), nullptr), AcRx::kRetOK) << message;
  }
  EXPECT_EQ(ovTheApplication(), nullptr);
  EXPECT_EQ(manager()->hostReactorCount(), reactors);
  EXPECT_EQ(output_, L"");
  EXPECT_TRUE(lisp_.symbolValue(L"ov_plumb-getLayer").isNil());
}

TEST_F(ModuleEntry, AFrameworkExceptionDuringInitialisationIsPrintedAndAnsweredAsError) {
  armFailure(Failure::FrameworkException);
  EXPECT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetError);
  EXPECT_EQ(output_, L"\nGeneral Error:  Class registration failed");
}

TEST_F(ModuleEntry, AnyOtherExceptionPrintsTheSystemErrorWhenThereIsOne) {
  armFailure(Failure::OtherException, 5);
  EXPECT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetError);
  EXPECT_EQ(output_, L"\nSystem error 5.\n");
  ovEntryPoint(AcRx::kUnloadAppMsg, nullptr);

  output_.clear();
  armFailure(Failure::OtherException, 0);
  EXPECT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetError);
  EXPECT_EQ(output_, L"\nOrvane error.  Closing AutoCAD and reopening it should fix this problem.\n");
}

TEST_F(ModuleEntry, TheLibraryJoinsTheResourceChainOnceAndLeavesItOnDetach) {
  auto& libraries = AfxGetModuleState()->m_libraryList;
  const size_t before = libraries.size();
  void* instance = &libraries;  // any address stands for the library's instance
  EXPECT_EQ(ovLibraryMain(instance, kAcrxLibraryAttach), 1);
  ASSERT_EQ(libraries.size(), before + 1);
  EXPECT_EQ(libraries.back()->m_hModule, static_cast<HMODULE>(instance));
  EXPECT_EQ(ovLibraryMain(instance, kAcrxLibraryAttach), 1);
  EXPECT_EQ(libraries.size(), before + 1) << "a second attach changes nothing";
  EXPECT_EQ(ovLibraryMain(instance, kAcrxLibraryDetach), 1);
  EXPECT_EQ(libraries.size(), before);
  EXPECT_EQ(ovLibraryMain(instance, kAcrxLibraryDetach), 1);
  EXPECT_EQ(libraries.size(), before);
}

// ---- the deferred work on activation -------------------------------------------------

class DeferredWork : public ModuleEntry {
 protected:
  void SetUp() override {
    a_ = open("p/a.hdw");
    b_ = open("p/b.hdw");
    ASSERT_TRUE(a_ && b_);
    ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
    ASSERT_EQ(ovEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
    output_.clear();
  }

  // Activates the other document and answers how many calls the recorder saw by then.
  size_t switchDocument() {
    manager()->activateDocument(manager()->mdiActiveDocument() == a_ ? b_ : a_);
    return toDo_.calls().size();
  }

  AcApDocument* a_ = nullptr;
  AcApDocument* b_ = nullptr;
  LispCallRecorder toDo_{lisp_, L"c:ov_plumb-doToDo"};
};

TEST_F(DeferredWork, EachActivationOfAQuiescentDocumentRunsItOnce) {
  EXPECT_EQ(switchDocument(), 1u);
  EXPECT_TRUE(toDo_.calls().front().empty()) << "the deferred work takes no arguments";
  EXPECT_EQ(switchDocument(), 2u);
  manager()->activateDocument(manager()->mdiActiveDocument());
  EXPECT_EQ(toDo_.calls().size(), 2u) << "the active document is not activated again";
}

TEST_F(DeferredWork, ABusyDocumentIsLeftAlone) {
  {
    AcApBusyScope busy;
    EXPECT_EQ(switchDocument(), 0u);
  }
  EXPECT_EQ(switchDocument(), 1u);
}

TEST_F(DeferredWork, TheLispProgramSwitchesItOffAndOn) {
  EXPECT_EQ(eval("(ov_plumb-setDoDocumentActivated nil)"), L"nil");
  EXPECT_FALSE(ovDoDocumentActivated());
  EXPECT_EQ(switchDocument(), 0u);
  EXPECT_EQ(eval("(ov_plumb-setDoDocumentActivated)"), L"nil");
  EXPECT_EQ(switchDocument(), 0u) << "no argument leaves it off";

  EXPECT_EQ(eval("(ov_plumb-setDoDocumentActivated \"yes\")"), L"nil");
  EXPECT_EQ(switchDocument(), 1u);
  EXPECT_EQ(eval("(ov_plumb-setDoDocumentActivated)"), L"nil");
  EXPECT_EQ(switchDocument(), 2u) << "no argument leaves it on";

  for (const char* on : {"0", "T", "\"\"", "2.5"}) {
    ovSetDoDocumentActivated(false);
    EXPECT_EQ(eval(std::string("(ov_plumb-setDoDocumentActivated ") + on + ")"), L"nil") << on;
    EXPECT_TRUE(ovDoDocumentActivated()) << on;
  }
  EXPECT_EQ(output_, L"");
}

TEST_F(DeferredWork, AfterUnloadNothingRunsOnActivation) {
  ASSERT_EQ(ovEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_EQ(switchDocument(), 0u);
}

TEST_F(DeferredWork, TheHostsOwnDeferredWorkRunsTheQueuedForms) {
  // Without the recorder's answer the host program's own function runs: it evaluates
  // what the LISP program queued for the next switch.
  lisp_.setSymbolValue(kLispToDoSymbol, lisp_.evaluate("'((setq ranAfterSwitch 7))").value);
  EXPECT_EQ(switchDocument(), 1u);
  EXPECT_EQ(eval("ranAfterSwitch"), L"7");
}

}  // namespace
