// The LISP reader and printer: what each reads, the host's printed forms of reals,
// strings, symbols and entity names, and the refusal of bad text.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "lisp/lisp_reader.h"
#include "test_lisp_fixture.h"

namespace {

// Reads text that must be whole and answers its forms.
std::vector<LispValue> readAll(const std::string& text) {
  std::vector<LispValue> forms;
  std::wstring error;
  EXPECT_TRUE(lispReadAll(text, forms, error)) << acutWideToUtf8(error);
  return forms;
}

std::wstring readError(const std::string& text) {
  std::vector<LispValue> forms;
  std::wstring error;
  EXPECT_FALSE(lispReadAll(text, forms, error)) << text;
  return error;
}

TEST(LispReader, NumbersOfEveryForm) {
  std::vector<LispValue> forms = readAll("1 -5 +7 1.5 .5 1e3 -2. 3000000000 -.25 2E-2");
  ASSERT_EQ(forms.size(), 10u);
  EXPECT_TRUE(forms[0].isInt());
  EXPECT_EQ(forms[0].intValue(), 1);
  EXPECT_EQ(forms[1].intValue(), -5);
  EXPECT_EQ(forms[2].intValue(), 7);
  const double reals[] = {1.5, 0.5, 1000.0, -2.0, 3e9, -0.25, 0.02};
  for (int k = 0; k < 7; ++k) {
    EXPECT_TRUE(forms[3 + k].isReal()) << k;
    EXPECT_DOUBLE_EQ(forms[3 + k].numberValue(), reals[k]);
  }
}

TEST(LispReader, SymbolsFoldToUpperCaseAndAlmostNumbersAreSymbols) {
  std::vector<LispValue> forms = readAll("abc Foo-Bar 1e - +. 1.2.3 c:ov_plumb-doToDo nil NIL t");
  ASSERT_EQ(forms.size(), 10u);
  const wchar_t* names[] = {L"ABC", L"FOO-BAR", L"1E", L"-", L"+.", L"1.2.3", L"C:OV_PLUMB-DOTODO"};
  for (int k = 0; k < 7; ++k) {
    EXPECT_TRUE(forms[k].isSymbol()) << k;
    EXPECT_EQ(forms[k].text(), names[k]);
  }
  EXPECT_TRUE(forms[7].isNil());
  EXPECT_TRUE(forms[8].isNil());
  EXPECT_TRUE(forms[9].isSymbol(L"T"));
}

TEST(LispReader, StringEscapes) {
  std::vector<LispValue> forms = readAll(R"("a\"b\\c\nd\te" "\1011\102" "\q" "")");
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_EQ(forms[0].text(), L"a\"b\\c\nd\te");
  EXPECT_EQ(forms[1].text(), L"A1B");  // an octal escape ends after three digits
  EXPECT_EQ(forms[2].text(), L"q");
  EXPECT_TRUE(forms[3].isString());
  EXPECT_EQ(forms[3].text(), L"");
}

TEST(LispReader, ListsDottedPairsQuotesAndComments) {
  std::vector<LispValue> forms = readAll(
      "(a (b . 2) ()) ; a comment\n'x '(1 . 2) ;| a block\ncomment |; (1 2 . 3)");
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_EQ(lispToString(forms[0]), L"(A (B . 2) nil)");
  EXPECT_EQ(lispToString(forms[1]), L"(QUOTE X)");
  EXPECT_EQ(lispToString(forms[2]), L"(QUOTE (1 . 2))");
  EXPECT_EQ(lispToString(forms[3]), L"(1 2 . 3)");
}

TEST(LispReader, UTF8TextReadsAsWideCharacters) {
  std::vector<LispValue> forms = readAll("\"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\"");
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(forms[0].text(), L"\u00e9t\u00e9 \u20ac");
}

TEST(LispReader, BadTextIsRefusedWithTheHostsMessages) {
  EXPECT_EQ(readError("(1 2"), L"malformed list on input");
  EXPECT_EQ(readError("(a (b)"), L"malformed list on input");
  EXPECT_EQ(readError(")"), L"extra right paren on input");
  EXPECT_EQ(readError("(1 . )"), L"misplaced dot on input");
  EXPECT_EQ(readError("(. 1)"), L"misplaced dot on input");
  EXPECT_EQ(readError("."), L"misplaced dot on input");
  EXPECT_EQ(readError("(1 . 2 3)"), L"misplaced dot on input");
  EXPECT_EQ(readError("(1 . 2 . 3)"), L"misplaced dot on input");
  EXPECT_EQ(readError("'."), L"misplaced dot on input");
  EXPECT_EQ(readError("\"abc"), L"malformed string on input");
  EXPECT_EQ(readError("\"abc\\"), L"malformed string on input");
  EXPECT_EQ(readError("'"), L"malformed list on input");
  EXPECT_EQ(readError("(a ')"), L"malformed list on input");
  EXPECT_EQ(readError(";| never closed"), L"malformed comment on input");
}

TEST(LispReader, FormsBeforeAFaultAreKept) {
  std::vector<LispValue> forms;
  std::wstring error;
  EXPECT_FALSE(lispReadAll(std::string("1 (2) (3"), forms, error));
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(lispToString(forms[1]), L"(2)");
}

TEST(LispReader, DeepNestingIsReadPrintedAndReleased) {
  const int depth = 200000;
  std::string text = std::string(depth, '(') + "x" + std::string(depth, ')');
  std::vector<LispValue> forms = readAll(text);
  ASSERT_EQ(forms.size(), 1u);
  std::wstring printed = lispToString(forms[0]);
  EXPECT_EQ(printed, std::wstring(depth, L'(') + L"X" + std::wstring(depth, L')'));
}

// Random text built from the reader's special characters: the reader must never
// crash, and whatever it accepts must print as text it reads back to the same print.
TEST(LispReader, RandomTextIsReadOrRefusedAndPrintsBackTheSame) {
  const std::string alphabet = "()'.\";|\\ \nab1e-5";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    std::vector<LispValue> forms;
    std::wstring error;
    if (!lispReadAll(text, forms, error)) {
      EXPECT_FALSE(error.empty()) << text;
      continue;
    }
    ++accepted;
    for (const LispValue& form : forms) {
      std::wstring printed = lispToString(form);
      std::vector<LispValue> again;
      ASSERT_TRUE(lispReadAll(printed, again, error)) << text << " printed as " << acutWideToUtf8(printed);
      ASSERT_EQ(again.size(), 1u) << acutWideToUtf8(printed);
      EXPECT_EQ(lispToString(again[0]), printed);
    }
  }
  EXPECT_GT(accepted, 100);
}

