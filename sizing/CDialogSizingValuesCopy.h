// The small dialog that names a copy of a sizing table and chooses the pipe type it
// goes to; it refuses a blank name and one the chosen pipe type already has.
#pragma once

#include <string>
#include <vector>

#include "dialogs/keyed_list.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class CDialogSizingValuesCopy : public CAcUiDialog {
 public:
  enum { IDD = 133 };
  static constexpr int kName = 1001;
  static constexpr int kPipeTypeList = 1002;

  // Proposes name for the copy and preselects pipeType.
  CDialogSizingValuesCopy(CWnd* parent, const ProjectDatabasePtr& connection, const std::wstring& name,
                          int pipeType);

  BOOL OnInitDialog() override;
  void OnOK() override;

  // What the user chose, once the dialog ended with OK.
  const std::wstring& name() const { return name_; }
  int pipeType() const { return pipeType_; }

 private:
  bool nameTaken(const std::wstring& name, int pipeType) const;

  ProjectDatabasePtr connection_;
  std::wstring name_;
  int pipeType_;
  KeyedEntries pipeTypes_;
};
