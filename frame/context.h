// The module's context: one record per open document and one per project folder in
// use, kept in step with the host's document events. A project record holds the
// connection to the folder's project database and the cached framework tables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "projectdb/project_database.h"

class AcApDocument;
class AcDbDatabase;
class ovDocReactor;
class ovEditorReactor;
class PlumbDocReactor;
class tblGlobal;
class tblLayer;
class tblLayerKey;
class tblLayerSystem;
class tblTextStyle;

// The module's name as it looks for its database file and reads the drawing marker.
inline constexpr wchar_t kModuleToken[] = L"ov_plumb";

// One project folder in use.
class ovPerProjectData {
 public:
  // Stores the key and, when the current drawing is marked as using the project
  // database, opens it silently and loads the cached tables.
  explicit ovPerProjectData(const std::wstring& key);
  ~ovPerProjectData();
  ovPerProjectData(const ovPerProjectData&) = delete;
  ovPerProjectData& operator=(const ovPerProjectData&) = delete;

  // Creates each missing cache over the connection.
  void loadTables();
  // Deletes the five caches.
  void dropTables();

  ProjectDatabasePtr connection;
  std::uint32_t documentCount = 0;
  std::wstring key;
  std::unique_ptr<tblGlobal> globals;
  std::unique_ptr<tblLayer> layers;
  std::unique_ptr<tblLayerKey> layerKeys;
  std::unique_ptr<tblLayerSystem> layerSystems;
  std::unique_ptr<tblTextStyle> textStyles;
};

// Five numbers a document keeps about a room.
struct RoomInfo {
  double values[5] = {0, 0, 0, 0, 0};
};

// One open document. Creating it counts it on its project; destroying it uncounts.
class ovPerDocData : public std::vector<RoomInfo> {
 public:
  ovPerDocData(const std::wstring& path, AcDbDatabase* database, ovPerProjectData* project);
  ~ovPerDocData();
  ovPerDocData(const ovPerDocData&) = delete;
  ovPerDocData& operator=(const ovPerDocData&) = delete;

  std::wstring path;
  std::wstring name;
  int number = 0;
  double real = 0.0;
  bool alignmentPointSet = false;
  ovPerProjectData* project;
  AcDbDatabase* database;
  ovPerProjectData* moduleProject;
};

// The module context; one exists between the module's initialisation and unload.
class ovApplication {
 public:
  // Attaches the document and editor reactors, records every open document in the
  // manager's order, then creates the module's own document reactor.
  ovApplication();
  // Deletes the module's reactor first, then the framework's reactors and records.
  ~ovApplication();
  ovApplication(const ovApplication&) = delete;
  ovApplication& operator=(const ovApplication&) = delete;

  // The data of the current document: the head of the list; null when empty.
  ovPerDocData* currentDocData() const;
  // Records the document (and its project) when new and moves it to the head.
  bool makeCurrent(AcApDocument* document);
  // The same for a path and its database (a document saved under a new name).
  bool makeCurrent(const std::wstring& path, AcDbDatabase* database);
  // Drops the data of that path and, with its last document, the project record.
  bool forgetDocument(const std::wstring& path);
  // Makes sure the document's project is connected and its tables cached; false
  // (with the connection message when reporting) when it cannot be.
  bool connect(ovPerDocData* data, bool report, const wchar_t* token);

  const std::vector<std::unique_ptr<ovPerDocData>>& documents() const { return documents_; }
  const std::vector<std::unique_ptr<ovPerProjectData>>& projects() const { return projects_; }
  ovPerProjectData* findProject(const std::wstring& key) const;

  bool creating = false;

 private:
  std::vector<std::unique_ptr<ovPerProjectData>> projects_;
  std::vector<std::unique_ptr<ovPerDocData>> documents_;  // head: the current document
  std::unique_ptr<ovEditorReactor> editorReactor_;
  std::unique_ptr<ovDocReactor> docReactor_;
  std::unique_ptr<PlumbDocReactor> moduleReactor_;
};

// The module's one context, or null outside initialisation and unload.
ovApplication* ovTheApplication();
void ovSetTheApplication(ovApplication* context);

// The folder part of a path (up to the last "\" or "/"), and the name after it.
std::wstring ovFolderOf(const std::wstring& path);
std::wstring ovNameOf(const std::wstring& path);

// Whether a connection exists and the component says it is open (a failing call
// raises the component's error).
bool ovIsOpen(const ProjectDatabasePtr& connection);
// Opens the project's database (see the project's source for the steps); false when
// there is nothing to do or it failed with an error reported.
bool ovOpenProject(ovPerProjectData* project, const std::wstring& folder, const wchar_t* token, bool report);
// The one database file of a folder, or empty when there is none or more than one.
std::wstring ovFindDatabaseFile(const std::wstring& folder, const wchar_t* token);
// Drops the cached tables and closes the connection.
void ovDisconnect(ovPerProjectData* project);
// Whether the document's alignment point is set; tells the user when not.
bool ovCheckAlignmentPoint(ovPerDocData* data, bool report);
// Reports the component's pending error in the module's words; true when there was one.
bool ovReportDatabaseError(const ProjectDatabasePtr& connection);
// The last database error as "(CODE) MESSAGE".
const std::wstring& ovLastDatabaseError();
