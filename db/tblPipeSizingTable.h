// Record class of tblPipeSizingTable: the sizing tables of each pipe type.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblPipeSizingTable : public TableRecord {
 public:
  explicit tblPipeSizingTable(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeSizingTable), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblPipeSizingTable)
};
