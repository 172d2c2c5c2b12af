// The .hdw container: byte layout, CRC and a parser that trusts no length it reads.
#include "arx/hdw_format.h"

#include <array>
#include <cstring>
#include <set>

#include "arx/aced_print.h"

namespace {

constexpr size_t kMagicSize = sizeof kHdwMagic;
constexpr size_t kCrcSize = 4;
// The smallest a class entry and an object entry can be on disk; a count is refused
// when that many entries cannot fit in the bytes left, before anything is reserved.
constexpr size_t kMinClassEntry = 4 + 4 + 4 + 4 + 1;
constexpr size_t kMinObjectEntry = 4 + 8 + 8 + 4;
// Handles from a file stay below this, so that the handle seed can never wrap round to
// the null handle however many objects are added afterwards.
constexpr std::uint64_t kHandleLimit = std::uint64_t(1) << 63;

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

class ByteWriter {
 public:
  void raw(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    out_.insert(out_.end(), p, p + size);
  }
  void u8(std::uint8_t v) { out_.push_back(v); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  void u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  void handle(const AcDbHandle& h) { u64(h.value()); }
  void text(const std::wstring& s) {
    std::string utf8 = acutWideToUtf8(s);
    u32(static_cast<std::uint32_t>(utf8.size()));
    raw(utf8.data(), utf8.size());
  }
  void bytes(const std::vector<unsigned char>& b) {
    u32(static_cast<std::uint32_t>(b.size()));
    raw(b.data(), b.size());
  }
  std::vector<unsigned char>& buffer() { return out_; }

 private:
  std::vector<unsigned char> out_;
};

// Reads from a bounded range. A read past the end fails, sets the error once and
// answers zeros, so that a parse can read a whole entry and check once.
class ByteReader {
 public:
  ByteReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}
  size_t remaining() const { return size_ - pos_; }
  size_t position() const { return pos_; }
  bool failed() const { return !error_.empty(); }
  const std::wstring& error() const { return error_; }
  void fail(const std::wstring& why) {
    if (error_.empty()) error_ = why;
  }

