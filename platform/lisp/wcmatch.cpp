// Matching text against the host's wild-card patterns: each comma-separated pattern is
// read into single-character tests and runs of "*", then matched by walking back to the
// last "*" on a mismatch.
#include "lisp/wcmatch.h"

#include <cstdint>
#include <cwctype>
#include <utility>
#include <vector>

namespace {

// One position of a pattern.
struct Element {
  enum Kind { kLiteral, kDigit, kLetter, kOther, kAny, kStar, kSet } kind = kLiteral;
  wchar_t literal = 0;
  bool negated = false;                              // [~...]
  std::vector<std::pair<wchar_t, wchar_t>> ranges;  // [...]: single characters are ranges of one
};

// The patterns of a pattern text, split at the commas that stand outside brackets and
// are not escaped.
std::vector<std::wstring> splitAtCommas(const std::wstring& pattern) {
  std::vector<std::wstring> parts(1);
  bool inBrackets = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    wchar_t c = pattern[i];
    if (c == L'`' && i + 1 < pattern.size()) {
      parts.back() += c;
      parts.back() += pattern[++i];
      continue;
    }
    if (c == L',' && !inBrackets) {
      parts.emplace_back();
      continue;
    }
    if (c == L'[' && !inBrackets) {
      inBrackets = true;
      // "]" right after "[" or "[~" is one of the enclosed characters.
      parts.back() += c;
      if (i + 1 < pattern.size() && pattern[i + 1] == L'~') parts.back() += pattern[++i];
      if (i + 1 < pattern.size() && pattern[i + 1] == L']') parts.back() += pattern[++i];
      continue;
    }
    if (c == L']') inBrackets = false;
    parts.back() += c;
  }
  return parts;
}

// Reads the enclosed characters after "[" at i; false when no "]" closes them, and the
// "[" then stands for itself.
bool readSet(const std::wstring& p, size_t& i, Element& set) {
  size_t k = i + 1;
  set.kind = Element::kSet;
  if (k < p.size() && p[k] == L'~') {
    set.negated = true;
    ++k;
  }
  size_t first = k;
  for (; k < p.size(); ++k) {
    if (p[k] == L']' && k != first) break;
    // "a-z" is a range; a "-" first or last in the brackets stands for itself.
    if (k + 2 < p.size() && p[k + 1] == L'-' && p[k + 2] != L']') {
      set.ranges.emplace_back(p[k], p[k + 2]);
      k += 2;
    } else {
      set.ranges.emplace_back(p[k], p[k]);
    }
  }
  if (k >= p.size()) return false;
  i = k;
  return true;
}

std::vector<Element> readPattern(const std::wstring& p) {
  std::vector<Element> elements;
  for (size_t i = 0; i < p.size(); ++i) {
    Element e;
    switch (p[i]) {
      case L'#': e.kind = Element::kDigit; break;
      case L'@': e.kind = Element::kLetter; break;
      case L'.': e.kind = Element::kOther; break;
      case L'?': e.kind = Element::kAny; break;
      case L'*': e.kind = Element::kStar; break;
      case L'[':
        if (!readSet(p, i, e)) {
          e = Element();
          e.literal = L'[';
        }
        break;
      case L'`':
        e.literal = i + 1 < p.size() ? p[++i] : L'`';
        break;
      default: e.literal = p[i];
    }
    elements.push_back(std::move(e));
  }
  return elements;
}

wchar_t folded(wchar_t c, bool ignoreCase) { return ignoreCase ? static_cast<wchar_t>(std::towupper(c)) : c; }

bool inRange(wchar_t c, const std::pair<wchar_t, wchar_t>& range, bool ignoreCase) {
  auto within = [&](wchar_t x) { return x >= range.first && x <= range.second; };
  if (within(c)) return true;
  return ignoreCase && (within(static_cast<wchar_t>(std::towupper(c))) || within(static_cast<wchar_t>(std::towlower(c))));
}

bool matchesOne(const Element& e, wchar_t c, bool ignoreCase) {
  switch (e.kind) {
    case Element::kLiteral: return folded(e.literal, ignoreCase) == folded(c, ignoreCase);
    case Element::kDigit: return c >= L'0' && c <= L'9';
    case Element::kLetter: return std::iswalpha(c) != 0;
    case Element::kOther: return std::iswalnum(c) == 0;
    case Element::kAny: return true;
    case Element::kStar: return false;
    case Element::kSet: {
      bool found = false;
      for (const auto& range : e.ranges) found = found || inRange(c, range, ignoreCase);
      return found != e.negated;
    }
  }
  return false;
}

// Every element but "*" takes one character; on a mismatch the last "*" takes one
// character more and matching resumes after it.
bool matches(const std::wstring& text, const std::vector<Element>& pattern, bool ignoreCase) {
  size_t t = 0, p = 0;
  size_t starAt = SIZE_MAX, textAtStar = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p].kind == Element::kStar) {
      starAt = p++;
      textAtStar = t;
    } else if (p < pattern.size() && matchesOne(pattern[p], text[t], ignoreCase)) {
      ++p;
      ++t;
    } else if (starAt != SIZE_MAX) {
      p = starAt + 1;
      t = ++textAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p].kind == Element::kStar) ++p;
  return p == pattern.size();
}

}  // namespace

bool lispWcMatch(const std::wstring& text, const std::wstring& pattern, bool ignoreCase) {
  for (const std::wstring& part : splitAtCommas(pattern)) {
    bool negated = !part.empty() && part[0] == L'~';
    if (matches(text, readPattern(negated ? part.substr(1) : part), ignoreCase) != negated) return true;
  }
  return false;
}
