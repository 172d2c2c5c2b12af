// The shared number texts: rounding and trimming, and feet-inches both ways.
#include <gtest/gtest.h>

#include "dialogs/number_text.h"

namespace {

// Rounds to the decimals asked for; trimming drops trailing zeros and a bare point.
TEST(NumberText, FormatRoundsAndTrims) {
  EXPECT_EQ(formatNumber(12.5, 5, true), L"12.5");
  EXPECT_EQ(formatNumber(0, 5, true), L"0");
  EXPECT_EQ(formatNumber(3.14159265, 4, true), L"3.1416");
  EXPECT_EQ(formatNumber(2.00004, 4, true), L"2");
  EXPECT_EQ(formatNumber(1200, 4, true), L"1200");  // zeros before the point stay
  EXPECT_EQ(formatNumber(12.5, 3, false), L"12.500");
  EXPECT_EQ(formatNumber(-0.00001, 4, true), L"0");  // no "-0"
  EXPECT_EQ(formatNumber(7.75, 0, true), L"8");
}

// Decimals beyond 10 are held to 10; below 0 to 0.
TEST(NumberText, FormatClampsDecimals) {
  EXPECT_EQ(formatNumber(1.0 / 3, 15, false), L"0.3333333333");
  EXPECT_EQ(formatNumber(1.0 / 3, -2, false), L"0");
}

// The examples the dialogs rely on, and texts that are not lengths.
TEST(NumberText, ParseFeetInches) {
  EXPECT_DOUBLE_EQ(parseFeetInches(L"5-6"), 66);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"-5-6"), -66);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"5"), 60);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"0-6.25"), 6.25);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"10-0"), 120);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"1.5-3"), 21);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"abc"), 0);
  EXPECT_DOUBLE_EQ(parseFeetInches(L""), 0);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"-"), 0);
  EXPECT_DOUBLE_EQ(parseFeetInches(L"2-x"), 24);  // inches that are not a number read 0
}

TEST(NumberText, FormatFeetInches) {
  EXPECT_EQ(formatFeetInches(66), L"5-6");
  EXPECT_EQ(formatFeetInches(60), L"5-0");
  EXPECT_EQ(formatFeetInches(6.25), L"0-6.25");
  EXPECT_EQ(formatFeetInches(-66), L"-5-6");
  EXPECT_EQ(formatFeetInches(0), L"0-0");
  EXPECT_EQ(formatFeetInches(-6.125), L"-0-6.125");
  EXPECT_EQ(formatFeetInches(1.23456), L"0-1.2346");
  EXPECT_EQ(formatFeetInches(23.99999), L"2-0");  // inches rounding to a foot carry over
}

// Writing then reading gives the length back (to the four decimals written).
TEST(NumberText, FeetInchesRoundTrip) {
  for (double inches : {0.0, 1.5, 11.75, 12.0, 66.0, 143.0625, -30.5, -144.0})
    EXPECT_DOUBLE_EQ(parseFeetInches(formatFeetInches(inches)), inches) << inches;
}

}  // namespace
