// The .hdw container: byte layout, CRC and a parser that trusts no length it reads.
#include "arx/hdw_format.h"

#include <algorithm>
#include <array>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <set>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// Reads from a bounded range. A read past the end fails, sets the error once and
// answers zeros, so that a parse can read a whole entry and check once.
// A file read through a buffer that slides along it: the system copies the file's
// pages into the buffer, which this process keeps warm from file to file, so that a
// walk over a large file never touches its pages through a mapping. On the machines
// this host runs on, a first touch of a mapped page costs far more than the copy.
class FileWindow {
 public:
  static constexpr size_t kSize = size_t(1) << 19;
  FileWindow(int fd, size_t fileSize) : fd_(fd), fileSize_(fileSize), buf_(buffer()) {}
  // The n bytes at offset (n at most kSize), or null when they cannot be read.
  const unsigned char* at(size_t offset, size_t n) {
    if (n > kSize) return nullptr;
    if (offset < start_ || offset + n > start_ + length_) {
      if (offset > fileSize_ || n > fileSize_ - offset || !fill(offset)) return nullptr;
    }
    return buf_.data() + (offset - start_);
  }
  // The CRC of size bytes of the file from offset, in one pass, after the CRC before.
  bool crc(size_t offset, size_t size, std::uint32_t before, std::uint32_t& out) {
    if (offset > fileSize_ || size > fileSize_ - offset) return false;
    out = before;
    for (size_t at = offset; at < offset + size; at += length_) {
      if (!fill(at)) return false;
      out = hdwCrc32(buf_.data(), std::min(length_, offset + size - at), out);
    }
    return true;
  }

