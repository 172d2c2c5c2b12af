// Record class of tblLayerSystem: the layer systems with their prefixes, suffixes and hatching.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblLayerSystem : public TableRecord {
 public:
  explicit tblLayerSystem(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblLayerSystem), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblLayerSystem)
};
