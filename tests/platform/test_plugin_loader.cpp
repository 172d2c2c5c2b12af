// Loading plug-ins: the entry protocol in order, kLoadDwgMsg per document with that
// document current, what a plug-in registers being its own and leaving with it, and
// the refusals of libraries that are no plug-in or cannot start.
#include <fstream>
#include <string>

#include "arx/plugin_loader.h"
#include "test_documents_fixture.h"

namespace {

const std::wstring kTestPlugin = L"" OV_TEST_PLUGIN;
const std::wstring kBadInitPlugin = L"" OV_BAD_INIT_PLUGIN;
const std::wstring kPlatformLibrary = L"" OV_PLATFORM_LIBRARY;

// The lines printed so far that the test plug-in wrote ("[ovtest] ...").
std::vector<std::wstring> pluginLines(const std::wstring& output) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find(L'\n', start);
    if (end == std::wstring::npos) end = output.size();
    std::wstring line = output.substr(start, end - start);
    if (line.rfind(L"[ovtest] ", 0) == 0) lines.push_back(line.substr(9));
    start = end + 1;
  }
  return lines;
}

class PluginLoaderTest : public DocumentsTest {
 protected:
  PluginLoaderTest() {
    baseDocReactors_ = manager()->hostReactorCount();
    baseEditorReactors_ = acedEditorObject()->hostReactorCount();
  }

  PluginLoader loader_{[this](const std::wstring& line) { reports_.push_back(line); }};
  std::vector<std::wstring> reports_;
  int baseDocReactors_ = 0;
  int baseEditorReactors_ = 0;
};

// The library is attached, initialised once, then told about each open document in
// the order they were opened, each current while it hears.
TEST_F(PluginLoaderTest, LoadFollowsTheEntryProtocol) {
  AcApDocument* a = open("a.hdw");
  open("b.hdw");
  output_.clear();
  std::wstring error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_EQ(pluginLines(output_), (std::vector<std::wstring>{L"library attach", L"kInitAppMsg",
                                                              L"kLoadDwgMsg " + path("a.hdw"),
                                                              L"kLoadDwgMsg " + path("b.hdw")}));
  // The current document is the active one again afterwards.
  EXPECT_EQ(manager()->curDocument(), manager()->mdiActiveDocument());
  EXPECT_NE(manager()->curDocument(), a);
  const AcRxAppRecord* record = loader_.record(kTestPlugin);
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->unlocked);
  EXPECT_TRUE(record->mdiAware);
  EXPECT_EQ(loader_.loadedPaths(), std::vector<std::wstring>{AcApDocManager::hostFullPath(kTestPlugin)});
}

// A document opened later is told between its creation and its activation.
TEST_F(PluginLoaderTest, DocumentsOpenedLaterAreToldToo) {
  open("a.hdw");
  std::wstring error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  output_.clear();
  open("b.hdw");
  const std::wstring b = path("b.hdw");
  EXPECT_EQ(pluginLines(output_),
            (std::vector<std::wstring>{L"documentCreateStarted " + b, L"documentCreated " + b, L"kLoadDwgMsg " + b,
                                       L"documentToBeActivated " + b, L"documentActivated " + b + L" (quiescent)"}));
}

TEST_F(PluginLoaderTest, RegisteredFunctionsWorkWhileLoadedAndLeaveWithThePlugin) {
  AcApDocument* a = open("a.hdw");
  std::wstring error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_EQ(eval("(ovtest-add-line '(0 0) '(1 1))").substr(0, 7), L"<Entity");
  EXPECT_EQ(eval("(ovtest-count)"), L"1");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_ + 1);
  output_.clear();
  ASSERT_TRUE(loader_.unload(kTestPlugin, error)) << error;
  EXPECT_EQ(pluginLines(output_), (std::vector<std::wstring>{L"kUnloadAppMsg", L"library detach"}));
  EXPECT_EQ(eval("(ovtest-count)"), L"; error: no function definition: OVTEST-COUNT");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_);
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), baseEditorReactors_);
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(loader_.record(kTestPlugin), nullptr);
  // The drawing keeps what the plug-in added.
  EXPECT_EQ(entityCount(a->database()), 1);
  EXPECT_FALSE(loader_.unload(kTestPlugin, error));
  EXPECT_NE(error.find(L"is not loaded"), std::wstring::npos);
}