 private:
  static std::vector<unsigned char>& buffer() {
    thread_local std::vector<unsigned char> kept(kSize);
    return kept;
  }
  bool fill(size_t offset) {
    const size_t want = std::min(kSize, fileSize_ - offset);
    size_t got = 0;
    while (got < want) {
      const ssize_t n = pread(fd_, buf_.data() + got, want - got, static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    start_ = offset;
    length_ = got;
    return true;
  }
  int fd_;
  size_t fileSize_;
  std::vector<unsigned char>& buf_;
  size_t start_ = 0, length_ = 0;
};

class ByteReader {
 public:
  ByteReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}
  // Values are read through the window (data is then where the file is mapped, and
  // is only handed out, never read); `offset` is where data lies in the file.
  void readThrough(FileWindow* window, size_t offset) {
    window_ = window;
    offset_ = offset;
  }
  // The first bytes of a run handed out by bytes(), read as values are.
  void lead(const unsigned char* run, size_t n, unsigned char* out) {
    if (n == 0) return;
    const unsigned char* p = window_ ? window_->at(offset_ + static_cast<size_t>(run - data_), n) : run;
    if (p == nullptr) return fail(L"the file cannot be read");
    std::memcpy(out, p, n);
  }
  size_t remaining() const { return size_ - pos_; }
  // A reader over the bytes between two positions of this one.
  ByteReader between(size_t from, size_t to) const {
    ByteReader r(data_ + from, to - from);
    r.readThrough(window_, offset_ + from);
    return r;
  }
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
  // A value of n bytes: a pointer to them, through the window when reading through one.
  bool value(size_t n, const unsigned char*& p, const wchar_t* what) {
    if (!take(n, p, what)) return false;
    if (window_ != nullptr && (p = window_->at(offset_ + static_cast<size_t>(p - data_), n)) == nullptr) {
      fail(L"the file cannot be read");
      return false;
    }
    return true;
  }
  std::uint32_t u32(const wchar_t* what) {
    const unsigned char* p = nullptr;
    if (!value(4, p, what)) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  std::uint64_t u64(const wchar_t* what) {
    const unsigned char* p = nullptr;
    if (!value(8, p, what)) return 0;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  std::uint8_t u8(const wchar_t* what) {
    const unsigned char* p = nullptr;
    return value(1, p, what) ? *p : 0;
  }
  AcDbHandle handle(const wchar_t* what) { return AcDbHandle(u64(what)); }
  std::wstring text(const wchar_t* what) {
    std::uint32_t n = u32(what);
    const unsigned char* p = nullptr;
    if (n > FileWindow::kSize) window_ = nullptr;  // a text that long is read where it lies
    if (!value(n, p, what)) return {};
    return acutUtf8ToWide(std::string(reinterpret_cast<const char*>(p), n));
  }
  // A counted run of bytes, left where it is.
  const unsigned char* bytes(const wchar_t* what, std::uint32_t& n) {
    n = u32(what);
    const unsigned char* p = nullptr;
    if (!take(n, p, what)) n = 0;
    return p;
  }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t pos_ = 0;
  std::wstring error_;
  FileWindow* window_ = nullptr;
  size_t offset_ = 0;
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

// Handles must be unique. A file lists them in rising order, which proves them unique
// as they come; only a file that does not gets them checked against a set, filled then
// from the entries already read.
class UniqueHandles {
 public:
  // The entries from `start` of in are the ones read so far.
  UniqueHandles(const ByteReader& in, size_t start) : in_(in), start_(start) {}
  bool add(const AcDbHandle& h) {
    if (rising_) {
      if (last_ < h) {
        last_ = h;
        return true;
      }
      rising_ = false;
      ByteReader before = in_.between(start_, entryStart_);
      while (before.remaining() > 0) {
        before.u32(L"");
        seen_.insert(before.handle(L""));
        before.u64(L"");
        std::uint32_t n = 0;
        before.bytes(L"", n);
      }
    }
    return seen_.insert(h).second;
  }
  // Where the entry being read starts.
  void entryAt(size_t pos) { entryStart_ = pos; }

 private:
  const ByteReader& in_;
  size_t start_;
  size_t entryStart_ = 0;
  bool rising_ = true;
  AcDbHandle last_;
  std::set<AcDbHandle> seen_;
};

void readObjects(ByteReader& in, size_t classCount, const HdwObjectVisitor& each) {
  std::uint32_t count = in.u32(L"the object section");
  if (in.failed()) return;
  if (count > in.remaining() / kMinObjectEntry) {
    in.fail(L"the object count " + std::to_wstring(count) + L" is more than the file can hold");
    return;
  }
  UniqueHandles unique(in, in.position());
  for (std::uint32_t i = 0; i < count; ++i) {
    const wchar_t* what = L"an object entry";
    unique.entryAt(in.position());
    HdwObjectView o;
    o.classIndex = in.u32(what);
    o.handle = in.handle(what);
    o.ownerHandle = in.handle(what);
    o.data = in.bytes(what, o.size);
    in.lead(o.data, std::min<size_t>(o.size, sizeof o.lead), o.lead);
    if (in.failed()) return;
    if (o.handle.isNull()) return in.fail(L"an object has a null handle");
    if (o.handle.value() >= kHandleLimit) return in.fail(L"handle " + o.handle.text() + L" is out of range");
    if (o.classIndex >= classCount)
      return in.fail(L"object " + o.handle.text() + L" names class " + std::to_wstring(o.classIndex) +
                     L", but the file has only " + std::to_wstring(classCount));
    if (!unique.add(o.handle)) return in.fail(L"handle " + o.handle.text() + L" is used twice");
    std::wstring why;
    if (!each(o, why)) return in.fail(why);
  }
}

std::uint32_t crcByTable(std::uint32_t c, const unsigned char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
  return c;
}

#if defined(__x86_64__)
// The CRC of a long run by carry-less multiplication: four 128-bit lanes are folded
// forward 64 bytes at a time, then into one lane, then reduced to 32 bits (Barrett).
// The constants are powers of x modulo the polynomial, bit-reflected. It gives the
// table's result a good ten times faster, which matters for files of a hundred MB.
// size is at least 64 and a multiple of 16; c is the running (inverted) CRC.
#define OV_FOLD_TARGET __attribute__((target("pclmul,sse4.1")))

OV_FOLD_TARGET inline __m128i load16(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x carried 128 bits forward by the constants k, with the next block added.
OV_FOLD_TARGET inline __m128i fold16(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
}

// Four lanes folded into one, the 16-byte blocks left folded in, then reduced to 32
// bits: the end of every folding run.
OV_FOLD_TARGET std::uint32_t foldLanes(__m128i x1, __m128i x2, __m128i x3, __m128i x4, const unsigned char* p,
                                       size_t size) {
  alignas(16) static const std::uint64_t k3k4[2] = {0x01751997d0, 0x00ccaa009e};
  alignas(16) static const std::uint64_t k5k0[2] = {0x0163cd6124, 0x0000000000};
  alignas(16) static const std::uint64_t poly[2] = {0x01db710641, 0x01f7011641};
  __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
  x1 = fold16(x1, k, x2);
  x1 = fold16(x1, k, x3);
  x1 = fold16(x1, k, x4);
  while (size >= 16) {
    x1 = fold16(x1, k, load16(p));
    p += 16;
    size -= 16;
  }
  // 128 bits to 64.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  __m128i t = _mm_clmulepi64_si128(x1, k, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
  k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
  t = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00), t);
  // Barrett reduction to 32 bits.
  k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
  t = _mm_and_si128(x1, low32);
  t = _mm_clmulepi64_si128(t, k, 0x10);
  t = _mm_and_si128(t, low32);
  t = _mm_clmulepi64_si128(t, k, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

OV_FOLD_TARGET std::uint32_t crcByFolding(std::uint32_t c, const unsigned char* p, size_t size) {
  alignas(16) static const std::uint64_t k1k2[2] = {0x0154442bd4, 0x01c6e41596};
  __m128i x1 = _mm_xor_si128(load16(p), _mm_cvtsi32_si128(static_cast<int>(c)));
  __m128i x2 = load16(p + 16), x3 = load16(p + 32), x4 = load16(p + 48);
  __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
  p += 64;
  size -= 64;
  while (size >= 64) {
    x1 = fold16(x1, k, load16(p));
    x2 = fold16(x2, k, load16(p + 16));
    x3 = fold16(x3, k, load16(p + 32));
    x4 = fold16(x4, k, load16(p + 48));
    p += 64;
    size -= 64;
  }
  return foldLanes(x1, x2, x3, x4, p, size);
}

// The same with 512-bit registers, each four 128-bit lanes: four registers fold 256
// bytes a step (the constants carry a lane 2048 bits forward), then fold into one,
// whose lanes end as above. A drawing of a hundred MB is checked at memory speed.
#define OV_FOLD512_TARGET __attribute__((target("pclmul,sse4.1,avx512f,avx512vl,avx512bw,vpclmulqdq")))

OV_FOLD512_TARGET inline __m512i fold64(__m512i x, __m512i k, __m512i next) {
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x11), _mm512_clmulepi64_epi128(x, k, 0x00), next,
                                   0x96);
}

// size is at least 256 and a multiple of 16.
OV_FOLD512_TARGET std::uint32_t crcByFolding512(std::uint32_t c, const unsigned char* p, size_t size) {
  const __m512i by2048 = _mm512_set_epi64(0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a, 0x01322d1430,
                                          0x011542778a, 0x01322d1430, 0x011542778a);
  const __m512i by512 = _mm512_set_epi64(0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4, 0x01c6e41596,
                                         0x0154442bd4, 0x01c6e41596, 0x0154442bd4);
  __m512i z0 = _mm512_xor_si512(_mm512_loadu_si512(p), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(c))));
  __m512i z1 = _mm512_loadu_si512(p + 64), z2 = _mm512_loadu_si512(p + 128), z3 = _mm512_loadu_si512(p + 192);
  p += 256;
  size -= 256;
  while (size >= 256) {
    z0 = fold64(z0, by2048, _mm512_loadu_si512(p));
    z1 = fold64(z1, by2048, _mm512_loadu_si512(p + 64));
    z2 = fold64(z2, by2048, _mm512_loadu_si512(p + 128));
    z3 = fold64(z3, by2048, _mm512_loadu_si512(p + 192));
    p += 256;
    size -= 256;
  }
  z0 = fold64(fold64(fold64(z0, by512, z1), by512, z2), by512, z3);
  while (size >= 64) {
    z0 = fold64(z0, by512, _mm512_loadu_si512(p));
    p += 64;
    size -= 64;
  }
  // The lanes through memory: the lane-extract intrinsic starts from an undefined
  // register, which GCC's unoptimised builds warn about.
  alignas(64) __m128i lanes[4];
  _mm512_store_si512(lanes, z0);
  return foldLanes(lanes[0], lanes[1], lanes[2], lanes[3], p, size);
}

#undef OV_FOLD512_TARGET
#undef OV_FOLD_TARGET

bool canFold() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return can;
}

