// The flow multiplier of a flow category: one number, above 0, written back to the
// caller's value on OK.
#pragma once

#include "mfc/dialog.h"

class CDialogMultiplier : public CAcUiDialog {
 public:
  enum { IDD = 135 };
  static constexpr int kMultiplier = 1001;

  // value is shown, and on OK replaced with what the user typed.
  CDialogMultiplier(CWnd* parent, double& value);

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  double& value_;
};