  bool take(size_t n, const unsigned char*& p, const wchar_t* what) {
    if (failed()) return false;
    if (n > remaining()) {
      fail(std::wstring(L"the file ends inside ") + what + L" (truncated or damaged)");
      return false;
    }
    p = data_ + pos_;
    pos_ += n;
    return true;
  }
  std::uint32_t u32(const wchar_t* what) {
    const unsigned char* p = nullptr;
    if (!take(4, p, what)) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  std::uint64_t u64(const wchar_t* what) {
    const unsigned char* p = nullptr;
    if (!take(8, p, what)) return 0;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  std::uint8_t u8(const wchar_t* what) {
    const unsigned char* p = nullptr;
    return take(1, p, what) ? *p : 0;
  }
  AcDbHandle handle(const wchar_t* what) { return AcDbHandle(u64(what)); }
  std::wstring text(const wchar_t* what) {
    std::uint32_t n = u32(what);
    const unsigned char* p = nullptr;
    if (!take(n, p, what)) return {};
    return acutUtf8ToWide(std::string(reinterpret_cast<const char*>(p), n));
  }
  std::vector<unsigned char> bytes(const wchar_t* what) {
    std::uint32_t n = u32(what);
    const unsigned char* p = nullptr;
    if (!take(n, p, what)) return {};
    return std::vector<unsigned char>(p, p + n);
  }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t pos_ = 0;
  std::wstring error_;
};

std::uint32_t storedCrc(const unsigned char* end) {
  return static_cast<std::uint32_t>(end[-4]) | static_cast<std::uint32_t>(end[-3]) << 8 |
         static_cast<std::uint32_t>(end[-2]) << 16 | static_cast<std::uint32_t>(end[-1]) << 24;
}

void readHeader(ByteReader& in, HdwHeader& h) {
  const wchar_t* what = L"the header";
  h.handseed = in.handle(what);
  h.blockTable = in.handle(what);
  h.layerTable = in.handle(what);
  h.linetypeTable = in.handle(what);
  h.textStyleTable = in.handle(what);
  h.regAppTable = in.handle(what);
  h.clayer = in.handle(what);
  h.celtype = in.handle(what);
  h.textstyle = in.handle(what);
}

void readClasses(ByteReader& in, std::vector<HdwClassEntry>& classes) {
  std::uint32_t count = in.u32(L"the class section");
  if (in.failed()) return;
  if (count > in.remaining() / kMinClassEntry) {
    in.fail(L"the class count " + std::to_wstring(count) + L" is more than the file can hold");
    return;
  }
  classes.resize(count);
  for (HdwClassEntry& c : classes) {
    const wchar_t* what = L"a class entry";
    c.name = in.text(what);
    c.dxfName = in.text(what);
    c.appName = in.text(what);
    c.proxyFlags = static_cast<std::int32_t>(in.u32(what));
    c.isEntity = in.u8(what) != 0;
    if (in.failed()) return;
    if (c.name.empty()) {
      in.fail(L"a class entry has no name");
      return;
    }
  }
}

void readObjects(ByteReader& in, size_t classCount, std::vector<HdwObjectEntry>& objects) {
  std::uint32_t count = in.u32(L"the object section");
  if (in.failed()) return;
  if (count > in.remaining() / kMinObjectEntry) {
    in.fail(L"the object count " + std::to_wstring(count) + L" is more than the file can hold");
    return;
  }
  objects.resize(count);
  std::set<AcDbHandle> seen;
  for (HdwObjectEntry& o : objects) {
    const wchar_t* what = L"an object entry";
    o.classIndex = in.u32(what);
    o.handle = in.handle(what);
    o.ownerHandle = in.handle(what);
    o.bytes = in.bytes(what);
    if (in.failed()) return;
    std::wstring name = L"object " + o.handle.text();
    if (o.handle.isNull()) return in.fail(L"an object has a null handle");
    if (o.handle.value() >= kHandleLimit) return in.fail(L"handle " + o.handle.text() + L" is out of range");
    if (o.classIndex >= classCount) return in.fail(name + L" names class " + std::to_wstring(o.classIndex) +
                                                   L", but the file has only " + std::to_wstring(classCount));
    if (!seen.insert(o.handle).second) return in.fail(L"handle " + o.handle.text() + L" is used twice");
  }
}

}  // namespace

std::uint32_t hdwCrc32(const unsigned char* data, size_t size) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::vector<unsigned char> hdwSerialize(const HdwContainer& c) {
  ByteWriter out;
  out.raw(kHdwMagic, kMagicSize);
  out.u32(c.version);
  const HdwHeader& h = c.header;
  for (const AcDbHandle* p : {&h.handseed, &h.blockTable, &h.layerTable, &h.linetypeTable, &h.textStyleTable,
                              &h.regAppTable, &h.clayer, &h.celtype, &h.textstyle})
    out.handle(*p);
  out.u32(static_cast<std::uint32_t>(c.classes.size()));
  for (const HdwClassEntry& e : c.classes) {
    out.text(e.name);
    out.text(e.dxfName);
    out.text(e.appName);
    out.u32(static_cast<std::uint32_t>(e.proxyFlags));
    out.u8(e.isEntity ? 1 : 0);
  }
  out.u32(static_cast<std::uint32_t>(c.objects.size()));
  for (const HdwObjectEntry& o : c.objects) {
    out.u32(o.classIndex);
    out.handle(o.handle);
    out.handle(o.ownerHandle);
    out.bytes(o.bytes);
  }
  std::vector<unsigned char>& buf = out.buffer();
  out.u32(hdwCrc32(buf.data(), buf.size()));
  return std::move(buf);
}

Acad::ErrorStatus hdwParse(const unsigned char* data, size_t size, HdwContainer& out, std::wstring& error) {
  if (data == nullptr || size == 0) {
    error = L"the file is empty";
    return Acad::eBadFileFormat;
  }
  if (size < kMagicSize || std::memcmp(data, kHdwMagic, kMagicSize) != 0) {
    error = L"not a drawing file of this host (the OVHDW mark is missing)";
    return Acad::eBadFileFormat;
  }
  // The version is checked before the CRC so that a file from a newer host is named
  // as such rather than as damaged.
  ByteReader versionIn(data + kMagicSize, size - kMagicSize);
  std::uint32_t version = versionIn.u32(L"the format version");
  if (versionIn.failed()) {
    error = versionIn.error();
    return Acad::eBadFileFormat;
  }
  if (version == 0 || version > kHdwFormatVersion) {
    error = L"format version " + std::to_wstring(version) + L" is not one this host reads (it reads 1 to " +
            std::to_wstring(kHdwFormatVersion) + L")";
    return Acad::eBadFileFormat;
  }
  if (size < kMagicSize + 4 + kCrcSize) {
    error = L"the file ends before its checksum (truncated)";
    return Acad::eBadFileFormat;
  }
  const unsigned char* end = data + size;
  if (storedCrc(end) != hdwCrc32(data, size - kCrcSize)) {
    error = L"the checksum does not match the contents (the file is truncated or damaged)";
    return Acad::eBadFileFormat;
  }

  ByteReader in(data + kMagicSize + 4, size - kMagicSize - 4 - kCrcSize);
  out = HdwContainer();
  out.version = version;
  readHeader(in, out.header);
  if (!in.failed() && out.header.handseed.value() >= kHandleLimit)
    in.fail(L"the handle seed " + out.header.handseed.text() + L" is out of range");
  readClasses(in, out.classes);
  readObjects(in, out.classes.size(), out.objects);
  if (!in.failed() && in.remaining() != 0)
    in.fail(std::to_wstring(in.remaining()) + L" unexpected bytes follow the last object");
  if (in.failed()) {
    error = in.error();
    return Acad::eBadFileFormat;
  }
  return Acad::eOk;
}

void hdwRepairCrc(std::vector<unsigned char>& file) {
  if (file.size() < kCrcSize) return;
  std::uint32_t crc = hdwCrc32(file.data(), file.size() - kCrcSize);
  for (size_t i = 0; i < kCrcSize; ++i) file[file.size() - kCrcSize + i] = static_cast<unsigned char>(crc >> (8 * i));
}