using LispPrint = LispFixture;

TEST_F(LispPrint, RealsShowSixSignificantDigitsAndAlwaysAPoint) {
  EXPECT_EQ(eval("4.0"), L"4.0");
  EXPECT_EQ(eval("12.5"), L"12.5");
  EXPECT_EQ(eval("(/ 1.0 3)"), L"0.333333");
  EXPECT_EQ(eval("-2."), L"-2.0");
  EXPECT_EQ(eval("1e8"), L"1.0e+08");
  EXPECT_EQ(eval("1.5e-7"), L"1.5e-07");
  EXPECT_EQ(eval("123456.0"), L"123456.0");
  EXPECT_EQ(eval("1234567.0"), L"1.23457e+06");
  EXPECT_EQ(eval("(/ 2.0 3)"), L"0.666667");
  EXPECT_EQ(eval("0.0"), L"0.0");
  EXPECT_EQ(lispFormatReal(std::numeric_limits<double>::infinity()), L"1.#INF");
}

TEST_F(LispPrint, Prin1EscapesAndPrincPrintsRaw) {
  runScript(R"((prin1 "a\"b\\c\nd"))");
  EXPECT_EQ(output_, LR"("a\"b\\c\nd")");
  runScript(R"((princ "a\"b\\c"))");
  EXPECT_EQ(output_, L"a\"b\\c");
  runScript(R"((princ '("x" 1.5 sym)) (prin1 '("x" 1.5 sym)))");
  EXPECT_EQ(output_, L"(x 1.5 SYM)(\"x\" 1.5 SYM)");
  runScript("(print 5) (print \"s\") (terpri)");
  EXPECT_EQ(output_, L"\n5 \n\"s\" \n");
  // Each answers its argument; with none there is nothing to print.
  EXPECT_EQ(eval("(princ \"q\")"), L"\"q\"");
  EXPECT_EQ(eval("(princ)"), L"");
}

TEST_F(LispPrint, SymbolsListsPairsAndSpecialValues) {
  EXPECT_EQ(eval("(quote abc)"), L"ABC");
  EXPECT_EQ(eval("'((1 2) \"x\" (a . b) (c . 1.5))"), L"((1 2) \"x\" (A . B) (C . 1.5))");
  EXPECT_EQ(eval("nil"), L"nil");
  EXPECT_EQ(eval("'(nil t)"), L"(nil T)");
  EXPECT_EQ(eval("(lambda (x) x)"), L"#<USUBR -lambda->");
}

TEST(LispPrinter, EntityNamesShowTheIdInLowerCaseHex) {
  AcDbObjectId id;
  id.setFromOldId(static_cast<std::intptr_t>(0x7ff6c1e05b10));
  EXPECT_EQ(lispToString(LispValue::ename(id)), L"<Entity name: 7ff6c1e05b10>");
  EXPECT_EQ(lispToString(LispValue::list({LispValue::ename(id)})), L"(<Entity name: 7ff6c1e05b10>)");
}

TEST(LispPrinter, ControlCharactersPrintAsEscapes) {
  EXPECT_EQ(lispToString(LispValue::string(std::wstring(L"a\tb\x01") + L'\x1b')), L"\"a\\tb\\001\\e\"");
  EXPECT_EQ(lispToString(LispValue::string(L"a\tb"), LispPrintStyle::kPrinc), L"a\tb");
}

}  // namespace
