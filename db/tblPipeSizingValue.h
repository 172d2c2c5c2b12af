// Record class of tblPipeSizingValue: the flows one sizing table allows per pipe size.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblPipeSizingValue : public TableRecord {
 public:
  explicit tblPipeSizingValue(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeSizingValue), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblPipeSizingValue)
};
