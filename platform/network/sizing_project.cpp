// Reading a project's customisation and pipe rows for sizing.
#include "network/sizing_project.h"

#include <unordered_map>

namespace {

int integer(const SqlRow& row, std::size_t c) { return static_cast<int>(sqlInteger(row, c)); }
bool flag(const SqlRow& row, std::size_t c) { return sqlReal(row, c) != 0.0; }

class Loader {
 public:
  Loader(ProjectSqlConnection& db, std::wstring& error) : db_(db), error_(error) {}

  // Runs the query and hands each row to take; false when the query fails.
  template <typename Take>
  bool each(const std::wstring& sql, Take take, const SqlRow& values = {}) {
    std::vector<SqlRow> rows;
    if (!db_.run(sql, values, rows, error_)) return false;
    for (const SqlRow& row : rows) take(row);
    return true;
  }

 private:
  ProjectSqlConnection& db_;
  std::wstring& error_;
};

// Category key -> (type, index within the type's categories).
using CategoryIndex = std::unordered_map<int, std::pair<int, std::size_t>>;

CategoryIndex indexCategories(const std::map<int, PipeTypeData>& types) {
  CategoryIndex index;
  for (const auto& [typeKey, type] : types)
    for (std::size_t c = 0; c < type.categories.size(); ++c) index[type.categories[c].key] = {typeKey, c};
  return index;
}

bool hasSourceColumn(Loader& load, bool& present) {
  present = false;
  return load.each(L"SELECT 1 FROM pragma_table_info('tblPipe') WHERE name = ?", [&](const SqlRow&) { present = true; },
                   {std::wstring(kSourceColumn)});
}

}  // namespace

bool loadPipeTypes(ProjectSqlConnection& db, std::map<int, PipeTypeData>& types, std::wstring& error) {
  Loader load(db, error);
  types.clear();
  auto typeOf = [&](const SqlRow& r, std::size_t c) {
    const auto type = types.find(integer(r, c));
    return type == types.end() ? nullptr : &type->second;
  };
  if (!load.each(L"SELECT ixPipeType, sName, sShortName, bReversed FROM tblPipeType", [&](const SqlRow& r) {
        types[integer(r, 0)] = {integer(r, 0), sqlText(r, 1), sqlText(r, 2), flag(r, 3), {}, {}, {}, {}};
      }))
    return false;
  if (!load.each(L"SELECT ixPipeSumCategory, ixPipeType, iConversionType, dMultiplier, sLabelPrefix, sLabelSuffix "
                 L"FROM tblPipeSumCategory ORDER BY ixPipeType, iOrder, ixPipeSumCategory",
                 [&](const SqlRow& r) {
                   if (PipeTypeData* t = typeOf(r, 1))
                     t->categories.push_back(
                         {integer(r, 0), integer(r, 2), sqlReal(r, 3, 1.0), sqlText(r, 4), sqlText(r, 5), {}, 1.0, {}});
                 }))
    return false;
  std::unordered_map<int, FlowCategory*> categories;
  for (auto& [key, type] : types)
    for (FlowCategory& c : type.categories) categories[c.key] = &c;
  if (!load.each(L"SELECT ixPipeSumCategory, iFixtures, dFlow, ixPipeSizeMin FROM tblPipeFlowLookup "
                 L"ORDER BY ixPipeSumCategory, iFixtures, ixPipeFlowLookup",
                 [&](const SqlRow& r) {
                   const auto c = categories.find(integer(r, 0));
                   if (c == categories.end()) return;
                   const double fixtures = sqlReal(r, 1);
                   if (fixtures == -1.0) return void(c->second->additional = sqlReal(r, 2, 1.0));
                   c->second->lookup.emplace_back(fixtures, sqlReal(r, 2));
                   if (std::holds_alternative<std::int64_t>(r[3])) c->second->minimums.emplace_back(fixtures, integer(r, 3));
                 }))
    return false;
  if (!load.each(L"SELECT ixPipeSize, ixPipeType, sLabel, dInteriorDiameter, dExteriorDiameter FROM tblPipeSize "
                 L"ORDER BY dInteriorDiameter, ixPipeSize",
                 [&](const SqlRow& r) {
                   if (PipeTypeData* t = typeOf(r, 1))
                     t->sizes.push_back({integer(r, 0), sqlText(r, 2), sqlReal(r, 3), sqlReal(r, 4)});
                 }))
    return false;
  if (!load.each(L"SELECT ixPipeSizingTable, ixPipeType, sName, bActive, bHorizontalOnly FROM tblPipeSizingTable "
                 L"ORDER BY iSortOrder, ixPipeSizingTable",
                 [&](const SqlRow& r) {
                   if (PipeTypeData* t = typeOf(r, 1))
                     t->tables.push_back({integer(r, 0), sqlText(r, 2), flag(r, 3), flag(r, 4), {}});
                 }))
    return false;
  std::unordered_map<int, SizingTableRows*> tables;
  for (auto& [key, type] : types)
    for (SizingTableRows& t : type.tables) tables[t.key] = &t;
  return load.each(L"SELECT ixPipeSizingTable, ixPipeSize, dFlow, dFlowVertical, bEnable FROM tblPipeSizingValue",
                   [&](const SqlRow& r) {
                     const auto t = tables.find(integer(r, 0));
                     if (t != tables.end()) t->second->values[integer(r, 1)] = {sqlReal(r, 2), sqlReal(r, 3), flag(r, 4)};
                   }) &&
         load.each(L"SELECT ixPipeType, ixLayerSystem, sLabelFormat FROM tblPipeLabel", [&](const SqlRow& r) {
           if (PipeTypeData* t = typeOf(r, 0)) t->labelFormats[integer(r, 1)] = sqlText(r, 2);
         });
}

