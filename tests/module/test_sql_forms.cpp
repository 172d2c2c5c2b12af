// Every fixed SQL statement the module composes, run through the real project database
// component on a freshly made standard project, with the rows it must answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "db/project_seed.h"
#include "db/project_tables.h"
#include "db/sql_text.h"
#include "projectdb/project_database.h"
#include "test_record_double.h"

namespace {

// One answered row: column name and value pairs in the order the statement selects them.
using Row = std::vector<std::pair<std::wstring, _variant_t>>;

struct Answer {
  bool ran = false;  // no exception, no pending error
  bool ok = false;   // the component's ok (Query: a row came back; Execute: statement run)
  std::vector<Row> rows;
};

enum class Run { Query, Execute };

// One statement form: what it is for, its text as the dialog composes it, how it is run
// and what its answer or its effect must be.
struct SqlForm {
  std::string purpose;
  std::wstring sql;
  Run run;
  std::function<void(const Answer&)> check;
};

std::wstring n(long key) { return std::to_wstring(key); }

// Statements and names are plain ASCII; failure messages show them as they are.
std::string narrow(const std::wstring& wide) {
  std::string out;
  for (wchar_t c : wide) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

bool isNull(const _variant_t& v) { return v.vt == VT_NULL || v.vt == VT_EMPTY; }

double number(const _variant_t& v) { return isNull(v) ? 0.0 : static_cast<double>(v); }

// Keys come back as integers or reals depending on the storage; both read as whole numbers.
long integer(const _variant_t& v) { return static_cast<long>(number(v)); }

std::wstring text(const _variant_t& v) { return isNull(v) ? std::wstring() : static_cast<_bstr_t>(v).wstring(); }

const _variant_t& column(const Row& row, const std::wstring& name) {
  static const _variant_t missing;
  for (const auto& [column, value] : row)
    if (column == name) return value;
  ADD_FAILURE() << "the answer has no column " << narrow(name);
  return missing;
}

// The values of one column over all rows, in answered order.
std::vector<long> keys(const Answer& answer, const std::wstring& name) {
  std::vector<long> values;
  for (const Row& row : answer.rows) values.push_back(integer(column(row, name)));
  return values;
}

std::vector<double> numbers(const Answer& answer, const std::wstring& name) {
  std::vector<double> values;
  for (const Row& row : answer.rows) values.push_back(number(column(row, name)));
  return values;
}

std::set<long> keySet(const Answer& answer, const std::wstring& name) {
  const std::vector<long> values = keys(answer, name);
  return {values.begin(), values.end()};
}

// The elements of a row or answer array, in order; none when it holds no array.
std::vector<_variant_t> elementsOf(const VARIANT& array) {
  std::vector<_variant_t> elements;
  if (array.vt != (VT_ARRAY | VT_VARIANT) || array.parray == nullptr) return elements;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array.parray, 1, &low);
  SafeArrayGetUBound(array.parray, 1, &high);
  VARIANT* element = nullptr;
  if (FAILED(SafeArrayAccessData(array.parray, reinterpret_cast<void**>(&element)))) return elements;
  for (LONG i = 0; i <= high - low; ++i) elements.emplace_back(element[i]);
  SafeArrayUnaccessData(array.parray);
  return elements;
}

std::wstring nameOf(const _variant_t& element) {
  return element.vt == VT_BSTR && element.bstrVal ? std::wstring(element.bstrVal) : std::wstring();
}

// A row as the component passes one: name, value, name, value ...
Row pairsOf(const std::vector<_variant_t>& elements, size_t from = 0, size_t to = SIZE_MAX) {
  Row row;
  to = std::min(to, elements.size());
  for (size_t i = from; i < to; i += 2) {
    if (nameOf(elements[i]).empty() || i + 1 >= to) {
      ADD_FAILURE() << "malformed row at element " << i;
      break;
    }
    row.emplace_back(nameOf(elements[i]), elements[i + 1]);
  }
  return row;
}

// Query's flat answer: each row opens with "*NewRecord*" and its pairs follow. Values
// are skipped by position, so a value that reads "*NewRecord*" does not split a row.
std::vector<Row> splitRows(const VARIANT& answer) {
  const std::vector<_variant_t> elements = elementsOf(answer);
  std::vector<Row> rows;
  size_t start = 0;
  while (start < elements.size()) {
    if (nameOf(elements[start]) != L"*NewRecord*") {
      ADD_FAILURE() << "a row does not open with *NewRecord* at element " << start;
      break;
    }
    size_t end = start + 1;
    while (end < elements.size() && nameOf(elements[end]) != L"*NewRecord*") end += 2;
    rows.push_back(pairsOf(elements, start + 1, end));
    start = end;
  }
  return rows;
}

class SqlForms : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("ov_sql_forms_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    openStandardProject();
    ASSERT_FALSE(HasFatalFailure());
    pickSeededSamples();
    ASSERT_FALSE(HasFatalFailure());
    addPlacedObjects();
  }

  void TearDown() override {
    if (db_) {
      VARIANT ignored;
      VariantInit(&ignored);
      try {
        db_->CloseDatabase(&ignored);
      } catch (const _com_error&) {
      }
      VariantClear(&ignored);
      db_ = nullptr;
    }
    std::error_code ignoredError;
    std::filesystem::remove_all(folder_, ignoredError);
  }

  void openStandardProject();
  void pickSeededSamples();
  void addPlacedObjects();

  // The pending error as "code: message", or empty when none is pending.
  std::string pendingError() {
    VARIANT_BOOL pending = VARIANT_FALSE;
    db_->HasError(&pending);
    if (pending != VARIANT_TRUE) return {};
    long code = 0;
    BSTR message = nullptr;
    db_->ReadLastError(&code, &message);
    const std::wstring wide = _bstr_t(message, false).wstring();
    return std::to_string(code) + ": " + narrow(wide);
  }

  Answer query(const std::wstring& sql) {
    Answer answer;
    VARIANT rows;
    VariantInit(&rows);
    VARIANT_BOOL ok = VARIANT_FALSE;
    try {
      db_->Query(_bstr_t(sql.c_str()), &rows, &ok);
      answer.rows = splitRows(rows);
      answer.ok = ok == VARIANT_TRUE;
      const std::string error = pendingError();
      answer.ran = error.empty();
      if (!answer.ran) ADD_FAILURE() << "pending error " << error;
    } catch (const _com_error& e) {
      ADD_FAILURE() << "Query raised " << std::hex << e.Error() << ": " << narrow(e.Description().wstring());
    }
    VariantClear(&rows);
    return answer;
  }

