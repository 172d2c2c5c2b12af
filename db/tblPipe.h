// Record class of tblPipe: the pipes placed in the project's drawings.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// Read only: the application's LISP program and sibling modules write these rows.
class tblPipe : public TableRecord {
 public:
  explicit tblPipe(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipe), db, false, nullptr) {}

  using TableRecord::AtEnd;
  using TableRecord::Find;

  OV_RECORD_READ_FIELDS(tblPipe)
};
