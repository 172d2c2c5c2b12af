// Record class of tblTextStyle: the project's text styles, cached beside the layer tables.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// Read only: the application's LISP program and sibling modules write these rows.
class tblTextStyle : public TableRecord {
 public:
  explicit tblTextStyle(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblTextStyle), db, false, nullptr) {}

  using TableRecord::Find;

  OV_RECORD_READ_FIELDS(tblTextStyle)
};
