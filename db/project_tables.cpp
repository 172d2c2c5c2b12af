// The table and index descriptions, expanded from the column lists.
#include "db/project_tables.h"

#define OV_WIDE_LITERAL(text) L##text
#define OV_WIDE_NAME(name) OV_WIDE_LITERAL(#name)

namespace {

constexpr bool kNullable_Nullable = true;
constexpr bool kNullable_Plain = false;

#define OV_COLUMN_INFO(name, kind, nulls) ColumnDeclaration{OV_WIDE_NAME(name), ColumnKind::kind, kNullable_##nulls},
#define OV_TABLE_COLUMNS(table) const ColumnDeclaration table##Columns[] = {OV_COLUMNS_##table(OV_COLUMN_INFO)};
OV_PROJECT_TABLES(OV_TABLE_COLUMNS)
#undef OV_TABLE_COLUMNS
#undef OV_COLUMN_INFO

#define OV_TABLE_INFO(table) TableDeclaration{ProjectTable::table, OV_WIDE_NAME(table), table##Columns},
const TableDeclaration kTables[] = {OV_PROJECT_TABLES(OV_TABLE_INFO)};
#undef OV_TABLE_INFO

const wchar_t* const kSKey[] = {L"sKey"};
const wchar_t* const kLayerSystemKey[] = {L"ixLayerSystem", L"sKey"};
const wchar_t* const kPipeTypeLayerSystem[] = {L"ixPipeType", L"ixLayerSystem"};
const wchar_t* const kPipeType[] = {L"ixPipeType"};
const wchar_t* const kPipeCategoryFixed[] = {L"ixPipe", L"ixPipeSumCategory", L"bFixed"};
const wchar_t* const kPipeTypeName[] = {L"ixPipeType", L"sName"};
const wchar_t* const kSName[] = {L"sName"};
const wchar_t* const kSortOrder[] = {L"iSortOrder"};

const IndexDeclaration kIndexes[] = {
    {ProjectTable::tblGlobal, L"sKey", kSKey},
    {ProjectTable::tblLayerKey, L"isxLayerSystemKey", kLayerSystemKey},
    {ProjectTable::tblPipeLabel, L"ixPipeTypeLayerSystem", kPipeTypeLayerSystem},
    {ProjectTable::tblPipeLinetypeText, L"ixPipeType_ixLayerSystem", kPipeTypeLayerSystem},
    {ProjectTable::tblPipeSize, L"ixPipeType", kPipeType},
    {ProjectTable::tblPipeSum, L"ixPipePipeSumCategoryFixed", kPipeCategoryFixed},
    // A flow category's name is unique within its pipe type.
    {ProjectTable::tblPipeSumCategory, L"ixPipeTypeName", kPipeTypeName, true},
    {ProjectTable::tblFloor, L"sName", kSName},
    {ProjectTable::tblAlignmentPointArea, L"sName", kSName},
    {ProjectTable::tblPipeType, L"iSortOrder", kSortOrder},
    {ProjectTable::tblDwgValve, L"iSortOrder", kSortOrder},
};

}  // namespace

int TableDeclaration::columnIndex(std::wstring_view column) const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (column == columns[i].name) return static_cast<int>(i);
  return -1;
}

const TableDeclaration& projectTable(ProjectTable table) { return kTables[static_cast<std::size_t>(table)]; }

std::span<const TableDeclaration> projectTables() { return kTables; }

const TableDeclaration* findProjectTable(std::wstring_view name) {
  for (const TableDeclaration& table : kTables)
    if (name == table.name) return &table;
  return nullptr;
}

std::span<const IndexDeclaration> projectIndexes() { return kIndexes; }
