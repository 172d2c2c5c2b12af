// The host's LISP evaluator and reader through their C++ interface: what the scripts
// lisp_builtins.lsp and lisp_reader.lsp cannot reach from LISP: script runs that go
// on after errors and end at a fault in their text, texts evaluated up to their first
// error, the recursion guards, and the reader's round trip.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "lisp/lisp_reader.h"
#include "test_lisp_fixture.h"

namespace {

using LispEval = LispFixture;

// A script prints its errors, goes on and counts them; a fault in its text ends it
// after the forms before it. Evaluating a text stops at its first error and prints
// nothing.
TEST_F(LispEval, ScriptsGoOnAfterErrorsAndTextsStopAtTheFirst) {
  EXPECT_EQ(lisp_.evaluateScript("(car 1) (cdr 2) 3"), 2);
  EXPECT_EQ(runScript("(princ \"a\") (princ \"b\") (princ "), L"ab\n; error: malformed list on input\n");
  EXPECT_EQ(runScript("(princ 1))"), L"1\n; error: extra right paren on input\n");
  output_.clear();
  EXPECT_EQ(eval("(setq s 1) (car 1) (setq s 2)"), L"; error: bad argument type: consp 1");
  EXPECT_EQ(eval("s"), L"1");
  EXPECT_EQ(eval("(setq s 3) (car"), L"; error: malformed list on input");
  EXPECT_EQ(eval("s"), L"3");
  EXPECT_EQ(output_, L"");
}

// Without a count limit the watch on the machine stack still stops runaway recursion;
// with one, it is the count that stops it.
TEST_F(LispEval, RunawayRecursionIsAnErrorNotACrash) {
  eval("(defun down (n) (+ 1 (down n)))");
  lisp_.setMaxDepth(std::numeric_limits<int>::max());
  EXPECT_EQ(eval("(down 1)"), L"; error: maximum recursion depth exceeded");
  lisp_.setMaxDepth(50);
  eval("(defun depth (n) (if (= n 0) 0 (1+ (depth (1- n)))))");
  EXPECT_EQ(eval("(depth 5)"), L"5");
  EXPECT_EQ(eval("(depth 100)"), L"; error: maximum recursion depth exceeded");
  EXPECT_EQ(eval("(+ 1 1)"), L"2");
}

TEST(LispReader, FormsBeforeAFaultAreKept) {
  std::vector<LispValue> forms;
  std::wstring error;
  EXPECT_FALSE(lispReadAll(std::string("1 (2) (3"), forms, error));
  EXPECT_EQ(error, L"malformed list on input");
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(lispToString(forms[1]), L"(2)");
}

TEST(LispReader, DeepNestingIsReadPrintedAndReleased) {
  const int depth = 200000;
  std::vector<LispValue> forms;
  std::wstring error;
  ASSERT_TRUE(lispReadAll(std::string(depth, '(') + "x" + std::string(depth, ')'), forms, error));
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(lispToString(forms[0]), std::wstring(depth, L'(') + L"X" + std::wstring(depth, L')'));
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

TEST(LispPrinter, EntityNamesShowTheIdInLowerCaseHex) {
  AcDbObjectId id;
  id.setFromOldId(static_cast<std::intptr_t>(0x7ff6c1e05b10));
  EXPECT_EQ(lispToString(LispValue::list({LispValue::ename(id)})), L"(<Entity name: 7ff6c1e05b10>)");
}

}  // namespace
