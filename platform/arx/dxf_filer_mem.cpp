// The DXF filers over memory and the parser that turns DXF text into typed groups:
// the one place where group values are formatted and read back.
#include "arx/dxf_filer_mem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "arx/aced_print.h"
#include "arx/db_database.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbDxfFiler)

namespace {

// The highest group code a DXF file may hold (the last extended-data code).
constexpr int kMaxGroupCode = 1071;

bool isIntegerKind(RbValueKind k) {
  return k == RbValueKind::kShort || k == RbValueKind::kLong || k == RbValueKind::kInt64;
}

// ---- texts at the file's edge ------------------------------------------------------

// ASCII with \U+XXXX for everything else (a character beyond the basic plane as its
// two UTF-16 halves), control characters as ^ and a letter, and a caret that would
// read as such an escape as "^ ", the way AutoCAD 2000 files carry text.
std::string encodeText(const std::wstring& s) {
  std::string out;
  out.reserve(s.size());
  auto unicode = [&out](unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\U+%04X", v & 0xFFFFu);
    out += buf;
  };
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<std::uint32_t>(s[i]);
    if (c < 0x20) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else if (c == '^') {
      wchar_t next = i + 1 < s.size() ? s[i + 1] : L'\0';
      bool ambiguous = next == L'\0' || next == L' ' || (next >= L'@' && next <= L'_');
      out += ambiguous ? "^ " : "^";
    } else if (c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c > 0xFFFF && c <= 0x10FFFF) {
      c -= 0x10000;
      unicode(0xD800 + (c >> 10));
      unicode(0xDC00 + (c & 0x3FF));
    } else {
      unicode(c);
    }
  }
  return out;
}

int hexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Undoes encodeText: \U+XXXX escapes (surrogate halves joined) and ^ escapes.
std::wstring decodeText(const std::wstring& s) {
  if (s.find(L'\\') == std::wstring::npos && s.find(L'^') == std::wstring::npos) return s;
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    wchar_t c = s[i];
    if (c == L'\\' && i + 7 <= s.size() && s.compare(i, 3, L"\\U+") == 0) {
      unsigned v = 0;
      bool ok = true;
      for (size_t k = i + 3; k < i + 7; ++k) {
        int d = hexDigit(s[k]);
        if (d < 0) { ok = false; break; }
        v = v * 16 + static_cast<unsigned>(d);
      }
      if (ok) {
        if (v >= 0xDC00 && v <= 0xDFFF && !out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF) {
          auto high = static_cast<unsigned>(out.back());
          out.back() = static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (v - 0xDC00));
        } else {
          out += static_cast<wchar_t>(v);
        }
        i += 6;
        continue;
      }
    }
    if (c == L'^' && i + 1 < s.size()) {
      wchar_t n = s[i + 1];
      if (n == L' ') { out += L'^'; ++i; continue; }
      if (n >= L'@' && n <= L'_') { out += static_cast<wchar_t>(n - L'@'); ++i; continue; }
    }
    out += c;
  }
  return out;
}

