// Writing and reading lengths and angles in the host's units. Every rounding happens
// once, in whole units of the last place shown, so that a carry (11.999" to 1'-0")
// and the zero tests see the same number the text shows.
#include "lisp/lisp_units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>

#include "lisp/lisp_printer.h"
#include "lisp/lisp_reader.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Beyond this many units of the last place, a number is too large to count in them.
constexpr double kLargestCount = 9.0e15;

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Fixed decimals; a value that rounds to zero shows no sign.
std::string fixed(double value, int decimals) {
  char buf[512];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string text(buf, result.ptr);
  if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
  return text;
}

// DIMZIN's +8 (zeros after the last significant decimal, and then the point) and +4
// (the zero before the point) on a decimal number.
std::string withoutZeros(std::string text, int dimzin) {
  if ((dimzin & 8) && text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  size_t digits = text[0] == '-' ? 1 : 0;
  if ((dimzin & 4) && text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
  return text;
}

std::string decimal(double value, int decimals, int dimzin) { return withoutZeros(fixed(value, decimals), dimzin); }

std::string scientific(double value, int decimals, int dimzin) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, decimals);
  std::string text(buf, result.ptr);
  size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa[0] == '-' && mantissa.find_first_of("123456789") == std::string::npos) mantissa.erase(0, 1);
  return withoutZeros(mantissa, dimzin & 8) + "E" + text.substr(e + 1);
}

// A non-negative number in whole units of a fraction 1/denominator.
struct Fraction {
  long long whole = 0;
  long long numerator = 0;
  long long denominator = 1;
};

Fraction fractionOf(double value, int precision) {
  long long denominator = 1LL << std::clamp(precision, 0, 8);
  auto count = static_cast<long long>(std::round(value * static_cast<double>(denominator)));
  Fraction f{count / denominator, count % denominator, denominator};
  while (f.numerator != 0 && f.numerator % 2 == 0) {
    f.numerator /= 2;
    f.denominator /= 2;
  }
  return f;
}

// "17 1/2" ("17-1/2" as typed), "1/2" without its whole part unless asked, "17".
std::string fractionText(const Fraction& f, bool showZeroWhole, int unitmode) {
  std::string whole = std::to_string(f.whole);
  if (f.numerator == 0) return whole;
  std::string part = std::to_string(f.numerator) + "/" + std::to_string(f.denominator);
  if (f.whole == 0 && !showZeroWhole) return part;
  return whole + (unitmode == 1 ? "-" : " ") + part;
}

// Engineering (3) and architectural (4) lengths: feet and inches, with the zeros
// DIMZIN leaves out. When both would go, the inches stay.
std::string feetAndInches(double value, int mode, int precision, const LispUnitStyle& style) {
  double length = std::fabs(value);
  double feet = std::floor(length / 12.0);
  double inches = length - feet * 12.0;
  double roundedInches = 0.0;
  Fraction fraction;
  if (mode == 3) {
    double scale = std::pow(10.0, precision);
    roundedInches = std::round(inches * scale) / scale;
    if (roundedInches >= 12.0) {
      feet += 1.0;
      roundedInches -= 12.0;
    }
  } else {
    fraction = fractionOf(inches, precision);
    if (fraction.whole >= 12) {
      feet += 1.0;
      fraction.whole -= 12;
    }
    roundedInches = static_cast<double>(fraction.whole) + static_cast<double>(fraction.numerator) / fraction.denominator;
  }
  int zeros = style.dimzin & 3;
  bool showFeet = !(feet == 0.0 && (zeros == 0 || zeros == 3));
  bool showInches = !(roundedInches == 0.0 && (zeros == 0 || zeros == 2)) || !showFeet;
  std::string text;
  if (feet != 0.0 || roundedInches != 0.0) text = value < 0 ? "-" : "";
  if (showFeet) text += fixed(feet, 0) + "'";
  if (showInches) {
    if (showFeet && style.unitmode == 0) text += "-";
    text += mode == 3 ? decimal(roundedInches, precision, style.dimzin & 12) : fractionText(fraction, showFeet, style.unitmode);
    text += "\"";
  }
  return text;
}

std::string fractional(double value, int precision, const LispUnitStyle& style) {
  Fraction f = fractionOf(std::fabs(value), precision);
  bool zero = f.whole == 0 && f.numerator == 0;
  std::string text = fractionText(f, false, style.unitmode);
  if (value < 0 && !zero) text.insert(0, 1, '-');
  return text;
}

// ---- angles ------------------------------------------------------------------------

double normalized(double radians) {
  double a = std::fmod(radians, 2.0 * kPi);
  if (a < 0.0) a += 2.0 * kPi;
  return a >= 2.0 * kPi ? 0.0 : a;
}

