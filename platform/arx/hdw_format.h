// The container of the host's native drawing file (.hdw): its layout in memory, and
// turning it into bytes and back. Knows nothing of databases; hdw_file.cpp does that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "arx/db_id.h"
#include "arx/dwg_filer_mem.h"
#include "arx/status.h"

// Layout, all numbers little-endian, texts as a u32 byte count and UTF-8:
//   "OVHDW", u32 format version
//   header: u64 handseed, u64 handles of the block, layer, linetype, text style and
//           application tables, u64 handles of the current layer, linetype and style
//   classes: u32 count, each: name, DXF name, application name, i32 proxy flags,
//            u8 1 when the class is an entity
//   objects: u32 count, each: u32 class index, u64 handle, u64 owner handle,
//            u32 byte count, the bytes the object filed through the file filer; the
//            host puts the filer's record-size item in front of those (a file may lack
//            it: files written before it did)
//   u32 CRC-32 of every byte before it
constexpr char kHdwMagic[5] = {'O', 'V', 'H', 'D', 'W'};
constexpr std::uint32_t kHdwFormatVersion = 1;
// An object entry's head: class index, handle, owner handle, byte count.
constexpr size_t kHdwEntryHead = 4 + 8 + 8 + 4;

struct HdwHeader {
  AcDbHandle handseed;
  AcDbHandle blockTable, layerTable, linetypeTable, textStyleTable, regAppTable;
  AcDbHandle clayer, celtype, textstyle;
};

struct HdwClassEntry {
  std::wstring name;
  std::wstring dxfName;
  std::wstring appName;
  std::int32_t proxyFlags = 0;
  bool isEntity = false;
};

struct HdwObjectEntry {
  std::uint32_t classIndex = 0;
  AcDbHandle handle;
  AcDbHandle ownerHandle;
  std::vector<unsigned char> bytes;
};

struct HdwContainer {
  std::uint32_t version = kHdwFormatVersion;
  HdwHeader header;
  std::vector<HdwClassEntry> classes;
  std::vector<HdwObjectEntry> objects;
};

// One object as it lies in a file's bytes: its data stays in the caller's buffer.
struct HdwObjectView {
  std::uint32_t classIndex = 0;
  AcDbHandle handle;
  AcDbHandle ownerHandle;
  const unsigned char* data = nullptr;
  std::uint32_t size = 0;
  // The first bytes of data (as many as it has, up to five), read with the entry.
  unsigned char lead[5] = {};
};

// A parsed file whose objects point into the file's bytes, which must outlive it.
struct HdwFileView {
  std::uint32_t version = kHdwFormatVersion;
  HdwHeader header;
  std::vector<HdwClassEntry> classes;
  std::vector<HdwObjectView> objects;
};

// CRC-32 as zip and PNG compute it (reflected, polynomial 0xEDB88320). A file read in
// pieces gets the CRC of the whole by passing each piece the CRC of those before it.
std::uint32_t hdwCrc32(const unsigned char* data, size_t size, std::uint32_t before = 0);
// The CRC of two runs end to end, from the CRC of each and the length of the second:
// a file made of runs copied from another gets its CRC without reading them twice.
std::uint32_t hdwCrc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize);
// The CRC of size bytes at offset of an open file of fileSize bytes, after the CRC
// before, read through the descriptor; false when they cannot all be read.
bool hdwCrc32OfFile(int fd, std::uint64_t fileSize, std::uint64_t offset, std::uint64_t size, std::uint32_t before,
                    std::uint32_t& crc);

