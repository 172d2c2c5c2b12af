// Record class of tblDwgValve: the valve symbols, listed in their sort order.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// With `noMasterColumns` set, ixMasterDatabase and iMasterDatabaseIndex are never written.
class tblDwgValve : public TableRecord {
 public:
  tblDwgValve(const ProjectDatabasePtr& db, bool noMasterColumns)
      : TableRecord(projectTable(ProjectTable::tblDwgValve), db, noMasterColumns, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::UseIndex;
  using TableRecord::AtStart;
  using TableRecord::AtEnd;
  using TableRecord::First;
  using TableRecord::Next;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblDwgValve)
};
