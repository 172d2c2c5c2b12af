// Record class of tblLayerKey: the named layer keys of each layer system.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "isxLayerSystemKey" (ixLayerSystem, null for no system, sKey).
class tblLayerKey : public TableRecord {
 public:
  explicit tblLayerKey(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblLayerKey), db, false, L"isxLayerSystemKey") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblLayerKey)
};