  Answer execute(const std::wstring& sql) {
    Answer answer;
    try {
      answer.ok = db_->Execute(_bstr_t(sql.c_str())) == VARIANT_TRUE;
      const std::string error = pendingError();
      answer.ran = error.empty();
      if (!answer.ran) ADD_FAILURE() << "pending error " << error;
    } catch (const _com_error& e) {
      ADD_FAILURE() << "Execute raised " << std::hex << e.Error() << ": " << narrow(e.Description().wstring());
    }
    return answer;
  }

  // Setup and oracles read through plain statements of their own.
  long count(const std::wstring& tableAndCondition) {
    const Answer answer = query(L"select count(*) as n from " + tableAndCondition);
    return answer.rows.empty() ? -1 : integer(column(answer.rows.front(), L"n"));
  }
  std::vector<long> orderedKeys(const std::wstring& sql, const std::wstring& name) { return keys(query(sql), name); }
  // One column of a table by key, for checking orders the answer does not show.
  std::map<long, double> numberByKey(const std::wstring& table, const std::wstring& key, const std::wstring& name) {
    std::map<long, double> values;
    const Answer answer = query(L"select " + key + L", " + name + L" from " + table);
    for (const Row& row : answer.rows) values[integer(column(row, key))] = number(column(row, name));
    return values;
  }

  // One column of the label group entries under a key, by group, as text.
  std::map<std::wstring, std::wstring> labelGroupEntries(const wchar_t* key, const wchar_t* name) {
    std::map<std::wstring, std::wstring> entries;
    const Answer answer = query(std::wstring(L"select sGroup, ") + name + L" from tblLabelGroup where sKey = " + sqlText(key));
    for (const Row& row : answer.rows) entries[text(column(row, L"sGroup"))] = text(column(row, name));
    return entries;
  }

  // Adds a row through the component as the record classes do, answering its new key.
  long addRow(const std::wstring& table, const std::vector<std::pair<std::wstring, _variant_t>>& values) {
    const std::wstring keyColumn = L"ix" + table.substr(3);
    SAFEARRAY* array = makePairArray(values);
    VARIANT pairs;
    VariantInit(&pairs);
    pairs.vt = VT_ARRAY | VT_VARIANT;
    pairs.parray = array;
    VARIANT row;
    VariantInit(&row);
    VARIANT_BOOL ok = VARIANT_FALSE;
    long key = 0;
    try {
      db_->SelectTable(_bstr_t(table.c_str()), _bstr_t(keyColumn.c_str()));
      db_->AddRecord(pairs, 0, &row, &ok);
      if (ok == VARIANT_TRUE) key = integer(column(pairsOf(elementsOf(row)), keyColumn));
    } catch (const _com_error& e) {
      ADD_FAILURE() << "AddRecord raised " << std::hex << e.Error();
    }
    VariantClear(&row);
    VariantClear(&pairs);
    if (key < 1) ADD_FAILURE() << "could not add a row to " << narrow(table);
    return key;
  }

  // Runs each form of a subject in turn; every one must run without an error, and a
  // Query's ok must say whether rows came back.
  void runForms(const std::vector<SqlForm>& forms) {
    for (const SqlForm& form : forms) {
      SCOPED_TRACE(form.purpose + ": " + narrow(form.sql));
      const Answer answer = form.run == Run::Query ? query(form.sql) : execute(form.sql);
      if (!answer.ran) continue;
      if (form.run == Run::Query)
        EXPECT_EQ(answer.ok, !answer.rows.empty()) << "ok must be true exactly when a row came back";
      else
        EXPECT_TRUE(answer.ok);
      form.check(answer);
    }
  }

  std::filesystem::path folder_;
  ProjectDatabasePtr db_;

  // Samples from the standard project.
  long type1_ = 0, type2_ = 0;     // the first two pipe types in their order
  long layerSystem_ = 0;           // the first layer system
  long floor_ = 0;                 // the project's floor
  long size1_ = 0, size2_ = 0;     // the two smallest sizes of the first type
  long type2Size_ = 0;             // the smallest size of the second type
  long sizingTable_ = 0;           // the first sizing table of the first type
  long category_ = 0;              // the first flow category of the first type
  long lookupCategory_ = 0;        // a category of the first type with lookup rows

  // Rows added for the statements over placed objects. The drawing name holds an
  // apostrophe so that the text literal rule is exercised where the statements use it.
  std::set<long> seededAreas_;     // the areas of that floor
  const std::wstring drawing_ = L"O'Brien level 1.dwg";
  const std::wstring eastDrawing_ = L"Level 1 east.dwg";
  long tinySize_ = 0;        // a size of the first type smaller than every seeded one
  long spareTable_ = 0;      // an inactive sizing table of the first type, ordered first
  long roof_ = 0;            // a second floor
  long area_ = 0, eastArea_ = 0, erasedArea_ = 0;
  long pipe_ = 0, branchPipe_ = 0, eastPipe_ = 0, erasedPipe_ = 0;
  long group_ = 0, symbol_ = 0, otherSymbol_ = 0, ballValve_ = 0, gateValve_ = 0;
  long valve_ = 0, erasedValve_ = 0, valveM_ = 0;
  long linetypeLong_ = 0, linetypeShort_ = 0;
};

void SqlForms::openStandardProject() {
  const std::wstring path = createStandardProject(folder_.wstring());
  ASSERT_FALSE(path.empty()) << "the standard project was not made";
  ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase)));
  VARIANT_BOOL readOnly = VARIANT_FALSE, ok = VARIANT_FALSE;
  db_->OpenDatabase(_bstr_t(path.c_str()), &readOnly, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE) << pendingError();
  ASSERT_NE(readOnly, VARIANT_TRUE);
}

