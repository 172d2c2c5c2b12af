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
  if (std::swprintf(buffer, 64, L"%.2f", std::abs(v) < 0.005 ? 0.0 : v) < 0) return std::to_wstring(v);
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

// text with every name replaced by value.
void replaceAll(std::wstring& text, const std::wstring& name, const std::wstring& value) {
  for (std::size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + value.size()))
    text.replace(at, name.size(), value);
}

// A pipe's label: its type's label format for its layer system, variables filled in.
LispValue label(const PipeTypeData& type, const SizingPipe& p, const SizedPipe& s, double length) {
  const auto format = type.labelFormats.find(p.layerSystem);
  if (format == type.labelFormats.end()) return {};
  std::wstring text = format->second;
  const std::pair<const wchar_t*, std::wstring> variables[] = {
      {L"$SIZE", s.size ? s.size->label : L""},
      {L"$FLOW", carriedText(type, s.carried)},
      {L"$TOTALFLOW", totalText(type, s.total)},
      {L"$SECTIONLENGTH", feetInches(length)},
      {L"$TOTALLENGTH", feetInches(s.fromSource + s.farthest)},
      {L"$MAXZ", feetInches(s.maxFixtureZ)},
  };
  for (const auto& [name, value] : variables) replaceAll(text, name, value);
  return LispValue::string(text);
}

// The keys of a pipe's record, made once for all the records of a call.
class RecordKeys {
 public:
  LispValue operator()(std::size_t k, LispValue value) const { return LispValue::cons(keys_[k], std::move(value)); }

  enum Key { kEntity, kIxPipe, kType, kFloor, kLength, kCarried, kTotal, kFarthest, kFromSource, kMaxZ, kSized,
             kIxPipeSize, kDSize, kSizeLabel, kTotalFlow, kLengthText, kProblem, kLabel };

 private:
  std::vector<LispValue> keys_ = [] {
    std::vector<LispValue> keys;
    for (const wchar_t* k : {L"entity", L"ixPipe", L"type", L"floor", L"length", L"carried", L"total", L"farthest",
                             L"fromSource", L"maxZ", L"sized", L"ixPipeSize", L"dSize", L"sizeLabel", L"totalFlow",
                             L"lengthText", L"problem", L"label"})
      keys.push_back(LispValue::string(k));
    return keys;
  }();
};

LispValue record(const RecordKeys& key, const LispValue& entity, const NetworkPipe& g, const SizingPipe& p,
                 const PipeTypeData& type, const SizedPipe& s) {
  LispArgs carried;
  for (std::size_t c = 0; c < type.categories.size(); ++c)
    carried.push_back(LispValue::cons(LispValue::integer(type.categories[c].key), real(s.carried[c])));
  const bool sized = s.outcome == SizeOutcome::Sized || s.outcome == SizeOutcome::BeyondLargest;
  const std::wstring problem = outcomeProblem(g.key, type, s);
  const double length = g.start.distanceTo(g.end);
  return LispValue::list({
      key(RecordKeys::kEntity, entity),
      key(RecordKeys::kIxPipe, LispValue::integer(g.key)),
      key(RecordKeys::kType, text(type.shortName)),
      key(RecordKeys::kFloor, text(p.floor)),
      key(RecordKeys::kLength, real(length)),
      key(RecordKeys::kCarried, LispValue::list(carried)),
      key(RecordKeys::kTotal, real(s.total)),
      key(RecordKeys::kFarthest, real(s.farthest)),
      key(RecordKeys::kFromSource, real(s.fromSource)),
      key(RecordKeys::kMaxZ, real(s.maxFixtureZ)),
      key(RecordKeys::kSized, lispBool(sized)),
      key(RecordKeys::kIxPipeSize, s.size ? LispValue::integer(s.size->key) : LispValue()),
      key(RecordKeys::kDSize, s.size ? real(s.size->exterior) : LispValue()),
      key(RecordKeys::kSizeLabel, text(s.size ? s.size->label : L"")),
      key(RecordKeys::kTotalFlow, text(totalText(type, s.total))),
      key(RecordKeys::kLengthText, text(feetInches(length))),
      key(RecordKeys::kProblem, problem.empty() ? LispValue() : text(problem)),
      key(RecordKeys::kLabel, label(type, p, s, length)),
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
  const RecordKeys keys;
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
        records.push_back(record(keys, entities[project.drawn[i]], project.geometry[i], project.pipes[i], type, sized[i]));
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
