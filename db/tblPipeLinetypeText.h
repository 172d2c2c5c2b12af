// Record class of tblPipeLinetypeText: the text shown in a pipe type's linetype per layer system.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "ixPipeType_ixLayerSystem" (ixPipeType, ixLayerSystem).
class tblPipeLinetypeText : public TableRecord {
 public:
  explicit tblPipeLinetypeText(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeLinetypeText), db, false, L"ixPipeType_ixLayerSystem") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Find;
  using TableRecord::FindBy;
  using TableRecord::Release;

  OV_RECORD_FIELDS(tblPipeLinetypeText)
};
