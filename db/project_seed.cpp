// Writing a new project's database: the file, the schema, then the standard
// customisation through the record classes, so keys come from the database.
#include "db/project_seed.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "arx/aced_print.h"
#include "db/component_error.h"
#include "db/project_file.h"
#include "db/project_schema.h"
#include "db/sql_text.h"
#include "db/standard_customisation.h"
#include "db/tblAlignmentPointArea.h"
#include "db/tblFloor.h"
#include "db/tblGlobal.h"
#include "db/tblLayer.h"
#include "db/tblLayerKey.h"
#include "db/tblLayerSystem.h"
#include "db/tblPipeAreaMap.h"
#include "db/tblPipeFlowLookup.h"
#include "db/tblPipeLabel.h"
#include "db/tblPipeLinetype.h"
#include "db/tblPipeLinetypeText.h"
#include "db/tblPipeSize.h"
#include "db/tblPipeSizingTable.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeSumCategory.h"
#include "db/tblPipeType.h"

namespace {

namespace fs = std::filesystem;

using SizeKeys = std::vector<std::pair<std::wstring, std::int32_t>>;

fs::path filePath(const std::wstring& path) { return fs::path(acutWideToUtf8(path)); }

std::wstring systemErrorText(const std::error_code& error) { return acutUtf8ToWide(error.message()); }

// Gallons per minute of water at `velocity` ft/s through a bore of `diameter` inches,
// to a tenth: 448.83 gpm per cubic foot a second times the bore's area in square feet.
double waterFlow(double velocity, double diameter) {
  const double kPi = 3.14159265358979323846;
  double area = kPi / 4.0 * (diameter / 12.0) * (diameter / 12.0);
  return std::round(velocity * area * 448.83 * 10.0) / 10.0;
}

// Writes the rows through one record object per table.
class StandardProjectWriter {
 public:
  explicit StandardProjectWriter(const ProjectDatabasePtr& db)
      : db_(db),
        layerSystems_(db),
        layers_(db),
        layerKeys_(db),
        pipeTypes_(db, false),
        sizes_(db, false),
        sizingTables_(db),
        sizingValues_(db),
        categories_(db, false),
        lookups_(db),
        labels_(db, false),
        linetypes_(db, false),
        linetypeTexts_(db),
        globals_(db),
        floors_(db),
        areas_(db),
        areaMaps_(db) {}

  void write() {
    for (const StandardLayerSystem& system : standardLayerSystems()) addLayerSystem(system);
    for (const StandardPipeType& type : standardPipeTypes()) addPipeType(type);
    for (const StandardGlobal& global : standardGlobals()) addGlobal(global);
    addFloorAndArea();
  }

 private:
  void addLayerSystem(const StandardLayerSystem& system) {
    layerSystems_.AddNew();
    layerSystems_.set_sDescription(system.description);
    layerSystems_.set_iSortOrder(static_cast<std::int32_t>(systemKeys_.size()) + 1);
    layerSystems_.set_sPrefix(system.prefix);
    layerSystems_.set_sSuffix(system.suffix);
    layerSystems_.set_bSolid(false);
    layerSystems_.set_bHatchFlexDucts(false);
    layerSystems_.set_dHatchOverhang(0.0);
    layerSystems_.Update();
    std::int32_t systemKey = layerSystems_.ixLayerSystem();
    systemKeys_.push_back(systemKey);
    for (const StandardLayer& layer : system.layers) {
      layers_.AddNew();
      layers_.set_sName(layer.name);
      layers_.set_bRGBColor(false);
      layers_.set_iColor(layer.color);
      layers_.set_sLinetype(layer.linetype);
      layers_.set_bPlot(true);
      layers_.set_sLineweight(layer.lineweight);
      layers_.Update();
      addLayerKey(systemKey, layer.key);
      // A call that names no layer system draws on the first system's layers.
      if (systemKeys_.size() == 1) addLayerKey(std::nullopt, layer.key);
    }
  }

  void addLayerKey(std::optional<std::int32_t> systemKey, const wchar_t* key) {
    layerKeys_.AddNew();
    if (systemKey) layerKeys_.set_ixLayerSystem(*systemKey);
    else layerKeys_.setNull_ixLayerSystem();
    layerKeys_.set_ixLayer(layers_.ixLayer());
    layerKeys_.set_sKey(key);
    layerKeys_.Update();
  }

