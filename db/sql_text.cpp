// The SQL text literal rule.
#include "db/sql_text.h"

std::wstring sqlText(const std::wstring& text) {
  if (text.empty()) return L"' '";
  std::wstring literal;
  literal.reserve(text.size() + 2);
  literal += L'\'';
  for (wchar_t c : text) {
    if (c == L'\'') literal += L'\'';
    literal += c;
  }
  literal += L'\'';
  return literal;
}
