// Record class of tblGlobal: the project's global settings, one row per named setting.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "sKey" (sKey).
class tblGlobal : public TableRecord {
 public:
  explicit tblGlobal(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblGlobal), db, false, L"sKey") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblGlobal)
};
