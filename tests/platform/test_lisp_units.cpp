// Lengths and angles written in every mode, precision and zero style and read back:
// what rtos and angtos write must read (distof, angtof) as the number written, to
// half a unit of the last place shown, and write again as the same text. Random
// values find the carries and signs that hand-picked cases in lisp_strings.lsp miss.
// Wild-card patterns are checked against a second, table-driven reading of the same
// patterns over random texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <random>
#include <string>
#include <vector>

#include "lisp/lisp_units.h"
#include "lisp/wcmatch.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Half a unit of the last place a mode and precision show.
double halfUnit(int mode, int precision, double value) {
  if (mode == 4 || mode == 5) return 0.5 / std::pow(2.0, std::min(precision, 8));
  if (mode == 1) return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(value) + 1e-300)) - precision);
  return 0.5 * std::pow(10.0, -precision);
}

TEST(LispUnits, EveryLengthWrittenReadsBackAsTheNumberShownAndWritesTheSameAgain) {
  std::mt19937 random(28);
  std::uniform_real_distribution<double> lengths(-5000.0, 5000.0);
  std::vector<double> values{0.0, 11.9999, 12.0, -0.0001, 0.5, 1e-7, 123456.789};
  for (int k = 0; k < 300; ++k) values.push_back(lengths(random));
  for (double value : values) {
    for (int mode = 1; mode <= 5; ++mode) {
      for (int precision = 0; precision <= 8; ++precision) {
        for (LispUnitStyle style : {LispUnitStyle{0, 0}, LispUnitStyle{1, 0}, LispUnitStyle{2, 1}, LispUnitStyle{3, 0},
                                    LispUnitStyle{12, 1}}) {
          std::wstring text = lispFormatDistance(value, mode, precision, style);
          std::optional<double> back = lispParseDistance(text, mode);
          ASSERT_TRUE(back) << "mode " << mode << " precision " << precision << ": cannot read " << text.c_str();
          EXPECT_LE(std::fabs(*back - value), halfUnit(mode, precision, value) * (1 + 1e-9) + 1e-12)
              << value << " mode " << mode << " precision " << precision << " wrote " << std::string(text.begin(), text.end());
          EXPECT_EQ(lispFormatDistance(*back, mode, precision, style), text) << value << " mode " << mode;
        }
      }
    }
  }
}

// The difference of two angles, within one turn.
double turnDifference(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 2 * kPi);
  return std::min(d, 2 * kPi - d);
}

TEST(LispUnits, EveryAngleWrittenReadsBackWithinTheLastPlaceShown) {
  std::mt19937 random(28);
  std::uniform_real_distribution<double> angles(-10.0, 10.0);
  std::vector<double> values{0.0, kPi / 2, kPi, 1.5 * kPi, 2 * kPi - 1e-9, -kPi / 4};
  for (int k = 0; k < 300; ++k) values.push_back(angles(random));
  for (double value : values) {
    for (int unit = 0; unit <= 4; ++unit) {
      for (int precision = 0; precision <= 8; ++precision) {
        std::wstring text = lispFormatAngle(value, unit, precision, LispUnitStyle{});
        std::optional<double> back = lispParseAngle(text, unit);
        ASSERT_TRUE(back) << "unit " << unit << " precision " << precision << ": cannot read "
                          << std::string(text.begin(), text.end());
        ASSERT_GE(*back, 0.0);
        ASSERT_LT(*back, 2 * kPi);
        // The last place in degrees: degrees, minutes, seconds, decimals of seconds.
        double degrees = unit == 0   ? std::pow(10.0, -precision)
                         : unit == 2 ? 0.9 * std::pow(10.0, -precision)
                         : unit == 3 ? std::pow(10.0, -precision) * 180 / kPi
                         : precision == 0 ? 1.0
                         : precision <= 2 ? 1.0 / 60
                         : precision <= 4 ? 1.0 / 3600
                                          : std::pow(10.0, 4 - precision) / 3600;
        EXPECT_LE(turnDifference(*back, value), degrees * kPi / 180 * 0.5 * (1 + 1e-9) + 1e-12)
            << value << " unit " << unit << " precision " << precision << " wrote " << std::string(text.begin(), text.end());
      }
    }
  }
}

// The same patterns matched by a table of which pattern prefix matches which text
// prefix: no walking back, so it cannot share a fault of the matcher's backtracking.
bool oneMatches(const std::wstring& text, const std::wstring& pattern) {
  auto single = [](wchar_t p, wchar_t c) {
    switch (p) {
      case L'#': return std::iswdigit(c) != 0;
      case L'@': return std::iswalpha(c) != 0;
      case L'.': return std::iswalnum(c) == 0;
      case L'?': return true;
      default: return p == c;
    }
  };
  std::vector<std::vector<bool>> table(pattern.size() + 1, std::vector<bool>(text.size() + 1, false));
  table[0][0] = true;
  for (size_t p = 1; p <= pattern.size(); ++p) {
    for (size_t t = 0; t <= text.size(); ++t) {
      if (pattern[p - 1] == L'*') table[p][t] = table[p - 1][t] || (t > 0 && table[p][t - 1]);
      else table[p][t] = t > 0 && table[p - 1][t - 1] && single(pattern[p - 1], text[t - 1]);
    }
  }
  return table[pattern.size()][text.size()];
}

bool expectedMatch(const std::wstring& text, const std::wstring& pattern) {
  for (size_t start = 0;;) {
    size_t comma = pattern.find(L',', start);
    std::wstring one = pattern.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    bool negated = !one.empty() && one[0] == L'~';
    if (oneMatches(text, negated ? one.substr(1) : one) != negated) return true;
    if (comma == std::wstring::npos) return false;
    start = comma + 1;
  }
}

TEST(LispWcMatch, RandomPatternsMatchAsATableOfPrefixesSays) {
  std::mt19937 random(28);
  const std::wstring textLetters = L"ab1-A", patternLetters = L"ab1-A#@.*?,~";
  auto draw = [&](const std::wstring& from, size_t most) {
    std::wstring s;
    for (size_t n = std::uniform_int_distribution<size_t>(0, most)(random); n > 0; --n)
      s += from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    return s;
  };
  for (int k = 0; k < 5000; ++k) {
    std::wstring pattern = draw(patternLetters, 7), text = draw(textLetters, 7);
    EXPECT_EQ(lispWcMatch(text, pattern), expectedMatch(text, pattern))
        << std::string(pattern.begin(), pattern.end()) << " on " << std::string(text.begin(), text.end());
  }
}

}  // namespace
