// The application LISP program's functions as the host stand-in provides them. Each
// answers what the program answers for a project that holds no data of that kind
// yet, except where the program only keeps values for the module (the fixture
// connection settings, the floor grid, the deferred work), which it keeps for real.
#include "lisp/lisp_host_program.h"

#include <cstring>

#include "lisp/lisp_interpreter.h"
#include "projectdb/project_repair.h"

namespace {

LispValue nil() { return LispValue(); }

// Values the program keeps between calls live in global symbols, so that a script
// can look at them and a test can preset them.
constexpr const wchar_t* kFixtureGlobal = L"ov_plumb-fixtureConnectionGlobal";
constexpr const wchar_t* kFixtureFlows = L"ov_plumb-fixtureConnectionFlows";
constexpr const wchar_t* kFloorGrid = L"ov_plumb-floorGrid";

LispValue runToDo(LispInterpreter& in, const LispArgs&) {
  LispValue forms = in.symbolValue(kLispToDoSymbol);
  in.setSymbolValue(kLispToDoSymbol, LispValue());
  for (LispValue f = forms; f.isCons(); f = f.cdr()) in.eval(f.car());
  return nil();
}

LispValue compactDatabase(LispInterpreter&, const LispArgs& a) {
  std::wstring error;
  return projectDatabaseRepair(a[0].text(), error) ? LispValue::t() : nil();
}

// The first of the offered pipe types is the one to copy from.
LispValue chooseMimic(LispInterpreter&, const LispArgs& a) {
  return a[0].isCons() && a[0].car().isInt() ? a[0].car() : LispValue::integer(0);
}

LispValue appendItems(const LispValue& list, const LispValue& more) {
  LispArgs items;
  lispListItems(list, items);
  LispArgs extra;
  lispListItems(more, extra);
  items.insert(items.end(), extra.begin(), extra.end());
  return LispValue::list(items);
}

LispValue flowOfCategory(LispInterpreter& in, const LispArgs& a) {
  for (LispValue p = in.symbolValue(kFixtureFlows); p.isCons(); p = p.cdr()) {
    const LispValue& pair = p.car();
    if (pair.isCons() && pair.car().isNumber() && pair.car().intValue() == a[0].intValue())
      return LispValue::real(pair.cdr().numberValue());
  }
  return LispValue::real(0.0);
}

LispValue keep(const wchar_t* symbol, LispValue value, LispInterpreter& in) {
  in.setSymbolValue(symbol, std::move(value));
  return nil();
}

bool fits(char kind, const LispValue& v) {
  switch (kind) {
    case 'i': return v.isInt();
    case 'r': return v.isNumber();
    case 's': return v.isString();
    case 'n': return v.isNil();
    case 'l': return v.isList();
    default: return true;
  }
}

const wchar_t* kindName(char kind) {
  switch (kind) {
    case 'i': return L"an integer";
    case 'r': return L"a number";
    case 's': return L"a string";
    case 'n': return L"nil";
    case 'l': return L"a list";
    default: return L"a value";
  }
}

}  // namespace

