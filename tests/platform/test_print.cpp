// The host's command-line printing: plug-in formats are the host's, where %s is a wide
// text and %hs a narrow one, whatever the C library's wide printf thinks; the text goes
// out as UTF-8.
#include <gtest/gtest.h>

#include "arx/aced_print.h"
#include "arx/resbuf.h"

namespace {

class HostPrintf : public ::testing::Test {
 protected:
  HostPrintf() { previous_ = acedSetPrintSink([this](const std::wstring& t) { printed_ += t; }); }
  ~HostPrintf() override { acedSetPrintSink(previous_); }
  std::wstring printed_;

 private:
  AcedPrintSink previous_;
};

TEST_F(HostPrintf, WideAndNarrowTextsAsTheHostReadsThem) {
  acutPrintf(L"%s", L"\nBad data passed .\n");
  acutPrintf(L"[%hs|%s|%ls]", "narrow", L"wide", L"long");
  acutPrintf(L"%c%hc", L'w', 'n');
  EXPECT_EQ(printed_, L"\nBad data passed .\n[narrow|wide|long]wn");
}

TEST_F(HostPrintf, NumbersWidthsAndPercentSignsAreUntouched) {
  acutPrintf(L"%5.2f|%-4d|%ld|%u|%%s|%10s|%i", 3.14159, 7, 123456789L, 42u, L"right", -3);
  EXPECT_EQ(printed_, L" 3.14|7   |123456789|42|%s|     right|-3");
  EXPECT_EQ(acutHostFormat(L"%s %hs %ls %% %d %5s"), L"%ls %s %ls %% %d %5ls");
  // A format cut short after its percent sign stays as it was.
  EXPECT_EQ(acutHostFormat(L"100%"), L"100%");
  EXPECT_EQ(acutHostFormat(L"%-"), L"%-");
}

// U+07FF is the last character of two bytes in UTF-8, U+0800 the first of three.
TEST(HostText, WideTextGoesOutAsUtf8) {
  EXPECT_EQ(acutWideToUtf8(L"\u07FF\u0800"), "\xDF\xBF\xE0\xA0\x80");
}

}  // namespace
