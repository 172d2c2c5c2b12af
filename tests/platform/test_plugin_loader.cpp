// Loading plug-ins: the entry protocol with each open document current while it hears
// kLoadDwgMsg, what a plug-in registers leaving with it, loading again, and the
// refusals of libraries that are no plug-in or cannot start. ovhost's --load and the
// events a loaded plug-in hears are checked by tests/scripts/ovhost_command_line.sh
// and document_events.lsp.
#include <fstream>
#include <string>

#include "arx/plugin_loader.h"
#include "test_documents_fixture.h"

namespace {

const std::wstring kTestPlugin = L"" OV_TEST_PLUGIN;

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
  PluginLoader loader_{[this](const std::wstring& line) { reports_.push_back(line); }};
  std::vector<std::wstring> reports_;
  int baseDocReactors_ = manager()->hostReactorCount();
  int baseEditorReactors_ = acedEditorObject()->hostReactorCount();
};

// Attached, initialised once, told about each open document in the order they were
// opened, the active one (here not the last) current again afterwards; its functions
// work while it is loaded and leave with it, its reactors too, and it can be loaded
// again afresh. The drawing keeps what it added.
TEST_F(PluginLoaderTest, LoadUnloadAndLoadAgain) {
  AcApDocument* a = open("a.hdw");
  open("b.hdw");
  manager()->activateDocument(a);
  output_.clear();
  std::wstring error;
  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_EQ(pluginLines(output_), (std::vector<std::wstring>{L"library attach", L"kInitAppMsg",
                                                              L"kLoadDwgMsg " + path("a.hdw"),
                                                              L"kLoadDwgMsg " + path("b.hdw")}));
  EXPECT_EQ(manager()->curDocument(), a);
  const AcRxAppRecord* record = loader_.record(kTestPlugin);
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->unlocked);
  EXPECT_TRUE(record->mdiAware);
  EXPECT_EQ(loader_.loadedPaths(), std::vector<std::wstring>{AcApDocManager::hostFullPath(kTestPlugin)});
  EXPECT_FALSE(loader_.load(kTestPlugin, error));
  EXPECT_NE(error.find(L"already loaded"), std::wstring::npos);

  EXPECT_EQ(eval("(ovtest-add-line '(0 0) '(1 1))").substr(0, 7), L"<Entity");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_ + 1);
  output_.clear();
  ASSERT_TRUE(loader_.unload(kTestPlugin, error)) << error;
  EXPECT_EQ(pluginLines(output_), (std::vector<std::wstring>{L"kUnloadAppMsg", L"library detach"}));
  EXPECT_EQ(eval("(ovtest-count)"), L"; error: no function definition: OVTEST-COUNT");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_);
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), baseEditorReactors_);
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(loader_.record(kTestPlugin), nullptr);
  EXPECT_EQ(entityCount(a->database()), 1);
  EXPECT_FALSE(loader_.unload(kTestPlugin, error));
  EXPECT_NE(error.find(L"is not loaded"), std::wstring::npos);

  ASSERT_TRUE(loader_.load(kTestPlugin, error)) << error;
  EXPECT_EQ(eval("(ovtest-count)"), L"1");
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_ + 1);
}

// A destroyed loader unloads its plug-ins and leaves nothing behind to be told about
// documents opened later.
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
  output_.clear();
  open("b.hdw");
  EXPECT_TRUE(pluginLines(output_).empty());
}

// Each row a library that is refused and what the reason says.
TEST_F(PluginLoaderTest, LibrariesThatAreNoPluginAreRefused) {
  std::ofstream(folder_ / "text.so") << "plain text";
  const std::pair<std::wstring, const wchar_t*> rows[] = {
      {path("missing.so"), L"no such file"},
      {L"", L""},
      {path("text.so"), L"cannot load"},
      {folder_.wstring(), L""},
      {L"" OV_PLATFORM_LIBRARY, L"does not export acrxEntryPoint"},
  };
  for (const auto& [library, reason] : rows) {
    std::wstring error;
    EXPECT_FALSE(loader_.load(library, error)) << acutWideToUtf8(library);
    EXPECT_NE(error.find(reason), std::wstring::npos) << acutWideToUtf8(error);
    EXPECT_NE(error.find(library), std::wstring::npos) << acutWideToUtf8(error);
  }
  EXPECT_TRUE(loader_.loadedPaths().empty());
  // Only packets of loaded plug-ins are taken.
  AcRxAppRecord stray;
  EXPECT_FALSE(acrxUnlockApplication(&stray));
  EXPECT_FALSE(acrxRegisterAppMDIAware(nullptr));
  EXPECT_FALSE(stray.unlocked);
}

// Everything the plug-in registered before failing goes with it, so nothing calls
// into its unloaded code later.
TEST_F(PluginLoaderTest, APluginFailingToInitialiseIsUnloadedWhole) {
  open("a.hdw");
  std::wstring error;
  EXPECT_FALSE(loader_.load(L"" OV_BAD_INIT_PLUGIN, error));
  EXPECT_NE(error.find(L"kInitAppMsg answered kRetError"), std::wstring::npos);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(L"left 2 reactor(s) attached; removed"), std::wstring::npos);
  EXPECT_EQ(manager()->hostReactorCount(), baseDocReactors_);
  EXPECT_EQ(acedEditorObject()->hostReactorCount(), baseEditorReactors_);
  EXPECT_TRUE(loader_.loadedPaths().empty());
}

}  // namespace