void SqlForms::pickSeededSamples() {
  const auto first = [](const std::vector<long>& values, size_t at) { return values.size() > at ? values[at] : 0L; };
  const std::vector<long> types = orderedKeys(L"select ixPipeType from tblPipeType order by iSortOrder", L"ixPipeType");
  type1_ = first(types, 0);
  type2_ = first(types, 1);
  layerSystem_ = first(orderedKeys(L"select ixLayerSystem from tblLayerSystem order by iSortOrder", L"ixLayerSystem"), 0);
  floor_ = first(orderedKeys(L"select ixFloor from tblFloor", L"ixFloor"), 0);
  for (long area : orderedKeys(L"select ixAlignmentPointArea from tblAlignmentPointArea where ixFloor = " + n(floor_),
                               L"ixAlignmentPointArea"))
    seededAreas_.insert(area);
  const std::vector<long> sizes = orderedKeys(
      L"select ixPipeSize from tblPipeSize where ixPipeType = " + n(type1_) + L" order by dInteriorDiameter", L"ixPipeSize");
  size1_ = first(sizes, 0);
  size2_ = first(sizes, 1);
  type2Size_ = first(orderedKeys(L"select ixPipeSize from tblPipeSize where ixPipeType = " + n(type2_) +
                                     L" order by dInteriorDiameter",
                                 L"ixPipeSize"),
                     0);
  sizingTable_ = first(orderedKeys(L"select ixPipeSizingTable from tblPipeSizingTable where ixPipeType = " +
                                       n(type1_) + L" order by iSortOrder",
                                   L"ixPipeSizingTable"),
                       0);
  category_ = first(orderedKeys(L"select ixPipeSumCategory from tblPipeSumCategory where ixPipeType = " + n(type1_) +
                                    L" order by iOrder",
                                L"ixPipeSumCategory"),
                    0);
  lookupCategory_ = first(orderedKeys(L"select distinct tblPipeFlowLookup.ixPipeSumCategory as ixPipeSumCategory"
                                      L" from tblPipeFlowLookup, tblPipeSumCategory"
                                      L" where tblPipeFlowLookup.ixPipeSumCategory = tblPipeSumCategory.ixPipeSumCategory"
                                      L" and tblPipeSumCategory.ixPipeType = " + n(type1_),
                                      L"ixPipeSumCategory"),
                          0);
  ASSERT_GT(type2_, 0) << "the standard project needs two pipe types";
  ASSERT_GT(layerSystem_, 0) << "the standard project needs a layer system";
  ASSERT_GT(floor_, 0) << "the standard project needs a floor";
  ASSERT_GT(size2_, 0) << "the first pipe type needs two sizes";
  ASSERT_GT(type2Size_, 0) << "the second pipe type needs a size";
  ASSERT_GT(sizingTable_, 0) << "the first pipe type needs a sizing table";
  ASSERT_GT(category_, 0) << "the first pipe type needs a flow category";
  ASSERT_GT(lookupCategory_, 0) << "a flow category of the first pipe type needs lookup rows";
  ASSERT_GT(count(L"tblPipeSizingValue where ixPipeSize = " + n(size2_)), 0) << "sizes need sizing values";
}

void SqlForms::addPlacedObjects() {
  using Values = std::vector<std::pair<std::wstring, _variant_t>>;
  const _variant_t yes(short(-1)), no(short(0));

  tinySize_ = addRow(L"tblPipeSize", Values{{L"ixPipeType", type1_}, {L"sLabel", L"tiny"},
                                            {L"dInteriorDiameter", 0.001}, {L"dExteriorDiameter", 0.002}});
  spareTable_ = addRow(L"tblPipeSizingTable", Values{{L"ixPipeType", type1_}, {L"iSortOrder", -5L}, {L"sName", L"Spare"},
                                                     {L"bActive", no}, {L"bHorizontalOnly", no}});
  roof_ = addRow(L"tblFloor", Values{{L"sName", L"Roof"}, {L"dElevation", 240.0}, {L"dCeilingHeight", 0.0},
                                     {L"dFloorToFloorHeight", 0.0}});
  addRow(L"tblIsometricFloor", Values{{L"ixFloor", floor_}});
  addRow(L"tblIsometricFloor", Values{{L"ixFloor", roof_}});

  const auto area = [&](const wchar_t* name, const std::wstring& drawing, long point, const _variant_t& deleted) {
    return addRow(L"tblAlignmentPointArea", Values{{L"ixFloor", floor_}, {L"sName", name}, {L"sDrawing", drawing.c_str()},
                                                   {L"iAlignmentPointNumber", point}, {L"bDeleted", deleted}});
  };
  area_ = area(L"Kitchen wing", drawing_, 1, no);
  eastArea_ = area(L"Store", eastDrawing_, 2, no);
  erasedArea_ = area(L"Old store", eastDrawing_, 3, yes);
  addRow(L"tblPipeAreaMap", Values{{L"ixAlignmentPointArea", area_}, {L"ixPipeType", type1_}});
  addRow(L"tblPipeAreaMap", Values{{L"ixAlignmentPointArea", eastArea_}, {L"ixPipeType", type2_}});

  const auto pipe = [&](long type, long size, const std::wstring& drawing, long point, const _variant_t& deleted) {
    return addRow(L"tblPipe", Values{{L"ixLayerSystem", layerSystem_}, {L"ixPipeType", type}, {L"ixPipeSize", size},
                                     {L"ixPipeSizingTable", sizingTable_}, {L"sDrawing", drawing.c_str()},
                                     {L"iAlignmentPointNumber", point}, {L"bDeleted", deleted},
                                     {L"sOffsetZ", L"c"}, {L"sOffsetY", L"c"}});
  };
  pipe_ = pipe(type1_, size1_, drawing_, 1, no);
  branchPipe_ = pipe(type1_, size2_, drawing_, 1, no);
  eastPipe_ = pipe(type1_, size1_, eastDrawing_, 2, no);
  erasedPipe_ = pipe(type2_, type2Size_, drawing_, 1, yes);

  const auto sum = [&](long pipe, long category, const _variant_t& fixed, double value) {
    addRow(L"tblPipeSum", Values{{L"ixPipe", pipe}, {L"ixPipeSumCategory", category}, {L"bFixed", fixed}, {L"dValue", value}});
  };
  sum(pipe_, category_, yes, 3.0);
  sum(pipe_, category_, no, 5.0);
  sum(eastPipe_, category_, yes, 0.0);
  sum(pipe_, lookupCategory_, yes, 4.0);
  sum(eastPipe_, lookupCategory_, no, 7.0);

  group_ = addRow(L"tblValveSGroup", Values{{L"sName", L"Isolation"}});
  const auto symbol = [&](const wchar_t* block) {
    return addRow(L"tblDwgValve", Values{{L"iSortOrder", 90L}, {L"sDescription", block}, {L"sBlockName", block},
                                         {L"bToScale", no}});
  };
  symbol_ = symbol(L"BALLV");
  otherSymbol_ = symbol(L"GATEV");
  const auto catalogueValve = [&](long symbol, const wchar_t* name) {
    return addRow(L"tblValveS", Values{{L"ixDwgValve", symbol}, {L"ixValveSGroup", group_}, {L"sName", name}});
  };
  ballValve_ = catalogueValve(symbol_, L"Ball valve");
  gateValve_ = catalogueValve(otherSymbol_, L"Gate valve");
  valveM_ = addRow(L"tblValveM", Values{{L"ixDwgValve", symbol_}});
  const auto valve = [&](long catalogueValve, long type, const _variant_t& deleted) {
    return addRow(L"tblValveL", Values{{L"ixValveS", catalogueValve}, {L"ixLayerSystem", layerSystem_},
                                       {L"ixPipeType", type}, {L"sDrawing", drawing_.c_str()},
                                       {L"iAlignmentPointNumber", 1L}, {L"bDeleted", deleted}});
  };
  valve_ = valve(ballValve_, type1_, no);
  erasedValve_ = valve(gateValve_, type2_, yes);

  // The label group the host's LISP program makes for a new sizing table (the standard
  // project has one for each of its tables).
  const auto labelEntry = [&](const wchar_t* key, const wchar_t* label) {
    addRow(L"tblLabelGroup", Values{{L"sKey", key}, {L"sGroup", (L"Pipe Sizing Table:" + n(spareTable_)).c_str()},
                                    {L"bDisplay", yes}, {L"sLabel", label}});
  };
  labelEntry(L"Vertical Flow", L"Vertical Flow");
  labelEntry(L"Schedule Title", L"Spare");

  const auto linetype = [&](const wchar_t* name, double length) {
    return addRow(L"tblPipeLinetype", Values{{L"ixPipeType", type1_}, {L"ixLayerSystem", layerSystem_},
                                             {L"sLinetype", name}, {L"dMinimumLength", length}});
  };
  linetypeLong_ = linetype(L"DASHED2", 480.0);
  linetypeShort_ = linetype(L"HIDDEN2", -1.0);
}

