// The host's DXF filers over memory: a writer that emits ASCII group pairs into a text,
// and a reader that hands out the parsed groups of one object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// One group as a whole-file read keeps it: its value checked and, for numbers, already
// parsed, but texts left as the bytes of their line in the file, which must outlive
// it. A large file's parse spends most of its time making memory for its groups; this
// form takes less than half of what AcDbDxfGroup takes. acdbDxfGroupOf makes the full
// group when an object is read.
struct AcDbDxfRawGroup {
  int code = 0;
  int line = 0;  // line of the group code in its file
  RbValueKind kind = RbValueKind::kString;
  std::uint32_t length = 0;     // bytes of the value's line (texts, handles, binary chunks)
  const char* value = nullptr;  // the value's line (a handle's without its blanks)
  union Number {
    double xyz[3];  // first, so that a new group's point is the origin
    double real;
    std::int64_t integer;
  } number{};

  // The value as AcDbDxfGroup holds it: 0, empty or the origin where the kind differs.
  std::wstring text() const;
  double real() const { return kind == RbValueKind::kReal ? number.real : 0.0; }
  std::int64_t integer() const;
  AcGePoint3d point() const {
    return kind == RbValueKind::kPoint ? AcGePoint3d(number.xyz[0], number.xyz[1], number.xyz[2]) : AcGePoint3d();
  }
  bool is(int c, const wchar_t* text) const;
};

// The full group of a raw one, into g (whose storage is reused).
void acdbDxfGroupOf(const AcDbDxfRawGroup& raw, AcDbDxfGroup& g);

// Asks the system to back a large buffer, not yet written, with huge pages where it
// can: reading a large file spends more time in the faults of fresh memory than in
// parsing, and a huge page takes one fault for 512 small ones. A hint only.
void acdbAdviseLargeBuffer(void* data, size_t bytes);

// Parses DXF text into raw groups that point into text; what acdbParseDxfGroups
// checks and answers, it checks and answers.
Acad::ErrorStatus acdbParseDxfRawGroups(const std::string& text, std::vector<AcDbDxfRawGroup>& groups,
                                        std::wstring& error);

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
  // Makes room for about bytes of text up front (a large file's text then never moves).
  void reserve(size_t bytes);
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
  Acad::ErrorStatus put(int code, std::string_view value);
  void putCode(int code);
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
  // Reads count groups from first without copying them; they must outlive the reader.
  AcDbMemDxfReader(const AcDbDxfGroup* first, size_t count, AcDbDatabase* db, AcDb::FilerType type = AcDb::kFileFiler);
  AcDbMemDxfReader(const AcDbMemDxfReader&) = delete;
  AcDbMemDxfReader& operator=(const AcDbMemDxfReader&) = delete;

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
  bool atEOF() override { return pos_ >= count_; }
  bool atEndOfObject() override { return pos_ >= count_; }

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
  std::vector<AcDbDxfGroup> owned_;  // the groups, when the reader was given them to keep
  const AcDbDxfGroup* groups_;
  size_t count_;
  size_t pos_ = 0;
  bool lastRead_ = false;  // pushBackItem may step back over the group last read
  bool withoutMarkers_;
  HandleResolver resolver_;
  AcDbDatabase* db_;
  AcDb::FilerType type_;
  Acad::ErrorStatus status_ = Acad::eOk;
};
