// rtos, distof, angtos and angtof: lengths and angles as text in the units the system
// variables LUNITS, LUPREC, AUNITS, AUPREC, DIMZIN and UNITMODE set, or those given.
#include <optional>

#include "arx/sysvars.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_units.h"

namespace {

int sysVarInt(const wchar_t* name) {
  resbuf value{};
  if (acedGetVar(name, &value) != RTNORM) return 0;
  return value.restype == RTLONG ? value.resval.rlong : value.resval.rint;
}

LispUnitStyle currentStyle() { return {sysVarInt(L"DIMZIN"), sysVarInt(L"UNITMODE")}; }

// An optional integer argument in a range, the system variable's value when absent.
int settingArg(const LispArgs& a, size_t index, const wchar_t* variable, int lowest, int highest, const wchar_t* what) {
  if (a.size() <= index || a[index].isNil()) return sysVarInt(variable);
  int value = lispIntArg(a[index]);
  if (value < lowest || value > highest) lispBadValue(what, a[index]);
  return value;
}

LispValue realOrNil(const std::optional<double>& value) { return value ? LispValue::real(*value) : LispValue(); }

}  // namespace

void lispDefineUnitBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"rtos", 1, 3, [](LispInterpreter&, const LispArgs& a) {
    double value = lispNumberArg(a[0]);
    int mode = settingArg(a, 1, L"LUNITS", 1, 5, L"rtos mode");
    int precision = settingArg(a, 2, L"LUPREC", 0, 15, L"rtos precision");
    return LispValue::string(lispFormatDistance(value, mode, precision, currentStyle()));
  });
  in.defineBuiltin(L"angtos", 1, 3, [](LispInterpreter&, const LispArgs& a) {
    double angle = lispNumberArg(a[0]);
    int unit = settingArg(a, 1, L"AUNITS", 0, 4, L"angtos unit");
    int precision = settingArg(a, 2, L"AUPREC", 0, 8, L"angtos precision");
    return LispValue::string(lispFormatAngle(angle, unit, precision, currentStyle()));
  });
  in.defineBuiltin(L"distof", 1, 2, [](LispInterpreter&, const LispArgs& a) {
    const std::wstring& text = lispStringArg(a[0]);
    return realOrNil(lispParseDistance(text, settingArg(a, 1, L"LUNITS", 1, 5, L"distof mode")));
  });
  in.defineBuiltin(L"angtof", 1, 2, [](LispInterpreter&, const LispArgs& a) {
    const std::wstring& text = lispStringArg(a[0]);
    return realOrNil(lispParseAngle(text, settingArg(a, 1, L"AUNITS", 0, 4, L"angtof unit")));
  });
}
