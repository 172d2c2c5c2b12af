// What a pipe carries and the size it needs: the flows of the fixtures a pipe serves
// added up per flow category, converted into its type's base category, and the
// smallest size of the pipe's sizing table that carries them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "network/pipe_network.h"

// A flow category of a pipe type, with its conversion into the type's first one.
struct FlowCategory {
  int key = 0;
  int conversion = 1;  // 2: a lookup table of fixture counts; anything else a multiplier
  double multiplier = 1.0;
  std::wstring prefix, suffix;
  // Lookup rows (fixtures, flow), by fixtures; the "Additional Multiplier" row apart.
  std::vector<std::pair<double, double>> lookup;
  double additional = 1.0;
  // Lookup rows that ask for a minimum size: (fixtures, ixPipeSize).
  std::vector<std::pair<double, int>> minimums;
};

struct PipeSizeRow {
  int key = 0;
  std::wstring label;
  double interior = 0.0, exterior = 0.0;
};

struct SizingValue {
  double flow = 0.0, flowVertical = 0.0;
  bool enabled = false;
};

struct SizingTableRows {
  int key = 0;
  std::wstring name;
  bool active = false, horizontalOnly = false;
  std::map<int, SizingValue> values;  // by ixPipeSize
};

struct PipeTypeData {
  int key = 0;
  std::wstring name, shortName;
  bool reversed = false;
  std::vector<FlowCategory> categories;  // the base category first
  std::vector<PipeSizeRow> sizes;        // by interior diameter
  std::vector<SizingTableRows> tables;   // by sort order
  std::map<int, std::wstring> labelFormats;  // plan-view format by ixLayerSystem
};

// What the project knows of a placed pipe besides its geometry.
struct SizingPipe {
  int layerSystem = 0;
  int size = 0;         // ixPipeSize
  int sizingTable = 0;  // ixPipeSizingTable; 0 for the type's first active table
  bool sizeLocked = false;
  std::vector<double> fixed;  // fixed values, one per category of the type
  std::wstring floor;
};

enum class SizeOutcome { Sized, Locked, BeyondLargest, NoTable, NoSize };

struct SizedPipe {
  std::vector<double> carried;  // per category: the pipe's fixed values and all it serves
  double total = 0.0;           // carried, converted into the base category
  double farthest = 0.0;        // from the pipe's point nearest the source to the farthest fixture
  double fromSource = 0.0;
  double maxFixtureZ = 0.0;
  const PipeSizeRow* size = nullptr;  // the size chosen, or kept when locked or unsizable
  const SizingTableRows* table = nullptr;
  SizeOutcome outcome = SizeOutcome::Sized;
};

// The flow of v fixtures through a lookup category: linear between the two rows whose
// fixture counts enclose v, the first row's flow below them, the line through the last
// two above them; times the additional multiplier. No fixtures, no flow.
double lookupFlow(const FlowCategory& category, double v);
// Values (one per category) converted into the type's base category and added up.
double convertedFlow(const PipeTypeData& type, const std::vector<double>& values);

// Sizes the pipes of one oriented system (network and pipes indexed alike).
void sizeSystem(const PipeSystem& system, const PipeNetwork& network, const std::vector<NetworkPipe>& geometry,
                const std::vector<SizingPipe>& pipes, const PipeTypeData& type, std::vector<SizedPipe>& sized);
