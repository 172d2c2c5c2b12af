// The multiplier dialog: the field, its refusal of values not above 0.
#include "sizing/CDialogMultiplier.h"

#include "dialogs/number_text.h"
#include "grid/grid.h"

CDialogMultiplier::CDialogMultiplier(CWnd* parent, double& value) : CAcUiDialog(IDD, parent), value_(value) {
  addField(kMultiplier, L"Multiplier:");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
}

BOOL CDialogMultiplier::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSizeMultiplier");
  SetWindowText(L"Flow Multiplier");
  SetDlgItemText(kMultiplier, formatNumber(value_, 5, true).c_str());
  return TRUE;
}

void CDialogMultiplier::OnOK() {
  std::wstring text;
  GetDlgItemText(kMultiplier, text);
  const double typed = ovGrid::leadingNumber(text);
  if (typed <= 0.0) {
    MessageBox(L"Multiplier must be greater than 0.", L"Orvane Plumbing", MB_OK | MB_ICONEXCLAMATION);
    CDialogItem* field = GetDlgItem(kMultiplier);
    GotoDlgCtrl(field);
    field->SetSel(0, -1);
    return;
  }
  value_ = typed;
  CAcUiDialog::OnOK();
}
