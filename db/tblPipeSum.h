// Record class of tblPipeSum: the flow sums of a placed pipe per flow category.
#pragma once

#include "db/record_accessors.h"
#include "db/table_record.h"

// FindBy searches the index "ixPipePipeSumCategoryFixed" (ixPipe, ixPipeSumCategory,
// bFixed as a VT_BOOL value).
class tblPipeSum : public TableRecord {
 public:
  explicit tblPipeSum(const ProjectDatabasePtr& db)
      : TableRecord(projectTable(ProjectTable::tblPipeSum), db, false, L"ixPipePipeSumCategoryFixed") {}

  using TableRecord::AddNew;
  using TableRecord::Edit;
  using TableRecord::Update;
  using TableRecord::Delete;
  using TableRecord::Find;
  using TableRecord::FindBy;

  OV_RECORD_FIELDS(tblPipeSum)
};