// True when the values never go down.
template <class T>
bool ascending(const std::vector<T>& values) {
  return std::is_sorted(values.begin(), values.end());
}

// Sizing tables of a pipe type and their values, with the label groups they own.
TEST_F(SqlForms, SizingTables) {
  const std::wstring group = L"Pipe Sizing Table:" + n(sizingTable_);
  const auto verticalFlowBefore = labelGroupEntries(L"Vertical Flow", L"bDisplay");
  const auto titlesBefore = labelGroupEntries(L"Schedule Title", L"sLabel");
  ASSERT_TRUE(verticalFlowBefore.count(group)) << "the standard project's tables have label groups";
  ASSERT_GE(verticalFlowBefore.size(), 2u);
  // Only the saved table's entry may change.
  const auto onlyEntryChanged = [&](const std::map<std::wstring, std::wstring>& before,
                                    const std::map<std::wstring, std::wstring>& after) {
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [entryGroup, value] : before)
      if (entryGroup != group) {
        EXPECT_EQ(after.at(entryGroup), value) << narrow(entryGroup);
      }
  };
  const auto verticalFlowShown = [&](long shown) {
    return SqlForm{"label group vertical flow",
                   L"update tblLabelGroup set bDisplay = " + n(shown) + L" where sKey = \"Vertical Flow\"" +
                       L" and sGroup = \"Pipe Sizing Table:" + n(sizingTable_) + L"\"",
                   Run::Execute, [&, shown](const Answer&) {
                     const auto after = labelGroupEntries(L"Vertical Flow", L"bDisplay");
                     EXPECT_EQ(after.at(group), n(shown));
                     onlyEntryChanged(verticalFlowBefore, after);
                   }};
  };
  const std::wstring newTitle = L"Main riser";
  runForms({
      // The sizes of the chosen pipe type, one values row each; also the size choices of the
      // flow lookup, of the query dialog and of the fixture connection.
      {"pipe sizes of a type",
       L"SELECT ixPipeSize, sLabel" L" FROM tblPipeSize" L" WHERE ixPipeType = " + n(type1_) + L" ORDER BY dInteriorDiameter",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSize where ixPipeType = " + n(type1_)));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeSize")), tinySize_);
         EXPECT_EQ(text(column(a.rows.front(), L"sLabel")), L"tiny");
         const auto interior = numberByKey(L"tblPipeSize", L"ixPipeSize", L"dInteriorDiameter");
         std::vector<double> order;
         for (long key : keys(a, L"ixPipeSize")) order.push_back(interior.at(key));
         EXPECT_TRUE(ascending(order));
       }},
      // The tables grid of the pipe type, in their order.
      {"sizing tables of a type",
       L"SELECT ixPipeSizingTable, sName, bActive, bHorizontalOnly" L" FROM tblPipeSizingTable" L" WHERE ixPipeType = " +
           n(type1_) + L" ORDER BY iSortOrder",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSizingTable where ixPipeType = " + n(type1_)));
         ASSERT_FALSE(a.rows.empty());
         const Row& spare = a.rows.front();
         EXPECT_EQ(integer(column(spare, L"ixPipeSizingTable")), spareTable_);
         EXPECT_EQ(text(column(spare, L"sName")), L"Spare");
         EXPECT_EQ(integer(column(spare, L"bActive")), 0);
         const auto order = numberByKey(L"tblPipeSizingTable", L"ixPipeSizingTable", L"iSortOrder");
         std::vector<double> sortOrders;
         for (long key : keys(a, L"ixPipeSizingTable")) sortOrders.push_back(order.at(key));
         EXPECT_TRUE(ascending(sortOrders));
       }},
      // The values of the selected table, matched to the sizes by ixPipeSize.
      {"values of a sizing table",
       L"SELECT ixPipeSizingValue, ixPipeSize, dFlow, dFlowVertical, bEnable" L" FROM tblPipeSizingValue"
       L" WHERE ixPipeSizingTable = " + n(sizingTable_),
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSizingValue where ixPipeSizingTable = " + n(sizingTable_)));
         EXPECT_TRUE(keySet(a, L"ixPipeSize").count(size2_));
         for (const Row& row : a.rows) EXPECT_EQ(row.size(), 5u);
       }},
      // Before a table is deleted: a pipe that uses it keeps it.
      {"sizing table in use",
       L"select ixPipe from tblPipe where ixPipeSizingTable = " + n(sizingTable_), Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(keySet(a, L"ixPipe"), (std::set<long>{pipe_, branchPipe_, eastPipe_, erasedPipe_}));
       }},
      {"sizing table not in use",
       L"select ixPipe from tblPipe where ixPipeSizingTable = " + n(spareTable_), Run::Query,
       [&](const Answer& a) { EXPECT_TRUE(a.rows.empty()); }},
      // The copy dialog refuses a name the chosen pipe type already has.
      {"copy name taken",
       L"SELECT ixPipeSizingTable" L" FROM tblPipeSizingTable" L" WHERE sName = '" + std::wstring(L"Spare") + L"'" +
           L" AND ixPipeType = " + n(type1_),
       Run::Query, [&](const Answer& a) { EXPECT_EQ(keys(a, L"ixPipeSizingTable"), std::vector<long>{spareTable_}); }},
      {"copy name free on another type",
       L"SELECT ixPipeSizingTable" L" FROM tblPipeSizingTable" L" WHERE sName = '" + std::wstring(L"Spare") + L"'" +
           L" AND ixPipeType = " + n(type2_),
       Run::Query, [&](const Answer& a) { EXPECT_TRUE(a.rows.empty()); }},
      // The copy dialog's pipe types.
      {"pipe types for the copy",
       L"SELECT ixPipeType, sName" L" FROM tblPipeType" L" ORDER BY iSortOrder", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeType"));
         ASSERT_GE(a.rows.size(), 2u);
         EXPECT_EQ(integer(column(a.rows[0], L"ixPipeType")), type1_);
         EXPECT_EQ(integer(column(a.rows[1], L"ixPipeType")), type2_);
         EXPECT_FALSE(text(column(a.rows[0], L"sName")).empty());
       }},
      // Saving an existing table keeps its label group in step: the vertical-flow entry is
      // hidden (0) while vertical flow equals horizontal flow and shown (1) otherwise ...
      verticalFlowShown(0),
      verticalFlowShown(1),
      // ... and the schedule title follows the table's name.
      {"label group title",
       L"update tblLabelGroup set sLabel = '" + newTitle + L"'" + L" where sKey = \"Schedule Title\"" +
           L" and sGroup = \"Pipe Sizing Table:" + n(sizingTable_) + L"\"",
       Run::Execute,
       [&](const Answer&) {
         const auto after = labelGroupEntries(L"Schedule Title", L"sLabel");
         EXPECT_EQ(after.at(group), newTitle);
         onlyEntryChanged(titlesBefore, after);
       }},
  });
}

