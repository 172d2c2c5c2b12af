// DXF's fast paths: numbers, codes and handles formatted without printf (checked
// against printf), the compact groups a whole-file read keeps (checked for values and
// for what reused storage could leave behind), and the reader over groups it does not
// own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/dxf_filer_mem.h"

namespace {

// What printf's %g gives, with the decimal point a real keeps.
std::string printfReal(double v, int digits) {
  if (v == 0.0) v = 0.0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  std::string s = buf;
  if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
  return s;
}

std::string writtenReal(double v, int digits) {
  AcDbMemDxfWriter w(nullptr, digits);
  EXPECT_EQ(w.writeDouble(AcDb::kDxfReal, v), Acad::eOk);
  const std::string& t = w.text();
  // " 40\n" then the value and its line end.
  return t.size() > 5 ? t.substr(4, t.size() - 5) : std::string();
}

TEST(DxfFastPaths, RealsAreWrittenAsPrintfWritesThem) {
  const double tricky[] = {0.0,     -0.0,    1.0,     -1.0,   0.1,     2.5,      0.5,      1e20,
                           1e-5,    1e-4,    123456789012345678.0,     1e16,     1e15,     9.999999999999999e15,
                           0.3,     1.0 / 3, 2.0 / 3, 1234.5, 99.95,   5e-324,   std::numeric_limits<double>::max(),
                           1e100,   1e-100,  3.14159265358979,  42.0, -273.15,  6.02214076e23};
  for (double v : tricky)
    for (int digits = 1; digits <= 17; ++digits) EXPECT_EQ(writtenReal(v, digits), printfReal(v, digits)) << v;
  // Coordinates of a drawing: many digits after the point, some exactly halfway.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> coord(-1e6, 1e6);
  for (int i = 0; i < 20000; ++i) {
    double v = coord(rng);
    if (i % 4 == 0) v = std::round(v * 8) / 8;  // binary fractions round to even in the last digit
    for (int digits : {6, 15, 16, 17}) ASSERT_EQ(writtenReal(v, digits), printfReal(v, digits)) << v;
  }
}

TEST(DxfFastPaths, CodesAreRightAlignedAndHandlesUpperCaseHex) {
  AcDbMemDxfWriter w;
  w.group(0, L"LINE");
  w.group(5, L"x");
  w.group(10, 1.0);
  w.group(100, L"AcDbLine");
  w.group(1000, L"note");
  w.group(90, -70000);
  w.groupHandle(5, AcDbHandle(0xABCDEF12));
  w.groupHandle(330, AcDbHandle());
  EXPECT_EQ(w.text(),
            "  0\nLINE\n  5\nx\n 10\n1.0\n100\nAcDbLine\n1000\nnote\n 90\n-70000\n  5\nABCDEF12\n330\n0\n");
}

TEST(DxfFastPaths, TextsAreEscapedCharacterByCharacter) {
  AcDbMemDxfWriter w;
  w.group(1, L"a^b^A\t\u00e9\U0001F600^");
  // A caret before a letter that would read as an escape becomes "^ ", a tab "^I",
  // é one escape and a character beyond the basic plane its two halves.
  EXPECT_EQ(w.text(), "  1\na^b^ A^I\\U+00E9\\U+D83D\\U+DE00^ \n");
}

// A text every kind of group is in, with CRLF line ends and blanks around codes.
const std::string kMixed =
    "\xEF\xBB\xBF  0\r\nSECTION\r\n  2\nENTITIES\n  0\n\\U+0045OF\n  5\n 1A2b \n 10\n1.5\n 20\n-2\n 30\n3e2\n"
    " 11\n4\n 21\n5\n 40\n0.25\n 70\n65535\n 90\n-5\n160\n123456789012\n310\n0aFF\n330\n 2C \n"
    "  1\ncaf\xC3\xA9 ^Ja\n  1\nLatin \xE9\n";

// The full groups are made one by one into fresh groups; here one group is used again
// and again, from the last to the first, so that nothing of a group made before may
// stay behind in the next.
TEST(DxfFastPaths, RawGroupsMakeTheSameGroupsIntoReusedStorage) {
  std::vector<AcDbDxfGroup> full;
  std::vector<AcDbDxfRawGroup> raw;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups(kMixed, full, error), Acad::eOk) << acutWideToUtf8(error);
  ASSERT_EQ(acdbParseDxfRawGroups(kMixed, raw, error), Acad::eOk) << acutWideToUtf8(error);
  ASSERT_EQ(raw.size(), full.size());
  ASSERT_EQ(raw.size(), 14u);
  AcDbDxfGroup made;
  made.text = L"left over from the group before";
  made.bytes = {1, 2, 3};
  for (size_t i = raw.size(); i-- > 0;) {
    acdbDxfGroupOf(raw[i], made);
    SCOPED_TRACE(full[i].code);
    EXPECT_EQ(made.code, full[i].code);
    EXPECT_EQ(made.line, full[i].line);
    EXPECT_EQ(made.kind, full[i].kind);
    EXPECT_EQ(made.text, full[i].text);
    EXPECT_EQ(made.real, full[i].real);
    EXPECT_EQ(made.integer, full[i].integer);
    EXPECT_TRUE(made.point.isEqualTo(full[i].point));
    EXPECT_EQ(made.bytes, full[i].bytes);
  }
  // The values themselves.
  EXPECT_EQ(full[2].text, L"EOF");
  EXPECT_EQ(full[3].text, L" 1A2b ");  // 5 is a text group: its blanks stay
  EXPECT_TRUE(full[4].point.isEqualTo(AcGePoint3d(1.5, -2, 300)));
  EXPECT_TRUE(full[5].point.isEqualTo(AcGePoint3d(4, 5, 0)));  // a 2D point
  EXPECT_EQ(full[7].integer, -1);                               // 65535 as a 16-bit integer
  EXPECT_EQ(full[9].integer, 123456789012);
  EXPECT_EQ(full[10].bytes, (std::vector<unsigned char>{0x0A, 0xFF}));
  EXPECT_EQ(full[11].integer, 0x2C);
  EXPECT_EQ(full[11].text, L"2C");  // a reference's handle, without its blanks
  EXPECT_EQ(full[12].text, L"caf\u00e9 \na");
  EXPECT_EQ(full[13].text, L"Latin \u00e9");  // not UTF-8: one character per byte
}

