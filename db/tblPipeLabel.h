// Record class of tblPipeLabel: the label formats per pipe type and layer system.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "ixPipeTypeLayerSystem" (ixPipeType, ixLayerSystem).
// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblPipeLabel : public TableRecord {
 public:
  tblPipeLabel(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblPipeLabel), db, noMasterColumns, L"ixPipeTypeLayerSystem") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblPipeLabel)
};
