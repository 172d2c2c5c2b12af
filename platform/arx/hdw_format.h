// The container of the host's native drawing file (.hdw): its layout in memory, and
// turning it into bytes and back. Knows nothing of databases; hdw_file.cpp does that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "arx/db_id.h"
#include "arx/status.h"

// Layout, all numbers little-endian, texts as a u32 byte count and UTF-8:
//   "OVHDW", u32 format version
//   header: u64 handseed, u64 handles of the block, layer, linetype, text style and
//           application tables, u64 handles of the current layer, linetype and style
//   classes: u32 count, each: name, DXF name, application name, i32 proxy flags,
//            u8 1 when the class is an entity
//   objects: u32 count, each: u32 class index, u64 handle, u64 owner handle,
//            u32 byte count, the bytes the object filed through the file filer
//   u32 CRC-32 of every byte before it
constexpr char kHdwMagic[5] = {'O', 'V', 'H', 'D', 'W'};
constexpr std::uint32_t kHdwFormatVersion = 1;

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

// CRC-32 as zip and PNG compute it (reflected, polynomial 0xEDB88320).
std::uint32_t hdwCrc32(const unsigned char* data, size_t size);

// The file's bytes, the CRC included.
std::vector<unsigned char> hdwSerialize(const HdwContainer& container);

// Reads the container from a file's bytes. Checks the mark, the version, the CRC, every
// length against the bytes that remain, class indexes, and that handles are
// non-null, unique and in range. Answers eOk, or eBadFileFormat with the reason in error (out may then
// be partly filled).
Acad::ErrorStatus hdwParse(const unsigned char* data, size_t size, HdwContainer& out, std::wstring& error);

// Rewrites the trailing CRC so that it matches the bytes before it (no-op on a buffer
// too short to hold one). Tools that make damaged files use it to get past the CRC.
void hdwRepairCrc(std::vector<unsigned char>& file);