// The sizes of every pipe type and the flow lookup of a category.
TEST_F(SqlForms, PipeSizesAndFlowLookup) {
  const long otherValues = count(L"tblPipeSizingValue where ixPipeSize <> " + n(size2_));
  runForms({
      // The pipe sizes grid: each type's sizes under its heading row.
      {"sizes of a type with diameters",
       L"SELECT ixPipeSize, dInteriorDiameter, dExteriorDiameter, sLabel" L" FROM tblPipeSize" L" WHERE ixPipeType = " +
           n(type1_) + L" ORDER BY dInteriorDiameter",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSize where ixPipeType = " + n(type1_)));
         EXPECT_TRUE(ascending(numbers(a, L"dInteriorDiameter")));
         ASSERT_FALSE(a.rows.empty());
         const Row& tiny = a.rows.front();
         ASSERT_EQ(tiny.size(), 4u);
         EXPECT_EQ(integer(column(tiny, L"ixPipeSize")), tinySize_);
         EXPECT_DOUBLE_EQ(number(column(tiny, L"dInteriorDiameter")), 0.001);
         EXPECT_DOUBLE_EQ(number(column(tiny, L"dExteriorDiameter")), 0.002);
         EXPECT_EQ(text(column(tiny, L"sLabel")), L"tiny");
       }},
      // A size that a pipe uses cannot be deleted.
      {"size in use", L"select ixPipe from tblPipe where ixPipeSize = " + n(size1_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keySet(a, L"ixPipe"), (std::set<long>{pipe_, eastPipe_})); }},
      {"size not in use", L"select ixPipe from tblPipe where ixPipeSize = " + n(tinySize_), Run::Query,
       [&](const Answer& a) { EXPECT_TRUE(a.rows.empty()); }},
      // A new size gets a sizing value in every sizing table of its type.
      {"sizing tables of a type",
       L"SELECT ixPipeSizingTable" L" FROM tblPipeSizingTable" L" WHERE ixPipeType = " + n(type1_), Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSizingTable where ixPipeType = " + n(type1_)));
         const std::set<long> tables = keySet(a, L"ixPipeSizingTable");
         EXPECT_TRUE(tables.count(sizingTable_));
         EXPECT_TRUE(tables.count(spareTable_));
         const auto typeOf = numberByKey(L"tblPipeSizingTable", L"ixPipeSizingTable", L"ixPipeType");
         for (long table : tables) EXPECT_EQ(typeOf.at(table), type1_);
       }},
      // The flow lookup grid of a category, by fixture count.
      {"flow lookup rows",
       L"select ixPipeFlowLookup, iFixtures, dFlow, ixPipeSizeMin" L" from tblPipeFlowLookup where ixPipeSumCategory = " +
           n(lookupCategory_) + L" order by iFixtures",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()),
                   count(L"tblPipeFlowLookup where ixPipeSumCategory = " + n(lookupCategory_)));
         EXPECT_TRUE(ascending(numbers(a, L"iFixtures")));
         for (const Row& row : a.rows) EXPECT_EQ(row.size(), 4u);
       }},
      // A deleted size takes its sizing values with it, in every table.
      {"sizing values of a deleted size",
       L"DELETE from tblPipeSizingValue" L" WHERE ixPipeSize = " + n(size2_), Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblPipeSizingValue where ixPipeSize = " + n(size2_)), 0);
         EXPECT_EQ(count(L"tblPipeSizingValue where ixPipeSize <> " + n(size2_)), otherValues);
       }},
  });
}