bool canFold512() {
  static const bool can = canFold() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                          __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("vpclmulqdq");
  return can;
}
#endif

}  // namespace

std::uint32_t hdwCrc32(const unsigned char* data, size_t size, std::uint32_t before) {
  std::uint32_t c = before ^ 0xFFFFFFFFu;
#if defined(__x86_64__)
  if (size >= 64 && canFold()) {
    const size_t run = size & ~static_cast<size_t>(15);
    c = size >= 256 && canFold512() ? crcByFolding512(c, data, run) : crcByFolding(c, data, run);
    data += run;
    size -= run;
  }
#endif
  return crcByTable(c, data, size) ^ 0xFFFFFFFFu;
}

namespace {

// Products modulo the CRC's polynomial, bit-reflected as the CRC is: how a CRC is carried
// forward over a run of zeros, which is what appending a run does to the CRC before it.
std::uint32_t multiplyModPoly(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if (a & m) product ^= b;
    b = (b & 1) ? (b >> 1) ^ 0xEDB88320u : b >> 1;
  }
  return product;
}

// x to the power 8 * bytes, modulo the polynomial: the product of the powers x^(2^k)
// of the bits of 8 * bytes, those powers squared once into a table.
std::uint32_t shiftForBytes(std::uint64_t bytes) {
  static const std::array<std::uint32_t, 64> squares = [] {
    std::array<std::uint32_t, 64> t{};
    t[0] = 1u << 30;  // x^1
    for (size_t k = 1; k < t.size(); ++k) t[k] = multiplyModPoly(t[k - 1], t[k - 1]);
    return t;
  }();
  std::uint32_t power = 1u << 31;  // x^0
  size_t k = 3;                    // a byte is x^8
  for (std::uint64_t n = bytes; n != 0 && k < squares.size(); n >>= 1, ++k)
    if (n & 1) power = multiplyModPoly(squares[k], power);
  return power;
}

}  // namespace

