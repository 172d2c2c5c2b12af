// Joining pipes into systems and orienting each from its source.
//
// Ends are clustered into nodes on a hashed grid; an end that lies on another pipe's
// run splits that run into sections there (a tee). The sections are the edges of a
// graph whose connected parts are the systems. A system is oriented by a walk from its
// source: a pipe's point nearest the source tells which pipe it hangs from.
#include "network/pipe_network.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace {

struct CellKey {
  int type;
  std::int64_t x, y, z;
  bool operator==(const CellKey&) const = default;
};

// Items filed by grid cell: an open-addressed table of cells, each the head of a chain
// of entries. Far cheaper than a map of vectors for hundreds of thousands of points.
class CellTable {
 public:
  explicit CellTable(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    keys_.resize(capacity);
    heads_.assign(capacity, kNoPipe);
  }

  void add(const CellKey& key, std::size_t item) {
    const std::size_t slot = slotOf(key);
    const bool newCell = heads_[slot] == kNoPipe;
    keys_[slot] = key;
    entries_.push_back({item, heads_[slot]});
    heads_[slot] = entries_.size() - 1;
    if (newCell && ++used_ * 2 > keys_.size()) grow();
  }

  template <typename Visit>
  void visit(const CellKey& key, Visit visit) const {
    for (std::size_t e = heads_[slotOf(key)]; e != kNoPipe; e = entries_[e].next) visit(entries_[e].item);
  }

 private:
  struct Entry {
    std::size_t item, next;
  };

  static std::uint64_t hash(const CellKey& k) {
    std::uint64_t h = static_cast<std::uint64_t>(k.type) * 0x9E3779B97F4A7C15ULL;
    for (std::int64_t v : {k.x, k.y, k.z}) h = (h ^ static_cast<std::uint64_t>(v)) * 0x100000001B3ULL + (h >> 29);
    return h ^ (h >> 32);
  }

  // The cell's slot, or the empty slot where it would go.
  std::size_t slotOf(const CellKey& key) const {
    const std::size_t mask = keys_.size() - 1;
    std::size_t slot = hash(key) & mask;
    while (heads_[slot] != kNoPipe && !(keys_[slot] == key)) slot = (slot + 1) & mask;
    return slot;
  }

  void grow() {
    std::vector<CellKey> keys = std::move(keys_);
    std::vector<std::size_t> heads = std::move(heads_);
    keys_.assign(keys.size() * 2, {});
    heads_.assign(keys.size() * 2, kNoPipe);
    for (std::size_t s = 0; s < keys.size(); ++s)
      if (heads[s] != kNoPipe) {
        const std::size_t slot = slotOf(keys[s]);
        keys_[slot] = keys[s];
        heads_[slot] = heads[s];
      }
  }

  std::vector<CellKey> keys_;
  std::vector<std::size_t> heads_;
  std::vector<Entry> entries_;
  std::size_t used_ = 0;
};

// Union-find over node numbers: a riser's end and the start of the pipe continuing it
// are one node wherever they are drawn.
struct NodeSets {
  std::vector<std::size_t> parent;
  std::size_t add() {
    parent.push_back(parent.size());
    return parent.size() - 1;
  }
  std::size_t find(std::size_t n) {
    while (parent[n] != n) n = parent[n] = parent[parent[n]];
    return n;
  }
  void join(std::size_t a, std::size_t b) { parent[find(a)] = find(b); }
};

// Points of one type closer than the tolerance become one node. Cells are twice the
// tolerance wide, so a point's neighbours lie in its own cell or the next one toward
// it on each axis: eight cells to look in.
class NodeClusters {
 public:
  NodeClusters(double tolerance, std::size_t points)
      : tolerance_(tolerance), cell_(2.0 * tolerance), cells_(points) {}

  std::size_t nodeAt(int type, const AcGePoint3d& p, NodeSets& sets, std::vector<AcGePoint3d>& points) {
    const double coords[3] = {p.x / cell_, p.y / cell_, p.z / cell_};
    std::int64_t base[3], step[3];
    for (int a = 0; a < 3; ++a) {
      const double f = std::floor(coords[a]);
      base[a] = static_cast<std::int64_t>(f);
      step[a] = coords[a] - f < 0.5 ? -1 : 1;
    }
    for (int corner = 0; corner < 8; ++corner) {
      const CellKey key{type, base[0] + ((corner & 1) ? step[0] : 0), base[1] + ((corner & 2) ? step[1] : 0),
                        base[2] + ((corner & 4) ? step[2] : 0)};
      std::size_t near = kNoPipe;
      cells_.visit(key, [&](std::size_t n) {
        if (near == kNoPipe && points[n].distanceTo(p) <= tolerance_) near = n;
      });
      if (near != kNoPipe) return near;
    }
    const std::size_t n = sets.add();
    points.push_back(p);
    cells_.add(CellKey{type, base[0], base[1], base[2]}, n);
    return n;
  }

