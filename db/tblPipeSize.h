// Record class of tblPipeSize: the nominal sizes of each pipe type with their diameters.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "ixPipeType" (ixPipeType).
// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblPipeSize : public TableRecord {
 public:
  tblPipeSize(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblPipeSize), db, noMasterColumns, L"ixPipeType") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblPipeSize)
};