bool hdwCrc32OfFile(int fd, std::uint64_t fileSize, std::uint64_t offset, std::uint64_t size, std::uint32_t before,
                    std::uint32_t& crc) {
  FileWindow window(fd, static_cast<size_t>(fileSize));
  return window.crc(static_cast<size_t>(offset), static_cast<size_t>(size), before, crc);
}

std::uint32_t hdwCrc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize) {
  return multiplyModPoly(shiftForBytes(secondSize), first) ^ second;
}

HdwFileBuilder::HdwFileBuilder(std::uint32_t version, const HdwHeader& h, const std::vector<HdwClassEntry>& classes,
                               std::uint32_t objectCount, Sink sink, AcDbDatabase* db)
    : filer_(&out_, AcDb::kFileFiler, db), sink_(std::move(sink)) {
  filer_.appendRaw(kHdwMagic, kMagicSize);
  putU32(version);
  for (const AcDbHandle* p : {&h.handseed, &h.blockTable, &h.layerTable, &h.linetypeTable, &h.textStyleTable,
                              &h.regAppTable, &h.clayer, &h.celtype, &h.textstyle})
    putU64(p->value());
  putU32(static_cast<std::uint32_t>(classes.size()));
  for (const HdwClassEntry& e : classes) {
    putText(e.name);
    putText(e.dxfName);
    putText(e.appName);
    putU32(static_cast<std::uint32_t>(e.proxyFlags));
    const unsigned char isEntity = e.isEntity ? 1 : 0;
    filer_.appendRaw(&isEntity, 1);
  }
  putU32(objectCount);
}

