// Record class of tblPipeFlowLookup: the fixture-count to flow lookup rows of a flow category.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblPipeFlowLookup : public TableRecord {
 public:
  explicit tblPipeFlowLookup(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeFlowLookup), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblPipeFlowLookup)
};
