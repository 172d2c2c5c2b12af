// The two filer interfaces through which objects file themselves: the binary filer
// (drawing files, copies, undo) and the DXF filer (group codes).
#pragma once

#include <string>

#include "arx/db_id.h"
#include "arx/ge.h"
#include "arx/resbuf.h"
#include "arx/rx.h"

namespace AcDb {
enum FilerType {
  kFileFiler = 0,
  kCopyFiler = 1,
  kUndoFiler = 2,
  kBagFiler = 3,
  kIdXlateFiler = 4,
  kPageFiler = 5,
  kDeepCloneFiler = 6,
  kIdFiler = 7,
  kPurgeFiler = 8,
  kWblockCloneFiler = 9,
};

enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };

// The DXF group codes the host's own objects use by name.
enum DxfCode {
  kDxfInvalid = -9999,
  kDxfStart = 0,
  kDxfText = 1,
  kDxfXRefPath = 1,
  kDxfShapeName = 2,
  kDxfBlockName = 2,
  kDxfSymbolTableName = 2,
  kDxfDescription = 3,
  kDxfLinetypeName = 6,
  kDxfTextStyleName = 7,
  kDxfLayerName = 8,
  kDxfXCoord = 10,
  kDxfYCoord = 20,
  kDxfZCoord = 30,
  kDxfElevation = 38,
  kDxfThickness = 39,
  kDxfReal = 40,
  kDxfTxtSize = 40,
  kDxfAngle = 50,
  kDxfColor = 62,
  kDxfInt16 = 70,
  kDxfInt32 = 90,
  kDxfSubclass = 100,
  kDxfHandle = 5,
  kDxfSoftPointerId = 330,
  kDxfHardPointerId = 340,
  kDxfSoftOwnershipId = 350,
  kDxfHardOwnershipId = 360,
  kDxfLineWeight = 370,
  kDxfNormalX = 210,
  kDxfBool = 290,
  kDxfXTextString = 300,
  kDxfComment = 999,
  kDxfRegAppName = 1001,
  kDxfXdAsciiString = 1000,
  kDxfXdInteger16 = 1070,
  kDxfXdInteger32 = 1071,
  kDxfXdReal = 1040,
};
}  // namespace AcDb

// Binary filer. Every item is written with its kind so that a reader can tell a wrong
// kind from the right one; reading past the end or reading the wrong kind answers an
// error status and reads nothing. The first error sticks: later calls answer it too.
class AcDbDwgFiler : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDwgFiler)

  virtual Acad::ErrorStatus filerStatus() const = 0;
  virtual AcDb::FilerType filerType() const = 0;
  virtual void setFilerStatus(Acad::ErrorStatus es) = 0;
  virtual void resetFilerStatus() = 0;
  // The database in which references are resolved (may be null).
  virtual AcDbDatabase* database() const = 0;

  virtual Acad::ErrorStatus readBool(bool* value) = 0;
  virtual Acad::ErrorStatus writeBool(bool value) = 0;
  virtual Acad::ErrorStatus readInt8(Adesk::Int8* value) = 0;
  virtual Acad::ErrorStatus writeInt8(Adesk::Int8 value) = 0;
  virtual Acad::ErrorStatus readInt16(Adesk::Int16* value) = 0;
  virtual Acad::ErrorStatus writeInt16(Adesk::Int16 value) = 0;
  virtual Acad::ErrorStatus readInt32(Adesk::Int32* value) = 0;
  virtual Acad::ErrorStatus writeInt32(Adesk::Int32 value) = 0;
  virtual Acad::ErrorStatus readInt64(Adesk::Int64* value) = 0;
  virtual Acad::ErrorStatus writeInt64(Adesk::Int64 value) = 0;
  virtual Acad::ErrorStatus readUInt8(Adesk::UInt8* value) = 0;
  virtual Acad::ErrorStatus writeUInt8(Adesk::UInt8 value) = 0;
  virtual Acad::ErrorStatus readUInt16(Adesk::UInt16* value) = 0;
  virtual Acad::ErrorStatus writeUInt16(Adesk::UInt16 value) = 0;
  virtual Acad::ErrorStatus readUInt32(Adesk::UInt32* value) = 0;
  virtual Acad::ErrorStatus writeUInt32(Adesk::UInt32 value) = 0;
  virtual Acad::ErrorStatus readDouble(double* value) = 0;
  virtual Acad::ErrorStatus writeDouble(double value) = 0;
  virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* value) = 0;
  virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) = 0;
  virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* value) = 0;
  virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) = 0;
  virtual Acad::ErrorStatus readVector3d(AcGeVector3d* value) = 0;
  virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) = 0;
  // A text read into a heap string the caller frees with acutDelString.
  virtual Acad::ErrorStatus readString(ACHAR** value) = 0;
  virtual Acad::ErrorStatus readString(std::wstring& value) = 0;
  virtual Acad::ErrorStatus writeString(const ACHAR* value) = 0;
  Acad::ErrorStatus writeString(const std::wstring& value) { return writeString(value.c_str()); }
  virtual Acad::ErrorStatus readBytes(void* buffer, Adesk::UInt32 size) = 0;
  virtual Acad::ErrorStatus writeBytes(const void* buffer, Adesk::UInt32 size) = 0;
  virtual Acad::ErrorStatus readAcDbHandle(AcDbHandle* value) = 0;
  virtual Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& value) = 0;

  // References. A file filer stores the handle and resolves it in database() when
  // reading, answering eUnknownHandle (with a null id) for a handle the database does
  // not know; copy and undo filers keep the id itself.
  virtual Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) = 0;
  virtual Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) = 0;
  virtual Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) = 0;
  virtual Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) = 0;
  virtual Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) = 0;
  virtual Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) = 0;
};