void HdwFileBuilder::putU32(std::uint32_t v) {
  unsigned char b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  filer_.appendRaw(b, 4);
}

void HdwFileBuilder::putU64(std::uint64_t v) {
  unsigned char b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  filer_.appendRaw(b, 8);
}

void HdwFileBuilder::putText(const std::wstring& s) {
  std::string utf8 = acutWideToUtf8(s);
  putU32(static_cast<std::uint32_t>(utf8.size()));
  filer_.appendRaw(utf8.data(), utf8.size());
}

void HdwFileBuilder::beginObject(std::uint32_t classIndex, const AcDbHandle& handle, const AcDbHandle& ownerHandle) {
  // One entry head of 24 bytes in one append; its count is filled in by endObject.
  unsigned char head[4 + 8 + 8 + 4] = {};
  for (int i = 0; i < 4; ++i) head[i] = static_cast<unsigned char>(classIndex >> (8 * i));
  for (int i = 0; i < 8; ++i) head[4 + i] = static_cast<unsigned char>(handle.value() >> (8 * i));
  for (int i = 0; i < 8; ++i) head[12 + i] = static_cast<unsigned char>(ownerHandle.value() >> (8 * i));
  filer_.appendRaw(head, sizeof head);
  sizeAt_ = filer_.writtenSize() - 4;
}

void HdwFileBuilder::entryHead(std::uint32_t classIndex, const AcDbHandle& handle, const AcDbHandle& ownerHandle,
                               std::uint32_t size) {
  beginObject(classIndex, handle, ownerHandle);
  unsigned char* at = filer_.writtenData() + sizeAt_;
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(size >> (8 * i));
}

void HdwFileBuilder::beginRecord() {
  const unsigned char item[5] = {AcDbMemDwgFiler::kRecordSize, 0, 0, 0, 0};
  filer_.appendRaw(item, sizeof item);
  recordAt_ = filer_.writtenSize() - 4;
}

void HdwFileBuilder::endRecord() {
  const auto size = static_cast<std::uint32_t>(filer_.writtenSize() - recordAt_ - 4);
  std::memcpy(filer_.writtenData() + recordAt_, &size, 4);  // the filer's items are in the machine's order
}

size_t hdwRecordStart(const unsigned char* data, size_t size) {
  return size >= 5 && data[0] == AcDbMemDwgFiler::kRecordSize ? 5 : 0;
}

bool hdwRecordWhole(const unsigned char* data, size_t size) {
  // Every object files at least its owner: an empty record is one cut short.
  if (size == 0 || !AcDbMemDwgFiler::wellFormed(data, size)) return false;
  if (hdwRecordStart(data, size) == 0) return data[0] != AcDbMemDwgFiler::kRecordSize;
  std::uint32_t count;
  std::memcpy(&count, data + 1, 4);
  return count == size - 5;
}

bool hdwRecordSized(const unsigned char* data, size_t size) {
  if (hdwRecordStart(data, size) == 0) return false;
  std::uint32_t count;
  std::memcpy(&count, data + 1, 4);
  return count == size - 5;
}

void HdwFileBuilder::endObject() {
  const size_t written = filer_.writtenSize();
  const auto size = static_cast<std::uint32_t>(written - sizeAt_ - 4);
  unsigned char* at = filer_.writtenData() + sizeAt_;
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(size >> (8 * i));
  constexpr size_t kPiece = size_t(1) << 20;
  if (sink_ && written >= kPiece) flush();
}

