// Sizing a generated plumbing system of 100,000 pipes (joining ends and tees, orienting
// from the source, adding up the flows, converting them and choosing sizes) beside a
// bare walk of the same tree that only adds up one value per pipe.
#include <benchmark/benchmark.h>

#include <vector>

#include "network/flow_sizing.h"

namespace {

// A water main of 240" lengths along x, fed at x = 0; at each length's start and
// middle (a tee on its run) a branch of two 30" pipes leaves, to +y and -y in turn,
// whose last pipe serves a fixture of 1 to 3 fixture units. Five pipes a length
// (three for the first, whose start is the source).
struct GeneratedSystem {
  std::vector<NetworkPipe> geometry;
  std::vector<SizingPipe> pipes;
  std::vector<std::size_t> parent;  // as built, for the bare walk
  PipeTypeData type;

  explicit GeneratedSystem(std::size_t lengths) {
    type.key = 1;
    type.shortName = L"CW";
    type.categories.push_back({1, 1, 1.0, L"", L" GPM", {}, 1.0, {}});
    FlowCategory units{2, 2, 1.0, L"", L" WSFU", {}, 1.0, {}};
    const double hunter[][2] = {{1, 3.0},    {2, 5.0},    {3, 6.5},    {5, 9.4},     {10, 14.6},   {20, 19.6},
                                {50, 29.1},  {100, 43.5}, {200, 65.0}, {500, 124.0}, {1000, 208.0}, {5000, 593.0},
                                {10000, 850}, {100000, 4000}};
    for (const auto& row : hunter) units.lookup.emplace_back(row[0], row[1]);
    units.minimums.emplace_back(50, 4);
    type.categories.push_back(units);
    SizingTableRows table{1, L"Cold Water 8 FPS", true, true, {}};
    for (int s = 1; s <= 12; ++s) {
      type.sizes.push_back({s, std::to_wstring(s), 0.5 * s, 0.5 * s + 0.125});
      table.values[s] = {5.8 * s * s * s * s, 5.8 * s * s * s * s, true};
    }
    type.tables.push_back(table);

    std::size_t previousMain = kNoPipe;
    for (std::size_t k = 0; k < lengths; ++k) {
      const double x = 240.0 * static_cast<double>(k);
      const std::size_t main = add({x, 0, 100}, {x + 240.0, 0, 100}, previousMain, 0.0);
      if (k == 0) geometry[main].source = true;
      for (int b = k == 0 ? 1 : 0; b < 2; ++b) {  // the source's end stays free
        const double bx = x + 120.0 * b, side = ((k + b) % 2 == 0) ? 1.0 : -1.0;
        const std::size_t feed = b == 0 ? previousMain : main;
        const std::size_t first = add({bx, 0, 100}, {bx, 30 * side, 100}, feed == kNoPipe ? main : feed, 0.0);
        add({bx, 30 * side, 100}, {bx, 60 * side, 100}, first, 1.0 + static_cast<double>((k + b) % 3));
      }
      previousMain = main;
    }
  }

  std::size_t add(AcGePoint3d start, AcGePoint3d end, std::size_t from, double fixtureUnits) {
    NetworkPipe g;
    g.key = static_cast<int>(geometry.size()) + 1;
    g.type = 1;
    g.start = start;
    g.end = end;
    geometry.push_back(g);
    SizingPipe p;
    p.fixed = {0.0, fixtureUnits};
    pipes.push_back(p);
    parent.push_back(from);
    return geometry.size() - 1;
  }
};

const GeneratedSystem& plan() {
  static const GeneratedSystem system(20000);
  return system;
}

void BM_SizeNetwork(benchmark::State& state) {
  const GeneratedSystem& g = plan();
  std::vector<SizedPipe> sized(g.geometry.size());
  std::size_t systems = 0;
  for (auto _ : state) {
    const PipeNetwork network = buildPipeNetwork(g.geometry, 0.1);
    for (const PipeSystem& system : network.systems)
      if (system.problem.empty()) sizeSystem(system, network, g.geometry, g.pipes, g.type, sized);
    systems = network.systems.size();
    benchmark::DoNotOptimize(sized.data());
  }
  if (systems != 1 || sized.front().outcome != SizeOutcome::Sized) state.SkipWithError("the plan is not one sized system");
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(g.geometry.size()));
  state.counters["pipes"] = static_cast<double>(g.geometry.size());
}
BENCHMARK(BM_SizeNetwork)->Unit(benchmark::kMillisecond);

// The floor: a depth-first walk over a tree already built, adding each pipe's fixture
// units into the pipe it hangs from.
void BM_BareWalk(benchmark::State& state) {
  const GeneratedSystem& g = plan();
  const std::size_t n = g.parent.size();
  std::vector<std::size_t> firstChild(n + 1, 0), children(n);
  for (std::size_t i = 0; i < n; ++i)
    if (g.parent[i] != kNoPipe) ++firstChild[g.parent[i] + 1];
  for (std::size_t i = 0; i < n; ++i) firstChild[i + 1] += firstChild[i];
  std::vector<std::size_t> fill(firstChild.begin(), firstChild.end() - 1);
  for (std::size_t i = 0; i < n; ++i)
    if (g.parent[i] != kNoPipe) children[fill[g.parent[i]]++] = i;
  std::vector<double> total(n);
  std::vector<std::size_t> order, stack;
  order.reserve(n);
  for (auto _ : state) {
    order.clear();
    stack.assign(1, 0);
    while (!stack.empty()) {
      const std::size_t p = stack.back();
      stack.pop_back();
      order.push_back(p);
      for (std::size_t c = firstChild[p]; c < firstChild[p + 1]; ++c) stack.push_back(children[c]);
    }
    for (std::size_t k = order.size(); k-- > 0;) {
      const std::size_t p = order[k];
      total[p] += g.pipes[p].fixed[1];
      if (g.parent[p] != kNoPipe) total[g.parent[p]] += total[p];
    }
    benchmark::DoNotOptimize(total.data());
    std::fill(total.begin(), total.end(), 0.0);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond);

}  // namespace