// DXF filer. Writing emits group code and value pairs; reading answers one group at a
// time as a result buffer whose restype is the group code. The groups of one object
// end with a non-success status (eEndOfObject).
class AcDbDxfFiler : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDxfFiler)

  static constexpr int kDfltPrec = -1;

  virtual Acad::ErrorStatus filerStatus() const = 0;
  virtual AcDb::FilerType filerType() const = 0;
  virtual void setFilerStatus(Acad::ErrorStatus es) = 0;
  virtual void resetFilerStatus() = 0;
  virtual AcDbDatabase* database() const = 0;
  // Decimal places of reals written at kDfltPrec.
  virtual int precision() const = 0;
  virtual void setPrecision(int decimals) = 0;

  // Reading. readItem fills the buffer (strings are heap copies owned by the buffer:
  // release them with acutRelRb on a buffer made by acutNewRb, or free rstring).
  virtual Acad::ErrorStatus readItem(resbuf* item) = 0;
  Acad::ErrorStatus readResBuf(resbuf* item) { return readItem(item); }
  // The next readItem answers the item last read again.
  virtual Acad::ErrorStatus pushBackItem() = 0;
  // True, and the marker consumed, when the next group is 100 with this name.
  virtual bool atSubclassData(const ACHAR* subClassName) = 0;
  virtual bool atEOF() = 0;
  virtual bool atEndOfObject() = 0;

  // Writing.
  virtual Acad::ErrorStatus writeItem(const resbuf& item) = 0;
  Acad::ErrorStatus writeResBuf(const resbuf& item) { return writeItem(item); }
  virtual Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* value) = 0;
  Acad::ErrorStatus writeString(AcDb::DxfCode code, const std::wstring& value) {
    return writeString(code, value.c_str());
  }
  virtual Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool value) = 0;
  virtual Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 value) = 0;
  virtual Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 value) = 0;
  virtual Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 value) = 0;
  virtual Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 value) = 0;
  virtual Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 value) = 0;
  virtual Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double value, int precision = kDfltPrec) = 0;
  virtual Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& value, int precision = kDfltPrec) = 0;
  virtual Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& value, int precision = kDfltPrec) = 0;
  virtual Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& value, int precision = kDfltPrec) = 0;
  virtual Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) = 0;
  virtual Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& handle) = 0;

  // Convenience overloads with the host's names.
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, const ACHAR* value) { return writeString(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, double value) { return writeDouble(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcGePoint3d& value) { return writePoint3d(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int32 value) { return writeInt32(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, Adesk::Int16 value) { return writeInt16(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, bool value) { return writeBool(code, value); }
  Acad::ErrorStatus writeItem(AcDb::DxfCode code, const AcDbObjectId& id) { return writeObjectId(code, id); }
};
