// The host's LISP evaluator: arithmetic, strings, lists, functions and scope, control
// forms, errors that do not stop a script, and the guard against runaway recursion.
#include <gtest/gtest.h>

#include <limits>

#include "lisp/lisp_args.h"
#include "test_lisp_fixture.h"

namespace {

using LispEval = LispFixture;

TEST_F(LispEval, IntegersStayIntegersUntilARealJoins) {
  EXPECT_EQ(eval("(+ 1 2)"), L"3");
  EXPECT_EQ(eval("(+ 1 2.0)"), L"3.0");
  EXPECT_EQ(eval("(/ 7 2)"), L"3");
  EXPECT_EQ(eval("(/ -7 2)"), L"-3");
  EXPECT_EQ(eval("(/ 7 2.0)"), L"3.5");
  EXPECT_EQ(eval("(- 5)"), L"-5");
  EXPECT_EQ(eval("(- 10 1 2.5)"), L"6.5");
  EXPECT_EQ(eval("(* 2 3 4)"), L"24");
  EXPECT_EQ(eval("(+)"), L"0");
  EXPECT_EQ(eval("(rem 7 3)"), L"1");
  EXPECT_EQ(eval("(rem -7 2)"), L"-1");
  EXPECT_EQ(eval("(rem 7.5 2)"), L"1.5");
  EXPECT_EQ(eval("(1+ 1.5)"), L"2.5");
  EXPECT_EQ(eval("(1- 0)"), L"-1");
  EXPECT_EQ(eval("(abs -3)"), L"3");
  EXPECT_EQ(eval("(min 3 1 2)"), L"1");
  EXPECT_EQ(eval("(min 3 1.0 2)"), L"1.0");
  EXPECT_EQ(eval("(max 1 5 3)"), L"5");
  EXPECT_EQ(eval("(fix 3.7)"), L"3");
  EXPECT_EQ(eval("(fix -3.7)"), L"-3");
  EXPECT_EQ(eval("(fix 1e10)"), L"1.0e+10");  // beyond 32 bits fix answers a real
  EXPECT_EQ(eval("(float 2)"), L"2.0");
  EXPECT_EQ(eval("(sqrt 16)"), L"4.0");
  EXPECT_EQ(eval("(expt 2 10)"), L"1024");
  EXPECT_EQ(eval("(expt 2.0 -1)"), L"0.5");
  EXPECT_EQ(eval("(sin 0)"), L"0.0");
  EXPECT_EQ(eval("(cos 0)"), L"1.0");
  EXPECT_EQ(eval("(atan 1)"), L"0.785398");
  EXPECT_EQ(eval("(atan 1 -1)"), L"2.35619");
  EXPECT_EQ(eval("(* pi 2)"), L"6.28319");
}

TEST_F(LispEval, IntegerOverflowWrapsAround) {
  EXPECT_EQ(eval("(+ 2147483647 1)"), L"-2147483648");
  EXPECT_EQ(eval("(* 65536 65536)"), L"0");
  EXPECT_EQ(eval("(- -2147483648 1)"), L"2147483647");
  EXPECT_EQ(eval("(abs -2147483648)"), L"-2147483648");
  EXPECT_EQ(eval("(/ -2147483648 -1)"), L"-2147483648");
  EXPECT_EQ(eval("(1+ 2147483647)"), L"-2147483648");
  // A literal beyond 32 bits is read as a real.
  EXPECT_EQ(eval("3000000000"), L"3.0e+09");
}

TEST_F(LispEval, DivisionByZeroIsAnError) {
  EXPECT_EQ(eval("(/ 1 0)"), L"; error: divide by zero");
  EXPECT_EQ(eval("(/ 1.0 0)"), L"; error: divide by zero");
  EXPECT_EQ(eval("(rem 5 0)"), L"; error: divide by zero");
  EXPECT_EQ(eval("(sqrt -1)"), L"; error: function undefined for argument: -1");
}

TEST_F(LispEval, ComparisonsOfNumbersAndStrings) {
  EXPECT_EQ(eval("(= 1 1.0)"), L"T");
  EXPECT_EQ(eval("(= 1 1 2)"), L"nil");
  EXPECT_EQ(eval("(= \"a\" \"a\")"), L"T");
  EXPECT_EQ(eval("(/= 1 2)"), L"T");
  EXPECT_EQ(eval("(/= 1 1)"), L"nil");
  EXPECT_EQ(eval("(< 1 2 3)"), L"T");
  EXPECT_EQ(eval("(< 1 3 2)"), L"nil");
  EXPECT_EQ(eval("(>= 3 3 1)"), L"T");
  EXPECT_EQ(eval("(> 2.5 2)"), L"T");
  EXPECT_EQ(eval("(<= 2 2.0)"), L"T");
  EXPECT_EQ(eval("(< \"abc\" \"abd\")"), L"T");
  EXPECT_EQ(eval("(< 1 \"a\")"), L"; error: bad argument type: numberp: \"a\"");
}

TEST_F(LispEval, WrongArgumentsGiveTheUsualMessages) {
  EXPECT_EQ(eval("(+ 1 \"a\")"), L"; error: bad argument type: numberp: \"a\"");
  EXPECT_EQ(eval("(+ 1 nil)"), L"; error: bad argument type: numberp: nil");
  EXPECT_EQ(eval("(car 1)"), L"; error: bad argument type: consp 1");
  EXPECT_EQ(eval("(cadr '(1 . 2))"), L"; error: bad argument type: consp 2");
  EXPECT_EQ(eval("(strcat \"a\" 1)"), L"; error: bad argument type: stringp 1");
  EXPECT_EQ(eval("(itoa 1.5)"), L"; error: bad argument type: fixnump: 1.5");
  EXPECT_EQ(eval("(length 5)"), L"; error: bad argument type: listp 5");
  EXPECT_EQ(eval("(car)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(car '(1) '(2))"), L"; error: too many arguments");
  EXPECT_EQ(eval("(foo 1)"), L"; error: no function definition: FOO");
  EXPECT_EQ(eval("(setq x 5) (x 1)"), L"; error: bad function: 5");
  EXPECT_EQ(eval("(setq 1 2)"), L"; error: bad argument type: symbolp 1");
  EXPECT_EQ(eval("(setq a)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(if)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(polar '(1) 0 1)"), L"; error: bad argument type: 2D/3D point: (1)");
}

TEST_F(LispEval, StringFunctions) {
  EXPECT_EQ(eval("(strcat \"ab\" \"\" \"cd\")"), L"\"abcd\"");
  EXPECT_EQ(eval("(strlen \"hello\")"), L"5");
  EXPECT_EQ(eval("(substr \"hello\" 2 3)"), L"\"ell\"");
  EXPECT_EQ(eval("(substr \"hello\" 3)"), L"\"llo\"");
  EXPECT_EQ(eval("(substr \"hello\" 9)"), L"\"\"");
  EXPECT_EQ(eval("(substr \"hello\" 0)"), L"; error: bad argument value: positive 0");
  EXPECT_EQ(eval("(itoa -42)"), L"\"-42\"");
  EXPECT_EQ(eval("(atoi \" 42abc\")"), L"42");
  EXPECT_EQ(eval("(atoi \"3.9\")"), L"3");
  EXPECT_EQ(eval("(atoi \"x\")"), L"0");
  EXPECT_EQ(eval("(atoi \"99999999999\")"), L"2147483647");
  EXPECT_EQ(eval("(atof \"1.5e2x\")"), L"150.0");
  EXPECT_EQ(eval("(atof \"abc\")"), L"0.0");
  EXPECT_EQ(eval("(rtos 3.14159)"), L"\"3.1416\"");
  EXPECT_EQ(eval("(rtos 2 2 2)"), L"\"2.00\"");
  EXPECT_EQ(eval("(rtos 1234.56 1 3)"), L"\"1.235E+03\"");
  EXPECT_EQ(eval("(rtos -0.00001 2 2)"), L"\"0.00\"");
  EXPECT_EQ(eval("(rtos -1.5 2 0)"), L"\"-2\"");
  EXPECT_EQ(eval("(strcase \"aBc\")"), L"\"ABC\"");
  EXPECT_EQ(eval("(strcase \"aBc\" T)"), L"\"abc\"");
  EXPECT_EQ(eval("(ascii \"A\")"), L"65");
  EXPECT_EQ(eval("(chr 66)"), L"\"B\"");
  EXPECT_EQ(eval("(read \"(a . 1)\")"), L"(A . 1)");
}

TEST_F(LispEval, ListFunctions) {
  EXPECT_EQ(eval("(list 1 \"a\" 'b 2.5)"), L"(1 \"a\" B 2.5)");
  EXPECT_EQ(eval("(list)"), L"nil");
  EXPECT_EQ(eval("(cons 1 2)"), L"(1 . 2)");
  EXPECT_EQ(eval("(cons 1 '(2))"), L"(1 2)");
  EXPECT_EQ(eval("(car '(1 2 3))"), L"1");
  EXPECT_EQ(eval("(cdr '(1 2 3))"), L"(2 3)");
  EXPECT_EQ(eval("(cadr '(1 2 3))"), L"2");
  EXPECT_EQ(eval("(caddr '(1 2 3))"), L"3");
  EXPECT_EQ(eval("(cddr '(1 2 3))"), L"(3)");
  EXPECT_EQ(eval("(caar '((1) 2))"), L"1");
  EXPECT_EQ(eval("(cdar '((1 . 5) 2))"), L"5");
  EXPECT_EQ(eval("(car nil)"), L"nil");
  EXPECT_EQ(eval("(nth 1 '(a b c))"), L"B");
  EXPECT_EQ(eval("(nth 5 '(a))"), L"nil");
  EXPECT_EQ(eval("(length '(1 2 3))"), L"3");
  EXPECT_EQ(eval("(length nil)"), L"0");
  EXPECT_EQ(eval("(append '(1 2) nil '(3) '((4)))"), L"(1 2 3 (4))");
  EXPECT_EQ(eval("(reverse '(1 2 3))"), L"(3 2 1)");
  EXPECT_EQ(eval("(last '(1 2 3))"), L"3");
  EXPECT_EQ(eval("(assoc 2 '((1 . \"a\") (2 . \"b\")))"), L"(2 . \"b\")");
  EXPECT_EQ(eval("(assoc \"x\" '((\"x\" 1 2)))"), L"(\"x\" 1 2)");
  EXPECT_EQ(eval("(assoc 9 '((1 . 2)))"), L"nil");
  EXPECT_EQ(eval("(member 3 '(1 2 3 4))"), L"(3 4)");
  EXPECT_EQ(eval("(member '(2) '(1 (2) 3))"), L"((2) 3)");
  EXPECT_EQ(eval("(equal '(1 (2 \"x\")) '(1 (2 \"x\")))"), L"T");
  EXPECT_EQ(eval("(equal '(1 2) '(1 3))"), L"nil");
  EXPECT_EQ(eval("(equal 1.0 1.05 0.1)"), L"T");
  EXPECT_EQ(eval("(equal '(1.0 2.0) '(1.01 1.99) 0.02)"), L"T");
  EXPECT_EQ(eval("(equal 1.0 1.2 0.1)"), L"nil");
  EXPECT_EQ(eval("(eq \"a\" \"a\")"), L"nil");
  EXPECT_EQ(eval("(setq l '(1)) (eq l l)"), L"T");
}

TEST_F(LispEval, MappingAndApplying) {
  EXPECT_EQ(eval("(mapcar '1+ '(1 2 3))"), L"(2 3 4)");
  EXPECT_EQ(eval("(mapcar '(lambda (a b) (+ a b)) '(1 2) '(10 20 30))"), L"(11 22)");
  EXPECT_EQ(eval("(mapcar (function (lambda (x) (* x x))) '(1 2 3))"), L"(1 4 9)");
  EXPECT_EQ(eval("(mapcar (lambda (x) (list x)) '(a b))"), L"((A) (B))");
  EXPECT_EQ(eval("(defun sq (x) (* x x)) (mapcar 'sq '(2 3))"), L"(4 9)");
  EXPECT_EQ(eval("(mapcar 'car '((1 2) (3 4)))"), L"(1 3)");
  EXPECT_EQ(eval("(apply '+ '(1 2 3))"), L"6");
  EXPECT_EQ(eval("(apply 'strcat (list \"a\" \"b\"))"), L"\"ab\"");
  EXPECT_EQ(eval("((lambda (x y) (- x y)) 10 3)"), L"7");
  EXPECT_EQ(eval("(mapcar 'nosuch '(1))"), L"; error: no function definition: NOSUCH");
}

TEST_F(LispEval, DefunAnswersItsSymbolAndLocalsDoNotLeak) {
  EXPECT_EQ(eval("(defun f (a / x) (setq x (* a 2)) x)"), L"F");
  EXPECT_EQ(eval("(setq x 100 a 7)"), L"7");
  EXPECT_EQ(eval("(f 5)"), L"10");
  EXPECT_EQ(eval("x"), L"100");
  EXPECT_EQ(eval("a"), L"7");
  // An unbound local starts as nil even when the global has a value.
  EXPECT_EQ(eval("(defun g (/ x) x) (g)"), L"nil");
  // Without a local declaration setq reaches the global.
  EXPECT_EQ(eval("(defun h () (setq y 1)) (h) y"), L"1");
  // Scope is dynamic: a called function sees its caller's bindings.
  EXPECT_EQ(eval("(defun inner () z) (defun outer (z) (inner)) (outer 42)"), L"42");
  EXPECT_EQ(eval("z"), L"nil");
  EXPECT_EQ(eval("(f)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(f 1 2)"), L"; error: too many arguments");
}

TEST_F(LispEval, BindingsArePutBackWhenAnErrorUnwinds) {
  eval("(setq a 1 n 2) (defun bad (a / n) (setq n 9) (car a))");
  EXPECT_EQ(eval("(bad 5)"), L"; error: bad argument type: consp 5");
  EXPECT_EQ(eval("(list a n)"), L"(1 2)");
  eval("(setq item 'outer)");
  EXPECT_EQ(eval("(foreach item '(1 2) (car item))"), L"; error: bad argument type: consp 1");
  EXPECT_EQ(eval("item"), L"OUTER");
}

TEST_F(LispEval, Recursion) {
  eval("(defun fact (n) (if (<= n 1) 1 (* n (fact (1- n)))))");
  EXPECT_EQ(eval("(fact 10)"), L"3628800");
  eval("(defun fib (n) (cond ((< n 2) n) (T (+ (fib (- n 1)) (fib (- n 2))))))");
  EXPECT_EQ(eval("(fib 15)"), L"610");
  eval("(defun count-down (n) (if (= n 0) 'done (count-down (1- n))))");
  EXPECT_EQ(eval("(count-down 1000)"), L"DONE");
}

TEST_F(LispEval, RunawayRecursionIsAnErrorNotACrash) {
  eval("(defun down (n) (+ 1 (down n)))");
  EXPECT_EQ(eval("(down 1)"), L"; error: maximum recursion depth exceeded");
  // Mutual recursion through mapcar and apply is stopped the same way.
  eval("(defun deep (x) (mapcar 'deep (list x)))");
  EXPECT_EQ(eval("(deep 1)"), L"; error: maximum recursion depth exceeded");
  // The interpreter is whole afterwards.
  EXPECT_EQ(eval("(+ 1 1)"), L"2");
  // With no count limit the watch on the machine stack still stops it.
  lisp_.setMaxDepth(std::numeric_limits<int>::max());
  EXPECT_EQ(eval("(down 1)"), L"; error: maximum recursion depth exceeded");
  lisp_.setMaxDepth(50);
  eval("(defun depth (n) (if (= n 0) 0 (1+ (depth (1- n)))))");
  EXPECT_EQ(eval("(depth 5)"), L"5");
  EXPECT_EQ(eval("(depth 100)"), L"; error: maximum recursion depth exceeded");
}

TEST_F(LispEval, ControlForms) {
  EXPECT_EQ(eval("(setq i 0 s 0) (while (< i 5) (setq s (+ s i) i (1+ i))) s"), L"10");
  EXPECT_EQ(eval("(while nil 1)"), L"nil");
  EXPECT_EQ(eval("(setq n 0) (repeat 4 (setq n (+ n 2)))"), L"8");
  EXPECT_EQ(eval("(repeat 0 1)"), L"nil");
  EXPECT_EQ(eval("(repeat 1.5 1)"), L"; error: bad argument type: fixnump: 1.5");
  EXPECT_EQ(eval("(setq acc nil) (foreach e '(1 2 3) (setq acc (cons e acc))) acc"), L"(3 2 1)");
  EXPECT_EQ(eval("(foreach e '(1 2 3) (* e 10))"), L"30");
  EXPECT_EQ(eval("e"), L"nil");
  EXPECT_EQ(eval("(cond ((= 1 2) 'a) ((= 1 1) 'b 'c) (T 'd))"), L"C");
  EXPECT_EQ(eval("(cond (nil 1) (5))"), L"5");
  EXPECT_EQ(eval("(cond (nil 1))"), L"nil");
  EXPECT_EQ(eval("(if nil 1)"), L"nil");
  EXPECT_EQ(eval("(if 0 'yes 'no)"), L"YES");
  EXPECT_EQ(eval("(progn 1 2 3)"), L"3");
  EXPECT_EQ(eval("(and 1 nil)"), L"nil");
  EXPECT_EQ(eval("(and 1 2)"), L"T");
  EXPECT_EQ(eval("(and)"), L"T");
  EXPECT_EQ(eval("(or nil 2)"), L"T");
  EXPECT_EQ(eval("(or)"), L"nil");
  // and/or stop at the first answer that decides.
  EXPECT_EQ(eval("(setq hit nil) (or T (setq hit 1)) (and nil (setq hit 2)) hit"), L"nil");
}

TEST_F(LispEval, TypesAndPredicates) {
  EXPECT_EQ(eval("(list (type 1) (type 1.0) (type \"a\") (type 'a) (type '(1)) (type car) (type (lambda (x) x)))"),
            L"(INT REAL STR SYM LIST SUBR USUBR)");
  EXPECT_EQ(eval("(type nil)"), L"nil");
  EXPECT_EQ(eval("(list (null nil) (null 0) (not nil) (listp nil) (listp '(1)) (listp 1))"), L"(T nil T T T nil)");
  EXPECT_EQ(eval("(list (numberp 1) (numberp 1.5) (numberp \"1\") (atom 'a) (atom '(a)))"), L"(T T nil T nil)");
  EXPECT_EQ(eval("(list (boundp 'car) (boundp 'unset-thing))"), L"(T nil)");
  EXPECT_EQ(eval("(set 'v 3) v"), L"3");
  EXPECT_EQ(eval("(eval '(+ 1 2))"), L"3");
  EXPECT_EQ(eval("T"), L"T");
  EXPECT_EQ(eval("car"), L"#<SUBR CAR>");
  EXPECT_EQ(eval("(defun named () 1) named"), L"#<USUBR NAMED>");
}

TEST_F(LispEval, PointGeometry) {
  EXPECT_EQ(eval("(polar '(1 1) 0 2)"), L"(3.0 1.0)");
  EXPECT_EQ(eval("(polar '(1 2 3) pi 1)"), L"(0.0 2.0 3.0)");
  EXPECT_EQ(eval("(distance '(0 0) '(3 4))"), L"5.0");
  EXPECT_EQ(eval("(distance '(0 0 0) '(1 2 2))"), L"3.0");
  EXPECT_EQ(eval("(distance '(0 0) '(3 4 12))"), L"5.0");  // a 2D point makes it planar
  EXPECT_EQ(eval("(angle '(0 0) '(0 -1))"), L"4.71239");
  EXPECT_EQ(eval("(angle '(1 1) '(2 2))"), L"0.785398");
}

TEST_F(LispEval, ScriptErrorsArePrintedAndTheScriptGoesOn) {
  std::wstring out = runScript(
      "(princ \"a\")\n(car 1)\n(princ \"b\")\n(/ 1 0)\n(terpri)(nosuch)\n(princ \"c\")");
  EXPECT_EQ(out,
            L"a\n; error: bad argument type: consp 1\nb\n; error: divide by zero\n\n"
            L"; error: no function definition: NOSUCH\nc");
  EXPECT_EQ(lisp_.evaluateScript("(car 1) (cdr 2) 3"), 2);
}

TEST_F(LispEval, AReadFaultEndsTheScriptAfterTheFormsBeforeIt) {
  EXPECT_EQ(runScript("(princ \"a\") (princ \"b\") (princ "), L"ab\n; error: malformed list on input\n");
  EXPECT_EQ(runScript("(princ 1))"), L"1\n; error: extra right paren on input\n");
}

TEST_F(LispEval, EvaluatingATextStopsAtItsFirstErrorWithoutPrintingIt) {
  EXPECT_EQ(eval("(setq s 1) (car 1) (setq s 2)"), L"; error: bad argument type: consp 1");
  EXPECT_EQ(eval("s"), L"1");
  EXPECT_EQ(eval("(setq s 3) (car"), L"; error: malformed list on input");
  EXPECT_EQ(eval("s"), L"3");
  EXPECT_EQ(output_, L"");
}

TEST_F(LispEval, AUserErrorHandlerReceivesTheMessage) {
  std::wstring out = runScript(
      "(defun *error* (msg) (princ (strcat \"caught: \" msg)) (terpri))\n(car 1)\n(princ \"next\")");
  EXPECT_EQ(out, L"caught: bad argument type: consp 1\nnext");
}

TEST_F(LispEval, ABuiltinDefinedFromCpp) {
  lisp_.defineBuiltin(L"twice", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::integer(2 * lispIntArg(a[0]));
  });
  EXPECT_EQ(eval("(twice 21)"), L"42");
  EXPECT_EQ(eval("(mapcar 'twice '(1 2))"), L"(2 4)");
  EXPECT_EQ(eval("(twice)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(twice 1.5)"), L"; error: bad argument type: fixnump: 1.5");
}

TEST_F(LispEval, LongAndDeepListsAreBuiltComparedAndReleased) {
  EXPECT_EQ(eval("(setq l nil) (repeat 100000 (setq l (cons 1 l))) (length l)"), L"100000");
  EXPECT_EQ(eval("(equal l (append l nil))"), L"T");
  EXPECT_EQ(eval("(setq d 0 d2 0) (repeat 100000 (setq d (list d) d2 (list d2))) (equal d d2)"), L"T");
  EXPECT_EQ(eval("(setq l nil d nil d2 nil)"), L"nil");
}

}  // namespace
