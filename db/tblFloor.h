// Record class of tblFloor: the project's floors, found by key or by name.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "sName" (sName).
class tblFloor : public TableRecord {
 public:
  explicit tblFloor(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblFloor), db, false, L"sName") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblFloor)
};
