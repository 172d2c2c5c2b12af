// The shared number texts: rounding and trimming, and feet-inches both ways.
#include <gtest/gtest.h>

#include "dialogs/number_text.h"

namespace {

// Rounds to the decimals asked for (held to 0..10); trimming drops trailing zeros and a
// bare point but not zeros before the point, and never gives "-0".
TEST(NumberText, FormatRoundsAndTrims) {
  const struct {
    double value;
    int decimals;
    bool trim;
    const wchar_t* text;
  } cases[] = {
      {12.5, 5, true, L"12.5"}, {0, 5, true, L"0"},        {3.14159265, 4, true, L"3.1416"},
      {2.00004, 4, true, L"2"}, {1200, 4, true, L"1200"},  {12.5, 3, false, L"12.500"},
      {-0.00001, 4, true, L"0"}, {7.75, 0, true, L"8"},    {1.0 / 3, 15, false, L"0.3333333333"},
      {1.0 / 3, -2, false, L"0"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, c.decimals, c.trim), c.text) << c.value;
}

// Feet-inches texts both ways; texts that are not lengths read 0 (inches that are not a
// number read 0); inches rounding to a foot carry over; writing then reading gives the
// length back to the four decimals written.
TEST(NumberText, FeetInchesBothWays) {
  const std::pair<const wchar_t*, double> parsed[] = {
      {L"5-6", 66},   {L"-5-6", -66}, {L"5", 60}, {L"0-6.25", 6.25}, {L"10-0", 120}, {L"1.5-3", 21},
      {L"abc", 0},    {L"", 0},       {L"-", 0},  {L"2-x", 24},
  };
  for (const auto& [text, inches] : parsed) EXPECT_DOUBLE_EQ(parseFeetInches(text), inches) << text;
  const std::pair<double, const wchar_t*> formatted[] = {
      {66, L"5-6"},       {60, L"5-0"},           {6.25, L"0-6.25"},       {-66, L"-5-6"},
      {0, L"0-0"},        {-6.125, L"-0-6.125"},  {1.23456, L"0-1.2346"},  {23.99999, L"2-0"},
  };
  for (const auto& [inches, text] : formatted) EXPECT_EQ(formatFeetInches(inches), text) << inches;
  for (double inches : {0.0, 1.5, 11.75, 12.0, 66.0, 143.0625, -30.5, -144.0})
    EXPECT_DOUBLE_EQ(parseFeetInches(formatFeetInches(inches)), inches) << inches;
}

}  // namespace