  void addPipeType(const StandardPipeType& type) {
    pipeTypes_.AddNew();
    pipeTypes_.set_sName(type.name);
    pipeTypes_.set_sShortName(type.shortName);
    pipeTypes_.set_iSortOrder(++pipeTypeCount_);
    pipeTypes_.set_bReversed(type.reversed);
    pipeTypes_.set_iElbow(type.elbow);
    pipeTypes_.set_iTee(type.elbow);
    pipeTypes_.set_bFittingTicks(type.fittingTicks);
    pipeTypes_.set_iLabelLocation(0);
    pipeTypes_.set_bHidePipe(false);
    pipeTypes_.Update();
    std::int32_t typeKey = pipeTypes_.ixPipeType();
    pipeTypeKeys_.push_back(typeKey);

    SizeKeys sizeKeys = addSizes(typeKey, type);
    std::int32_t order = 0;
    for (const StandardSizingTable& table : type.sizingTables) addSizingTable(typeKey, ++order, table, type, sizeKeys);
    order = 0;
    for (const StandardFlowCategory& category : type.categories) addCategory(typeKey, ++order, category);
    for (std::int32_t systemKey : systemKeys_) addDrafting(typeKey, systemKey, type);
  }

  SizeKeys addSizes(std::int32_t typeKey, const StandardPipeType& type) {
    SizeKeys keys;
    for (const StandardPipeSize& size : type.sizes) {
      sizes_.AddNew();
      sizes_.set_ixPipeType(typeKey);
      sizes_.set_sLabel(size.label);
      sizes_.set_dInteriorDiameter(size.interiorDiameter);
      sizes_.set_dExteriorDiameter(size.exteriorDiameter);
      sizes_.Update();
      keys.emplace_back(size.label, sizes_.ixPipeSize());
    }
    return keys;
  }

  void addSizingTable(std::int32_t typeKey, std::int32_t order, const StandardSizingTable& table,
                      const StandardPipeType& type, const SizeKeys& sizeKeys) {
    sizingTables_.AddNew();
    sizingTables_.set_ixPipeType(typeKey);
    sizingTables_.set_iSortOrder(order);
    sizingTables_.set_sName(table.name);
    sizingTables_.set_bActive(table.active);
    sizingTables_.set_bHorizontalOnly(table.horizontalOnly);
    sizingTables_.Update();
    std::int32_t tableKey = sizingTables_.ixPipeSizingTable();
    addLabelGroup(tableKey, table);
    for (std::size_t i = 0; i < type.sizes.size(); ++i) {
      double horizontal = 0.0, vertical = 0.0;
      if (table.velocity > 0.0) {
        horizontal = vertical = waterFlow(table.velocity, type.sizes[i].interiorDiameter);
      } else {
        for (const StandardSizingFlow& flow : table.flows)
          if (sizeKeys[i].first == flow.sizeLabel) {
            horizontal = flow.horizontal;
            vertical = flow.vertical;
          }
      }
      sizingValues_.AddNew();
      sizingValues_.set_ixPipeSizingTable(tableKey);
      sizingValues_.set_ixPipeSize(sizeKeys[i].second);
      sizingValues_.set_dFlow(horizontal);
      sizingValues_.set_dFlowVertical(vertical);
      sizingValues_.set_bEnable(horizontal > 0.0 || vertical > 0.0 ? 1.0 : 0.0);
      sizingValues_.Update();
    }
  }

  // The host application's label group of a sizing table, as its LISP program makes
  // one for each new table: the schedule title and whether vertical flow is shown.
  void addLabelGroup(std::int32_t tableKey, const StandardSizingTable& table) {
    std::wstring group = sqlText(L"Pipe Sizing Table:" + std::to_wstring(tableKey));
    std::wstring insert = L"insert into tblLabelGroup (sKey, sGroup, bDisplay, sLabel) values (";
    execute(insert + sqlText(L"Vertical Flow") + L", " + group + (table.horizontalOnly ? L", 0, " : L", -1, ") +
            sqlText(L"Vertical Flow") + L")");
    execute(insert + sqlText(L"Schedule Title") + L", " + group + L", -1, " + sqlText(table.name) + L")");
  }