TEST(DxfFastPaths, RawGroupsAnswerOnlyForTheirOwnKind) {
  std::vector<AcDbDxfRawGroup> raw;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfRawGroups(kMixed, raw, error), Acad::eOk);
  // An escaped type name is still its name; a different code or text is not.
  EXPECT_TRUE(raw[2].is(0, L"EOF"));
  EXPECT_FALSE(raw[2].is(1, L"EOF"));
  EXPECT_FALSE(raw[2].is(0, L"EO"));
  EXPECT_FALSE(raw[2].is(0, L"EOFS"));
  EXPECT_TRUE(raw[0].is(0, L"SECTION"));
  EXPECT_TRUE(raw[12].is(1, L"caf\u00e9 \na"));
  // A real has no integer, an integer no real, neither a point or a text.
  EXPECT_EQ(raw[6].real(), 0.25);
  EXPECT_EQ(raw[6].integer(), 0);
  EXPECT_EQ(raw[8].integer(), -5);
  EXPECT_EQ(raw[8].real(), 0.0);
  EXPECT_TRUE(raw[8].point().isEqualTo(AcGePoint3d::kOrigin));
  EXPECT_EQ(raw[8].text(), L"");
  EXPECT_EQ(raw[3].text(), L" 1A2b ");
  EXPECT_EQ(raw[3].integer(), 0);
  EXPECT_EQ(raw[11].text(), L"2C");
  EXPECT_EQ(raw[11].integer(), 0x2C);
  EXPECT_EQ(raw[10].text(), L"");  // binary data is no text
}

// The parser reads the text in place; the lines it names must still be the file's.
TEST(DxfFastPaths, RawParseNamesTheLinesOfWhatItRefuses) {
  std::vector<AcDbDxfRawGroup> raw;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n 10\n1\n 20\n2\n 30\nabc\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 8: \"abc\" is not a number (group code 30)");
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n 10\n1\n 30\n2\n", raw, error), Acad::eBadDxfSequence);
  EXPECT_EQ(error, L"line 3: the point of group code 10 has no y (group code 20)");
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n 10\n1\n 20\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 5: group code 20 has no value (the file ends there)");
  EXPECT_EQ(acdbParseDxfRawGroups("\xEF\xBB\xBF 70\r\n70000\r\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 2: \"70000\" is not a 16-bit integer (group code 70)");
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n  \n 8\n0\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 3: \"\" is not a group code");
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n  0\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 3: group code 0 has no value (the file ends there)");
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nLINE\n310\nABC\n", raw, error), Acad::eBadFileFormat);
  EXPECT_EQ(error, L"line 4: \"ABC\" is not binary data in hex (group code 310)");
  // Blank lines after the last group end the file.
  EXPECT_EQ(acdbParseDxfRawGroups("  0\nEOF\n\n \r\n\t\n", raw, error), Acad::eOk);
  EXPECT_EQ(raw.size(), 1u);
}

TEST(DxfFastPaths, ReaderOverBorrowedGroupsReadsThemInPlace) {
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups("100\nAcDbEntity\n  8\nPipes\n100\nAcDbLine\n 10\n1\n 20\n2\n 40\n3\n", groups, error),
            Acad::eOk);
  AcDbMemDxfReader reader(groups.data() + 1, groups.size() - 1, nullptr);  // from the layer on
  // Its groups hold markers, so a marker that is not next is not there.
  EXPECT_FALSE(reader.atSubclassData(L"AcDbEntity"));
  resbuf rb{};
  ASSERT_EQ(reader.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 8);
  EXPECT_STREQ(rb.resval.rstring, L"Pipes");
  delete[] rb.resval.rstring;
  EXPECT_TRUE(reader.atSubclassData(L"AcDbLine"));
  ASSERT_EQ(reader.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.resval.rpoint[1], 2.0);
  ASSERT_EQ(reader.pushBackItem(), Acad::eOk);
  ASSERT_EQ(reader.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 10);
  ASSERT_EQ(reader.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.resval.rreal, 3.0);
  EXPECT_EQ(reader.readItem(&rb), Acad::eEndOfObject);
  EXPECT_EQ(reader.currentLine(), 11);
  // The groups were only borrowed.
  EXPECT_EQ(groups.size(), 5u);
  EXPECT_EQ(groups[1].text, L"Pipes");

  AcDbMemDxfReader none(nullptr, 3, nullptr);
  EXPECT_TRUE(none.atEOF());
  EXPECT_EQ(none.readItem(&rb), Acad::eEndOfObject);
}

}  // namespace
