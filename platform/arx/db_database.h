// A drawing database: the objects of one drawing, their handles, the symbol tables,
// the current settings, undo, and reading and writing drawing files.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "arx/db_symtab.h"
#include "arx/stub_store.h"

class AcDbUndoHistory;

// Where the objects of a drawing opened in place come from: the file it was read from,
// which builds an object from its bytes when it is first looked at.
class AcDbObjectSource {
 public:
  virtual ~AcDbObjectSource() = default;
  // The stub's object built from the file, or null when its bytes do not read (then
  // status() says why) or it is being built already.
  virtual AcDbObject* build(AcDbStub* stub) = 0;
  // eOk, or what the filer answered for an object whose bytes did not read.
  virtual Acad::ErrorStatus status(const AcDbStub* stub) const = 0;
};

class AcDbDatabase : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDatabase)
  // With buildDefaultDrawing the database starts with the tables and records every
  // drawing has ("*Model_Space", "*Paper_Space", layer "0", linetypes "CONTINUOUS",
  // "BYLAYER" and "BYBLOCK", text style "Standard"); without it, empty, ready for a
  // file to be read into.
  explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
  ~AcDbDatabase() override;
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode m) { return getBlockTable(t, m); }
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode m) { return getLayerTable(t, m); }
  Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& t, AcDb::OpenMode m) { return getLinetypeTable(t, m); }
  Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& t, AcDb::OpenMode m) { return getTextStyleTable(t, m); }
  Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& t, AcDb::OpenMode m) { return getRegAppTable(t, m); }
  AcDbObjectId blockTableId() const { return blockTable_; }
  AcDbObjectId layerTableId() const { return layerTable_; }
  AcDbObjectId linetypeTableId() const { return linetypeTable_; }
  AcDbObjectId textStyleTableId() const { return textStyleTable_; }
  AcDbObjectId regAppTableId() const { return regAppTable_; }
  // Looks a record up by name in one of the tables without opening anything.
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId currentSpaceId() const { return modelSpaceId(); }

  AcDbObjectId clayer() const { return clayer_; }
  Acad::ErrorStatus setClayer(AcDbObjectId layerId);
  AcDbObjectId celtype() const { return celtype_; }
  Acad::ErrorStatus setCeltype(AcDbObjectId linetypeId);
  AcDbObjectId textstyle() const { return textstyle_; }
  Acad::ErrorStatus setTextstyle(AcDbObjectId styleId);
  AcDbObjectId layerZero() const { return layerZero_; }
  AcDbObjectId byLayerLinetype() const { return byLayer_; }
  AcDbObjectId byBlockLinetype() const { return byBlock_; }
  AcDbObjectId continuousLinetype() const { return continuous_; }
  // Loads a linetype by name from the host's built-in linetype library (the file
  // name is accepted for compatibility; "*" loads every linetype of the library).
  Acad::ErrorStatus loadLineTypeFile(const ACHAR* linetypeName, const ACHAR* fileName);

  // Adds an object that is in no database yet; it is left open for write.
  Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
  // The id of a handle. With createIfNotFound, an unknown handle gets a stub with no
  // object yet (used while reading a file, for references to objects read later).
  Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle,
                                    Adesk::UInt32 xRefId = 0);
  AcDbHandle handseed() const { return handseed_; }

  // Drawing files. readDwgFile reads a .hdw file into an empty database (made without
  // buildDefaultDrawing); a refused file leaves it empty and answers an error, with
  // the reason in lastFileError(). saveAs writes .hdw.
  Acad::ErrorStatus readDwgFile(const ACHAR* fileName);
  Acad::ErrorStatus saveAs(const ACHAR* fileName);
  // DXF: dxfIn reads a DXF file into an empty database; dxfOut writes one. With
  // flatten, custom entities are written as the plain entities they draw.
  Acad::ErrorStatus dxfIn(const ACHAR* fileName);
  Acad::ErrorStatus dxfOut(const ACHAR* fileName, int precision = 16, bool flatten = false);
  const std::wstring& lastFileError() const { return lastFileError_; }
  void setLastFileError(const std::wstring& message) { lastFileError_ = message; }
  Acad::ErrorStatus getFilename(const ACHAR*& name) const { name = fileName_.c_str(); return Acad::eOk; }
  const std::wstring& fileName() const { return fileName_; }
  void setFileName(const std::wstring& name) { fileName_ = name; }

  // Undo. Changes are recorded in groups; the host opens a group around each command
  // (for ovhost, each top-level LISP form). Opening an object for write records its
  // state through the undo filer once per group; undoGroup puts every object of the
  // last group back and redoGroup takes the change again.
  void beginUndoGroup();
  void endUndoGroup();
  Acad::ErrorStatus undoGroup();
  Acad::ErrorStatus redoGroup();
  void disableUndoRecording(bool disable) { undoDisabled_ = disable; }
  bool undoRecording() const { return !undoDisabled_; }
  int undoGroupCount() const;

  // Host internals used by the object life cycle, the file formats and the host.
  AcDbStub* stubFor(const AcDbHandle& handle) const;
  // Every stub in handle order (objects not yet read have no object).
  std::vector<AcDbStub*> stubs() const;
  // Whether the stub is one of this database's, found by its address alone (nothing is
  // read through it), so that an entity name can be checked before it is trusted.
  bool hasStub(const AcDbStub* stub) const { return stubStore_.contains(stub); }
  // The same walk without making the list, for a save of a large drawing.
  template <typename Fn>
  void hostForEachStub(Fn&& fn) const {
    for (AcDbStub* stub : stubTable_)
      if (stub != nullptr) fn(stub);
    for (const auto& [value, stub] : farStubs_) fn(stub);
  }
  // Binds an object read from a file to the stub of its handle.
  Acad::ErrorStatus hostAttachObject(AcDbStub* stub, AcDbObject* obj);
  void hostSetTables(AcDbObjectId block, AcDbObjectId layer, AcDbObjectId linetype, AcDbObjectId style,
                     AcDbObjectId regapp);
  // Finds the standard records after a file was read; answers false when one is missing.
  bool hostResolveStandardRecords();
  void hostSetHandseed(const AcDbHandle& seed) { if (handseed_ < seed) handseed_ = seed; }
  void hostRecordBeforeWrite(AcDbStub* stub);
  void hostRecordCreated(AcDbStub* stub);
  // Deletes every object and stub (used when a read fails).
  void hostClear();
  // The file a drawing opened in place builds its objects from (null for one made here).
  AcDbObjectSource* hostObjectSource() const { return source_.get(); }
  void hostSetObjectSource(std::unique_ptr<AcDbObjectSource> source) { source_ = std::move(source); }
  // Builds a stub's object from the file; null when there is none or it does not read.
  AcDbObject* hostBuildObject(AcDbStub* stub) { return source_ && stub->fileEntry ? source_->build(stub) : nullptr; }
  // Why a stub has no object: eUnknownHandle for a handle nothing was read for, or the
  // filer's status for an object whose bytes in the file did not read.
  Acad::ErrorStatus hostMissingObjectStatus(const AcDbStub* stub) const;

 private:
  AcDbObjectId findRecord(AcDbObjectId table, const ACHAR* name) const;
  void buildDefaultDrawing();
  AcDbStub* newStub(const AcDbHandle& handle);
  void indexStub(AcDbStub* stub);

  AcDbStubStore stubStore_;
  // Handles are found through a table indexed by the handle's value, which is how a
  // drawing's handles run (from 1 up, few gaps); a handle far beyond the others (from
  // a file that says so) is kept in the sorted map instead. Every handle of the map
  // lies above the table's end, so the table then the map run in handle order.
  std::vector<AcDbStub*> stubTable_;
  std::map<std::uint64_t, AcDbStub*> farStubs_;
  AcDbHandle handseed_{1};
  AcDbObjectId blockTable_, layerTable_, linetypeTable_, textStyleTable_, regAppTable_;
  AcDbObjectId clayer_, celtype_, textstyle_, layerZero_, byLayer_, byBlock_, continuous_;
  std::wstring fileName_;
  std::wstring lastFileError_;
  std::unique_ptr<AcDbUndoHistory> undo_;
  bool undoDisabled_ = false;
  // Released by hostClear after the objects, which may still be read while they go.
  std::unique_ptr<AcDbObjectSource> source_;
};

// The host application's services: the working database that plug-ins act on.
class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const { return working_; }
  void setWorkingDatabase(AcDbDatabase* db) { working_ = db; }

 private:
  AcDbDatabase* working_ = nullptr;
};
AcDbHostApplicationServices* acdbHostApplicationServices();
