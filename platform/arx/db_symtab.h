// Symbol tables (blocks, layers, linetypes, text styles, registered applications) and
// their records. Names are compared without regard to case, as the host does.
#pragma once

#include <string>
#include <vector>

#include "arx/db_entity.h"

class AcDbSymbolTableRecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord)
  // The name as a heap text (free with acutDelString).
  Acad::ErrorStatus getName(ACHAR*& name) const;
  // A pointer to the name inside the record, valid while it is open.
  Acad::ErrorStatus getName(const ACHAR*& name) const;
  const std::wstring& name() const { return name_; }
  Acad::ErrorStatus setName(const ACHAR* name);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

 private:
  std::wstring name_;
};

class AcDbSymbolTable;

// Walks the records of a table in the order they were added, skipping erased ones.
class AcDbSymbolTableIterator {
 public:
  explicit AcDbSymbolTableIterator(std::vector<AcDbObjectId> ids) : ids_(std::move(ids)) {}
  void start() { pos_ = 0; }
  bool done() const { return pos_ >= ids_.size(); }
  void step() { ++pos_; }
  Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
  Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;

 private:
  std::vector<AcDbObjectId> ids_;
  size_t pos_ = 0;
};

class AcDbSymbolTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTable)

  Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErased = false) const;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                          bool openErased = false) const;
  bool has(const ACHAR* name) const;
  bool has(AcDbObjectId id) const;
  // Adds a record (not yet in a database) and leaves it open for write: the caller
  // closes it. The table must be open for write.
  Acad::ErrorStatus add(AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;
  // The record ids in order, erased ones left out unless asked.
  std::vector<AcDbObjectId> recordIds(bool withErased = false) const;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  // The record class this table holds.
  virtual AcRxClass* recordClass() const = 0;

 private:
  std::vector<AcDbObjectId> records_;
};

// Declares a table with typed getAt and add over the generic ones.
#define OV_DECLARE_SYMBOL_TABLE(TABLE, RECORD)                                                      \
  class RECORD;                                                                                     \
  class TABLE : public AcDbSymbolTable {                                                            \
   public:                                                                                          \
    ACRX_DECLARE_MEMBERS(TABLE)                                                                     \
    using AcDbSymbolTable::add;                                                                     \
    using AcDbSymbolTable::getAt;                                                                   \
    Acad::ErrorStatus getAt(const ACHAR* name, RECORD*& rec, AcDb::OpenMode mode,                   \
                            bool openErased = false) const;                                        \
                                                                                                    \
   protected:                                                                                       \
    AcRxClass* recordClass() const override;                                                        \
  };

OV_DECLARE_SYMBOL_TABLE(AcDbBlockTable, AcDbBlockTableRecord)
OV_DECLARE_SYMBOL_TABLE(AcDbLayerTable, AcDbLayerTableRecord)
OV_DECLARE_SYMBOL_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord)
OV_DECLARE_SYMBOL_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord)
OV_DECLARE_SYMBOL_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord)

#define ACDB_MODEL_SPACE L"*Model_Space"
#define ACDB_PAPER_SPACE L"*Paper_Space"

class AcDbBlockTableRecordIterator {
 public:
  explicit AcDbBlockTableRecordIterator(std::vector<AcDbObjectId> ids) : ids_(std::move(ids)) {}
  void start() { pos_ = 0; }
  bool done() const { return pos_ >= ids_.size(); }
  void step() { ++pos_; }
  Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
  Acad::ErrorStatus getEntity(AcDbEntity*& ent, AcDb::OpenMode mode, bool openErased = false) const;

 private:
  std::vector<AcDbObjectId> ids_;
  size_t pos_ = 0;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord)
  // Adds the entity to the database and to this block (open for write); the entity is
  // left open for write and the caller closes it.
  Acad::ErrorStatus appendAcDbEntity(AcDbEntity* ent);
  Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent);
  Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;
  std::vector<AcDbObjectId> entityIds(bool withErased = false) const;
  bool isLayout() const;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  std::vector<AcDbObjectId> entities_;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord)
  AcCmColor color() const { assertReadEnabled(); return color_; }
  void setColor(const AcCmColor& c);
  AcDbObjectId linetypeObjectId() const { assertReadEnabled(); return linetype_; }
  void setLinetypeObjectId(AcDbObjectId id);
  AcDb::LineWeight lineWeight() const { assertReadEnabled(); return lineWeight_; }
  Acad::ErrorStatus setLineWeight(AcDb::LineWeight w);
  bool isPlottable() const { assertReadEnabled(); return plottable_; }
  Acad::ErrorStatus setIsPlottable(bool p);
  // The plot style name as a heap text (free with acutDelString).
  ACHAR* plotStyleName() const;
  Acad::ErrorStatus setPlotStyleName(const ACHAR* name);
  bool isLocked() const { assertReadEnabled(); return locked_; }
  void setIsLocked(bool locked);
  bool isOff() const { assertReadEnabled(); return off_; }
  void setIsOff(bool off);
  bool isFrozen() const { assertReadEnabled(); return frozen_; }
  Acad::ErrorStatus setIsFrozen(bool frozen);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  AcCmColor color_ = [] { AcCmColor c; c.setColorIndex(7); return c; }();
  AcDbObjectId linetype_;
  AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLwDefault;
  bool plottable_ = true;
  std::wstring plotStyle_ = L"Normal";
  bool locked_ = false, off_ = false, frozen_ = false;
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord)
  // The description as a heap text (free with acutDelString).
  ACHAR* comments() const;
  const std::wstring& description() const { return comments_; }
  Acad::ErrorStatus setComments(const ACHAR* text);
  // Dashes: positive lengths draw, negative lengths are gaps, 0 is a dot.
  int numDashes() const { assertReadEnabled(); return static_cast<int>(dashes_.size()); }
  double dashLengthAt(int index) const;  // throws std::out_of_range
  void setNumDashes(int count);
  void setDashLengthAt(int index, double length);
  double patternLength() const;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  std::wstring comments_;
  std::vector<double> dashes_;
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTableRecord)
  // The font file name as a heap text (free with acutDelString).
  Acad::ErrorStatus fileName(ACHAR*& name) const;
  const std::wstring& font() const { return font_; }
  Acad::ErrorStatus setFileName(const ACHAR* name);
  double textSize() const { assertReadEnabled(); return size_; }
  Acad::ErrorStatus setTextSize(double size);
  double xScale() const { assertReadEnabled(); return xScale_; }
  Acad::ErrorStatus setXScale(double scale);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  std::wstring font_ = L"txt";
  double size_ = 0.0;
  double xScale_ = 1.0;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegAppTableRecord)
};