bool validUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    if (b >= 0x80) {
      if ((b & 0xE0) == 0xC0) extra = 1;
      else if ((b & 0xF0) == 0xE0) extra = 2;
      else if ((b & 0xF8) == 0xF0) extra = 3;
      else return false;
    }
    if (i + extra >= s.size() && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// A line of the file as text: UTF-8 when it is valid UTF-8 (files of AutoCAD 2007 and
// later, and ours hold only ASCII), otherwise one character per byte.
std::wstring lineText(const std::string& raw) {
  if (validUtf8(raw)) return acutUtf8ToWide(raw);
  std::wstring out;
  out.reserve(raw.size());
  for (char c : raw) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

// ---- numbers -------------------------------------------------------------------------

std::string formatReal(double v, int digits) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  std::string s = buf;
  // A real keeps its decimal point, so that readers that look at the text see a real.
  if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
  return s;
}

std::string trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool parseInteger(const std::string& text, std::int64_t& out) {
  std::string t = trimmed(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size();
}

bool parseReal(const std::string& text, double& out) {
  std::string t = trimmed(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size() && std::isfinite(out);
}

bool parseHex(const std::string& text, std::uint64_t& out) {
  std::string t = trimmed(text);
  if (t.empty()) {
    out = 0;
    return true;
  }
  if (t.size() > 16) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out, 16);
  return ec == std::errc() && p == t.data() + t.size();
}

bool parseBinary(const std::string& text, std::vector<unsigned char>& out) {
  std::string t = trimmed(text);
  if (t.size() % 2 != 0) return false;
  out.clear();
  for (size_t i = 0; i < t.size(); i += 2) {
    int hi = hexDigit(t[i]), lo = hexDigit(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return true;
}

// The lines of a DXF text, each without its line end.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  // A UTF-8 byte order mark is no part of the first group code.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t len = end - start;
    if (len > 0 && text[start + len - 1] == '\r') --len;
    lines.push_back(text.substr(start, len));
    start = end + 1;
  }
  return lines;
}

std::wstring lineRef(size_t index) { return L"line " + std::to_wstring(index + 1); }

std::wstring shown(const std::string& raw) {
  std::wstring t = lineText(trimmed(raw));
  for (wchar_t& c : t)
    if (c < 0x20) c = L'?';
  if (t.size() > 40) t = t.substr(0, 40) + L"...";
  return L"\"" + t + L"\"";
}

}  // namespace

// ---- parsing ---------------------------------------------------------------------------

Acad::ErrorStatus acdbParseDxfGroups(const std::string& text, std::vector<AcDbDxfGroup>& groups,
                                     std::wstring& error) {
  groups.clear();
  if (text.find('\0') != std::string::npos) {
    size_t at = text.find('\0');
    size_t line = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    error = lineRef(line) + L": holds binary data; this is not an ASCII DXF file";
    return Acad::eBadFileFormat;
  }
  std::vector<std::string> lines = splitLines(text);
  size_t i = 0;
  while (i < lines.size()) {
    // Blank lines after the last group (a trailing line end or two) end the file.
    if (trimmed(lines[i]).empty()) {
      bool restBlank = true;
      for (size_t k = i; k < lines.size() && restBlank; ++k) restBlank = trimmed(lines[k]).empty();
      if (restBlank) break;
    }
    std::int64_t code = 0;
    if (!parseInteger(lines[i], code)) {
      error = lineRef(i) + L": " + shown(lines[i]) + L" is not a group code";
      return Acad::eBadFileFormat;
    }
    if (code < 0 || code > kMaxGroupCode) {
      error = lineRef(i) + L": " + std::to_wstring(code) + L" is not a DXF group code";
      return Acad::eBadFileFormat;
    }
    if (i + 1 >= lines.size()) {
      error = lineRef(i) + L": group code " + std::to_wstring(code) + L" has no value (the file ends there)";
      return Acad::eBadFileFormat;
    }
    AcDbDxfGroup g;
    g.code = static_cast<int>(code);
    g.line = static_cast<int>(i + 1);
    g.kind = acutRbValueKind(g.code);
    const std::string& raw = lines[i + 1];
    auto bad = [&](const wchar_t* what) {
      error = lineRef(i + 1) + L": " + shown(raw) + L" is not " + what + L" (group code " +
              std::to_wstring(code) + L")";
      return Acad::eBadFileFormat;
    };
    switch (g.kind) {
      case RbValueKind::kReal:
        if (!parseReal(raw, g.real)) return bad(L"a number");
        break;
      case RbValueKind::kShort:
        if (!parseInteger(raw, g.integer) || g.integer < -32768 || g.integer > 65535)
          return bad(L"a 16-bit integer");
        g.integer = static_cast<Adesk::Int16>(static_cast<Adesk::UInt16>(g.integer));
        break;
      case RbValueKind::kLong:
        if (!parseInteger(raw, g.integer) || g.integer < INT32_MIN || g.integer > UINT32_MAX)
          return bad(L"a 32-bit integer");
        g.integer = static_cast<Adesk::Int32>(static_cast<Adesk::UInt32>(g.integer));
        break;
      case RbValueKind::kInt64:
        if (!parseInteger(raw, g.integer)) return bad(L"an integer");
        break;
      case RbValueKind::kName:
      case RbValueKind::kHandle: {
        std::uint64_t h = 0;
        if (!parseHex(raw, h)) return bad(L"a handle");
        g.integer = static_cast<std::int64_t>(h);
        g.text = lineText(trimmed(raw));
        break;
      }
      case RbValueKind::kBinary:
        if (!parseBinary(raw, g.bytes)) return bad(L"binary data in hex");
        break;
      case RbValueKind::kPoint: {
        if (!parseReal(raw, g.point.x)) return bad(L"a number");
        // y follows under code + 10, then z under code + 20 when the point has one.
        double* rest[2] = {&g.point.y, &g.point.z};
        for (int axis = 0; axis < 2; ++axis) {
          std::int64_t want = code + 10 * (axis + 1), next = 0;
          if (i + 2 >= lines.size() || !parseInteger(lines[i + 2], next) || next != want) {
            if (axis == 1) break;  // a 2D point
            error = lineRef(i) + L": the point of group code " + std::to_wstring(code) + L" has no y (group code " +
                    std::to_wstring(want) + L")";
            return Acad::eBadDxfSequence;
          }
          i += 2;
          if (i + 1 >= lines.size()) {
            error = lineRef(i) + L": group code " + std::to_wstring(want) + L" has no value (the file ends there)";
            return Acad::eBadFileFormat;
          }
          if (!parseReal(lines[i + 1], *rest[axis])) {
            error = lineRef(i + 1) + L": " + shown(lines[i + 1]) + L" is not a number (group code " +
                    std::to_wstring(want) + L")";
            return Acad::eBadFileFormat;
          }
        }
        break;
      }
      case RbValueKind::kString:
      case RbValueKind::kNone:
        // Texts keep their blanks: they may be part of the text.
        g.text = decodeText(lineText(raw));
        break;
    }
    groups.push_back(std::move(g));
    i += 2;
  }
  return Acad::eOk;
}

// ---- writer ----------------------------------------------------------------------------

AcDbMemDxfWriter::AcDbMemDxfWriter(AcDbDatabase* db, int precision, AcDb::FilerType type)
    : db_(db), precision_(16), type_(type) {
  setPrecision(precision);
}

void AcDbMemDxfWriter::setPrecision(int digits) {
  // Past 17 significant digits a double has nothing more to say.
  precision_ = digits < 1 ? 1 : (digits > 17 ? 17 : digits);
}

Acad::ErrorStatus AcDbMemDxfWriter::readItem(resbuf*) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbMemDxfWriter::check(int code, bool ok) {
  if (status_ != Acad::eOk) return status_;
  if (code < 0 || code > kMaxGroupCode || !ok) status_ = Acad::eInvalidDxfCode;
  return status_;
}

Acad::ErrorStatus AcDbMemDxfWriter::put(int code, const std::string& value) {
  if (status_ != Acad::eOk) return status_;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%3d\n", code);
  out_ += buf;
  out_ += value;
  out_ += '\n';
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDxfWriter::writeString(AcDb::DxfCode code, const ACHAR* value) {
  RbValueKind k = acutRbValueKind(code);
  if (check(code, k == RbValueKind::kString || k == RbValueKind::kNone) != Acad::eOk) return status_;
  return put(code, encodeText(value != nullptr ? value : L""));
}

Acad::ErrorStatus AcDbMemDxfWriter::group(int code, int value) {
  return writeInt32(static_cast<AcDb::DxfCode>(code), value);
}

Acad::ErrorStatus AcDbMemDxfWriter::writeBool(AcDb::DxfCode code, bool value) {
  return writeInt16(code, value ? 1 : 0);
}

Acad::ErrorStatus AcDbMemDxfWriter::writeInt8(AcDb::DxfCode code, Adesk::Int8 value) { return writeInt32(code, value); }
Acad::ErrorStatus AcDbMemDxfWriter::writeInt16(AcDb::DxfCode code, Adesk::Int16 value) { return writeInt32(code, value); }
Acad::ErrorStatus AcDbMemDxfWriter::writeUInt16(AcDb::DxfCode code, Adesk::UInt16 value) { return writeInt32(code, value); }

Acad::ErrorStatus AcDbMemDxfWriter::writeInt32(AcDb::DxfCode code, Adesk::Int32 value) {
  RbValueKind k = acutRbValueKind(code);
  bool fits = k == RbValueKind::kShort ? (value >= -32768 && value <= 65535) : isIntegerKind(k);
  if (check(code, fits) != Acad::eOk) return status_;
  return put(code, std::to_string(value));
}

Acad::ErrorStatus AcDbMemDxfWriter::writeUInt32(AcDb::DxfCode code, Adesk::UInt32 value) {
  RbValueKind k = acutRbValueKind(code);
  bool fits = k == RbValueKind::kShort ? value <= 65535 : isIntegerKind(k);
  if (check(code, fits) != Acad::eOk) return status_;
  return put(code, std::to_string(value));
}

Acad::ErrorStatus AcDbMemDxfWriter::writeDouble(AcDb::DxfCode code, double value, int precision) {
  RbValueKind k = acutRbValueKind(code);
  if (check(code, k == RbValueKind::kReal || k == RbValueKind::kPoint) != Acad::eOk) return status_;
  if (!std::isfinite(value)) {
    status_ = Acad::eInvalidInput;
    return status_;
  }
  int digits = precision == kDfltPrec ? precision_ : (precision < 1 ? 1 : (precision > 17 ? 17 : precision));
  return put(code, formatReal(value, digits));
}

Acad::ErrorStatus AcDbMemDxfWriter::writePoint2d(AcDb::DxfCode code, const AcGePoint2d& value, int precision) {
  writeDouble(code, value.x, precision);
  return writeDouble(static_cast<AcDb::DxfCode>(code + 10), value.y, precision);
}

Acad::ErrorStatus AcDbMemDxfWriter::writePoint3d(AcDb::DxfCode code, const AcGePoint3d& value, int precision) {
  writeDouble(code, value.x, precision);
  writeDouble(static_cast<AcDb::DxfCode>(code + 10), value.y, precision);
  return writeDouble(static_cast<AcDb::DxfCode>(code + 20), value.z, precision);
}

Acad::ErrorStatus AcDbMemDxfWriter::writeVector3d(AcDb::DxfCode code, const AcGeVector3d& value, int precision) {
  return writePoint3d(code, AcGePoint3d(value.x, value.y, value.z), precision);
}

Acad::ErrorStatus AcDbMemDxfWriter::writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& handle) {
  RbValueKind k = acutRbValueKind(code);
  if (check(code, k == RbValueKind::kString || k == RbValueKind::kName || k == RbValueKind::kHandle) != Acad::eOk)
    return status_;
  return put(code, handle.isNull() ? std::string("0") : acutWideToUtf8(handle.text()));
}

Acad::ErrorStatus AcDbMemDxfWriter::writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) {
  return writeAcDbHandle(code, id.handle());
}