  void addCategory(std::int32_t typeKey, std::int32_t order, const StandardFlowCategory& category) {
    categories_.AddNew();
    categories_.set_sName(category.name);
    categories_.set_ixPipeType(typeKey);
    categories_.set_iOrder(order);
    categories_.set_iConversionType(category.conversionType);
    categories_.set_dMultiplier(category.multiplier);
    categories_.set_sLabelSuffix(category.labelSuffix);
    categories_.Update();
    for (const StandardFlowLookup& row : category.lookup) {
      lookups_.AddNew();
      lookups_.set_ixPipeSumCategory(categories_.ixPipeSumCategory());
      lookups_.set_iFixtures(row.fixtures);
      lookups_.set_dFlow(row.flow);
      lookups_.set_ixPipeSizeMin(0);
      lookups_.Update();
    }
  }

  // Labels and linetypes of a pipe type in one layer system.
  void addDrafting(std::int32_t typeKey, std::int32_t systemKey, const StandardPipeType& type) {
    labels_.AddNew();
    labels_.set_ixPipeType(typeKey);
    labels_.set_ixLayerSystem(systemKey);
    labels_.set_sLabelFormat(std::wstring(L"$SIZE ") + type.shortName);
    labels_.set_sLabelFormatIsometric(L"");
    labels_.Update();
    for (const StandardLinetype& linetype : type.linetypes) {
      linetypes_.AddNew();
      linetypes_.set_ixPipeType(typeKey);
      linetypes_.set_ixLayerSystem(systemKey);
      linetypes_.set_sLinetype(linetype.linetype);
      linetypes_.set_dMinimumLength(linetype.minimumLength);
      linetypes_.Update();
    }
    linetypeTexts_.AddNew();
    linetypeTexts_.set_ixPipeType(typeKey);
    linetypeTexts_.set_ixLayerSystem(systemKey);
    linetypeTexts_.set_sLinetypeText(type.linetypeText);
    linetypeTexts_.set_bLinetypeTextRotateTo0(false);
    linetypeTexts_.Update();
  }

  void addGlobal(const StandardGlobal& global) {
    globals_.AddNew();
    globals_.set_sKey(global.key);
    globals_.set_bNumeric(global.text == nullptr);
    if (global.text) globals_.set_sText(global.text);
    else globals_.set_dNumber(global.number);
    globals_.Update();
  }

  // One floor with its ceiling and floor-to-floor heights in inches, and one area on
  // it in which every pipe type may be drawn; its extents come when it is placed.
  void addFloorAndArea() {
    floors_.AddNew();
    floors_.set_sName(L"Level 1");
    floors_.set_dElevation(0.0);
    floors_.set_dCeilingHeight(108.0);
    floors_.set_dFloorToFloorHeight(144.0);
    floors_.Update();
    areas_.AddNew();
    areas_.set_ixFloor(floors_.ixFloor());
    areas_.set_sName(L"Area 1");
    areas_.set_sDrawing(L"");
    areas_.set_iAlignmentPointNumber(1);
    areas_.set_bDeleted(false);
    areas_.Update();
    for (std::int32_t typeKey : pipeTypeKeys_) {
      areaMaps_.AddNew();
      areaMaps_.set_ixAlignmentPointArea(areas_.ixAlignmentPointArea());
      areaMaps_.set_ixPipeType(typeKey);
      areaMaps_.Update();
    }
  }

  void execute(const std::wstring& sql) {
    if (db_->Execute(_bstr_t(sql)) != VARIANT_TRUE) _com_issue_error(E_FAIL);
  }

