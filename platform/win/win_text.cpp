// Case folding, wildcard matching and text-file lines with the platform's rules.
#include "win/win_text.h"

#include <cstddef>
#include <vector>

#include "arx/aced_print.h"

wchar_t winUpperChar(wchar_t c) {
  const auto u = static_cast<unsigned long>(c);
  if (u >= L'a' && u <= L'z') return static_cast<wchar_t>(u - 0x20);
  if (u < 0xE0) return c;
  // Latin-1: à..þ map down by 0x20, except the division sign; ÿ goes to Ÿ.
  if (u <= 0xFE) return u == 0xF7 ? c : static_cast<wchar_t>(u - 0x20);
  if (u == 0xFF) return static_cast<wchar_t>(0x178);
  // Latin Extended-A: pairs of upper and lower letters, upper first, except in the two
  // runs where the pairs start on an odd code.
  if (u >= 0x100 && u <= 0x17E) {
    const bool oddPairs = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149) return c;
    if (oddPairs) return (u % 2 == 0) ? static_cast<wchar_t>(u - 1) : c;
    return (u % 2 == 1) ? static_cast<wchar_t>(u - 1) : c;
  }
  // Greek: α..ω, with the final sigma folded like the other sigma.
  if (u == 0x3C2) return static_cast<wchar_t>(0x3A3);
  if (u >= 0x3B1 && u <= 0x3C9) return static_cast<wchar_t>(u - 0x20);
  // Cyrillic: а..я, and ѐ..џ.
  if (u >= 0x430 && u <= 0x44F) return static_cast<wchar_t>(u - 0x20);
  if (u >= 0x450 && u <= 0x45F) return static_cast<wchar_t>(u - 0x50);
  return c;
}

std::wstring winUpper(const std::wstring& text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = winUpperChar(c);
  return out;
}

int winCompareNoCase(const std::wstring& a, const std::wstring& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t x = winUpperChar(a[i]);
    const wchar_t y = winUpperChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool winEqualNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && winCompareNoCase(a, b) == 0;
}

bool winMatchWildcard(const std::wstring& pattern, const std::wstring& name) {
  if (pattern == L"*.*") return true;
  // Dynamic programming over (pattern position, name position) keeps long runs of `*`
  // linear instead of exponential.
  const std::size_t m = pattern.size();
  const std::size_t n = name.size();
  std::vector<char> row(n + 1, 0), next(n + 1, 0);
  row[0] = 1;
  for (std::size_t i = 0; i < m; ++i) {
    const wchar_t p = pattern[i];
    next.assign(n + 1, 0);
    if (p == L'*') {
      char reachable = 0;
      for (std::size_t j = 0; j <= n; ++j) {
        reachable = static_cast<char>(reachable | row[j]);
        next[j] = reachable;
      }
    } else {
      for (std::size_t j = 0; j < n; ++j) {
        if (row[j] && (p == L'?' || winUpperChar(p) == winUpperChar(name[j]))) next[j + 1] = 1;
      }
    }
    row.swap(next);
  }
  return row[n] != 0;
}

std::wstring winTrim(const std::wstring& text) {
  const auto first = text.find_first_not_of(L" \t\r");
  if (first == std::wstring::npos) return L"";
  const auto last = text.find_last_not_of(L" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::wstring> winTextLines(const std::string& utf8) {
  std::wstring text = acutUtf8ToWide(utf8);
  if (!text.empty() && text[0] == L'\uFEFF') text.erase(0, 1);
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(winTrim(text.substr(start, end - start)));
    start = end + 1;
  }
  return lines;
}
