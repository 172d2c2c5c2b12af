// Adding up a system's flows from its far ends toward its source, and choosing sizes.
#include "network/flow_sizing.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();

const PipeSizeRow* sizeByKey(const PipeTypeData& type, int key) {
  for (const PipeSizeRow& s : type.sizes)
    if (s.key == key) return &s;
  return nullptr;
}

// The pipe's own sizing table; the type's first active one when it names none (or one
// that is gone).
const SizingTableRows* tableFor(const PipeTypeData& type, int key) {
  for (const SizingTableRows& t : type.tables)
    if (key != 0 && t.key == key) return &t;
  for (const SizingTableRows& t : type.tables)
    if (t.active) return &t;
  return nullptr;
}

// The largest interior diameter that the lookup rows ask for: every row whose fixture
// count the pipe carries counts.
double minimumInterior(const PipeTypeData& type, const std::vector<double>& carried) {
  double minimum = kNone;
  for (std::size_t c = 0; c < type.categories.size(); ++c) {
    if (type.categories[c].conversion != 2 || carried[c] <= 0.0) continue;
    for (const auto& [fixtures, sizeKey] : type.categories[c].minimums)
      if (fixtures <= carried[c])
        if (const PipeSizeRow* s = sizeByKey(type, sizeKey)) minimum = std::max(minimum, s->interior);
  }
  return minimum;
}

// The smallest size, in interior-diameter order and not below the lookup's minimum,
// whose sizing value is enabled and carries the total; the largest such size when
// none carries it.
void chooseSize(const NetworkPipe& geometry, const SizingPipe& pipe, const PipeTypeData& type, SizedPipe& out) {
  const PipeSizeRow* current = sizeByKey(type, pipe.size);
  out.table = tableFor(type, pipe.sizingTable);
  out.size = current;
  if (pipe.sizeLocked) return void(out.outcome = SizeOutcome::Locked);
  if (out.table == nullptr) return void(out.outcome = SizeOutcome::NoTable);
  const double minimum = minimumInterior(type, out.carried);
  const bool vertical = !out.table->horizontalOnly && isVerticalPipe(geometry.start, geometry.end);
  const PipeSizeRow* largest = nullptr;
  for (const PipeSizeRow& s : type.sizes) {
    const auto value = out.table->values.find(s.key);
    if (s.interior < minimum || value == out.table->values.end() || !value->second.enabled) continue;
    largest = &s;
    const double capacity = vertical ? value->second.flowVertical : value->second.flow;
    if (capacity >= out.total - 1e-9 * std::max(1.0, out.total)) {
      out.size = &s;
      return void(out.outcome = SizeOutcome::Sized);
    }
  }
  if (largest == nullptr) return void(out.outcome = SizeOutcome::NoSize);
  out.size = largest;
  out.outcome = SizeOutcome::BeyondLargest;
}

bool hasFixtures(const SizingPipe& pipe) {
  return std::any_of(pipe.fixed.begin(), pipe.fixed.end(), [](double v) { return v != 0.0; });
}

}  // namespace

double lookupFlow(const FlowCategory& category, double v) {
  const auto& rows = category.lookup;
  double flow = 0.0;
  if (rows.empty()) flow = 0.0;
  else if (rows.size() == 1 || v <= rows.front().first) flow = rows.front().second;
  else {
    std::size_t hi = 1;
    while (hi + 1 < rows.size() && v > rows[hi].first) ++hi;
    const auto& [f0, q0] = rows[hi - 1];
    const auto& [f1, q1] = rows[hi];
    flow = f1 == f0 ? q1 : q0 + (v - f0) * (q1 - q0) / (f1 - f0);
  }
  return flow * category.additional;
}

double convertedFlow(const PipeTypeData& type, const std::vector<double>& values) {
  double total = 0.0;
  for (std::size_t c = 0; c < type.categories.size() && c < values.size(); ++c) {
    const FlowCategory& category = type.categories[c];
    const double v = values[c];
    if (c == 0) total += v;
    else if (v == 0.0) continue;
    else if (category.conversion == 2) total += lookupFlow(category, v);
    else total += v * category.multiplier;
  }
  return total;
}

void sizeSystem(const PipeSystem& system, const PipeNetwork& network, const std::vector<NetworkPipe>& geometry,
                const std::vector<SizingPipe>& pipes, const PipeTypeData& type, std::vector<SizedPipe>& sized) {
  std::vector<double> farthest(system.pipes.size()), highest(system.pipes.size());
  std::vector<std::size_t> slot(system.pipes.size());
  for (std::size_t k = 0; k < system.pipes.size(); ++k) {
    const std::size_t i = system.pipes[k];
    SizedPipe& s = sized[i];
    s.carried = pipes[i].fixed;
    s.carried.resize(type.categories.size(), 0.0);
    const bool fixtures = hasFixtures(pipes[i]);
    farthest[k] = fixtures ? network.places[i].farDistance : kNone;
    highest[k] = fixtures ? network.places[i].farZ : kNone;
  }
  // Each pipe comes after the pipe it hangs from: walking back, every pipe has
  // everything it serves added up before it adds itself to its parent.
  std::unordered_map<std::size_t, std::size_t> position;
  for (std::size_t k = 0; k < system.pipes.size(); ++k) position.emplace(system.pipes[k], k);
  for (std::size_t k = system.pipes.size(); k-- > 0;) {
    const std::size_t parent = network.places[system.pipes[k]].parent;
    if (parent == kNoPipe) continue;
    const std::size_t p = position.at(parent);
    std::vector<double>& into = sized[parent].carried;
    const std::vector<double>& from = sized[system.pipes[k]].carried;
    for (std::size_t c = 0; c < into.size(); ++c) into[c] += from[c];
    farthest[p] = std::max(farthest[p], farthest[k]);
    highest[p] = std::max(highest[p], highest[k]);
  }
  for (std::size_t k = 0; k < system.pipes.size(); ++k) {
    const std::size_t i = system.pipes[k];
    SizedPipe& s = sized[i];
    s.total = convertedFlow(type, s.carried);
    s.fromSource = network.places[i].nearDistance;
    s.farthest = farthest[k] == kNone ? 0.0 : farthest[k] - s.fromSource;
    s.maxFixtureZ = highest[k] == kNone ? 0.0 : highest[k];
    chooseSize(geometry[i], pipes[i], type, s);
  }
}
