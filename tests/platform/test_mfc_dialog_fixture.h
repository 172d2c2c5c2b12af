// Shared by the dialog tests: a driver that acts as the user through a test's own
// function, and a fixture that collects what is printed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "mfc/dialog.h"
#include "mfc/ui_driver.h"

// Acts on each dialog with act (only the dialog's user actions), answers message boxes
// with answer (or their default) and file dialogs with file.
class ActingDriver : public UiDriver {
 public:
  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon, const std::vector<int>&,
                 int defaultAnswer) override {
    boxes.push_back(title + L": " + text);
    return answer ? answer : defaultAnswer;
  }
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override {
    fileAsks.push_back(title + L"|" + filter + L"|" + folder + L"|" + fileName);
    return file;
  }
  void runDialog(CDialog& dialog) override {
    dialogs.push_back(dialogNameOf(dialog));
    if (act) act(dialog);
  }

  std::function<void(CDialog&)> act;
  std::vector<std::wstring> dialogs, boxes, fileAsks;
  int answer = 0;
  std::optional<std::wstring> file;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldSink_ = acedSetPrintSink([this](const std::wstring& text) { printed_ += text; });
    previous_ = setUiDriver(&driver_);
  }
  void TearDown() override {
    setUiDriver(nullptr);
    acedSetPrintSink(oldSink_);
  }
  ActingDriver driver_;
  std::wstring printed_;

 private:
  AcedPrintSink oldSink_;
  UiDriver* previous_ = nullptr;
};