// Degrees as "45d", "45d30'" or "45d30'15\"" (decimals of seconds past precision 4);
// shown is the value in degrees the text stands for.
std::string degreesMinutesSeconds(double degrees, int precision, int dimzin, double& shown) {
  int decimals = precision > 4 ? precision - 4 : 0;
  long long perDegree = precision == 0 ? 1 : (precision <= 2 ? 60 : 3600 * static_cast<long long>(std::pow(10, decimals)));
  auto count = static_cast<long long>(std::round(degrees * static_cast<double>(perDegree)));
  shown = static_cast<double>(count) / static_cast<double>(perDegree);
  std::string text = std::to_string(count / perDegree) + "d";
  if (precision == 0) return text;
  long long perMinute = perDegree / 60;
  text += std::to_string((count % perDegree) / perMinute) + "'";
  if (precision <= 2) return text;
  double seconds = static_cast<double>(count % perMinute) / static_cast<double>(perMinute / 60);
  return text + decimal(seconds, decimals, dimzin & 8) + "\"";
}

// A decimal angle in units of which a full turn is `turn`; a value that rounds to a
// full turn is written as 0.
std::string decimalAngle(double radians, double turn, int precision, int dimzin) {
  double scale = std::pow(10.0, precision);
  double rounded = std::round(radians / (2.0 * kPi) * turn * scale) / scale;
  return decimal(rounded >= turn ? rounded - turn : rounded, precision, dimzin);
}

std::string surveyors(double radians, int precision, const LispUnitStyle& style) {
  double degrees = radians * 180.0 / kPi;
  char ns = degrees <= 180.0 ? 'N' : 'S';
  double fromAxis = degrees <= 90.0 ? 90.0 - degrees : (degrees <= 180.0 ? degrees - 90.0 : (degrees <= 270.0 ? 270.0 - degrees : degrees - 270.0));
  char ew = (degrees <= 90.0 || degrees > 270.0) ? 'E' : 'W';
  double shown = 0.0;
  std::string bearing = degreesMinutesSeconds(fromAxis, precision, style.dimzin, shown);
  if (shown == 0.0) return std::string(1, ns);
  if (shown == 90.0) return std::string(1, ew);
  std::string gap = style.unitmode == 1 ? "" : " ";
  return ns + gap + bearing + gap + ew;
}

// ---- reading -----------------------------------------------------------------------

class TextReader {
 public:
  explicit TextReader(const std::wstring& text) : text_(text) {}

  void blanks() {
    while (pos_ < text_.size() && std::iswspace(text_[pos_])) ++pos_;
  }
  bool take(wchar_t c) {
    if (pos_ < text_.size() && std::towlower(text_[pos_]) == std::towlower(c)) return ++pos_, true;
    return false;
  }
  bool atEnd() {
    blanks();
    return pos_ == text_.size();
  }
  size_t mark() const { return pos_; }
  void reset(size_t mark) { pos_ = mark; }

  // A number without a sign: digits with an optional point and exponent.
  bool number(double& value) {
    if (pos_ >= text_.size() || text_[pos_] == L'+' || text_[pos_] == L'-') return false;
    size_t length = lispNumberPrefixLength(text_, pos_);
    if (length == 0) return false;
    value = lispParseReal(text_.substr(pos_, length));
    pos_ += length;
    return true;
  }

  // A number that may be a fraction: "5.5", "1/2", "5 1/2", "5-1/2".
  bool mixedNumber(double& value) {
    if (!number(value)) return false;
    if (fraction(value, 0.0)) return true;
    size_t afterWhole = pos_;
    if (take(L' ') || take(L'-')) {
      blanks();
      double numerator = 0.0;
      if (number(numerator) && fraction(numerator, value)) {
        value = numerator;
        return true;
      }
    }
    reset(afterWhole);
    return true;
  }

  // An optional sign; true for "-".
  bool sign() {
    blanks();
    if (take(L'-')) return true;
    take(L'+');
    return false;
  }

 private:
  // After a numerator: "/denominator" makes whole + numerator/denominator of it.
  bool fraction(double& numerator, double whole) {
    size_t before = pos_;
    double denominator = 0.0;
    if (take(L'/') && number(denominator) && denominator != 0.0) {
      numerator = whole + numerator / denominator;
      return true;
    }
    reset(before);
    return false;
  }

  const std::wstring& text_;
  size_t pos_ = 0;
};

std::optional<double> plainNumber(const std::wstring& text) {
  size_t start = 0;
  while (start < text.size() && std::iswspace(text[start])) ++start;
  size_t end = text.size();
  while (end > start && std::iswspace(text[end - 1])) --end;
  if (end == start || lispNumberPrefixLength(text, start) != end - start) return std::nullopt;
  return lispParseReal(text.substr(start, end - start));
}

