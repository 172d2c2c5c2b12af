// Record class of tblPipeType: the project's pipe types, listed in their sort order.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblPipeType : public TableRecord {
 public:
  tblPipeType(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblPipeType), db, noMasterColumns, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::UseIndex;
  using TableRecord::AtStart;
  using TableRecord::AtEnd;
  using TableRecord::First;
  using TableRecord::Next;
  using TableRecord::Find;
  using TableRecord::Release;

  OV_RECORD_FIELDS(tblPipeType)
};
