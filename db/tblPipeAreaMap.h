// Record class of tblPipeAreaMap: the pipe types allowed in an alignment-point area.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblPipeAreaMap : public TableRecord {
 public:
  explicit tblPipeAreaMap(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeAreaMap), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblPipeAreaMap)
};
