// The customisation a new project starts with, as data: db/project_seed.cpp writes it.

// Pipe types with their nominal sizes, sizing tables and flow categories, layer systems
// with layers and keys, and the global settings of the options dialog.
#pragma once

#include <span>

// One nominal size: the label the drawings show and the diameters in inches.
struct StandardPipeSize {
  const wchar_t* label;
  double interiorDiameter;
  double exteriorDiameter;
};

// The flows one size may carry, by the size's label.
struct StandardSizingFlow {
  const wchar_t* sizeLabel;
  double horizontal;
  double vertical;
};

// A sizing table. With a velocity (ft/s) the flows (gpm) are those of water at that
// velocity through each size's bore; otherwise they are listed.
struct StandardSizingTable {
  const wchar_t* name;
  bool active;
  bool horizontalOnly;  // vertical flow same as horizontal
  double velocity;
  std::span<const StandardSizingFlow> flows;
};

struct StandardFlowLookup {
  int fixtures;  // -1: the additional multiplier row
  double flow;
};

// Conversion 1 multiplies the base category's value, 2 looks it up.
struct StandardFlowCategory {
  const wchar_t* name;
  int conversionType;
  double multiplier;
  const wchar_t* labelSuffix;
  std::span<const StandardFlowLookup> lookup;
};

// A linetype used from a minimum pipe length on.
struct StandardLinetype {
  const wchar_t* linetype;
  double minimumLength;
};

struct StandardPipeType {
  const wchar_t* name;
  const wchar_t* shortName;  // also the pipe type's layer key
  bool reversed;             // flow away from the fixtures (drainage)
  int elbow;                 // 0 right angle, 1 45-degree, 2 arc
  bool fittingTicks;
  std::span<const StandardPipeSize> sizes;
  std::span<const StandardSizingTable> sizingTables;
  std::span<const StandardFlowCategory> categories;
  std::span<const StandardLinetype> linetypes;
  const wchar_t* linetypeText;
};

struct StandardLayer {
  const wchar_t* key;  // a pipe type's short name, "LABEL" or "DEFAULT"
  const wchar_t* name;
  int color;
  const wchar_t* linetype;
  const wchar_t* lineweight;  // hundredths of a millimetre, as text
};

struct StandardLayerSystem {
  const wchar_t* description;
  const wchar_t* prefix;
  const wchar_t* suffix;
  std::span<const StandardLayer> layers;
};

// A global setting: a number, or a text when `text` is not null.
struct StandardGlobal {
  const wchar_t* key;
  double number;
  const wchar_t* text;
};

std::span<const StandardPipeType> standardPipeTypes();
std::span<const StandardLayerSystem> standardLayerSystems();
std::span<const StandardGlobal> standardGlobals();
