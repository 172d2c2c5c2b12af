// Shared ground of the options dialog and block browser tests: a standard project with
// a drawing in its folder, a user acting from a scripted answer text, and what that
// user saw of the options grid when each dialog opened and when it closed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/tblGlobal.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame_fixture.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "mfc/ui_script.h"

// The options grid as the user sees it: each row's value, greying and read-only state.
struct OptionsGridView {
  std::wstring caption;
  std::wstring name;
  std::vector<std::wstring> labels;
  std::vector<std::wstring> values;
  std::vector<std::wstring> keys;
  std::vector<bool> grey;
  int editRow = -1;
  int selectedRow = -1;

  int rowOf(const std::wstring& key) const {
    for (std::size_t row = 0; row < keys.size(); ++row)
      if (keys[row] == key) return static_cast<int>(row);
    return -1;
  }
  std::wstring value(const std::wstring& key) const {
    const int row = rowOf(key);
    return row < 0 ? L"<no row>" : values[static_cast<std::size_t>(row)];
  }
  bool isGrey(const std::wstring& key) const {
    const int row = rowOf(key);
    return row >= 0 && grey[static_cast<std::size_t>(row)];
  }
};

// A file dialog as it was shown.
struct ShownFileDialog {
  std::wstring filter;
  std::wstring folder;
  std::wstring fileName;
};

// Answers everything from a script, as ovhost --ui does, and writes down what the user
// saw on the way.
class WatchingUiDriver : public UiDriver {
 public:
  explicit WatchingUiDriver(std::unique_ptr<ScriptedUiDriver> script) : script_(std::move(script)) {}

  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override {
    boxes.push_back(L"[" + title + L"] " + text);
    return script_->messageBox(title, text, icon, buttons, defaultAnswer);
  }
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override {
    files.push_back({filter, folder, fileName});
    return script_->pickFile(title, filter, folder, fileName);
  }
  void runDialog(CDialog& dialog) override {
    opened.push_back(view(dialog));
    script_->runDialog(dialog);
    closed.push_back(view(dialog));
  }

  std::vector<std::wstring> boxes;
  std::vector<ShownFileDialog> files;
  std::vector<OptionsGridView> opened;
  std::vector<OptionsGridView> closed;

 private:
  static OptionsGridView view(const CDialog& dialog) {
    OptionsGridView seen;
    seen.caption = dialog.caption();
    seen.name = dialogNameOf(dialog);
    const CDialogItem* item = dialog.GetDlgItem(1052);
    const auto* grid = item != nullptr ? dynamic_cast<const ovGrid*>(item->grid()) : nullptr;
    if (grid == nullptr) return seen;
    for (int row = 0; row < grid->rowCount(); ++row) {
      seen.labels.push_back(grid->text(row, 0));
      seen.values.push_back(grid->text(row, 1));
      seen.keys.push_back(row == 0 ? L"" : grid->text(row, 2));
      seen.grey.push_back(grid->isGrey(row, 1) && grid->isGrey(row, 0));
    }
    seen.editRow = grid->editRow();
    seen.selectedRow = grid->selectedRow();
    return seen;
  }

  std::unique_ptr<ScriptedUiDriver> script_;
};

class OptionsTest : public FrameTest {
 protected:
  void SetUp() override {
    projectFile_ = makeProject("proj");
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    ASSERT_EQ(std::wstring(db_->OpenProjectDatabase(_bstr_t(projectFile_.c_str()), 0, 0)), L"OK");
    ASSERT_NE(open("proj/plan.hdw"), nullptr);
    startContext();
    ovRegisterLispFunctions();
  }
  void TearDown() override {
    setUiDriver(&ui_);
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
    FrameTest::TearDown();
  }

  // Evaluates the LISP call with a user acting as the answer text says; answers the
  // printed result.
  std::wstring runWith(const std::string& call, const std::string& answers) {
    std::wstring error;
    std::unique_ptr<ScriptedUiDriver> script = ScriptedUiDriver::fromText(answers, "answers", error);
    EXPECT_TRUE(script) << acutWideToUtf8(error);
    if (!script) return L"";
    watcher_ = std::make_unique<WatchingUiDriver>(std::move(script));
    setUiDriver(watcher_.get());
    const std::wstring result = eval(call);
    setUiDriver(&ui_);
    return result;
  }

  void sql(const std::wstring& statement) {
    EXPECT_EQ(db_->Execute(_bstr_t(statement.c_str())), VARIANT_TRUE) << acutWideToUtf8(statement);
  }

  // The stored row of a setting, read afresh; null when there is none.
  std::unique_ptr<tblGlobal> stored(const std::wstring& key) {
    auto row = std::make_unique<tblGlobal>(db_);
    if (!row->FindBy(_variant_t(key.c_str()))) return nullptr;
    return row;
  }
  double storedNumber(const std::wstring& key) {
    std::unique_ptr<tblGlobal> row = stored(key);
    return row ? row->dNumber() : -12345.0;
  }
  std::wstring storedText(const std::wstring& key) {
    std::unique_ptr<tblGlobal> row = stored(key);
    return row ? row->sText() : L"<no row>";
  }

  std::wstring projectFile_;
  ProjectDatabasePtr db_;
  std::unique_ptr<WatchingUiDriver> watcher_;
};
