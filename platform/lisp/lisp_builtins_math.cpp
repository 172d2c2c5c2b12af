// Arithmetic and comparison. Integers are 32 bits and wrap on overflow as the host's
// LISP does; an operation stays integral until a real takes part.
#include <cmath>
#include <cstdint>
#include <limits>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"

namespace {

using Int = std::int32_t;
using UInt = std::uint32_t;
constexpr Int kIntMin = std::numeric_limits<Int>::min();

// Two's-complement arithmetic through unsigned integers, where wrapping is defined.
Int wrapAdd(Int a, Int b) { return static_cast<Int>(static_cast<UInt>(a) + static_cast<UInt>(b)); }
Int wrapSub(Int a, Int b) { return static_cast<Int>(static_cast<UInt>(a) - static_cast<UInt>(b)); }
Int wrapMul(Int a, Int b) { return static_cast<Int>(static_cast<UInt>(a) * static_cast<UInt>(b)); }
Int wrapNeg(Int a) { return static_cast<Int>(0u - static_cast<UInt>(a)); }

[[noreturn]] void divideByZero() { throw LispError(L"divide by zero"); }

// A number on its way through an operation.
struct Number {
  bool integral = true;
  Int i = 0;
  double r = 0.0;

  static Number of(const LispValue& value) {
    lispNumberArg(value);
    return value.isInt() ? Number{true, value.intValue(), 0.0} : Number{false, 0, value.numberValue()};
  }
  static Number real(double v) { return Number{false, 0, v}; }
  double asReal() const { return integral ? i : r; }
  LispValue value() const { return integral ? LispValue::integer(i) : LispValue::real(r); }
};

enum class Op { kAdd, kSub, kMul, kDiv, kRem };

Number combine(const Number& a, const Number& b, Op op) {
  if (a.integral && b.integral) {
    switch (op) {
      case Op::kAdd: return {true, wrapAdd(a.i, b.i), 0.0};
      case Op::kSub: return {true, wrapSub(a.i, b.i), 0.0};
      case Op::kMul: return {true, wrapMul(a.i, b.i), 0.0};
      case Op::kDiv:
        if (b.i == 0) divideByZero();
        return {true, (a.i == kIntMin && b.i == -1) ? kIntMin : a.i / b.i, 0.0};
      case Op::kRem:
        if (b.i == 0) divideByZero();
        return {true, b.i == -1 ? 0 : a.i % b.i, 0.0};
    }
  }
  double x = a.asReal();
  double y = b.asReal();
  switch (op) {
    case Op::kAdd: return Number::real(x + y);
    case Op::kSub: return Number::real(x - y);
    case Op::kMul: return Number::real(x * y);
    case Op::kDiv:
      if (y == 0.0) divideByZero();
      return Number::real(x / y);
    case Op::kRem:
      if (y == 0.0) divideByZero();
      return Number::real(std::fmod(x, y));
  }
  return a;
}

// (op) answers 0 and (op x) answers x, except that (- x) negates.
LispValue fold(const LispArgs& args, Op op) {
  if (args.empty()) return LispValue::integer(0);
  Number acc = Number::of(args[0]);
  if (args.size() == 1 && op == Op::kSub) {
    return acc.integral ? LispValue::integer(wrapNeg(acc.i)) : LispValue::real(-acc.r);
  }
  for (size_t k = 1; k < args.size(); ++k) acc = combine(acc, Number::of(args[k]), op);
  return acc.value();
}

// = and /= compare numbers by value, strings by text, anything else by identity.
bool sameValue(const LispValue& a, const LispValue& b) {
  if (a.isNumber() && b.isNumber()) return a.numberValue() == b.numberValue();
  if (a.isString() && b.isString()) return a.text() == b.text();
  if (a.type() != b.type()) return false;
  if (a.isSymbol()) return a.text() == b.text();
  if (a.isEname()) return a.enameId() == b.enameId();
  return a.isNil() || a.sameObject(b);
}

// The order of two numbers or two strings: negative, zero or positive.
int order(const LispValue& a, const LispValue& b) {
  if (a.isString()) {
    const std::wstring& other = lispStringArg(b);
    return a.text().compare(other);
  }
  double x = lispNumberArg(a);
  double y = lispNumberArg(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

template <typename Test>
void defineComparison(LispInterpreter& in, const wchar_t* name, Test test) {
  in.defineBuiltin(name, 1, -1, [test](LispInterpreter&, const LispArgs& a) {
    bool all = true;
    for (size_t k = 1; k < a.size(); ++k) all = test(order(a[k - 1], a[k])) && all;
    return lispBool(all);
  });
}

LispValue minMax(const LispArgs& args, bool wantMax) {
  if (args.empty()) return LispValue::integer(0);
  Number best = Number::of(args[0]);
  bool anyReal = !best.integral;
  for (size_t k = 1; k < args.size(); ++k) {
    Number n = Number::of(args[k]);
    anyReal = anyReal || !n.integral;
    if (wantMax ? n.asReal() > best.asReal() : n.asReal() < best.asReal()) best = n;
  }
  return anyReal ? LispValue::real(best.asReal()) : best.value();
}

// sqrt and log of a number outside their domain are errors, not NaN.
LispValue realFunction(const LispValue& arg, double (*fn)(double), double lowest, bool lowestAllowed) {
  double x = lispNumberArg(arg);
  if (x < lowest || (!lowestAllowed && x == lowest)) {
    throw LispError(L"function undefined for argument: " + lispToString(arg));
  }
  return LispValue::real(fn(x));
}

LispValue fix(const LispValue& arg) {
  lispNumberArg(arg);
  if (arg.isInt()) return arg;
  double t = std::trunc(arg.numberValue());
  // Beyond 32 bits the truncated number stays a real, as the host answers it.
  if (t < kIntMin || t > std::numeric_limits<Int>::max() || std::isnan(t)) return LispValue::real(t);
  return LispValue::integer(static_cast<Int>(t));
}

// Two integers give an integer: a negative power truncates as / does ((expt 2 -1) is
// 0), so only 1 and -1 keep a value, and 0 has no negative power.
LispValue expt(const LispValue& base, const LispValue& power) {
  Number b = Number::of(base);
  Number p = Number::of(power);
  if (b.integral && p.integral && p.i < 0) {
    if (b.i == 0) divideByZero();
    if (b.i == 1 || b.i == -1) return LispValue::integer((p.i % 2 == 0) ? 1 : b.i);
    return LispValue::integer(0);
  }
  if (b.integral && p.integral) {
    // Squaring keeps this quick for any exponent; every product wraps like *.
    Int result = 1;
    Int factor = b.i;
    for (auto e = static_cast<UInt>(p.i); e != 0; e >>= 1) {
      if (e & 1u) result = wrapMul(result, factor);
      factor = wrapMul(factor, factor);
    }
    return LispValue::integer(result);
  }
  return LispValue::real(std::pow(b.asReal(), p.asReal()));
}

}  // namespace

void lispDefineMathBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"+", 0, -1, [](LispInterpreter&, const LispArgs& a) { return fold(a, Op::kAdd); });
  in.defineBuiltin(L"-", 0, -1, [](LispInterpreter&, const LispArgs& a) { return fold(a, Op::kSub); });
  in.defineBuiltin(L"*", 0, -1, [](LispInterpreter&, const LispArgs& a) { return fold(a, Op::kMul); });
  in.defineBuiltin(L"/", 0, -1, [](LispInterpreter&, const LispArgs& a) { return fold(a, Op::kDiv); });
  in.defineBuiltin(L"rem", 0, -1, [](LispInterpreter&, const LispArgs& a) { return fold(a, Op::kRem); });
  in.defineBuiltin(L"1+", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return combine(Number::of(a[0]), Number{true, 1, 0.0}, Op::kAdd).value();
  });
  in.defineBuiltin(L"1-", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return combine(Number::of(a[0]), Number{true, 1, 0.0}, Op::kSub).value();
  });
  in.defineBuiltin(L"abs", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    Number n = Number::of(a[0]);
    if (n.integral) return LispValue::integer(n.i < 0 ? wrapNeg(n.i) : n.i);
    return LispValue::real(std::fabs(n.r));
  });
  in.defineBuiltin(L"min", 0, -1, [](LispInterpreter&, const LispArgs& a) { return minMax(a, false); });
  in.defineBuiltin(L"max", 0, -1, [](LispInterpreter&, const LispArgs& a) { return minMax(a, true); });
  in.defineBuiltin(L"fix", 1, 1, [](LispInterpreter&, const LispArgs& a) { return fix(a[0]); });
  in.defineBuiltin(L"float", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::real(lispNumberArg(a[0]));
  });
  in.defineBuiltin(L"sqrt", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return realFunction(a[0], [](double x) { return std::sqrt(x); }, 0.0, true);
  });
  in.defineBuiltin(L"log", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return realFunction(a[0], [](double x) { return std::log(x); }, 0.0, false);
  });
  in.defineBuiltin(L"exp", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::real(std::exp(lispNumberArg(a[0])));
  });
  in.defineBuiltin(L"expt", 2, 2, [](LispInterpreter&, const LispArgs& a) { return expt(a[0], a[1]); });
  in.defineBuiltin(L"sin", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::real(std::sin(lispNumberArg(a[0])));
  });
  in.defineBuiltin(L"cos", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::real(std::cos(lispNumberArg(a[0])));
  });
  in.defineBuiltin(L"atan", 1, 2, [](LispInterpreter&, const LispArgs& a) {
    double y = lispNumberArg(a[0]);
    return LispValue::real(a.size() == 2 ? std::atan2(y, lispNumberArg(a[1])) : std::atan(y));
  });
  in.defineBuiltin(L"=", 1, -1, [](LispInterpreter&, const LispArgs& a) {
    for (size_t k = 1; k < a.size(); ++k) {
      if (!sameValue(a[k - 1], a[k])) return LispValue();
    }
    return LispValue::t();
  });
  in.defineBuiltin(L"/=", 1, -1, [](LispInterpreter&, const LispArgs& a) {
    for (size_t k = 1; k < a.size(); ++k) {
      if (sameValue(a[k - 1], a[k])) return LispValue();
    }
    return LispValue::t();
  });
  defineComparison(in, L"<", [](int c) { return c < 0; });
  defineComparison(in, L">", [](int c) { return c > 0; });
  defineComparison(in, L"<=", [](int c) { return c <= 0; });
  defineComparison(in, L">=", [](int c) { return c >= 0; });
  in.defineBuiltin(L"zerop", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return lispBool(lispNumberArg(a[0]) == 0.0);
  });
  in.defineBuiltin(L"minusp", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return lispBool(lispNumberArg(a[0]) < 0.0);
  });
  in.defineBuiltin(L"numberp", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(a[0].isNumber()); });
}