void HdwFileBuilder::flush() {
  filer_.settle();
  crcBefore_ = hdwCrc32(out_.data(), out_.size(), crcBefore_);
  if (sinkOk_) sinkOk_ = sink_(out_.data(), out_.size());
  out_.clear();
}

std::vector<unsigned char> HdwFileBuilder::finish() {
  filer_.settle();
  const std::uint32_t crc = hdwCrc32(out_.data(), out_.size(), crcBefore_);
  putU32(crc);
  filer_.settle();
  if (sink_) flush();
  return std::move(out_);
}

std::vector<unsigned char> hdwSerialize(const HdwContainer& c) {
  HdwFileBuilder file(c.version, c.header, c.classes, static_cast<std::uint32_t>(c.objects.size()));
  for (const HdwObjectEntry& o : c.objects) {
    file.beginObject(o.classIndex, o.handle, o.ownerHandle);
    file.filer().appendRaw(o.bytes.data(), o.bytes.size());
    file.endObject();
  }
  return file.finish();
}

Acad::ErrorStatus hdwReadInPlace(const unsigned char* data, size_t size, HdwFileView& out, const HdwObjectVisitor& each,
                                 std::wstring& error, int fd) {
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
  std::optional<FileWindow> window;
  if (fd >= 0) window.emplace(fd, size);
  std::uint32_t crc = 0;
  if (window && !window->crc(0, size - kCrcSize, 0, crc)) {
    error = L"the file cannot be read";
    return Acad::eFileAccessErr;
  }
  if (storedCrc(end) != (window ? crc : hdwCrc32(data, size - kCrcSize))) {
    error = L"the checksum does not match the contents (the file is truncated or damaged)";
    return Acad::eBadFileFormat;
  }

  ByteReader in(data + kMagicSize + 4, size - kMagicSize - 4 - kCrcSize);
  if (window) in.readThrough(&*window, kMagicSize + 4);
  out = HdwFileView();
  out.version = version;
  readHeader(in, out.header);
  if (!in.failed() && out.header.handseed.value() >= kHandleLimit)
    in.fail(L"the handle seed " + out.header.handseed.text() + L" is out of range");
  readClasses(in, out.classes);
  readObjects(in, out.classes.size(), each);
  if (!in.failed() && in.remaining() != 0)
    in.fail(std::to_wstring(in.remaining()) + L" unexpected bytes follow the last object");
  if (in.failed()) {
    error = in.error();
    return Acad::eBadFileFormat;
  }
  return Acad::eOk;
}

Acad::ErrorStatus hdwParseView(const unsigned char* data, size_t size, HdwFileView& out, std::wstring& error) {
  std::vector<HdwObjectView> objects;
  Acad::ErrorStatus es = hdwReadInPlace(
      data, size, out,
      [&objects](const HdwObjectView& o, std::wstring&) {
        objects.push_back(o);
        return true;
      },
      error);
  out.objects = std::move(objects);
  return es;
}

Acad::ErrorStatus hdwParse(const unsigned char* data, size_t size, HdwContainer& out, std::wstring& error) {
  HdwFileView view;
  Acad::ErrorStatus es = hdwParseView(data, size, view, error);
  out = HdwContainer();
  out.version = view.version;
  out.header = view.header;
  out.classes = std::move(view.classes);
  out.objects.reserve(view.objects.size());
  for (const HdwObjectView& o : view.objects)
    out.objects.push_back({o.classIndex, o.handle, o.ownerHandle, std::vector<unsigned char>(o.data, o.data + o.size)});
  return es;
}

void hdwRepairCrc(std::vector<unsigned char>& file) {
  if (file.size() < kCrcSize) return;
  std::uint32_t crc = hdwCrc32(file.data(), file.size() - kCrcSize);
  for (size_t i = 0; i < kCrcSize; ++i) file[file.size() - kCrcSize + i] = static_cast<unsigned char>(crc >> (8 * i));
}