Acad::ErrorStatus AcDbMemDxfWriter::writeItem(const resbuf& item) {
  auto code = static_cast<AcDb::DxfCode>(item.restype);
  const ads_u_val& v = item.resval;
  switch (acutRbValueKind(item.restype)) {
    case RbValueKind::kReal: return writeDouble(code, v.rreal);
    case RbValueKind::kPoint: return writePoint3d(code, AcGePoint3d(v.rpoint[0], v.rpoint[1], v.rpoint[2]));
    case RbValueKind::kShort: return writeInt16(code, v.rint);
    case RbValueKind::kLong: return writeInt32(code, v.rlong);
    case RbValueKind::kInt64:
      if (check(code, true) != Acad::eOk) return status_;
      return put(code, std::to_string(v.mnInt64));
    case RbValueKind::kString: return writeString(code, v.rstring);
    case RbValueKind::kName: {
      AcDbObjectId id;
      id.setFromOldId(static_cast<std::intptr_t>(v.rlname[0]));
      return writeObjectId(code, id);
    }
    case RbValueKind::kHandle: {
      std::uint64_t h = 0;
      std::memcpy(&h, v.ihandle, sizeof h);
      return writeAcDbHandle(code, AcDbHandle(h));
    }
    case RbValueKind::kBinary: {
      if (check(code, true) != Acad::eOk) return status_;
      std::string hex;
      static const char digits[] = "0123456789ABCDEF";
      for (short i = 0; i < v.rbinary.clen && v.rbinary.buf != nullptr; ++i) {
        auto b = static_cast<unsigned char>(v.rbinary.buf[i]);
        hex += digits[b >> 4];
        hex += digits[b & 15];
      }
      return put(code, hex);
    }
    case RbValueKind::kNone: break;
  }
  return check(code, false);
}

