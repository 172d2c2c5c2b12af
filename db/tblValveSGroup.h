// Record class of tblValveSGroup: the groups the placeable valves are listed in.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// Read only: the application's LISP program and sibling modules write these rows.
class tblValveSGroup : public TableRecord {
 public:
  explicit tblValveSGroup(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblValveSGroup), db, false, nullptr) {}

  using TableRecord::Find;

  OV_RECORD_READ_FIELDS(tblValveSGroup)
};