// The query dialog's flow sums of a pipe and the flow categories of the pipe types.
TEST_F(SqlForms, FlowSumsAndCategories) {
  const long otherLookups = count(L"tblPipeFlowLookup where ixPipeSumCategory <> " + n(lookupCategory_));
  const auto orderOf = [&] { return numberByKey(L"tblPipeSumCategory", L"ixPipeSumCategory", L"iOrder"); };
  // The fixed value typed by the user and the calculated one, told apart by bFixed.
  const auto pipeSum = [&](const char* which, const wchar_t* fixedPiece, long fixed, double value) {
    return SqlForm{std::string("a pipe's ") + which + " sum",
                   L"select ixPipeSum, bFixed, dValue from tblPipeSum where ixPipeSumCategory = " + n(category_) +
                       L" and ixPipe = " + n(pipe_) + fixedPiece,
                   Run::Query, [fixed, value](const Answer& a) {
                     ASSERT_EQ(a.rows.size(), 1u);
                     EXPECT_EQ(integer(column(a.rows[0], L"bFixed")), fixed);
                     EXPECT_DOUBLE_EQ(number(column(a.rows[0], L"dValue")), value);
                   }};
  };
  runForms({
      // The flow grid of the query dialog and the fixture connection, base category first.
      {"categories of a type",
       L"select ixPipeSumCategory, sName from tblPipeSumCategory where ixPipeType = " + n(type1_) + L" order by iOrder",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeSumCategory where ixPipeType = " + n(type1_)));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeSumCategory")), category_);
         EXPECT_FALSE(text(column(a.rows.front(), L"sName")).empty());
         const auto order = orderOf();
         std::vector<double> orders;
         for (long key : keys(a, L"ixPipeSumCategory")) orders.push_back(order.at(key));
         EXPECT_TRUE(ascending(orders));
       }},
      {"whole categories of a type",
       L"select * from tblPipeSumCategory where ixPipeType = " + n(type1_) + L" order by iOrder", Run::Query,
       [&](const Answer& a) {
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(a.rows.front().size(), projectTable(ProjectTable::tblPipeSumCategory).columns.size());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeType")), type1_);
         EXPECT_TRUE(ascending(numbers(a, L"iOrder")));
       }},
      pipeSum("fixed", L" and bFixed = -1", -1, 3.0),
      pipeSum("calculated", L" and bFixed = 0", 0, 5.0),
      // The query dialog offers only the active sizing tables of the type.
      {"active sizing tables of a type, ordered",
       L"SELECT ixPipeSizingTable, sName" L" FROM tblPipeSizingTable" L" WHERE ixPipeType = " + n(type1_) +
           L" and bActive = -1" L" ORDER BY iSortOrder",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()),
                   count(L"tblPipeSizingTable where bActive = -1 and ixPipeType = " + n(type1_)));
         EXPECT_FALSE(keySet(a, L"ixPipeSizingTable").count(spareTable_));
         const auto order = numberByKey(L"tblPipeSizingTable", L"ixPipeSizingTable", L"iSortOrder");
         std::vector<double> orders;
         for (long key : keys(a, L"ixPipeSizingTable")) orders.push_back(order.at(key));
         EXPECT_TRUE(ascending(orders));
       }},
      {"layer systems", L"Select ixLayerSystem, sDescription from tblLayerSystem", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblLayerSystem"));
         EXPECT_TRUE(keySet(a, L"ixLayerSystem").count(layerSystem_));
       }},
      // The category dialog's rows under each pipe type.
      {"categories for the category dialog",
       L"select ixPipeSumCategory, iOrder, sName, sLabelPrefix, sLabelSuffix, iConversionType, dMultiplier"
       L" from tblPipeSumCategory where ixPipeType = " + n(type1_) + L" order by iOrder",
       Run::Query,
       [&](const Answer& a) {
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(a.rows.front().size(), 7u);
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeSumCategory")), category_);
         EXPECT_TRUE(ascending(numbers(a, L"iOrder")));
       }},
      // Deleting a category asks first when fixed flows above 0 use it.
      {"flows in use",
       L"select dValue from tblPipeSum where ixPipeSumCategory = " + n(category_) + L" and bFixed = -1 and dValue > 0",
       Run::Query, [&](const Answer& a) { EXPECT_EQ(numbers(a, L"dValue"), std::vector<double>{3.0}); }},
      // A pipe given another type loses all its sums.
      {"sums of a pipe whose type changed", L"delete from tblPipeSum where ixPipe = " + n(pipe_), Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblPipeSum where ixPipe = " + n(pipe_)), 0);
         EXPECT_EQ(count(L"tblPipeSum where ixPipe = " + n(eastPipe_)), 2);
       }},
      // A deleted category takes its lookup rows and its sums with it.
      {"lookup rows of a deleted category",
       L"delete from tblPipeFlowLookup where ixPipeSumCategory = " + n(lookupCategory_), Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblPipeFlowLookup where ixPipeSumCategory = " + n(lookupCategory_)), 0);
         EXPECT_EQ(count(L"tblPipeFlowLookup where ixPipeSumCategory <> " + n(lookupCategory_)), otherLookups);
       }},
      {"sums of a deleted category", L"delete from tblPipeSum where ixPipeSumCategory = " + n(lookupCategory_),
       Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblPipeSum where ixPipeSumCategory = " + n(lookupCategory_)), 0);
         EXPECT_EQ(count(L"tblPipeSum where ixPipeSumCategory = " + n(category_)), 1);
       }},
  });
}

// A pipe type that a pipe or a valve uses cannot be deleted.
TEST_F(SqlForms, PipeTypesInUse) {
  runForms({
      {"pipes of a type", L"select ixPipe from tblPipe where ixPipeType = " + n(type1_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keySet(a, L"ixPipe"), (std::set<long>{pipe_, branchPipe_, eastPipe_})); }},
      {"valves of a type", L"select ixValveL from tblValveL where ixPipeType = " + n(type1_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keys(a, L"ixValveL"), std::vector<long>{valve_}); }},
  });
}

