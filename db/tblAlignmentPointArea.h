// Record class of tblAlignmentPointArea: the alignment-point areas of the floors.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "sName" (sName).
class tblAlignmentPointArea : public TableRecord {
 public:
  explicit tblAlignmentPointArea(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblAlignmentPointArea), db, false, L"sName") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::AtStart;
  using TableRecord::AtEnd;
  using TableRecord::First;
  using TableRecord::Next;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblAlignmentPointArea)
};