// A plug-in loaded again after an unload starts afresh.
TEST_F(PluginLoaderTest, APluginCanBeLoadedAgainAfterItsUnload) {
  open("a.hdw");
  std::wstring error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_FALSE(loader_.load(kTestPlugin, error));
  EXPECT_NE(error.find(L"already loaded"), std::wstring::npos);
  ASSERT_TRUE(loader_.unload(kTestPlugin, error)) << error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_EQ(eval("(ovtest-count)"), L"0");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_ + 1);
}

TEST_F(PluginLoaderTest, DestroyingTheLoaderUnloadsEveryPlugin) {
  open("a.hdw");
  std::wstring error;
  {
    PluginLoader scoped;
    ASSERT_TRUE(scoped.load(kTestPlugin, error)) << error;
    output_.clear();
  }
  EXPECT_EQ(pluginLines(output_), (std::vector<std::wstring>{L"kUnloadAppMsg", L"library detach"}));
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_);
  // Nothing of the loader is left to tell about new documents.
  output_.clear();
  open("b.hdw");
  EXPECT_TRUE(pluginLines(output_).empty());
}

// ---- refusals -------------------------------------------------------------------------

TEST_F(PluginLoaderTest, AMissingLibraryIsRefused) {
  std::wstring error;
  EXPECT_FALSE(loader_.load(path("missing.so"), error));
  EXPECT_NE(error.find(L"no such file"), std::wstring::npos);
  EXPECT_NE(error.find(path("missing.so")), std::wstring::npos);
  EXPECT_FALSE(loader_.load(L"", error));
  EXPECT_TRUE(loader_.loadedPaths().empty());
}

TEST_F(PluginLoaderTest, AFileThatIsNoLibraryIsRefused) {
  std::ofstream(folder_ / "text.so") << "plain text";
  std::wstring error;
  EXPECT_FALSE(loader_.load(path("text.so"), error));
  EXPECT_NE(error.find(L"cannot load"), std::wstring::npos);
  EXPECT_FALSE(loader_.load(folder_.wstring(), error));
  EXPECT_TRUE(loader_.loadedPaths().empty());
}

TEST_F(PluginLoaderTest, ALibraryWithoutTheEntryPointIsRefused) {
  std::wstring error;
  EXPECT_FALSE(loader_.load(kPlatformLibrary, error));
  EXPECT_NE(error.find(L"does not export acrxEntryPoint"), std::wstring::npos);
  EXPECT_TRUE(loader_.loadedPaths().empty());
}

// Everything the plug-in registered before failing goes with it, so nothing calls
// into its unloaded code later.
TEST_F(PluginLoaderTest, APluginFailingToInitialiseIsUnloadedWhole) {
  open("a.hdw");
  output_.clear();
  std::wstring error;
  EXPECT_FALSE(loader_.load(kBadInitPlugin, error));
  EXPECT_NE(error.find(L"kInitAppMsg answered kRetError"), std::wstring::npos);
  EXPECT_NE(output_.find(L"[ovbad] kInitAppMsg fails"), std::wstring::npos);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(L"left 2 reactor(s) attached; removed"), std::wstring::npos);
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_);
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), baseEditorReactors_);
  EXPECT_EQ(eval("(ovbad-function)"), L"; error: no function definition: OVBAD-FUNCTION");
  EXPECT_TRUE(loader_.loadedPaths().empty());
  // Events that the plug-in's reactors would have heard reach nobody of it.
  output_.clear();
  open("b.hdw");
  std::wstring message;
  manager()->hostSaveDocument(manager()->curDocument(), L"", message);
  EXPECT_EQ(output_.find(L"still attached"), std::wstring::npos);
}

// Only packets of loaded plug-ins are taken.
TEST_F(PluginLoaderTest, UnknownPacketsAreRefused) {
  AcRxAppRecord stray;
  EXPECT_FALSE(acrxUnlockApplication(&stray));
  EXPECT_FALSE(acrxRegisterAppMDIAware(nullptr));
  EXPECT_FALSE(stray.unlocked);
}

}  // namespace