// The label and linetype dialogs list every pair of pipe type and layer system.
TEST_F(SqlForms, LabelsAndLinetypes) {
  runForms({
      {"pipe types in order", L"select ixPipeType, iSortOrder from tblPipeType order by iSortOrder", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeType"));
         EXPECT_TRUE(ascending(numbers(a, L"iSortOrder")));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeType")), type1_);
       }},
      {"layer systems in order", L"select ixLayerSystem, iSortOrder from tblLayerSystem order by iSortOrder",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblLayerSystem"));
         EXPECT_TRUE(ascending(numbers(a, L"iSortOrder")));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixLayerSystem")), layerSystem_);
       }},
      // The linetypes of a pair, shortest minimum length first.
      {"linetypes of a type and layer system",
       L"select ixPipeLinetype, sLinetype, dMinimumLength" L" from tblPipeLinetype" L" where ixPipeType = " + n(type1_) +
           L" and ixLayerSystem = " + n(layerSystem_) + L" order by dMinimumLength",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()),
                   count(L"tblPipeLinetype where ixPipeType = " + n(type1_) + L" and ixLayerSystem = " + n(layerSystem_)));
         EXPECT_TRUE(ascending(numbers(a, L"dMinimumLength")));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixPipeLinetype")), linetypeShort_);
         EXPECT_EQ(text(column(a.rows.front(), L"sLinetype")), L"HIDDEN2");
         EXPECT_TRUE(keySet(a, L"ixPipeLinetype").count(linetypeLong_));
       }},
  });
}

// A deleted symbol block: its valves are re-pointed to the replacement first.
TEST_F(SqlForms, ValveSymbols) {
  const auto repoint = [&](const std::wstring& table, long row) {
    return SqlForm{"re-point " + narrow(table),
                   L"update " + table + L" set ixDwgValve = " + n(otherSymbol_) + L" where ixDwgValve = " + n(symbol_),
                   Run::Execute, [this, table, row](const Answer&) {
                     const std::wstring key = L"ix" + table.substr(3);
                     EXPECT_EQ(count(table + L" where ixDwgValve = " + n(symbol_)), 0);
                     EXPECT_EQ(count(table + L" where ixDwgValve = " + n(otherSymbol_) + L" and " + key + L" = " + n(row)), 1);
                   }};
  };
  runForms({
      repoint(L"tblValveS", ballValve_),
      // A symbol list opened from a project file path re-points the valve models instead.
      repoint(L"tblValveM", valveM_),
      {"delete the symbol", L"delete from tblDwgValve where ixDwgValve = " + n(symbol_), Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblDwgValve where ixDwgValve = " + n(symbol_)), 0);
         EXPECT_EQ(count(L"tblDwgValve where ixDwgValve = " + n(otherSymbol_)), 1);
         EXPECT_EQ(count(L"tblValveS where ixValveS = " + n(gateValve_)), 1);
       }},
  });
}

// The choice lists of the fixture connection (its sizes and categories are the forms
// the sizing tables and the query dialog use).
TEST_F(SqlForms, FixtureConnection) {
  runForms({
      {"pipe types with names", L"select ixPipeType, sName from tblPipeType order by iSortOrder", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeType"));
         ASSERT_GE(a.rows.size(), 2u);
         EXPECT_EQ(keys(a, L"ixPipeType")[1], type2_);
       }},
      {"active sizing tables of a type",
       L"SELECT ixPipeSizingTable, sName" L" FROM tblPipeSizingTable" L" WHERE ixPipeType = " + n(type1_) +
           L" and bActive = -1",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()),
                   count(L"tblPipeSizingTable where bActive = -1 and ixPipeType = " + n(type1_)));
         EXPECT_FALSE(keySet(a, L"ixPipeSizingTable").count(spareTable_));
       }},
      {"layer systems with names", L"select ixLayerSystem, sDescription from tblLayerSystem order by iSortOrder",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblLayerSystem"));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(integer(column(a.rows.front(), L"ixLayerSystem")), layerSystem_);
         EXPECT_FALSE(text(column(a.rows.front(), L"sDescription")).empty());
       }},
  });
}

// The floors dialog's deletes and the alignment-point area dialog's lookups.
TEST_F(SqlForms, FloorsAndAreas) {
  runForms({
      {"isometric rows of a deleted floor", L"delete from tblIsometricFloor where ixFloor = " + n(floor_), Run::Execute,
       [&](const Answer&) {
         EXPECT_EQ(count(L"tblIsometricFloor where ixFloor = " + n(floor_)), 0);
         EXPECT_EQ(count(L"tblIsometricFloor where ixFloor = " + n(roof_)), 1);
       }},
      {"pipe types mapped to an area",
       L"select ixPipeAreaMap, ixPipeType from tblPipeAreaMap where ixAlignmentPointArea = " + n(area_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keys(a, L"ixPipeType"), std::vector<long>{type1_}); }},
      // Types of the pipes lying in the area: the erased pipe of the second type is left out,
      // and the two pipes of the first type give it once.
      {"pipe types in use in an area",
       L"select distinct(ixPipeType) from tblPipe where iAlignmentPointNumber = " + n(1) + L" and sDrawing = " +
           sqlText(drawing_) + L" and bDeleted = 0",
       Run::Query,
       [&](const Answer& a) {
         ASSERT_EQ(a.rows.size(), 1u);
         ASSERT_EQ(a.rows[0].size(), 1u);
         EXPECT_EQ(integer(a.rows[0][0].second), type1_);
       }},
      {"other areas of the floor",
       L"select ixAlignmentPointArea, sName, sDrawing from tblAlignmentPointArea where ixFloor = " + n(floor_) +
           L" and bDeleted = 0",
       Run::Query,
       [&](const Answer& a) {
         std::set<long> live = seededAreas_;
         live.insert({area_, eastArea_});
         EXPECT_EQ(keySet(a, L"ixAlignmentPointArea"), live) << "the erased area is left out";
         for (const Row& row : a.rows)
           if (integer(column(row, L"ixAlignmentPointArea")) == area_) {
             EXPECT_EQ(text(column(row, L"sDrawing")), drawing_);
           }
       }},
      {"pipe types taken by another area",
       L"select ixPipeType from tblPipeAreaMap where ixAlignmentPointArea = " + n(eastArea_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keys(a, L"ixPipeType"), std::vector<long>{type2_}); }},
  });
}

