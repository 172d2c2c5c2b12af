// Integer functions: the bitwise ones (~, logand, logior, boole, lsh) on the 32 bits of
// the host's integers, and gcd.
#include <cstdint>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

using UInt = std::uint32_t;

UInt bitsOf(const LispValue& value) { return static_cast<UInt>(lispIntArg(value)); }
LispValue fromBits(UInt bits) { return LispValue::integer(static_cast<std::int32_t>(bits)); }

// (boole operator a b ...): each pair of bits picks a row of the truth table, and the
// operator's bit for that row is the result: 8 for (0 0), 4 for (0 1), 2 for (1 0),
// 1 for (1 1). So 1 is AND, 6 XOR, 7 OR, 8 NOR. More integers combine left to right.
LispValue boole(const LispArgs& a) {
  UInt op = bitsOf(a[0]);
  UInt result = bitsOf(a[1]);
  for (size_t k = 2; k < a.size(); ++k) {
    UInt other = bitsOf(a[k]);
    UInt combined = 0;
    if (op & 8u) combined |= ~result & ~other;
    if (op & 4u) combined |= ~result & other;
    if (op & 2u) combined |= result & ~other;
    if (op & 1u) combined |= result & other;
    result = combined;
  }
  return fromBits(result);
}

// (logand ...) and (logior ...): every argument's bits, 0 for none.
template <typename Combine>
LispValue foldBits(const LispArgs& a, Combine combine) {
  if (a.empty()) return LispValue::integer(0);
  UInt result = bitsOf(a[0]);
  for (size_t k = 1; k < a.size(); ++k) result = combine(result, bitsOf(a[k]));
  return fromBits(result);
}

// Zeros shift in from either end. The count goes modulo 32, as the host's shift does:
// (lsh 1 33) is 2.
LispValue shift(const LispArgs& a) {
  if (a.empty()) return LispValue::integer(0);
  UInt bits = bitsOf(a[0]);
  std::int32_t count = a.size() > 1 ? lispIntArg(a[1]) : 0;
  UInt by = static_cast<UInt>(count < 0 ? -static_cast<std::int64_t>(count) : count) % 32u;
  return fromBits(count < 0 ? bits >> by : bits << by);
}

// Both integers must be above 0.
LispValue gcd(const LispArgs& a) {
  std::int32_t x = lispIntArg(a[0]);
  std::int32_t y = lispIntArg(a[1]);
  if (x <= 0) lispBadValue(L"positive", a[0]);
  if (y <= 0) lispBadValue(L"positive", a[1]);
  while (y != 0) {
    std::int32_t r = x % y;
    x = y;
    y = r;
  }
  return LispValue::integer(x);
}

}  // namespace

void lispDefineIntegerBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"~", 1, 1, [](LispInterpreter&, const LispArgs& a) { return fromBits(~bitsOf(a[0])); });
  in.defineBuiltin(L"logand", 0, -1, [](LispInterpreter&, const LispArgs& a) {
    return foldBits(a, [](UInt x, UInt y) { return x & y; });
  });
  in.defineBuiltin(L"logior", 0, -1, [](LispInterpreter&, const LispArgs& a) {
    return foldBits(a, [](UInt x, UInt y) { return x | y; });
  });
  // A single integer has nothing to combine with and comes back as it is.
  in.defineBuiltin(L"boole", 2, -1, [](LispInterpreter&, const LispArgs& a) { return boole(a); });
  in.defineBuiltin(L"lsh", 0, 2, [](LispInterpreter&, const LispArgs& a) { return shift(a); });
  in.defineBuiltin(L"gcd", 2, 2, [](LispInterpreter&, const LispArgs& a) { return gcd(a); });
}
