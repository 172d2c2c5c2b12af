// The host's command-line printing and the UTF-8 conversions used at file and
// terminal edges.
#include "arx/aced_print.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "arx/resbuf.h"

namespace {
AcedPrintSink& sink() {
  static AcedPrintSink s;
  return s;
}
}  // namespace

namespace {
bool gLineOpen = false;
}  // namespace

// A new sink is a new output: nothing of it is on an open line yet.
AcedPrintSink acedSetPrintSink(AcedPrintSink newSink) {
  AcedPrintSink old = sink();
  sink() = std::move(newSink);
  gLineOpen = false;
  return old;
}

bool acedPrintLineOpen() { return gLineOpen; }

void acedPrintInputEndedLine() { gLineOpen = false; }

void acedPrintText(const std::wstring& text) {
  if (!text.empty()) gLineOpen = text.back() != L'\n';
  if (sink()) {
    sink()(text);
    return;
  }
  std::string utf8 = acutWideToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

// The host's wide printf reads %s and %c as wide and %hs and %hc as narrow; the C
// library's wide printf reads %s as narrow. Module code is written for the host, so
// its formats are translated: a bare s or c gains an l, an h before them is dropped.
std::wstring acutHostFormat(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    out += *p;
    if (*p != L'%') continue;
    ++p;
    if (*p == L'%') {
      out += *p;
      continue;
    }
    while (*p != L'\0' && std::wcschr(L"-+ #0123456789.*", *p) != nullptr) out += *p++;
    if (*p == L'\0') break;
    if (*p == L'h' && (p[1] == L's' || p[1] == L'c')) {
      out += *++p;
    } else if (*p == L's' || *p == L'c') {
      out += L'l';
      out += *p;
    } else {
      --p;  // a length modifier or another conversion: copied on the next turns
    }
  }
  return out;
}

int acutPrintf(const ACHAR* format, ...) {
  if (format == nullptr) return 0;
  const std::wstring posixFormat = acutHostFormat(format);
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(buf.data(), buf.size(), posixFormat.c_str(), args);
    va_end(args);
    if (n >= 0) {
      std::wstring text(buf.data(), static_cast<size_t>(n));
      acedPrintText(text);
      return n;
    }
    // vswprintf answers -1 both for a short buffer and for a bad format; stop growing
    // at a size no command-line message reaches.
    if (buf.size() > (1u << 20)) return -1;
    buf.resize(buf.size() * 4);
  }
}

std::string acutWideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring acutUtf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    char32_t c;
    size_t extra;
    if (b < 0x80) { c = b; extra = 0; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
    else { out += L'\uFFFD'; ++i; continue; }
    bool ok = true;
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (!ok) { out += L'\uFFFD'; ++i; continue; }
    out += static_cast<wchar_t>(c);
    i += extra + 1;
  }
  return out;
}