// ---- reader ----------------------------------------------------------------------------

AcDbMemDxfReader::AcDbMemDxfReader(std::vector<AcDbDxfGroup> groups, AcDbDatabase* db, AcDb::FilerType type)
    : groups_(std::move(groups)), db_(db), type_(type) {
  withoutMarkers_ = true;
  for (const AcDbDxfGroup& g : groups_)
    if (g.code == AcDb::kDxfSubclass) withoutMarkers_ = false;
}

int AcDbMemDxfReader::currentLine() const {
  if (groups_.empty()) return 0;
  size_t i = pos_ > 0 ? pos_ - 1 : 0;
  if (i >= groups_.size()) i = groups_.size() - 1;
  return groups_[i].line;
}

Acad::ErrorStatus AcDbMemDxfReader::readItem(resbuf* item) {
  if (status_ != Acad::eOk) return status_;
  if (item == nullptr) return Acad::eInvalidInput;
  if (pos_ >= groups_.size()) {
    lastRead_ = false;
    return Acad::eEndOfObject;
  }
  const AcDbDxfGroup& g = groups_[pos_++];
  lastRead_ = true;
  item->rbnext = nullptr;
  item->restype = static_cast<short>(g.code);
  std::memset(&item->resval, 0, sizeof item->resval);
  switch (acutRbValueKind(g.code)) {
    case RbValueKind::kReal: item->resval.rreal = g.real; break;
    case RbValueKind::kPoint:
      item->resval.rpoint[0] = g.point.x;
      item->resval.rpoint[1] = g.point.y;
      item->resval.rpoint[2] = g.point.z;
      break;
    case RbValueKind::kShort: item->resval.rint = static_cast<short>(g.integer); break;
    case RbValueKind::kLong: item->resval.rlong = static_cast<std::int32_t>(g.integer); break;
    case RbValueKind::kInt64: item->resval.mnInt64 = g.integer; break;
    case RbValueKind::kString: item->resval.rstring = acutNewString(g.text.c_str()); break;
    case RbValueKind::kName: {
      AcDbObjectId id;
      auto handle = static_cast<std::uint64_t>(g.integer);
      if (handle != 0 && resolver_)
        id = resolver_(handle);
      else if (handle != 0 && db_ != nullptr)
        db_->getAcDbObjectId(id, true, AcDbHandle(handle));
      item->resval.rlname[0] = static_cast<std::int64_t>(id.asOldId());
      break;
    }
    case RbValueKind::kHandle: std::memcpy(item->resval.ihandle, &g.integer, sizeof item->resval.ihandle); break;
    case RbValueKind::kBinary: {
      auto n = static_cast<short>(g.bytes.size() > 32767 ? 32767 : g.bytes.size());
      item->resval.rbinary.clen = n;
      item->resval.rbinary.buf = new char[n > 0 ? n : 1];
      if (n > 0) std::memcpy(item->resval.rbinary.buf, g.bytes.data(), static_cast<size_t>(n));
      break;
    }
    case RbValueKind::kNone: break;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDxfReader::pushBackItem() {
  if (!lastRead_ || pos_ == 0) return Acad::eInvalidInput;
  --pos_;
  lastRead_ = false;
  return Acad::eOk;
}

bool AcDbMemDxfReader::atSubclassData(const ACHAR* subClassName) {
  if (subClassName == nullptr) return false;
  if (pos_ < groups_.size() && groups_[pos_].code == AcDb::kDxfSubclass && groups_[pos_].text == subClassName) {
    ++pos_;
    lastRead_ = false;
    return true;
  }
  return withoutMarkers_;
}
