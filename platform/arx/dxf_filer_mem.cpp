// The DXF filers over memory and the parser that turns DXF text into typed groups:
// the one place where group values are formatted and read back.
#include "arx/dxf_filer_mem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string_view>

#include <sys/mman.h>

#include "arx/aced_print.h"
#include "arx/db_database.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbDxfFiler)

namespace {

// The highest group code a DXF file may hold (the last extended-data code).
constexpr int kMaxGroupCode = 1071;

// The kind of value each DXF group code holds, looked up once: every group of a file
// and every value written asks.
RbValueKind groupKind(int code) {
  static const std::vector<RbValueKind> kinds = [] {
    std::vector<RbValueKind> all(kMaxGroupCode + 1);
    for (int c = 0; c <= kMaxGroupCode; ++c) all[static_cast<size_t>(c)] = acutRbValueKind(c);
    return all;
  }();
  return code >= 0 && code <= kMaxGroupCode ? kinds[static_cast<size_t>(code)] : acutRbValueKind(code);
}

bool isIntegerKind(RbValueKind k) {
  return k == RbValueKind::kShort || k == RbValueKind::kLong || k == RbValueKind::kInt64;
}

// ---- texts at the file's edge ------------------------------------------------------

// ASCII with \U+XXXX for everything else (a character beyond the basic plane as its
// two UTF-16 halves), control characters as ^ and a letter, and a caret that would
// read as such an escape as "^ ", the way AutoCAD 2000 files carry text. Appends to out:
// the writer puts texts straight into its file.
void appendEncodedText(const wchar_t* s, size_t n, std::string& out) {
  auto unicode = [&out](unsigned v) {
    static const char digits[] = "0123456789ABCDEF";
    char buf[7] = {'\\', 'U', '+', digits[(v >> 12) & 15], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
    out.append(buf, sizeof buf);
  };
  for (size_t i = 0; i < n; ++i) {
    auto c = static_cast<std::uint32_t>(s[i]);
    if (c < 0x20) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else if (c == '^') {
      wchar_t next = i + 1 < n ? s[i + 1] : L'\0';
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

bool validUtf8(std::string_view s) {
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

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Whether a text line may hold an escape (\U+XXXX or ^ and a letter). A plain loop: the
// library's find_first_of looks each character up in the set with a call of its own.
bool mayHoldEscape(std::string_view s) {
  for (char c : s)
    if (c == '\\' || c == '^') return true;
  return false;
}

// A line of the file as text: UTF-8 when it is valid UTF-8 (files of AutoCAD 2007 and
// later, and ours hold only ASCII), otherwise one character per byte. Nearly every line
// is plain ASCII, which is widened as it stands.
void assignLineText(std::string_view raw, std::wstring& out) {
  out.resize(raw.size());
  bool ascii = true;
  for (size_t i = 0; i < raw.size(); ++i) {
    auto c = static_cast<unsigned char>(raw[i]);
    ascii = ascii && c < 0x80;
    out[i] = static_cast<wchar_t>(c);
  }
  if (!ascii && validUtf8(raw)) out = acutUtf8ToWide(std::string(raw));
}

std::wstring lineText(std::string_view raw) {
  std::wstring out;
  assignLineText(raw, out);
  return out;
}

// ---- numbers -------------------------------------------------------------------------

// Appends a real with `digits` significant digits, as printf's %g gives it.
void appendReal(double v, int digits, std::string& out) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
  if (ec != std::errc()) end = buf + std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  out.append(buf, end);
  // A real keeps its decimal point, so that readers that look at the text see a real.
  if (std::string_view(buf, static_cast<size_t>(end - buf)).find_first_of(".eEn") == std::string_view::npos) out += ".0";
}

template <typename Integer>
void appendInteger(Integer v, std::string& out) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, end);
}

std::string_view trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool parseInteger(std::string_view text, std::int64_t& out) {
  // Group codes are a few digits after blanks: read those straight away.
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text.size() - i <= 4) {
    std::int64_t v = 0;
    size_t k = i;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') v = v * 10 + (text[k++] - '0');
    if (k == text.size() && k > i) {
      out = v;
      return true;
    }
  }
  std::string_view t = trimmed(text);
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size();
}

bool parseReal(std::string_view text, double& out) {
  std::string_view t = trimmed(text);
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size() && std::isfinite(out);
}

bool parseHex(std::string_view text, std::uint64_t& out) {
  std::string_view t = trimmed(text);
  if (t.empty()) {
    out = 0;
    return true;
  }
  if (t.size() > 16) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out, 16);
  return ec == std::errc() && p == t.data() + t.size();
}

bool parseBinary(std::string_view text, std::vector<unsigned char>& out) {
  std::string_view t = trimmed(text);
  if (t.size() % 2 != 0) return false;
  out.clear();
  for (size_t i = 0; i < t.size(); i += 2) {
    int hi = hexDigit(t[i]), lo = hexDigit(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return true;
}

// The lines of a DXF text in place, each without its line end, one after the other.
class DxfLines {
 public:
  explicit DxfLines(std::string_view text) : text_(text) {
    // A UTF-8 byte order mark is no part of the first group code.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }
  bool atEnd() const { return pos_ >= text_.size(); }
  // The index of the line next() hands out.
  size_t index() const { return index_; }
  std::string_view next() {
    size_t end;
    std::string_view line = lineAt(pos_, end);
    pos_ = end;
    ++index_;
    return line;
  }
  // The line next() would hand out (empty at the end).
  std::string_view peek() const {
    size_t end;
    return atEnd() ? std::string_view() : lineAt(pos_, end);
  }
  // Whether every line from here on is blank.
  bool restBlank() const {
    for (size_t at = pos_, end; at < text_.size(); at = end)
      if (!trimmed(lineAt(at, end)).empty()) return false;
    return true;
  }

 private:
  std::string_view lineAt(size_t start, size_t& next) const {
    // Lines are short: a plain loop finds their end sooner than a call to memchr.
    size_t end = start;
    while (end < text_.size() && text_[end] != '\n') ++end;
    size_t len = end - start;
    if (len > 0 && text_[start + len - 1] == '\r') --len;
    next = end + 1;
    return text_.substr(start, len);
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t index_ = 0;
};

std::wstring lineRef(size_t index) { return L"line " + std::to_wstring(index + 1); }

std::wstring shown(std::string_view raw) {
  std::wstring t = lineText(trimmed(raw));
  for (wchar_t& c : t)
    if (c < 0x20) c = L'?';
  if (t.size() > 40) t = t.substr(0, 40) + L"...";
  return L"\"" + t + L"\"";
}

}  // namespace

// ---- parsing ---------------------------------------------------------------------------

void acdbAdviseLargeBuffer(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  // Only whole huge pages inside the buffer can be advised.
  constexpr std::uintptr_t kHugePage = 2u << 20;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (data != nullptr && end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}


Acad::ErrorStatus acdbParseDxfRawGroups(const std::string& text, std::vector<AcDbDxfRawGroup>& groups,
                                        std::wstring& error) {
  groups.clear();
  if (text.find('\0') != std::string::npos) {
    size_t at = text.find('\0');
    size_t line = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    error = lineRef(line) + L": holds binary data; this is not an ASCII DXF file";
    return Acad::eBadFileFormat;
  }
  // A group takes two lines at least: room for that many up front spares the copies of
  // a growing vector (only the room the groups use is ever touched). A real group takes
  // more than eight bytes of text, which bounds the room a file of blank lines asks for.
  const size_t lineCount = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  groups.reserve(std::min(lineCount / 2 + 1, text.size() / 8 + 1024));
  acdbAdviseLargeBuffer(groups.data(), groups.capacity() * sizeof(AcDbDxfRawGroup));
  DxfLines lines(text);
  while (!lines.atEnd()) {
    const size_t at = lines.index();  // the line of the group code
    std::string_view codeLine = lines.next();
    // Blank lines after the last group (a trailing line end or two) end the file.
    if (trimmed(codeLine).empty() && lines.restBlank()) break;
    std::int64_t code = 0;
    if (!parseInteger(codeLine, code)) {
      error = lineRef(at) + L": " + shown(codeLine) + L" is not a group code";
      return Acad::eBadFileFormat;
    }
    if (code < 0 || code > kMaxGroupCode) {
      error = lineRef(at) + L": " + std::to_wstring(code) + L" is not a DXF group code";
      return Acad::eBadFileFormat;
    }
    if (lines.atEnd()) {
      error = lineRef(at) + L": group code " + std::to_wstring(code) + L" has no value (the file ends there)";
      return Acad::eBadFileFormat;
    }
    AcDbDxfRawGroup& g = groups.emplace_back();
    g.code = static_cast<int>(code);
    g.line = static_cast<int>(at + 1);
    g.kind = groupKind(g.code);
    std::string_view raw = lines.next();
    auto keep = [&g](std::string_view value) {
      g.value = value.data();
      g.length = static_cast<std::uint32_t>(value.size());
    };
    auto bad = [&](const wchar_t* what) {
      error = lineRef(at + 1) + L": " + shown(raw) + L" is not " + what + L" (group code " +
              std::to_wstring(code) + L")";
      groups.pop_back();
      return Acad::eBadFileFormat;
    };
    switch (g.kind) {
      case RbValueKind::kReal:
        if (!parseReal(raw, g.number.real)) return bad(L"a number");
        break;
      case RbValueKind::kShort:
        if (!parseInteger(raw, g.number.integer) || g.number.integer < -32768 || g.number.integer > 65535)
          return bad(L"a 16-bit integer");
        g.number.integer = static_cast<Adesk::Int16>(static_cast<Adesk::UInt16>(g.number.integer));
        break;
      case RbValueKind::kLong:
        if (!parseInteger(raw, g.number.integer) || g.number.integer < INT32_MIN || g.number.integer > UINT32_MAX)
          return bad(L"a 32-bit integer");
        g.number.integer = static_cast<Adesk::Int32>(static_cast<Adesk::UInt32>(g.number.integer));
        break;
      case RbValueKind::kInt64:
        if (!parseInteger(raw, g.number.integer)) return bad(L"an integer");
        break;
      case RbValueKind::kName:
      case RbValueKind::kHandle: {
        std::uint64_t h = 0;
        if (!parseHex(raw, h)) return bad(L"a handle");
        g.number.integer = static_cast<std::int64_t>(h);
        keep(trimmed(raw));
        break;
      }
      case RbValueKind::kBinary: {
        std::vector<unsigned char> bytes;
        if (!parseBinary(raw, bytes)) return bad(L"binary data in hex");
        keep(raw);
        break;
      }
      case RbValueKind::kPoint: {
        if (!parseReal(raw, g.number.xyz[0])) return bad(L"a number");
        // y follows under code + 10, then z under code + 20 when the point has one.
        double* rest[2] = {&g.number.xyz[1], &g.number.xyz[2]};
        for (int axis = 0; axis < 2; ++axis) {
          std::int64_t want = code + 10 * (axis + 1), next = 0;
          if (lines.atEnd() || !parseInteger(lines.peek(), next) || next != want) {
            if (axis == 1) break;  // a 2D point
            error = lineRef(at) + L": the point of group code " + std::to_wstring(code) + L" has no y (group code " +
                    std::to_wstring(want) + L")";
            groups.pop_back();
            return Acad::eBadDxfSequence;
          }
          const size_t wantAt = lines.index();
          lines.next();
          if (lines.atEnd()) {
            error = lineRef(wantAt) + L": group code " + std::to_wstring(want) + L" has no value (the file ends there)";
            groups.pop_back();
            return Acad::eBadFileFormat;
          }
          std::string_view value = lines.next();
          if (!parseReal(value, *rest[axis])) {
            error = lineRef(wantAt + 1) + L": " + shown(value) + L" is not a number (group code " +
                    std::to_wstring(want) + L")";
            groups.pop_back();
            return Acad::eBadFileFormat;
          }
        }
        break;
      }
      case RbValueKind::kString:
      case RbValueKind::kNone:
        // Texts keep their blanks: they may be part of the text.
        keep(raw);
        break;
    }
  }
  return Acad::eOk;
}

Acad::ErrorStatus acdbParseDxfGroups(const std::string& text, std::vector<AcDbDxfGroup>& groups,
                                     std::wstring& error) {
  groups.clear();
  std::vector<AcDbDxfRawGroup> raw;
  Acad::ErrorStatus es = acdbParseDxfRawGroups(text, raw, error);
  groups.resize(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) acdbDxfGroupOf(raw[i], groups[i]);
  return es;
}

// ---- raw groups ------------------------------------------------------------------------

std::wstring AcDbDxfRawGroup::text() const {
  std::wstring out;
  if (kind != RbValueKind::kString && kind != RbValueKind::kNone && kind != RbValueKind::kName &&
      kind != RbValueKind::kHandle)
    return out;
  std::string_view raw(value != nullptr ? value : "", length);
  assignLineText(raw, out);
  // Handles are as the file has them; texts may hold escapes.
  bool isText = kind == RbValueKind::kString || kind == RbValueKind::kNone;
  if (isText && mayHoldEscape(raw)) out = decodeText(out);
  return out;
}

std::int64_t AcDbDxfRawGroup::integer() const {
  return isIntegerKind(kind) || kind == RbValueKind::kName || kind == RbValueKind::kHandle ? number.integer : 0;
}

bool AcDbDxfRawGroup::is(int c, const wchar_t* text) const {
  if (code != c || text == nullptr) return false;
  std::string_view raw(value != nullptr ? value : "", length);
  // Plain ASCII without escapes reads as it stands.
  if (isAscii(raw) && !mayHoldEscape(raw) &&
      (kind == RbValueKind::kString || kind == RbValueKind::kNone)) {
    size_t i = 0;
    for (; i < raw.size(); ++i)
      if (text[i] != static_cast<wchar_t>(raw[i])) return false;
    return text[i] == L'\0';
  }
  return this->text() == text;
}

void acdbDxfGroupOf(const AcDbDxfRawGroup& raw, AcDbDxfGroup& g) {
  g.code = raw.code;
  g.line = raw.line;
  g.kind = raw.kind;
  g.real = raw.real();
  g.point = raw.point();
  g.integer = raw.integer();
  g.bytes.clear();
  g.text.clear();
  std::string_view value(raw.value != nullptr ? raw.value : "", raw.length);
  switch (raw.kind) {
    case RbValueKind::kString:
    case RbValueKind::kNone:
      assignLineText(value, g.text);
      if (mayHoldEscape(value)) g.text = decodeText(g.text);
      break;
    case RbValueKind::kName:
    case RbValueKind::kHandle: assignLineText(value, g.text); break;
    case RbValueKind::kBinary: parseBinary(value, g.bytes); break;
    default: break;
  }
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

void AcDbMemDxfWriter::reserve(size_t bytes) {
  if (bytes <= out_.capacity()) return;
  out_.reserve(bytes);
  acdbAdviseLargeBuffer(out_.data() + out_.size(), out_.capacity() - out_.size());
}

Acad::ErrorStatus AcDbMemDxfWriter::readItem(resbuf*) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbMemDxfWriter::check(int code, bool ok) {
  if (status_ != Acad::eOk) return status_;
  if (code < 0 || code > kMaxGroupCode || !ok) status_ = Acad::eInvalidDxfCode;
  return status_;
}

void AcDbMemDxfWriter::putCode(int code) {
  // Right-aligned in three characters, as "%3d" gives it; codes run from 0 to 1071.
  char buf[8];
  char* end = buf + sizeof buf;
  char* p = end;
  *--p = '\n';
  unsigned v = static_cast<unsigned>(code);
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (end - p < 4) *--p = ' ';
  out_.append(p, end);
}

Acad::ErrorStatus AcDbMemDxfWriter::put(int code, std::string_view value) {
  if (status_ != Acad::eOk) return status_;
  putCode(code);
  out_ += value;
  out_ += '\n';
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDxfWriter::writeString(AcDb::DxfCode code, const ACHAR* value) {
  RbValueKind k = groupKind(code);
  if (check(code, k == RbValueKind::kString || k == RbValueKind::kNone) != Acad::eOk) return status_;
  putCode(code);
  if (value != nullptr) appendEncodedText(value, std::wcslen(value), out_);
  out_ += '\n';
  return Acad::eOk;
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
  RbValueKind k = groupKind(code);
  bool fits = k == RbValueKind::kShort ? (value >= -32768 && value <= 65535) : isIntegerKind(k);
  if (check(code, fits) != Acad::eOk) return status_;
  putCode(code);
  appendInteger(value, out_);
  out_ += '\n';
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDxfWriter::writeUInt32(AcDb::DxfCode code, Adesk::UInt32 value) {
  RbValueKind k = groupKind(code);
  bool fits = k == RbValueKind::kShort ? value <= 65535 : isIntegerKind(k);
  if (check(code, fits) != Acad::eOk) return status_;
  putCode(code);
  appendInteger(value, out_);
  out_ += '\n';
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDxfWriter::writeDouble(AcDb::DxfCode code, double value, int precision) {
  RbValueKind k = groupKind(code);
  if (check(code, k == RbValueKind::kReal || k == RbValueKind::kPoint) != Acad::eOk) return status_;
  if (!std::isfinite(value)) {
    status_ = Acad::eInvalidInput;
    return status_;
  }
  int digits = precision == kDfltPrec ? precision_ : (precision < 1 ? 1 : (precision > 17 ? 17 : precision));
  putCode(code);
  appendReal(value, digits, out_);
  out_ += '\n';
  return Acad::eOk;
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
  RbValueKind k = groupKind(code);
  if (check(code, k == RbValueKind::kString || k == RbValueKind::kName || k == RbValueKind::kHandle) != Acad::eOk)
    return status_;
  // Upper-case hexadecimal, "0" for no handle.
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, handle.value(), 16);
  for (char* p = buf; p != end; ++p)
    if (*p >= 'a') *p = static_cast<char>(*p - 'a' + 'A');
  return put(code, std::string_view(buf, static_cast<size_t>(end - buf)));
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
    : AcDbMemDxfReader(nullptr, 0, db, type) {
  owned_ = std::move(groups);
  groups_ = owned_.data();
  count_ = owned_.size();
  withoutMarkers_ = std::none_of(groups_, groups_ + count_, [](const AcDbDxfGroup& g) { return g.code == AcDb::kDxfSubclass; });
}

AcDbMemDxfReader::AcDbMemDxfReader(const AcDbDxfGroup* first, size_t count, AcDbDatabase* db, AcDb::FilerType type)
    : groups_(first), count_(first != nullptr ? count : 0), db_(db), type_(type) {
  withoutMarkers_ = std::none_of(groups_, groups_ + count_, [](const AcDbDxfGroup& g) { return g.code == AcDb::kDxfSubclass; });
}

int AcDbMemDxfReader::currentLine() const {
  if (count_ == 0) return 0;
  size_t i = pos_ > 0 ? pos_ - 1 : 0;
  if (i >= count_) i = count_ - 1;
  return groups_[i].line;
}

Acad::ErrorStatus AcDbMemDxfReader::readItem(resbuf* item) {
  if (status_ != Acad::eOk) return status_;
  if (item == nullptr) return Acad::eInvalidInput;
  if (pos_ >= count_) {
    lastRead_ = false;
    return Acad::eEndOfObject;
  }
  const AcDbDxfGroup& g = groups_[pos_++];
  lastRead_ = true;
  item->rbnext = nullptr;
  item->restype = static_cast<short>(g.code);
  std::memset(&item->resval, 0, sizeof item->resval);
  switch (groupKind(g.code)) {
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
  if (pos_ < count_ && groups_[pos_].code == AcDb::kDxfSubclass && groups_[pos_].text == subClassName) {
    ++pos_;
    lastRead_ = false;
    return true;
  }
  return withoutMarkers_;
}