  ProjectDatabasePtr db_;
  tblLayerSystem layerSystems_;
  tblLayer layers_;
  tblLayerKey layerKeys_;
  tblPipeType pipeTypes_;
  tblPipeSize sizes_;
  tblPipeSizingTable sizingTables_;
  tblPipeSizingValue sizingValues_;
  tblPipeSumCategory categories_;
  tblPipeFlowLookup lookups_;
  tblPipeLabel labels_;
  tblPipeLinetype linetypes_;
  tblPipeLinetypeText linetypeTexts_;
  tblGlobal globals_;
  tblFloor floors_;
  tblAlignmentPointArea areas_;
  tblPipeAreaMap areaMaps_;
  std::vector<std::int32_t> systemKeys_;
  std::vector<std::int32_t> pipeTypeKeys_;
  std::int32_t pipeTypeCount_ = 0;
};

void removeDatabaseFiles(const std::wstring& path) {
  std::error_code ignored;
  for (const wchar_t* suffix : {L"", L"-wal", L"-shm", L"-journal"}) fs::remove(filePath(path + suffix), ignored);
}

// What a raised component error was about: the component's own account when it has
// one pending, else the error's text.
std::wstring raisedErrorText(const _com_error& raised, ProjectDatabase& db) {
  try {
    return lastComponentError(db, comErrorText(raised));
  } catch (const _com_error&) {
    return comErrorText(raised);
  }
}

// Opens the new, empty file and fills it; answers an error text or the empty text.
std::wstring fillNewDatabase(ProjectDatabasePtr& db, const std::wstring& path, bool seed) {
  HRESULT hr = db.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL);
  if (FAILED(hr)) return L"The project database component is not available: " + comErrorMessage(hr);
  try {
    std::wstring status = db->OpenProjectDatabase(_bstr_t(path), 0, 0).wstring();
    if (status.empty() || status == L"*REPAIR*")
      return L"Cannot open the new project database: " + lastComponentError(*db, L"no reason given");
    // One transaction for the few hundred rows: a new file that fails half-way is
    // removed anyway, and one commit is much quicker than one per row.
    bool inTransaction = db->Execute(_bstr_t(L"BEGIN")) == VARIANT_TRUE;
    if (!inTransaction) lastComponentError(*db, L"");
    std::wstring error = createProjectSchema(*db);
    if (!error.empty()) return error;
    if (seed) seedStandardCustomisation(db);
    if (inTransaction && db->Execute(_bstr_t(L"COMMIT")) != VARIANT_TRUE)
      return L"Cannot store the new project database: " + lastComponentError(*db, L"no reason given");
    _variant_t ignored;
    db->CloseDatabase(&ignored);
    return L"";
  } catch (const _com_error& e) {
    return L"Cannot write the new project database: " + raisedErrorText(e, *db);
  }
}

// Answers the new file's path, or the empty text with the reason in `error`.
std::wstring makeProject(const std::wstring& folder, const std::wstring& server, bool seed, std::wstring& error) {
  if (folder.empty()) {
    error = L"No folder was given for the new project.";
    return L"";
  }
  std::error_code failure;
  fs::create_directories(filePath(folder), failure);
  if (failure) {
    error = L"Cannot create the folder " + folder + L": " + systemErrorText(failure);
    return L"";
  }
  std::vector<std::wstring> existing = projectDatabaseCandidates(folder, L"ov");
  if (!existing.empty()) {
    error = L"The folder already has a project database: " + existing.front();
    return L"";
  }
  std::wstring path = pathInFolder(folder, kProjectDatabaseFileName);
  if (fs::exists(filePath(path), failure)) {
    error = L"Cannot create the project database: " + path + L" is in the way.";
    return L"";
  }
  // SQLite takes an empty file for an empty database; the component never creates one.
  // A project on a server has a file that names the server, and nothing else.
  {
    std::ofstream file(filePath(path), std::ios::binary);
    if (!server.empty()) file << acutWideToUtf8(server) << "\n";
    if (!file) {
      error = L"Cannot create the file " + path + L".";
      return L"";
    }
  }
  ProjectDatabasePtr db;
  error = fillNewDatabase(db, path, seed);
  if (error.empty()) return path;
  if (db) {
    try {
      _variant_t ignored;
      db->CloseDatabase(&ignored);
    } catch (const _com_error&) {
      // Closing is only to release the file before it is removed.
    }
  }
  db = nullptr;
  removeDatabaseFiles(path);
  return L"";
}

}  // namespace

void seedStandardCustomisation(const ProjectDatabasePtr& db) { StandardProjectWriter(db).write(); }

std::wstring createStandardProject(const std::wstring& folder, std::wstring* error) {
  std::wstring reason;
  std::wstring path = makeProject(folder, L"", true, reason);
  if (error) *error = reason;
  return path;
}

std::wstring createProject(const std::wstring& folder, const std::wstring& server, bool seed, std::wstring* error) {
  std::wstring reason;
  std::wstring path = makeProject(folder, server, seed, reason);
  if (error) *error = reason;
  return path;
}
