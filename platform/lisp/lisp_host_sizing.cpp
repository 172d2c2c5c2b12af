// The sizing functions of the host program: the drawn pipes in, the sized systems out
// as association lists that the program writes to the project and the drawing.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lisp/lisp_args.h"
#include "lisp/lisp_host_program.h"
#include "lisp/lisp_interpreter.h"
#include "network/sizing_project.h"

namespace {

LispValue pair(const wchar_t* key, LispValue value) { return LispValue::cons(LispValue::string(key), value); }
LispValue text(const std::wstring& s) { return LispValue::string(s); }
LispValue real(double v) { return LispValue::real(v); }

// A number as labels show it: at most two decimals, no trailing zeros.
std::wstring number(double v) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.2f", std::abs(v) < 0.005 ? 0.0 : v);
  std::wstring s = buffer;
  while (s.back() == L'0') s.pop_back();
  if (s.back() == L'.') s.pop_back();
  return s;
}

// A length in inches as feet and inches to a tenth ("12-6", "0-6.5").
std::wstring feetInches(double inches) {
  const double tenths = std::round(std::abs(inches) * 10.0);
  const long long feet = static_cast<long long>(tenths / 120.0);
  return (inches < 0 && tenths > 0 ? L"-" : L"") + std::to_wstring(feet) + L"-" + number((tenths - feet * 120.0) / 10.0);
}

std::wstring withUnits(const FlowCategory& c, double v) { return c.prefix + number(v) + c.suffix; }

// $FLOW: every category the pipe carries something in, in its own units.
std::wstring carriedText(const PipeTypeData& type, const std::vector<double>& carried) {
  std::wstring s;
  for (std::size_t c = 0; c < type.categories.size(); ++c)
    if (carried[c] != 0.0) s += (s.empty() ? L"" : L", ") + withUnits(type.categories[c], carried[c]);
  return s.empty() && !type.categories.empty() ? withUnits(type.categories.front(), 0.0) : s;
}

std::wstring totalText(const PipeTypeData& type, double total) {
  return type.categories.empty() ? number(total) : withUnits(type.categories.front(), total);
}

std::wstring outcomeProblem(int key, const PipeTypeData& type, const SizedPipe& s) {
  const std::wstring pipe = L"pipe " + std::to_wstring(key);
  switch (s.outcome) {
    case SizeOutcome::BeyondLargest:
      return pipe + L" carries " + totalText(type, s.total) + L", more than any size of \"" + s.table->name +
             L"\" carries: it keeps the largest, " + s.size->label;
    case SizeOutcome::NoTable:
      return pipe + L": its type has no active sizing table; its size is left as it was";
    case SizeOutcome::NoSize:
      return pipe + L": no size of \"" + s.table->name + L"\" is enabled; its size is left as it was";
    default: return {};
  }
}

LispValue record(const LispValue& entity, const NetworkPipe& g, const SizingPipe& p, const PipeTypeData& type,
                 const SizedPipe& s) {
  LispArgs carried;
  for (std::size_t c = 0; c < type.categories.size(); ++c)
    carried.push_back(LispValue::cons(LispValue::integer(type.categories[c].key), real(s.carried[c])));
  const bool sized = s.outcome == SizeOutcome::Sized || s.outcome == SizeOutcome::BeyondLargest;
  const auto format = type.labelFormats.find(p.layerSystem);
  const std::wstring problem = outcomeProblem(g.key, type, s);
  const double length = g.start.distanceTo(g.end);
  return LispValue::list({
      pair(L"entity", entity),
      pair(L"ixPipe", LispValue::integer(g.key)),
      pair(L"type", text(type.shortName)),
      pair(L"floor", text(p.floor)),
      pair(L"length", real(length)),
      pair(L"carried", LispValue::list(carried)),
      pair(L"total", real(s.total)),
      pair(L"farthest", real(s.farthest)),
      pair(L"fromSource", real(s.fromSource)),
      pair(L"maxZ", real(s.maxFixtureZ)),
      pair(L"sized", lispBool(sized)),
      pair(L"ixPipeSize", s.size ? LispValue::integer(s.size->key) : LispValue()),
      pair(L"dSize", s.size ? real(s.size->exterior) : LispValue()),
      pair(L"problem", problem.empty() ? LispValue() : text(problem)),
      pair(L"format", format == type.labelFormats.end() ? LispValue() : text(format->second)),
      pair(L"$SIZE", text(s.size ? s.size->label : L"")),
      pair(L"$FLOW", text(carriedText(type, s.carried))),
      pair(L"$TOTALFLOW", text(totalText(type, s.total))),
      pair(L"$SECTIONLENGTH", text(feetInches(length))),
      pair(L"$TOTALLENGTH", text(feetInches(s.fromSource + s.farthest))),
      pair(L"$MAXZ", text(feetInches(s.maxFixtureZ))),
  });
}

