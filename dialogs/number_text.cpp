// Number and feet-inches texts shared by the dialogs.
#include "dialogs/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>

#include "grid/grid.h"

std::wstring formatNumber(double value, int decimals, bool trim) {
  decimals = std::clamp(decimals, 0, 10);
  if (!std::isfinite(value)) value = 0;
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::wstring text(buffer, buffer + std::char_traits<char>::length(buffer));
  if (trim && text.find(L'.') != std::wstring::npos) {
    text.erase(text.find_last_not_of(L'0') + 1);
    if (text.back() == L'.') text.pop_back();
  }
  // A value that rounds to nothing is zero, not "-0".
  if (text[0] == L'-' && text.find_first_not_of(L"-0.") == std::wstring::npos) text.erase(0, 1);
  return text;
}

double parseFeetInches(const std::wstring& text) {
  std::wstring rest = text.substr(std::min(text.size(), text.find_first_not_of(L" \t")));
  const bool negative = !rest.empty() && rest[0] == L'-';
  if (negative) rest.erase(0, 1);
  const double feet = ovGrid::leadingNumber(rest);
  const std::size_t dash = rest.find(L'-');
  const double inches = dash == std::wstring::npos ? 0 : ovGrid::leadingNumber(rest.substr(dash + 1));
  const double total = feet * 12 + inches;
  return negative ? -total : total;
}

std::wstring formatFeetInches(double inches) {
  if (!std::isfinite(inches)) inches = 0;
  const bool negative = inches < 0;
  const double size = std::fabs(inches);
  double feet = std::floor(size / 12);
  std::wstring rest = formatNumber(size - feet * 12, 4, true);
  // Inches that round up to a whole foot carry over (11.99999 is one foot).
  if (rest == L"12") {
    feet += 1;
    rest = L"0";
  }
  const std::wstring text = formatNumber(feet, 0, true) + L"-" + rest;
  return negative && text != L"0-0" ? L"-" + text : text;
}
