// The per-document and per-project records and the context that keeps them. The
// document list is kept in activation order: its head is the current document.
#include "frame/context.h"

#include <algorithm>

#include "arx/ap_doc_manager.h"
#include "arx/editor.h"
#include "arx/resbuf.h"
#include "db/tblGlobal.h"
#include "db/tblLayer.h"
#include "db/tblLayerKey.h"
#include "db/tblLayerSystem.h"
#include "db/tblTextStyle.h"
#include "frame/doc_reactors.h"
#include "frame/plumb_doc_reactor.h"
#include "frame/project_marker.h"

namespace {

ovApplication* gApplication = nullptr;

size_t lastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

}  // namespace

ovApplication* ovTheApplication() { return gApplication; }
void ovSetTheApplication(ovApplication* context) { gApplication = context; }

bool ovIsOpen(const ProjectDatabasePtr& connection) {
  if (!connection) return false;
  VARIANT_BOOL open = VARIANT_FALSE;
  connection->IsOpen(&open);
  return open == VARIANT_TRUE;
}

std::wstring ovFolderOf(const std::wstring& path) {
  const size_t at = lastSeparator(path);
  return at == std::wstring::npos ? std::wstring() : path.substr(0, at);
}

std::wstring ovNameOf(const std::wstring& path) {
  const size_t at = lastSeparator(path);
  return at == std::wstring::npos ? std::wstring() : path.substr(at + 1);
}

// ---- ovPerProjectData --------------------------------------------------------------

ovPerProjectData::ovPerProjectData(const std::wstring& projectKey) : key(projectKey) {
  // Only a drawing marked as using the project database connects by itself; any other
  // waits for the first call that needs the database.
  if (ovCurrentDrawingUsesProjectDatabase(kModuleToken) && ovOpenProject(this, key, kModuleToken, false) &&
      ovIsOpen(connection))
    loadTables();
}

ovPerProjectData::~ovPerProjectData() { dropTables(); }

void ovPerProjectData::loadTables() {
  if (!globals) globals = std::make_unique<tblGlobal>(connection);
  if (!layers) layers = std::make_unique<tblLayer>(connection);
  if (!layerKeys) layerKeys = std::make_unique<tblLayerKey>(connection);
  if (!layerSystems) layerSystems = std::make_unique<tblLayerSystem>(connection);
  if (!textStyles) textStyles = std::make_unique<tblTextStyle>(connection);
}

void ovPerProjectData::dropTables() {
  globals.reset();
  layers.reset();
  layerKeys.reset();
  layerSystems.reset();
  textStyles.reset();
}

// ---- ovPerDocData ------------------------------------------------------------------

ovPerDocData::ovPerDocData(const std::wstring& documentPath, AcDbDatabase* db, ovPerProjectData* documentProject)
    : path(documentPath), name(ovNameOf(documentPath)), project(documentProject), database(db),
      moduleProject(documentProject) {
  if (project != nullptr) ++project->documentCount;
}

ovPerDocData::~ovPerDocData() {
  if (project != nullptr && project->documentCount > 0) --project->documentCount;
}

// ---- ovApplication -----------------------------------------------------------------

ovApplication::ovApplication() {
  editorReactor_ = std::make_unique<ovEditorReactor>(this);
  docReactor_ = std::make_unique<ovDocReactor>(this);
  if (AcEditor* editor = AcEditor::cast(acrxSysRegistry()->at(L"AcEditor"))) editor->addReactor(editorReactor_.get());
  if (AcApDocManager* manager = acDocManagerPtr()) {
    manager->addReactor(docReactor_.get());
    std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
    for (; !it->done(); it->step()) makeCurrent(it->document());
  }
  moduleReactor_ = std::make_unique<PlumbDocReactor>();
}

ovApplication::~ovApplication() {
  moduleReactor_.reset();
  if (AcEditor* editor = AcEditor::cast(acrxSysRegistry()->at(L"AcEditor"))) editor->removeReactor(editorReactor_.get());
  if (AcApDocManager* manager = acDocManagerPtr()) manager->removeReactor(docReactor_.get());
  editorReactor_.reset();
  docReactor_.reset();
  documents_.clear();
  projects_.clear();
}

ovPerDocData* ovApplication::currentDocData() const { return documents_.empty() ? nullptr : documents_.front().get(); }

ovPerProjectData* ovApplication::findProject(const std::wstring& projectKey) const {
  for (const auto& project : projects_)
    if (project->key == projectKey) return project.get();
  return nullptr;
}

bool ovApplication::makeCurrent(AcApDocument* document) {
  if (document == nullptr) return true;
  return makeCurrent(document->fileName(), document->database());
}

bool ovApplication::makeCurrent(const std::wstring& path, AcDbDatabase* database) {
  auto known = std::find_if(documents_.begin(), documents_.end(), [&](const auto& d) { return d->path == path; });
  if (known != documents_.end()) {
    std::iter_swap(documents_.begin(), known);
    return true;
  }
  const std::wstring folder = ovFolderOf(path);
  ovPerProjectData* project = findProject(folder);
  if (project == nullptr) {
    projects_.push_back(std::make_unique<ovPerProjectData>(folder));
    project = projects_.back().get();
  }
  documents_.insert(documents_.begin(), std::make_unique<ovPerDocData>(path, database, project));
  return true;
}

bool ovApplication::forgetDocument(const std::wstring& path) {
  auto known = std::find_if(documents_.begin(), documents_.end(), [&](const auto& d) { return d->path == path; });
  if (known == documents_.end()) return true;
  ovPerProjectData* project = (*known)->project;
  documents_.erase(known);
  if (project != nullptr && project->documentCount == 0) {
    std::erase_if(projects_, [&](const auto& p) { return p.get() == project; });
  }
  return true;
}

bool ovApplication::connect(ovPerDocData* data, bool report, const wchar_t* token) {
  if (data == nullptr || data->project == nullptr) return false;
  ovPerProjectData* project = data->project;
  if (!ovIsOpen(project->connection)) {
    ovOpenProject(project, project->key, token, report);
    if (!ovIsOpen(project->connection)) {
      if (report) acutPrintf(L"%s", L"\nCannot connect to the plumbing database (Connection Error Code 1).");
      return false;
    }
  }
  project->loadTables();
  // The module's own check of its link: it must exist and still be open.
  return ovIsOpen(project->connection);
}