 private:
  double tolerance_, cell_;
  CellTable cells_;
};

// The pipes' runs on a plan grid, to find the runs an end lies on.
class RunGrid {
 public:
  RunGrid(const std::vector<NetworkPipe>& pipes, double tolerance) : cells_(pipes.size()) {
    double total = 0.0;
    for (const NetworkPipe& p : pipes) total += std::hypot(p.end.x - p.start.x, p.end.y - p.start.y);
    cell_ = std::max(8.0 * tolerance, pipes.empty() ? 1.0 : total / static_cast<double>(pipes.size()));
    for (std::size_t i = 0; i < pipes.size(); ++i) {
      const NetworkPipe& p = pipes[i];
      const auto [x0, x1] = std::minmax(p.start.x, p.end.x);
      const auto [y0, y1] = std::minmax(p.start.y, p.end.y);
      for (std::int64_t cx = cellOf(x0 - tolerance); cx <= cellOf(x1 + tolerance); ++cx)
        for (std::int64_t cy = cellOf(y0 - tolerance); cy <= cellOf(y1 + tolerance); ++cy)
          cells_.add(CellKey{p.type, cx, cy, 0}, i);
    }
  }

  template <typename Visit>
  void runsNear(int type, const AcGePoint3d& p, Visit visit) const {
    cells_.visit(CellKey{type, cellOf(p.x), cellOf(p.y), 0}, visit);
  }

 private:
  std::int64_t cellOf(double v) const { return static_cast<std::int64_t>(std::floor(v / cell_)); }
  double cell_ = 1.0;
  CellTable cells_;
};

struct Section {
  std::size_t pipe, a, b;
  double length;
};

// A point of a pipe's run: a node and how far along the run it lies (0 to 1).
struct RunPoint {
  double t;
  std::size_t node;
};

class NetworkBuilder {
 public:
  NetworkBuilder(const std::vector<NetworkPipe>& pipes, double tolerance)
      : pipes_(pipes), tolerance_(tolerance), runPoints_(pipes.size()) {}

  PipeNetwork build() {
    clusterEnds();
    findTees();
    makeSections();
    PipeNetwork network;
    network.places.resize(pipes_.size());
    const std::vector<std::vector<std::size_t>> parts = components();
    std::vector<std::vector<std::size_t>> pipesOf(parts.size());
    for (std::size_t i = 0; i < pipes_.size(); ++i) pipesOf[componentOf_[startNode_[i]]].push_back(i);
    for (std::size_t part = 0; part < parts.size(); ++part) {
      PipeSystem system = describe(parts[part], std::move(pipesOf[part]));
      if (system.problem.empty()) orient(system, network.places);
      for (std::size_t i : system.pipes) network.places[i].system = network.systems.size();
      network.systems.push_back(std::move(system));
    }
    return network;
  }

