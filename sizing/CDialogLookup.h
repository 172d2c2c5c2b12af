// The flow lookup of one flow category: fixture counts to flows with an optional
// minimum pipe size, in ascending fixture order, and the category's "Additional
// Multiplier" row, always last. Nothing is stored before OK.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeFlowLookup;

class CDialogLookup : public CAcUiDialog {
 public:
  enum { IDD = 134 };
  static constexpr int kNew = 1001;
  static constexpr int kDelete = 1002;
  static constexpr int kGrid = 1003;

  static constexpr int kColumnKey = 0;  // hidden; "-1" for a row not yet stored
  static constexpr int kColumnFixtures = 1;
  static constexpr int kColumnFlow = 2;
  static constexpr int kColumnMinimumSize = 3;

  // category: the flow category edited; pipeType: its pipe type, whose sizes are the
  // minimum-size choices.
  CDialogLookup(CWnd* parent, const ProjectDatabasePtr& connection, int category, int pipeType);
  ~CDialogLookup() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  struct SizeChoice {
    int key;
    std::wstring label;
  };

  void loadSizeChoices();
  void loadRows();
  int appendRow(int at, const std::wstring& key, int fixtures, double flow, const std::wstring& minimum);
  void appendMultiplierRow(const std::wstring& key, double flow);
  void onNew();
  void onDelete();
  bool onNotice(GridNotice& notice);
  // Puts a row whose fixture count changed after the last other row with a count not
  // above it.
  void keepInFixtureOrder(int row);

  bool isMultiplierRow(int row) const { return row == grid_.rowCount() - 1 && row >= grid_.headingRowCount(); }
  int fixtures(int row) const { return static_cast<int>(grid_.number(row, kColumnFixtures)); }
  std::wstring labelOfSize(int key) const;
  int keyOfLabel(const std::wstring& label) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeFlowLookup> lookup_;
  ovGrid grid_;
  int category_;
  int pipeType_;
  std::vector<SizeChoice> sizes_;  // "No minimum" first
  std::vector<int> removed_;
};
