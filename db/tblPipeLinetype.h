// Record class of tblPipeLinetype: the linetypes per pipe type and layer system by minimum length.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblPipeLinetype : public TableRecord {
 public:
  tblPipeLinetype(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblPipeLinetype), db, noMasterColumns, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;
  using TableRecord::Release;

  OV_RECORD_FIELDS(tblPipeLinetype)
};
