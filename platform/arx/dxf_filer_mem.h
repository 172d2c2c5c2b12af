// The host's DXF filers over memory: a writer that emits ASCII group pairs into a text,
// and a reader that hands out the parsed groups of one object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "arx/db_filer.h"

// One group of a DXF file, its value already parsed by the kind its code holds (see
// acutRbValueKind). A point gathers its x, y and z groups under the x code.
struct AcDbDxfGroup {
  int code = 0;
  int line = 0;  // line of the group code in its file; 0 for a group made in memory
  RbValueKind kind = RbValueKind::kString;
  std::wstring text;                // strings; references as their handle in hex
  double real = 0.0;                // reals
  AcGePoint3d point;                // points (z is 0 when the file gave none)
  std::int64_t integer = 0;         // 16-, 32- and 64-bit integers
  std::vector<unsigned char> bytes;  // binary chunks

  bool is(int c, const wchar_t* value) const { return code == c && text == value; }
};

// Parses DXF text (lines ending in LF or CRLF, blanks around each line ignored) into
// groups. Text is UTF-8, or single-byte where a line is not valid UTF-8; \U+XXXX
// escapes and ^-escaped control characters are decoded. A bad group code, a value
// that is not of its code's kind, or a file ending inside a group pair answers
// eBadFileFormat (eBadDxfSequence for a point missing its y) with the reason, naming
// the line, in error.
Acad::ErrorStatus acdbParseDxfGroups(const std::string& text, std::vector<AcDbDxfGroup>& groups,
                                     std::wstring& error);

// Writes group pairs as AutoCAD does: the code right-aligned in three characters on
// one line, the value on the next. Reals get precision() significant digits; texts
// are ASCII with \U+XXXX escapes (what an AutoCAD 2000 file holds); references are
// the referenced object's handle in hex ("0" for none). The first error sticks.
class AcDbMemDxfWriter : public AcDbDxfFiler {
 public:
  explicit AcDbMemDxfWriter(AcDbDatabase* db = nullptr, int precision = 16,
                            AcDb::FilerType type = AcDb::kFileFiler);

  const std::string& text() const { return out_; }
  std::string takeText() { return std::move(out_); }
  // Appends text written by another writer (a section made before its header).
  void appendText(const std::string& text) { out_ += text; }

  Acad::ErrorStatus filerStatus() const override { return status_; }
  AcDb::FilerType filerType() const override { return type_; }
  void setFilerStatus(Acad::ErrorStatus es) override { status_ = es; }
  void resetFilerStatus() override { status_ = Acad::eOk; }
  AcDbDatabase* database() const override { return db_; }
  int precision() const override { return precision_; }
  void setPrecision(int digits) override;

  // A writer reads nothing.
  Acad::ErrorStatus readItem(resbuf* item) override;
  Acad::ErrorStatus pushBackItem() override { return Acad::eNotApplicable; }
  bool atSubclassData(const ACHAR*) override { return false; }
  bool atEOF() override { return true; }
  bool atEndOfObject() override { return true; }

  Acad::ErrorStatus writeItem(const resbuf& item) override;
  using AcDbDxfFiler::writeItem;
  Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* value) override;
  using AcDbDxfFiler::writeString;
  Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool value) override;
  Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 value) override;
  Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 value) override;
  Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 value) override;
  Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 value) override;
  Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 value) override;
  Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double value, int precision = kDfltPrec) override;
  Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& value, int precision = kDfltPrec) override;
  Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& value, int precision = kDfltPrec) override;
  Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& value, int precision = kDfltPrec) override;
  Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) override;
  Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& handle) override;

  // Shorthands for the file writer, with plain int codes.
  Acad::ErrorStatus group(int code, const std::wstring& value) { return writeString(static_cast<AcDb::DxfCode>(code), value); }
  Acad::ErrorStatus group(int code, const wchar_t* value) { return writeString(static_cast<AcDb::DxfCode>(code), value); }
  Acad::ErrorStatus group(int code, int value);
  Acad::ErrorStatus group(int code, double value) { return writeDouble(static_cast<AcDb::DxfCode>(code), value); }
  Acad::ErrorStatus groupHandle(int code, const AcDbHandle& h) { return writeAcDbHandle(static_cast<AcDb::DxfCode>(code), h); }

 private:
  Acad::ErrorStatus put(int code, const std::string& value);
  // Checks a code against the kind of value about to be written under it.
  Acad::ErrorStatus check(int code, bool ok);

  std::string out_;
  AcDbDatabase* db_;
  int precision_;
  AcDb::FilerType type_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// Hands out the groups of one object. References (330-369, 390-399, 480-481) come as
// ids resolved in database() (rlname[0] holds AcDbObjectId::asOldId()); a handle the
// database does not know yet gets its id, to be bound when its object is read. After
// the last group readItem answers eEndOfObject. Groups written without subclass
// markers (older DXF) answer true to every atSubclassData, so that a class that asks
// for its marker still reads them.
class AcDbMemDxfReader : public AcDbDxfFiler {
 public:
  AcDbMemDxfReader(std::vector<AcDbDxfGroup> groups, AcDbDatabase* db, AcDb::FilerType type = AcDb::kFileFiler);

  // Translates the handles of references instead of the database (a file reader whose
  // objects could not all keep their handles); answers a null id for an unknown one.
  using HandleResolver = std::function<AcDbObjectId(std::uint64_t handle)>;
  void setHandleResolver(HandleResolver resolver) { resolver_ = std::move(resolver); }

  // The line of the group read last (or of the first group before any read), for
  // messages.
  int currentLine() const;
  size_t position() const { return pos_; }

  Acad::ErrorStatus filerStatus() const override { return status_; }
  AcDb::FilerType filerType() const override { return type_; }
  void setFilerStatus(Acad::ErrorStatus es) override { status_ = es; }
  void resetFilerStatus() override { status_ = Acad::eOk; }
  AcDbDatabase* database() const override { return db_; }
  int precision() const override { return 16; }
  void setPrecision(int) override {}

  Acad::ErrorStatus readItem(resbuf* item) override;
  Acad::ErrorStatus pushBackItem() override;
  bool atSubclassData(const ACHAR* subClassName) override;
  bool atEOF() override { return pos_ >= groups_.size(); }
  bool atEndOfObject() override { return pos_ >= groups_.size(); }

  // A reader writes nothing.
  Acad::ErrorStatus writeItem(const resbuf&) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeString(AcDb::DxfCode, const ACHAR*) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeBool(AcDb::DxfCode, bool) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeInt8(AcDb::DxfCode, Adesk::Int8) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeInt16(AcDb::DxfCode, Adesk::Int16) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeInt32(AcDb::DxfCode, Adesk::Int32) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeUInt16(AcDb::DxfCode, Adesk::UInt16) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeUInt32(AcDb::DxfCode, Adesk::UInt32) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeDouble(AcDb::DxfCode, double, int) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writePoint2d(AcDb::DxfCode, const AcGePoint2d&, int) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writePoint3d(AcDb::DxfCode, const AcGePoint3d&, int) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeVector3d(AcDb::DxfCode, const AcGeVector3d&, int) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeObjectId(AcDb::DxfCode, const AcDbObjectId&) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode, const AcDbHandle&) override { return Acad::eNotApplicable; }

 private:
  std::vector<AcDbDxfGroup> groups_;
  size_t pos_ = 0;
  bool lastRead_ = false;  // pushBackItem may step back over the group last read
  bool withoutMarkers_;
  HandleResolver resolver_;
  AcDbDatabase* db_;
  AcDb::FilerType type_;
  Acad::ErrorStatus status_ = Acad::eOk;
};