// The project explorer's tree, level by level; the host's LISP program runs these texts.
TEST_F(SqlForms, ProjectExplorer) {
  const auto floorsOfType = [&](long type) {
    return L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblPipe, tblFloor" +
           std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber and ") +
           L" tblAlignmentPointArea.sDrawing = tblPipe.sDrawing and tblPipe.ixPipeType = " + n(type) +
           L" and tblAlignmentPointArea.ixFloor = tblFloor.ixFloor " + L" and tblPipe.bDeleted = 0";
  };
  const auto pipesOfTypeOnFloor = [&](long type, long floor) {
    return L"Select tblPipe.ixPipe, tblPipe.ixPipeType from tblPipe, tblAlignmentPointArea" +
           std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber") +
           L" and tblAlignmentPointArea.sDrawing = tblPipe.sDrawing" + L" and tblPipe.ixPipeType = " + n(type) +
           L" and tblAlignmentPointArea.ixFloor = " + n(floor) + L" and tblPipe.bDeleted = 0";
  };
  const auto floorsOfCatalogueValve = [&](long catalogueValve) {
    return L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblValveL, tblFloor" +
           std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber and ") +
           L" tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" + L" and tblValveL.ixValveS = " + n(catalogueValve) +
           L" and tblFloor.ixFloor = tblAlignmentPointArea.ixFloor" + L" and tblValveL.bDeleted = 0";
  };
  const auto onlyFloor = [&](const Answer& a) {
    ASSERT_FALSE(a.rows.empty());
    EXPECT_EQ(keySet(a, L"ixFloor"), std::set<long>{floor_});
    const Answer name = query(L"select sName from tblFloor where ixFloor = " + n(floor_));
    ASSERT_EQ(name.rows.size(), 1u);
    EXPECT_EQ(text(column(a.rows.front(), L"sName")), text(column(name.rows[0], L"sName")));
  };
  const auto none = [](const Answer& a) { EXPECT_TRUE(a.rows.empty()); };
  runForms({
      {"pipes heading", L"Select * from tblPipeType", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblPipeType"));
         ASSERT_FALSE(a.rows.empty());
         EXPECT_EQ(a.rows.front().size(), projectTable(ProjectTable::tblPipeType).columns.size());
         EXPECT_TRUE(keySet(a, L"ixPipeType").count(type1_));
       }},
      // One floor row per pipe lying there; the host's LISP program sorts and merges them.
      {"floors of a pipe type", floorsOfType(type1_), Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(a.rows.size(), 3u);
         onlyFloor(a);
       }},
      {"floors of a type with only erased pipes", floorsOfType(type2_), Run::Query, none},
      {"pipes of a type on a floor", pipesOfTypeOnFloor(type1_, floor_), Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keySet(a, L"ixPipe"), (std::set<long>{pipe_, branchPipe_, eastPipe_})); }},
      {"pipes of a type on a floor without any", pipesOfTypeOnFloor(type1_, roof_), Run::Query, none},
      {"pipe symbols heading", L"Select * from tblValveSGroup", Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(static_cast<long>(a.rows.size()), count(L"tblValveSGroup"));
         EXPECT_TRUE(keySet(a, L"ixValveSGroup").count(group_));
       }},
      {"catalogue valves of a group", L"Select * from tblValveS " + std::wstring(L" where ixValveSGroup = ") + n(group_),
       Run::Query, [&](const Answer& a) { EXPECT_EQ(keySet(a, L"ixValveS"), (std::set<long>{ballValve_, gateValve_})); }},
      {"floors of a group",
       L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblValveL, tblValveS, tblFloor" +
           std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber and ") +
           L" tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" +
           L" and tblValveL.ixValveS = tblValveS.ixValveS and tblValveS.ixValveSGroup = " + n(group_) +
           L" and tblFloor.ixFloor = tblAlignmentPointArea.ixFloor" + L" and tblValveL.bDeleted = 0",
       Run::Query,
       [&](const Answer& a) {
         EXPECT_EQ(a.rows.size(), 1u) << "the erased valve lies on no floor";
         onlyFloor(a);
       }},
      {"floors of a catalogue valve", floorsOfCatalogueValve(ballValve_), Run::Query, onlyFloor},
      {"floors of a catalogue valve with only erased valves", floorsOfCatalogueValve(gateValve_), Run::Query, none},
      {"catalogue valves of a group on a floor",
       L"Select tblValveL.ixValveS, tblValveS.sName from tblValveL, tblValveS, tblAlignmentPointArea " +
           std::wstring(L" where tblValveL.ixValveS = tblValveS.ixValveS and tblValveS.ixValveSGroup = ") + n(group_) +
           L" and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber" +
           L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" + L" and tblAlignmentPointArea.ixFloor = " +
           n(floor_) + L" and tblValveL.bDeleted = 0",
       Run::Query,
       [&](const Answer& a) {
         ASSERT_EQ(a.rows.size(), 1u);
         EXPECT_EQ(integer(column(a.rows[0], L"ixValveS")), ballValve_);
         EXPECT_EQ(text(column(a.rows[0], L"sName")), L"Ball valve");
       }},
      {"placed valves of a catalogue valve on a floor",
       L"Select tblValveL.ixValveL, tblValveL.sDrawing from tblValveL, tblAlignmentPointArea" +
           std::wstring(L" where tblValveL.ixValveS = ") + n(ballValve_) +
           L" and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber" +
           L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" + L" and tblAlignmentPointArea.ixFloor = " +
           n(floor_) + L" and tblValveL.bDeleted = 0",
       Run::Query,
       [&](const Answer& a) {
         ASSERT_EQ(a.rows.size(), 1u);
         EXPECT_EQ(integer(column(a.rows[0], L"ixValveL")), valve_);
         EXPECT_EQ(text(column(a.rows[0], L"sDrawing")), drawing_);
       }},
      {"any pipe in the project", L"Select * from tblPipe where bDeleted = 0", Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keySet(a, L"ixPipe"), (std::set<long>{pipe_, branchPipe_, eastPipe_})); }},
      {"any valve in the project", L"Select * from tblValveL where bDeleted = 0", Run::Query,
       [&](const Answer& a) { EXPECT_EQ(keys(a, L"ixValveL"), std::vector<long>{valve_}); }},
  });
}

}  // namespace