 private:
  void clusterEnds() {
    NodeClusters clusters(tolerance_, 2 * pipes_.size());
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      const NetworkPipe& p = pipes_[i];
      startNode_.push_back(clusters.nodeAt(p.type, p.start, sets_, points_));
      endNode_.push_back(clusters.nodeAt(p.type, p.end, sets_, points_));
    }
    std::unordered_map<int, std::size_t> byKey;
    for (std::size_t i = 0; i < pipes_.size(); ++i) byKey.emplace(pipes_[i].key, i);
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      const auto riser = byKey.find(pipes_[i].riserPrevious);
      if (pipes_[i].riserPrevious != 0 && riser != byKey.end() && pipes_[riser->second].type == pipes_[i].type)
        sets_.join(startNode_[i], endNode_[riser->second]);
    }
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      startNode_[i] = sets_.find(startNode_[i]);
      endNode_[i] = sets_.find(endNode_[i]);
      runPoints_[i] = {{0.0, startNode_[i]}, {1.0, endNode_[i]}};
    }
  }

  // A node on the run of another pipe of its type, away from that pipe's ends, is a tee
  // that splits the run there.
  void findTees() {
    const RunGrid grid(pipes_, tolerance_);
    std::vector<char> seen(points_.size(), 0);
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      for (std::size_t node : {startNode_[i], endNode_[i]}) {
        if (seen[node]) continue;
        seen[node] = 1;
        const AcGePoint3d& p = points_[node];
        grid.runsNear(pipes_[i].type, p, [&](std::size_t run) {
          const NetworkPipe& r = pipes_[run];
          const AcGeVector3d along = r.end - r.start;
          const double length = along.length();
          if (length <= 2.0 * tolerance_ || node == startNode_[run] || node == endNode_[run]) return;
          const double t = (p - r.start).dotProduct(along) / (length * length);
          if (t * length <= tolerance_ || (1.0 - t) * length <= tolerance_) return;
          if ((r.start + along * t).distanceTo(p) <= tolerance_) runPoints_[run].push_back({t, node});
        });
      }
    }
  }

  void makeSections() {
    adjacency_.assign(points_.size(), {});
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      std::vector<RunPoint>& run = runPoints_[i];
      std::sort(run.begin(), run.end(), [](const RunPoint& a, const RunPoint& b) { return a.t < b.t; });
      const double length = pipes_[i].start.distanceTo(pipes_[i].end);
      if (startNode_[i] == endNode_[i]) continue;  // no length: reported with its system
      for (std::size_t k = 1; k < run.size(); ++k) {
        if (run[k].node == run[k - 1].node) continue;
        adjacency_[run[k - 1].node].push_back(sections_.size());
        adjacency_[run[k].node].push_back(sections_.size());
        sections_.push_back({i, run[k - 1].node, run[k].node, (run[k].t - run[k - 1].t) * length});
      }
    }
  }

  std::size_t across(std::size_t section, std::size_t node) const {
    return sections_[section].a == node ? sections_[section].b : sections_[section].a;
  }

  // The nodes of each connected part that holds a pipe, in input order of the pipes.
  std::vector<std::vector<std::size_t>> components() {
    std::vector<std::vector<std::size_t>> parts;
    componentOf_.assign(points_.size(), kNoPipe);
    for (std::size_t i = 0; i < pipes_.size(); ++i) {
      const std::size_t first = startNode_[i];
      if (componentOf_[first] != kNoPipe) continue;
      std::vector<std::size_t> nodes{first};
      componentOf_[first] = parts.size();
      for (std::size_t k = 0; k < nodes.size(); ++k)
        for (std::size_t s : adjacency_[nodes[k]]) {
          const std::size_t next = across(s, nodes[k]);
          if (componentOf_[next] == kNoPipe) {
            componentOf_[next] = parts.size();
            nodes.push_back(next);
          }
        }
      parts.push_back(std::move(nodes));
    }
    return parts;
  }

  std::size_t degree(std::size_t node) const { return adjacency_[node].size(); }

  PipeSystem describe(const std::vector<std::size_t>& nodes, std::vector<std::size_t> pipes) {
    PipeSystem system;
    system.pipes = std::move(pipes);
    std::vector<int> sources, lengthless;
    for (std::size_t i : system.pipes) {
      system.type = pipes_[i].type;
      if (pipes_[i].source) {
        sources.push_back(pipes_[i].key);
        system.source = i;
      }
      if (startNode_[i] == endNode_[i]) lengthless.push_back(pipes_[i].key);
    }
    std::size_t sectionCount = 0;
    for (std::size_t n : nodes) sectionCount += degree(n);
    sectionCount /= 2;
    if (!lengthless.empty())
      system.problem = namePipes(lengthless) + (lengthless.size() == 1 ? L" has" : L" have") + L" no length";
    else if (sectionCount >= nodes.size())
      system.problem = L"a loop through " + namePipes(pipesOnLoops(nodes));
    else if (sources.size() > 1)
      system.problem = L"more than one source: " + namePipes(sources);
    else if (sources.empty())
      system.problem = system.pipes.size() == 1 ? namePipes({pipes_[system.pipes[0]].key}) + L" is joined to nothing"
                                                : L"no pipe is marked as the source among " + namePipes(keysOf(system.pipes));
    else if (sourceNode(system.source) == kNoPipe)
      system.problem = namePipes(sources) + L" is marked as the source, but both its ends join other pipes";
    return system;
  }

  std::vector<int> keysOf(const std::vector<std::size_t>& pipes) const {
    std::vector<int> keys;
    for (std::size_t i : pipes) keys.push_back(pipes_[i].key);
    return keys;
  }

  // The pipes left when ends that join nothing are taken away, again and again.
  std::vector<int> pipesOnLoops(const std::vector<std::size_t>& nodes) const {
    std::unordered_map<std::size_t, std::size_t> left;
    std::vector<std::size_t> leaves;
    for (std::size_t n : nodes) {
      left[n] = degree(n);
      if (degree(n) == 1) leaves.push_back(n);
    }
    std::vector<char> gone(sections_.size(), 0);
    while (!leaves.empty()) {
      const std::size_t n = leaves.back();
      leaves.pop_back();
      for (std::size_t s : adjacency_[n]) {
        if (gone[s]) continue;
        gone[s] = 1;
        if (--left[across(s, n)] == 1) leaves.push_back(across(s, n));
      }
    }
    std::vector<int> keys;
    for (std::size_t n : nodes)
      for (std::size_t s : adjacency_[n])
        if (!gone[s]) keys.push_back(pipes_[sections_[s].pipe].key);
    return keys;
  }

  // The free end of the source pipe; a pipe joined to nothing starts its own flow: a
  // supply pipe is fed at its start, a drain empties at its end.
  std::size_t sourceNode(std::size_t pipe) const {
    const bool startFree = degree(startNode_[pipe]) == 1, endFree = degree(endNode_[pipe]) == 1;
    if (startFree && endFree) return pipes_[pipe].reversed ? endNode_[pipe] : startNode_[pipe];
    if (startFree) return startNode_[pipe];
    if (endFree) return endNode_[pipe];
    return kNoPipe;
  }

  void orient(PipeSystem& system, std::vector<NetworkPlace>& places) {
    const std::size_t root = sourceNode(system.source);
    distance_.resize(points_.size());
    reachedBy_.resize(points_.size());
    distance_[root] = 0.0;
    reachedBy_[root] = kNoPipe;
    std::vector<std::size_t> stack{root};
    while (!stack.empty()) {
      const std::size_t n = stack.back();
      stack.pop_back();
      for (std::size_t s : adjacency_[n]) {
        if (s == reachedBy_[n]) continue;
        const std::size_t next = across(s, n);
        distance_[next] = distance_[n] + sections_[s].length;
        reachedBy_[next] = s;
        stack.push_back(next);
      }
    }
    for (std::size_t i : system.pipes) {
      NetworkPlace& place = places[i];
      const RunPoint* nearest = &runPoints_[i].front();
      for (const RunPoint& r : runPoints_[i])
        if (distance_[r.node] < distance_[nearest->node]) nearest = &r;
      place.nearDistance = distance_[nearest->node];
      place.parent = reachedBy_[nearest->node] == kNoPipe ? kNoPipe : sections_[reachedBy_[nearest->node]].pipe;
      const bool startNearer = distance_[startNode_[i]] <= distance_[endNode_[i]];
      place.farDistance = std::max(distance_[startNode_[i]], distance_[endNode_[i]]);
      place.farZ = startNearer ? pipes_[i].end.z : pipes_[i].start.z;
    }
    std::stable_sort(system.pipes.begin(), system.pipes.end(),
                     [&](std::size_t a, std::size_t b) { return places[a].nearDistance < places[b].nearDistance; });
  }

  const std::vector<NetworkPipe>& pipes_;
  double tolerance_;
  NodeSets sets_;
  std::vector<AcGePoint3d> points_;
  std::vector<std::size_t> startNode_, endNode_, componentOf_, reachedBy_;
  std::vector<std::vector<RunPoint>> runPoints_;
  std::vector<Section> sections_;
  std::vector<std::vector<std::size_t>> adjacency_;
  std::vector<double> distance_;
};

}  // namespace

PipeNetwork buildPipeNetwork(const std::vector<NetworkPipe>& pipes, double tolerance) {
  return NetworkBuilder(pipes, tolerance).build();
}

std::wstring namePipes(std::vector<int> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  constexpr std::size_t kNamed = 12;
  std::wstring text = keys.size() == 1 ? L"pipe " : L"pipes ";
  const std::size_t named = std::min(keys.size(), kNamed);
  for (std::size_t k = 0; k < named; ++k) {
    if (k > 0) text += (k + 1 == named && keys.size() <= kNamed) ? L" and " : L", ";
    text += std::to_wstring(keys[k]);
  }
  if (keys.size() > kNamed) text += L" and " + std::to_wstring(keys.size() - kNamed) + L" more";
  return text;
}

bool isVerticalPipe(const AcGePoint3d& start, const AcGePoint3d& end) {
  return std::abs(end.z - start.z) > std::hypot(end.x - start.x, end.y - start.y);
}