bool loadSizingProject(ProjectSqlConnection& db, const std::vector<DrawnPipe>& drawn, SizingProject& out,
                       std::wstring& error) {
  if (!loadPipeTypes(db, out.types, error)) return false;
  Loader load(db, error);
  bool sourceColumn = false;
  if (!hasSourceColumn(load, sourceColumn)) return false;
  struct Row {
    NetworkPipe geometry;
    SizingPipe pipe;
    bool taken = false;
  };
  std::unordered_map<int, Row> rows;
  const std::wstring sql =
      L"SELECT p.ixPipe, p.ixPipeType, p.ixLayerSystem, p.ixPipeSize, p.ixPipeSizingTable, p.bSizeLocked, "
      L"p.ixPipeRiserPrevious, " +
      std::wstring(sourceColumn ? L"p.bSource" : L"0") +
      L", f.sName FROM tblPipe p LEFT JOIN tblAlignmentPointArea a ON a.sDrawing = p.sDrawing "
      L"AND a.iAlignmentPointNumber = p.iAlignmentPointNumber AND a.bDeleted = 0 "
      L"LEFT JOIN tblFloor f ON f.ixFloor = a.ixFloor WHERE p.bDeleted = 0 ORDER BY p.ixPipe, a.ixAlignmentPointArea";
  if (!load.each(sql, [&](const SqlRow& r) {
        const int key = integer(r, 0);
        if (rows.count(key)) return;  // a pipe in two areas of its drawing: the first area's floor
        const auto type = out.types.find(integer(r, 1));
        if (type == out.types.end()) return;
        Row& row = rows[key];
        row.geometry.key = key;
        row.geometry.type = type->first;
        row.geometry.riserPrevious = integer(r, 6);
        row.geometry.source = flag(r, 7);
        row.geometry.reversed = type->second.reversed;
        row.pipe.layerSystem = integer(r, 2);
        row.pipe.size = integer(r, 3);
        row.pipe.sizingTable = integer(r, 4);
        row.pipe.sizeLocked = flag(r, 5);
        row.pipe.fixed.assign(type->second.categories.size(), 0.0);
        row.pipe.floor = sqlText(r, 8);
      }))
    return false;
  const CategoryIndex categories = indexCategories(out.types);
  if (!load.each(L"SELECT ixPipe, ixPipeSumCategory, sum(dValue) FROM tblPipeSum WHERE bFixed <> 0 "
                 L"GROUP BY ixPipe, ixPipeSumCategory",
                 [&](const SqlRow& r) {
                   const auto row = rows.find(integer(r, 0));
                   const auto category = categories.find(integer(r, 1));
                   if (row == rows.end() || category == categories.end()) return;
                   if (category->second.first == row->second.geometry.type)
                     row->second.pipe.fixed[category->second.second] = sqlReal(r, 2);
                 }))
    return false;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    const auto row = rows.find(drawn[k].key);
    if (row == rows.end()) {
      out.left.emplace_back(drawn[k].key, L"no live row of a known pipe type in the project");
      continue;
    }
    if (row->second.taken) {
      out.left.emplace_back(drawn[k].key, L"drawn more than once");
      continue;
    }
    row->second.taken = true;
    row->second.geometry.start = drawn[k].start;
    row->second.geometry.end = drawn[k].end;
    out.drawn.push_back(k);
    out.geometry.push_back(row->second.geometry);
    out.pipes.push_back(row->second.pipe);
  }
  return true;
}

bool projectPipeFlow(ProjectSqlConnection& db, int ixPipe, double& flow, std::wstring& error) {
  flow = 0.0;
  std::map<int, PipeTypeData> types;
  if (!loadPipeTypes(db, types, error)) return false;
  Loader load(db, error);
  int typeKey = 0;
  if (!load.each(L"SELECT ixPipeType FROM tblPipe WHERE ixPipe = ?", [&](const SqlRow& r) { typeKey = integer(r, 0); },
                 {std::int64_t{ixPipe}}))
    return false;
  const auto type = types.find(typeKey);
  if (type == types.end()) return true;
  const CategoryIndex categories = indexCategories(types);
  std::vector<double> fixed(type->second.categories.size()), calculated(fixed.size());
  bool sized = false;
  if (!load.each(L"SELECT ixPipeSumCategory, bFixed, dValue FROM tblPipeSum WHERE ixPipe = ?",
                 [&](const SqlRow& r) {
                   const auto category = categories.find(integer(r, 0));
                   if (category == categories.end() || category->second.first != typeKey) return;
                   const bool isFixed = flag(r, 1);
                   sized = sized || !isFixed;
                   (isFixed ? fixed : calculated)[category->second.second] += sqlReal(r, 2);
                 },
                 {std::int64_t{ixPipe}}))
    return false;
  flow = convertedFlow(type->second, sized ? calculated : fixed);
  return true;
}