DrawnPipe drawnPipe(const LispValue& item, LispValue& entity) {
  const LispArgs parts = lispListArg(item);
  if (parts.size() != 4) lispBadArgument(L"(ENAME IXPIPE START END)", item);
  entity = parts[0];
  const LispPoint start = lispPointArg(parts[2]), end = lispPointArg(parts[3]);
  return {lispIntArg(parts[1]), {start.x, start.y, start.z}, {end.x, end.y, end.z}};
}

LispValue sizePipes(LispInterpreter&, const LispArgs& a) {
  std::vector<DrawnPipe> drawn;
  LispArgs entities;
  for (const LispValue& item : lispListArg(a[0])) {
    entities.emplace_back();
    drawn.push_back(drawnPipe(item, entities.back()));
  }
  const double tolerance = lispNumberArg(a[1]);
  if (!(tolerance > 0.0)) lispBadValue(L"tolerance", a[1]);

  ProjectSqlConnection db;
  SizingProject project;
  std::wstring error;
  if (!db.open(lispCurrentProjectFile(), error) || !loadSizingProject(db, drawn, project, error))
    throw LispError(L"host-size-pipes: " + error);
  const PipeNetwork network = buildPipeNetwork(project.geometry, tolerance);
  std::vector<SizedPipe> sized(project.geometry.size());
  LispArgs systems;
  for (const PipeSystem& system : network.systems) {
    const PipeTypeData& type = project.types.at(system.type);
    LispArgs records;
    LispValue flow;
    if (system.problem.empty()) {
      sizeSystem(system, network, project.geometry, project.pipes, type, sized);
      // The schedule lists a system's pipes by their numbers.
      std::vector<std::size_t> byKey = system.pipes;
      std::sort(byKey.begin(), byKey.end(),
                [&](std::size_t x, std::size_t y) { return project.geometry[x].key < project.geometry[y].key; });
      for (std::size_t i : byKey)
        records.push_back(record(entities[project.drawn[i]], project.geometry[i], project.pipes[i], type, sized[i]));
      flow = text(totalText(type, sized[system.source].total));
    }
    systems.push_back(LispValue::list({
        pair(L"type", text(type.shortName)),
        pair(L"pipes", LispValue::integer(static_cast<std::int32_t>(system.pipes.size()))),
        pair(L"source", system.source == kNoPipe ? LispValue() : LispValue::integer(project.geometry[system.source].key)),
        pair(L"flow", flow),
        pair(L"problem", system.problem.empty() ? LispValue() : text(system.problem)),
        pair(L"records", LispValue::list(records)),
    }));
  }
  LispArgs left;
  for (const auto& [key, reason] : project.left) left.push_back(LispValue::cons(LispValue::integer(key), text(reason)));
  return LispValue::list({LispValue::list(systems), LispValue::list(left)});
}

LispValue pipeFlow(LispInterpreter&, const LispArgs& a) {
  ProjectSqlConnection db;
  std::wstring error;
  double flow = 0.0;
  if (!db.open(lispCurrentProjectFile(), error) || !projectPipeFlow(db, lispIntArg(a[0]), flow, error))
    throw LispError(L"host-pipe-flow: " + error);
  return real(flow);
}

}  // namespace

void lispDefineHostSizing(LispInterpreter& interpreter) {
  interpreter.defineBuiltin(L"host-size-pipes", 2, 2, sizePipes);
  interpreter.defineBuiltin(L"host-pipe-flow", 1, 1, pipeFlow);
}
