// The desktop window's UI driver: dialogs as real modal windows (gui_dialog.h),
// message boxes, file dialogs and the host's list prompt as the toolkit's standard
// dialogs, input requests at the window's command line or by a click in its view.
// Each prints what it showed and what was answered, as the other drivers do.
#pragma once

#include "mfc/ui_driver.h"

class MainFrame;

class GuiUiDriver : public UiDriver {
 public:
  explicit GuiUiDriver(MainFrame* frame) : frame_(frame) {}

  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override;
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override;
  void runDialog(CDialog& dialog) override;
  std::optional<std::size_t> pickItem(const std::wstring& question, const std::vector<std::wstring>& items) override;
  std::optional<std::wstring> readInput(const std::wstring& prompt) override;

 private:
  MainFrame* frame_;
};

// The framework's filter ("Drawing (*.dwg)|*.dwg||") as the toolkit's wildcard.
std::wstring guiWildcard(const std::wstring& filter);
