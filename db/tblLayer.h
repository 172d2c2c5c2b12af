// Record class of tblLayer: the project's drawing layers with their properties.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

class tblLayer : public TableRecord {
 public:
  explicit tblLayer(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblLayer), db, false, nullptr) {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;

  OV_RECORD_FIELDS(tblLayer)
};
