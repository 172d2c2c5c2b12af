// The entry protocol through ovEntryPoint, its catch-alls around a failing class
// registration, the library's attach and detach, and the deferred work on activation
// (the LISP program's switch for it is in scripts/frame_activation and frame_deferred).
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
};

// Initialisation makes the context with the documents open, adds the framework's and the
// module's reactors and connects the current project silently; a current drawing without
// a project does not stop the load. Unloading takes all of it away again.
TEST_F(ModuleEntry, InitialisationMakesTheContextAndConnectsTheCurrentProjectSilently) {
  makeProject("proj");
  AcApDocument* bare = open("bare/other.hdw");
  ASSERT_NE(open("proj/plan.hdw"), nullptr);
  const int docReactors = manager()->hostReactorCount();
  const int editorReactors = acedEditorObject()->hostReactorCount();
  for (bool bareIsCurrent : {false, true}) {
    SCOPED_TRACE(bareIsCurrent ? "a current drawing without project" : "a current drawing of a project");
    ovSetDoDocumentActivated(false);
    ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
    ovApplication* context = ovTheApplication();
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(ovDoDocumentActivated()) << "every load starts with the deferred work on";
    EXPECT_EQ(context->documents().size(), 2u);
    EXPECT_EQ(manager()->hostReactorCount(), docReactors + 2);
    EXPECT_EQ(acedEditorObject()->hostReactorCount(), editorReactors + 1);
    if (!bareIsCurrent) {
      EXPECT_TRUE(ovIsOpen(context->findProject(path("proj"))->connection));
    }
    EXPECT_FALSE(context->findProject(path("bare"))->connection);
    EXPECT_EQ(output_, L"");
    ASSERT_EQ(ovEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
    EXPECT_EQ(ovTheApplication(), nullptr);
    EXPECT_EQ(manager()->hostReactorCount(), docReactors);
    EXPECT_EQ(acedEditorObject()->hostReactorCount(), editorReactors);
    manager()->activateDocument(bare);
  }
}

// Every row names one function with the module's prefix, once; each document load prints
// the banner and defines each function with its own code and handler.
TEST_F(ModuleEntry, EachDocumentLoadPrintsTheBannerOnceAndDefinesTheFunctions) {
  const ovLispFunction* table = ovLispFunctionTable();
  std::set<std::wstring> names;
  for (short code = 0; code < kLispFunctionCount; ++code) {
    ASSERT_NE(table[code].name, nullptr) << "row " << code;
    const std::wstring name = table[code].name;
    EXPECT_EQ(name.rfind(L"ov_plumb-", 0), 0u) << acutWideToUtf8(name);
    EXPECT_TRUE(names.insert(name).second) << acutWideToUtf8(name) << " twice";
  }
  EXPECT_EQ(std::wstring(table[5].name), L"ov_plumb-getLayer");
  EXPECT_EQ(std::wstring(table[33].name), L"ov_plumb-setDoDocumentActivated");

  ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  const std::wstring banner = L"\nLoading Orvane Plumbing ARX 4.1.44 (25084)\n";
  for (int load = 1; load <= 2; ++load) {
    ASSERT_EQ(ovEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
    EXPECT_EQ(count(output_, banner), static_cast<size_t>(load));
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
}

TEST_F(ModuleEntry, OtherMessagesAreAnsweredOkAndDoNothing) {
  const int reactors = manager()->hostReactorCount();
  for (int message : {0, 4, 5, 6, 7, 8, 9, 77})
    EXPECT_EQ(ovEntryPoint(static_cast<AcRx::AppMsgCode>(message), nullptr), AcRx::kRetOK) << message;
  EXPECT_EQ(ovTheApplication(), nullptr);
  EXPECT_EQ(manager()->hostReactorCount(), reactors);
  EXPECT_EQ(output_, L"");
  EXPECT_TRUE(lisp_.symbolValue(L"ov_plumb-getLayer").isNil());
}

// A failing class registration is printed and answered as an error: a framework
// exception with its message, any other with the system error when there is one.
TEST_F(ModuleEntry, AnExceptionDuringInitialisationIsPrintedAndAnsweredAsError) {
  static const bool registered = [] {
    ovAddModuleClass({failingInitialise, [] {}});
    return true;
  }();
  ASSERT_TRUE(registered);
  const struct {
    Failure failure;
    DWORD lastError;
    const wchar_t* printed;
  } cases[] = {
      {Failure::FrameworkException, 0, L"\nGeneral Error:  Class registration failed"},
      {Failure::OtherException, 5, L"\nSystem error 5.\n"},
      {Failure::OtherException, 0, L"\nOrvane error.  Closing AutoCAD and reopening it should fix this problem.\n"},
  };
  for (const auto& c : cases) {
    gFailure = c.failure;
    gLastErrorAtFailure = c.lastError;
    output_.clear();
    EXPECT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetError);
    EXPECT_EQ(output_, c.printed);
    ovEntryPoint(AcRx::kUnloadAppMsg, nullptr);
  }
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

// Each activation of a quiescent document runs the LISP program's deferred work once,
// without arguments: not for the active document activated again, not while a document
// is busy, not while switched off, and not after the unload.
TEST_F(ModuleEntry, TheDeferredWorkRunsOnEachActivationOfAQuiescentDocument) {
  AcApDocument* a = open("p/a.hdw");
  AcApDocument* b = open("p/b.hdw");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(ovEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  ASSERT_EQ(ovEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
  LispCallRecorder toDo(lisp_, L"c:ov_plumb-doToDo");
  const auto switchDocument = [&] {
    manager()->activateDocument(manager()->mdiActiveDocument() == a ? b : a);
    return toDo.calls().size();
  };
  EXPECT_EQ(switchDocument(), 1u);
  EXPECT_TRUE(toDo.calls().front().empty()) << "the deferred work takes no arguments";
  manager()->activateDocument(manager()->mdiActiveDocument());
  EXPECT_EQ(toDo.calls().size(), 1u) << "the active document is not activated again";
  {
    AcApBusyScope busy;
    EXPECT_EQ(switchDocument(), 1u);
  }
  EXPECT_EQ(switchDocument(), 2u);
  ovSetDoDocumentActivated(false);
  EXPECT_EQ(switchDocument(), 2u);
  ovSetDoDocumentActivated(true);
  EXPECT_EQ(switchDocument(), 3u);
  ASSERT_EQ(ovEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_EQ(switchDocument(), 3u);
}

}  // namespace
