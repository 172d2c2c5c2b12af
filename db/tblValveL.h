// Record class of tblValveL: the valves placed in the project's drawings.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// Read only: the application's LISP program and sibling modules write these rows.
class tblValveL : public TableRecord {
 public:
  explicit tblValveL(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblValveL), db, false, nullptr) {}

  using TableRecord::Find;

  OV_RECORD_READ_FIELDS(tblValveL)
};
