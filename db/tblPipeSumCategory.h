// Record class of tblPipeSumCategory: the flow categories of each pipe type.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "ixPipeTypeName" (ixPipeType, sName).
// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblPipeSumCategory : public TableRecord {
 public:
  tblPipeSumCategory(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblPipeSumCategory), db, noMasterColumns, L"ixPipeTypeName") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblPipeSumCategory)
};