// Lays a file out as it is made: the head (mark, version, header, classes and the
// object count), then each object's entry with its bytes filed straight after it,
// then the CRC. Each object's byte count is filled in when it is known. With a sink,
// the bytes go to it in pieces of about a megabyte, between objects, so that a large
// file is never held whole; without one, finish answers the whole file.
class HdwFileBuilder {
 public:
  using Sink = std::function<bool(const unsigned char* data, size_t size)>;
  // db is the database whose objects are filed (references are saved as its handles).
  HdwFileBuilder(std::uint32_t version, const HdwHeader& header, const std::vector<HdwClassEntry>& classes,
                 std::uint32_t objectCount, Sink sink = nullptr, AcDbDatabase* db = nullptr);
  // The file filer an object files itself through between beginObject and endObject;
  // it writes straight into the file's bytes, which also take the entries' framing.
  AcDbMemDwgFiler& filer() { return filer_; }
  void beginObject(std::uint32_t classIndex, const AcDbHandle& handle, const AcDbHandle& ownerHandle);
  void endObject();
  // Inside an object: the record-size item in front of what is filed between the two.
  void beginRecord();
  void endRecord();
  // Bytes the caller puts into the file itself after what was built so far (entries
  // copied whole from another file): beforeCopy hands what the builder holds to the
  // sink first, copied counts the run into the CRC by its own CRC. Only with a sink.
  void beforeCopy() { flush(); }
  // Between beforeCopy and copied: a piece of the run that the caller writes itself.
  bool sinkPiece(const unsigned char* data, size_t size) {
    if (sinkOk_) sinkOk_ = sink_(data, size);
    return sinkOk_;
  }
  // An entry's head with its byte count, for bytes the caller copies after it.
  void entryHead(std::uint32_t classIndex, const AcDbHandle& handle, const AcDbHandle& ownerHandle, std::uint32_t size);
  void copied(std::uint32_t crc, std::uint64_t size) { crcBefore_ = hdwCrc32Combine(crcBefore_, crc, size); }
  // What is left of the file, CRC included (all of it without a sink).
  std::vector<unsigned char> finish();
  // False once the sink refused a piece.
  bool sinkOk() const { return sinkOk_; }

 private:
  void flush();
  void putU32(std::uint32_t v);
  void putU64(std::uint64_t v);
  void putText(const std::wstring& s);
  std::vector<unsigned char> out_;
  AcDbMemDwgFiler filer_;  // writes into out_
  Sink sink_;
  bool sinkOk_ = true;
  std::uint32_t crcBefore_ = 0;  // CRC of the pieces already given to the sink
  size_t sizeAt_ = 0;
  size_t recordAt_ = 0;
};

// Where an object's items start in its bytes in a file (after the record-size item,
// when there is one), and whether the bytes can be the record of an object: whole
// items of the filer, as many as the record-size item says. Checks nothing of what
// the items hold, which only the object's class knows.
size_t hdwRecordStart(const unsigned char* data, size_t size);
bool hdwRecordWhole(const unsigned char* data, size_t size);
// Only the count of a record with a record-size item: what an open checks of the
// records this host writes, without reading their items.
bool hdwRecordSized(const unsigned char* lead, size_t size);

// The file's bytes, the CRC included.
std::vector<unsigned char> hdwSerialize(const HdwContainer& container);

// Reads the container from a file's bytes. Checks the mark, the version, the CRC, every
// length against the bytes that remain, class indexes, and that handles are
// non-null, unique and in range. Answers eOk, or eBadFileFormat with the reason in error (out may then
// be partly filled).
Acad::ErrorStatus hdwParse(const unsigned char* data, size_t size, HdwContainer& out, std::wstring& error);
// The same checks, with the objects left in place in data.
Acad::ErrorStatus hdwParseView(const unsigned char* data, size_t size, HdwFileView& out, std::wstring& error);
// The same checks again, but each object entry is handed to `each` as it is read rather
// than listed (head.objects stays empty), so that a large file's map costs no list of its
// own. `each` answers false with a reason in error to refuse the file. With the file's
// descriptor, everything but the header and classes is read through the descriptor and
// data (the file mapped) only gives the objects' places.
using HdwObjectVisitor = std::function<bool(const HdwObjectView& object, std::wstring& error)>;
Acad::ErrorStatus hdwReadInPlace(const unsigned char* data, size_t size, HdwFileView& head, const HdwObjectVisitor& each,
                                 std::wstring& error, int fd = -1);

// Rewrites the trailing CRC so that it matches the bytes before it (no-op on a buffer
// too short to hold one). Tools that make damaged files use it to get past the CRC.
void hdwRepairCrc(std::vector<unsigned char>& file);
