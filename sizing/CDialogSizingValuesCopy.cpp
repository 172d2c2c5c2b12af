// The copy dialog of the sizing tables: the pipe types in their order, the name tests.
#include "sizing/CDialogSizingValuesCopy.h"

#include "db/sql_text.h"
#include "dialogs/keyed_list.h"
#include "dialogs/project_sql.h"

namespace {
constexpr wchar_t kTitle[] = L"Orvane Plumbing";
}

CDialogSizingValuesCopy::CDialogSizingValuesCopy(CWnd* parent, const ProjectDatabasePtr& connection,
                                                 const std::wstring& name, int pipeType)
    : CAcUiDialog(IDD, parent), connection_(connection), name_(name), pipeType_(pipeType) {
  addField(kName, L"Name:");
  addDropDown(kPipeTypeList, L"Pipe Type:");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
}

BOOL CDialogSizingValuesCopy::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:ConversionName");
  SetWindowText(L"Copy Pipe Sizing Table");
  SetDlgItemText(kName, name_.c_str());
  pipeTypes_ = queryKeyedEntries(connection_, L"SELECT ixPipeType, sName" + std::wstring(L" FROM tblPipeType") +
                                                   L" ORDER BY iSortOrder");
  fillKeyedList(GetDlgItem(kPipeTypeList), pipeTypes_, pipeType_, false);
  return TRUE;
}

void CDialogSizingValuesCopy::OnOK() {
  std::wstring name;
  GetDlgItemText(kName, name);
  const int pipeType = chosenKeyOf(GetDlgItem(kPipeTypeList), pipeTypes_);
  // A name of blanks only would be stored as an empty one.
  if (name.find_first_not_of(L' ') == std::wstring::npos) {
    MessageBox(L"Name cannot be a blank string.", kTitle, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (nameTaken(name, pipeType)) {
    MessageBox(L"That name already exists.", kTitle, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  name_ = name;
  pipeType_ = pipeType;
  CAcUiDialog::OnOK();
}

bool CDialogSizingValuesCopy::nameTaken(const std::wstring& name, int pipeType) const {
  const std::wstring sql = L"SELECT ixPipeSizingTable" + std::wstring(L" FROM tblPipeSizingTable") +
                           L" WHERE sName = " + sqlText(name) + L" AND ixPipeType = " + std::to_wstring(pipeType);
  return !queryRows(connection_, sql).empty();
}