// Feet and inches in any of the forms rtos writes and a user types: 1'-5.50", 1'5-1/2",
// 1'-5 1/2", 1', 5.5", 5 1/2, 17.5 (inches).
std::optional<double> feetAndInchesValue(const std::wstring& text) {
  TextReader in(text);
  bool negative = in.sign();
  double feet = 0.0, inches = 0.0;
  bool any = false;
  size_t start = in.mark();
  if (in.number(feet) && in.take(L'\'')) {
    any = true;
    in.blanks();
    in.take(L'-');
  } else {
    feet = 0.0;
    in.reset(start);
  }
  in.blanks();
  if (!in.atEnd()) {
    if (!in.mixedNumber(inches)) return std::nullopt;
    in.take(L'"');
    any = true;
  }
  if (!any || !in.atEnd()) return std::nullopt;
  double length = feet * 12.0 + inches;
  return negative ? -length : length;
}

std::optional<double> fractionalValue(const std::wstring& text) {
  TextReader in(text);
  bool negative = in.sign();
  double value = 0.0;
  if (!in.mixedNumber(value) || !in.atEnd()) return std::nullopt;
  return negative ? -value : value;
}

// Degrees as "45", "45d", "45d30'", "45d30'15.5\"".
bool readDegrees(TextReader& in, double& degrees) {
  if (!in.number(degrees)) return false;
  if (!in.take(L'd')) return true;
  size_t afterDegrees = in.mark();
  double minutes = 0.0, seconds = 0.0;
  if (!in.number(minutes) || !in.take(L'\'')) {
    in.reset(afterDegrees);
    return true;
  }
  size_t afterMinutes = in.mark();
  if (!in.number(seconds) || !in.take(L'"')) {
    in.reset(afterMinutes);
    seconds = 0.0;
  }
  degrees += minutes / 60.0 + seconds / 3600.0;
  return true;
}

std::optional<double> surveyorsValue(const std::wstring& text) {
  TextReader in(text);
  in.blanks();
  for (auto [letter, degrees] : {std::pair{L'N', 90.0}, std::pair{L'S', 270.0}, std::pair{L'E', 0.0}, std::pair{L'W', 180.0}}) {
    size_t start = in.mark();
    if (in.take(letter) && in.atEnd()) return degrees;
    in.reset(start);
  }
  bool north = in.take(L'N');
  if (!north && !in.take(L'S')) return std::nullopt;
  in.blanks();
  double bearing = 0.0;
  if (!readDegrees(in, bearing) || bearing > 90.0) return std::nullopt;
  in.blanks();
  bool east = in.take(L'E');
  if ((!east && !in.take(L'W')) || !in.atEnd()) return std::nullopt;
  if (north) return east ? 90.0 - bearing : 90.0 + bearing;
  return east ? 270.0 + bearing : 270.0 - bearing;
}

}  // namespace

std::wstring lispFormatDistance(double value, int mode, int precision, const LispUnitStyle& style) {
  if (!std::isfinite(value)) return lispFormatReal(value);
  bool countable = std::fabs(value) * std::pow(2.0, std::min(precision, 8)) < kLargestCount;
  switch (mode) {
    case 1: return widen(scientific(value, precision, style.dimzin));
    case 3:
    case 4:
      if (countable) return widen(feetAndInches(value, mode, precision, style));
      break;
    case 5:
      if (countable) return widen(fractional(value, precision, style));
      break;
    default: break;
  }
  return widen(decimal(value, precision, style.dimzin));
}

std::wstring lispFormatAngle(double radians, int unit, int precision, const LispUnitStyle& style) {
  if (!std::isfinite(radians)) return lispFormatReal(radians);
  double a = normalized(radians);
  double shown = 0.0;
  switch (unit) {
    case 1: {
      std::string text = degreesMinutesSeconds(a * 180.0 / kPi, precision, style.dimzin, shown);
      return widen(shown >= 360.0 ? degreesMinutesSeconds(0.0, precision, style.dimzin, shown) : text);
    }
    case 2: return widen(decimalAngle(a, 400.0, precision, style.dimzin) + "g");
    case 3: return widen(decimal(a, precision, style.dimzin) + "r");
    case 4: return widen(surveyors(a, precision, style));
    default: return widen(decimalAngle(a, 360.0, precision, style.dimzin));
  }
}

std::optional<double> lispParseDistance(const std::wstring& text, int mode) {
  if (std::optional<double> plain = plainNumber(text)) return plain;
  if (mode == 3 || mode == 4) return feetAndInchesValue(text);
  if (mode == 5) return fractionalValue(text);
  return std::nullopt;
}

std::optional<double> lispParseAngle(const std::wstring& text, int unit) {
  std::optional<double> degrees;
  if (unit == 4) {
    degrees = surveyorsValue(text);
    if (!degrees) degrees = plainNumber(text);
  } else {
    TextReader in(text);
    bool negative = in.sign();
    double value = 0.0;
    bool read = unit <= 1 ? readDegrees(in, value) : in.number(value);
    if (read && unit == 2) in.take(L'g');
    if (read && unit == 3) in.take(L'r');
    if (!read || !in.atEnd()) return std::nullopt;
    if (negative) value = -value;
    if (unit == 3) return normalized(value);
    degrees = unit == 2 ? value * 0.9 : value;
  }
  if (!degrees) return std::nullopt;
  return normalized(*degrees * kPi / 180.0);
}
