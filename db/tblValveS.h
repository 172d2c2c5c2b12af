// Record class of tblValveS: the valves a drawing may place, each with a symbol and a group.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// Read only: the application's LISP program and sibling modules write these rows.
class tblValveS : public TableRecord {
 public:
  explicit tblValveS(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblValveS), db, false, nullptr) {}

  using TableRecord::Find;

  OV_RECORD_READ_FIELDS(tblValveS)
};