const std::vector<LispHostProgramFunction>& lispHostProgram() {
  static const std::vector<LispHostProgramFunction> program = {
      {L"c:ov_plumb-doToDo", "", runToDo},
      {L"compactDatabase", "sns", compactDatabase},
      {L"pipeSizingTable-deleteRecord", "i", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"pipeSizingTable-createLabelGroup", "is", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"pipeSumCategory-convertFlow", "i", [](LispInterpreter&, const LispArgs&) { return LispValue::real(0.0); }},
      {L"plumb-pipeSum-StaticValues", "rrr",
       [](LispInterpreter&, const LispArgs&) { return LispValue::list({LispValue::string(L""), LispValue::string(L"")}); }},
      {L"pipe-query-elevationTileCheck", "i", [](LispInterpreter&, const LispArgs&) { return LispValue::integer(0); }},
      {L"plumb-customization-project-editPipeSumCategory", "", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"pipe-query-getNumber", "", [](LispInterpreter&, const LispArgs&) { return LispValue::integer(0); }},
      {L"pipe-usableTypes-withPipe-arx", "i**",
       [](LispInterpreter&, const LispArgs&) { return LispValue::list({LispValue(), LispValue()}); }},
      {L"plumb-createPipeType-chooseMimic", "l", chooseMimic},
      {L"plumb-newPipeType", "ii", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"plumb-deletePipeType", "i", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"util-deleteBlocks", "issl",
       [](LispInterpreter&, const LispArgs&) { return LispValue::list({LispValue::integer(0), LispValue::integer(0)}); }},
      {L"pipe-insertFixtureConnection-resetGlobal", "",
       [](LispInterpreter& in, const LispArgs&) {
         in.setSymbolValue(kFixtureFlows, LispValue());
         return keep(kFixtureGlobal, LispValue(), in);
       }},
      {L"pipe-insertFixtureConnection-putGlobal", "iiiiriii",
       [](LispInterpreter& in, const LispArgs& a) { return keep(kFixtureGlobal, LispValue::list(a), in); }},
      {L"pipe-insertFixtureConnection-setGlobal-addPSC", "l",
       [](LispInterpreter& in, const LispArgs& a) {
         return keep(kFixtureFlows, appendItems(in.symbolValue(kFixtureFlows), a[0]), in);
       }},
      {L"pipe-insertFixtureConnection-getGlobal", "",
       [](LispInterpreter& in, const LispArgs&) { return in.symbolValue(kFixtureGlobal); }},
      {L"pipe-insertFixtureConnection-getdValue", "i", flowOfCategory},
      {L"plumb-area-hasRisers", "i", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"plumb-floor-getFloorGroups-order", "*", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"plumb-floors-withDefault", "i", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"plumb-floor-isOkToDelete", "i", [](LispInterpreter&, const LispArgs&) { return LispValue::t(); }},
      {L"plumb-floor-saveGrid", "l", [](LispInterpreter& in, const LispArgs& a) { return keep(kFloorGrid, a[0], in); }},
      {L"plumb-floor-getGrid", "", [](LispInterpreter& in, const LispArgs&) { return in.symbolValue(kFloorGrid); }},
      {L"plumb-floor-selectDistance", "", [](LispInterpreter&, const LispArgs&) { return LispValue::real(0.0); }},
      {L"plumb-floor-checkForRisers", "i", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"projectExplorer-query-Plumb", "ii", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"projectExplorer-querySchedule-Plumb", "ii", [](LispInterpreter&, const LispArgs&) { return nil(); }},
      {L"plumb-projectExplorer_sqlQuery", "sss",
       [](LispInterpreter&, const LispArgs&) { return LispValue::list({LispValue::integer(0)}); }},
  };
  return program;
}

std::wstring lispCheckArguments(const std::wstring& name, const char* shape, const LispArgs& args) {
  const size_t expected = std::strlen(shape);
  if (args.size() != expected)
    return (args.size() < expected ? L"too few arguments to " : L"too many arguments to ") + name;
  for (size_t i = 0; i < expected; ++i) {
    if (!fits(shape[i], args[i]))
      return L"bad argument " + std::to_wstring(i + 1) + L" of " + name + L": " + kindName(shape[i]) + L" expected";
  }
  return {};
}

void lispDefineHostProgram(LispInterpreter& interpreter) {
  for (const LispHostProgramFunction& f : lispHostProgram()) {
    std::wstring name = f.name;
    const char* shape = f.arguments;
    LispBuiltinFn behaviour = f.behaviour;
    interpreter.defineBuiltin(name, 0, -1, [name, shape, behaviour](LispInterpreter& in, const LispArgs& args) {
      std::wstring problem = lispCheckArguments(name, shape, args);
      if (!problem.empty()) throw LispError(problem);
      return behaviour(in, args);
    });
  }
}
