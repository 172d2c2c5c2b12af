// The standard customisation's tables. Diameters are the published nominal dimensions
// in inches; capacities are the usual code-table values a plumbing designer sizes by.
#include "db/standard_customisation.h"

namespace {

// ---- Nominal sizes ----

// Copper tube type L (ASTM B88): outside diameter is nominal + 1/8".
const StandardPipeSize kCopperTypeL[] = {
    {L"1/2\"", 0.545, 0.625},   {L"3/4\"", 0.785, 0.875},   {L"1\"", 1.025, 1.125},
    {L"1-1/4\"", 1.265, 1.375}, {L"1-1/2\"", 1.505, 1.625}, {L"2\"", 1.985, 2.125},
    {L"2-1/2\"", 2.465, 2.625}, {L"3\"", 2.945, 3.125},     {L"4\"", 3.905, 4.125},
    {L"5\"", 4.875, 5.125},     {L"6\"", 5.845, 6.125},
};
// Hot water mains rarely exceed 4".
constexpr std::span<const StandardPipeSize> kCopperTypeLHot(kCopperTypeL, 9);

// Schedule 40 PVC DWV (ASTM D2665, the dimensions of ASME B36.10 schedule 40).
const StandardPipeSize kPvcSanitary[] = {
    {L"1-1/2\"", 1.610, 1.900}, {L"2\"", 2.067, 2.375}, {L"3\"", 3.068, 3.500},
    {L"4\"", 4.026, 4.500},     {L"6\"", 6.065, 6.625}, {L"8\"", 7.981, 8.625},
};
const StandardPipeSize kPvcVent[] = {
    {L"1-1/4\"", 1.380, 1.660}, {L"1-1/2\"", 1.610, 1.900}, {L"2\"", 2.067, 2.375},
    {L"3\"", 3.068, 3.500},     {L"4\"", 4.026, 4.500},     {L"6\"", 6.065, 6.625},
};

// Hubless cast iron soil pipe (CISPI 301).
const StandardPipeSize kCastIronStorm[] = {
    {L"2\"", 1.96, 2.35},  {L"3\"", 2.96, 3.35},    {L"4\"", 3.94, 4.38},
    {L"5\"", 4.94, 5.30},  {L"6\"", 5.94, 6.30},    {L"8\"", 7.94, 8.38},
    {L"10\"", 10.00, 10.56}, {L"12\"", 11.94, 12.50}, {L"15\"", 15.11, 15.83},
};

// Black steel schedule 40 (ASME B36.10).
const StandardPipeSize kSteelSchedule40[] = {
    {L"1/2\"", 0.622, 0.840},   {L"3/4\"", 0.824, 1.050},   {L"1\"", 1.049, 1.315},
    {L"1-1/4\"", 1.380, 1.660}, {L"1-1/2\"", 1.610, 1.900}, {L"2\"", 2.067, 2.375},
    {L"2-1/2\"", 2.469, 2.875}, {L"3\"", 3.068, 3.500},     {L"4\"", 4.026, 4.500},
};

// ---- Sizing tables ----

// Water: the velocity limits of copper (8 ft/s cold, 5 ft/s hot) give the flows.
const StandardSizingTable kColdWaterTables[] = {
    {L"Cold Water 8 FPS", true, true, 8.0, {}},
    {L"Cold Water 5 FPS", false, true, 5.0, {}},
};
const StandardSizingTable kHotWaterTables[] = {
    {L"Hot Water 5 FPS", true, true, 5.0, {}},
    {L"Hot Water 4 FPS", false, true, 4.0, {}},
};

// Drainage fixture units: a horizontal fixture branch, and a stack of more than three
// branch intervals.
const StandardSizingFlow kSanitaryFlows[] = {
    {L"1-1/2\"", 3, 8},   {L"2\"", 6, 24},     {L"3\"", 20, 72},
    {L"4\"", 160, 500},   {L"6\"", 620, 1900}, {L"8\"", 1400, 3600},
};
const StandardSizingTable kSanitaryTables[] = {
    {L"Drainage Fixture Units", true, false, 0.0, kSanitaryFlows},
};

// Drainage fixture units a vent of each size may serve.
const StandardSizingFlow kVentFlows[] = {
    {L"1-1/4\"", 2, 2},   {L"1-1/2\"", 8, 8},   {L"2\"", 24, 24},
    {L"3\"", 72, 72},     {L"4\"", 500, 500},   {L"6\"", 1900, 1900},
};
const StandardSizingTable kVentTables[] = {
    {L"Vent Fixture Units", true, true, 0.0, kVentFlows},
};

// Storm water in gpm: horizontal drains at a slope, vertical leaders.
const StandardSizingFlow kStormEighthFlows[] = {
    {L"2\"", 0, 30},      {L"3\"", 34, 92},      {L"4\"", 78, 192},
    {L"5\"", 139, 360},   {L"6\"", 222, 563},    {L"8\"", 478, 1208},
    {L"10\"", 860, 2200}, {L"12\"", 1384, 3500}, {L"15\"", 2473, 6500},
};
const StandardSizingFlow kStormQuarterFlows[] = {
    {L"2\"", 0, 30},       {L"3\"", 48, 92},      {L"4\"", 110, 192},
    {L"5\"", 196, 360},    {L"6\"", 314, 563},    {L"8\"", 677, 1208},
    {L"10\"", 1214, 2200}, {L"12\"", 1953, 3500}, {L"15\"", 3491, 6500},
};
const StandardSizingTable kStormTables[] = {
    {L"Storm 1/8 in/ft Slope", true, false, 0.0, kStormEighthFlows},
    {L"Storm 1/4 in/ft Slope", false, false, 0.0, kStormQuarterFlows},
};

// Natural gas in cubic feet per hour: low pressure (under 2 psi), 0.5 in w.c. drop,
// specific gravity 0.60, by the length of the run.
const StandardSizingFlow kGas100Flows[] = {
    {L"1/2\"", 72, 72},       {L"3/4\"", 151, 151},     {L"1\"", 284, 284},
    {L"1-1/4\"", 583, 583},   {L"1-1/2\"", 873, 873},   {L"2\"", 1680, 1680},
    {L"2-1/2\"", 2680, 2680}, {L"3\"", 4730, 4730},     {L"4\"", 9660, 9660},
};
const StandardSizingFlow kGas200Flows[] = {
    {L"1/2\"", 49, 49},       {L"3/4\"", 104, 104},     {L"1\"", 195, 195},
    {L"1-1/4\"", 400, 400},   {L"1-1/2\"", 600, 600},   {L"2\"", 1150, 1150},
    {L"2-1/2\"", 1840, 1840}, {L"3\"", 3260, 3260},     {L"4\"", 6640, 6640},
};
const StandardSizingTable kGasTables[] = {
    {L"Low Pressure 100 ft", true, true, 0.0, kGas100Flows},
    {L"Low Pressure 200 ft", false, true, 0.0, kGas200Flows},
};

// ---- Flow categories ----

// Water supply fixture units to gpm, Hunter's curve for systems with flush tanks;
// the last row is the additional multiplier.
const StandardFlowLookup kHunterFlushTank[] = {
    {1, 3.0},      {2, 5.0},      {3, 6.5},      {4, 8.0},      {5, 9.4},      {6, 10.7},
    {8, 12.8},     {10, 14.6},    {12, 16.0},    {15, 17.5},    {20, 19.6},    {25, 21.5},
    {30, 23.3},    {40, 26.3},    {50, 29.1},    {60, 32.0},    {80, 38.0},    {100, 43.5},
    {120, 48.0},   {140, 52.5},   {160, 57.0},   {200, 65.0},   {250, 75.0},   {300, 85.0},
    {400, 105.0},  {500, 124.0},  {750, 170.0},  {1000, 208.0}, {1250, 239.0}, {1500, 269.0},
    {2000, 325.0}, {2500, 380.0}, {3000, 433.0}, {4000, 525.0}, {5000, 593.0}, {-1, 1.0},
};
// The first category of a type is the one its sizing tables are in; every other one
// converts into it.
const StandardFlowCategory kWaterCategories[] = {
    {L"Flow (gpm)", 1, 1.0, L" GPM", {}},
    {L"Fixture Units", 2, 1.0, L" WSFU", kHunterFlushTank},
};
// A drainage fixture unit is one cubic foot per minute, 7.5 gpm: a gpm is 1/7.5 DFU.
const StandardFlowCategory kSanitaryCategories[] = {
    {L"Drainage Fixture Units", 1, 1.0, L" DFU", {}},
    {L"Flow (gpm)", 1, 0.13333, L" GPM", {}},
};
const StandardFlowCategory kVentCategories[] = {
    {L"Drainage Fixture Units", 1, 1.0, L" DFU", {}},
};
// 0.0104 gpm per square foot per inch of rain an hour, at 4 in/h.
const StandardFlowCategory kStormCategories[] = {
    {L"Flow (gpm)", 1, 1.0, L" GPM", {}},
    {L"Roof Area (sq ft)", 1, 0.0416, L" SF", {}},
};
// Natural gas at 1,000 Btu per cubic foot: one cubic foot per hour per MBH.
const StandardFlowCategory kGasCategories[] = {
    {L"Flow (CFH)", 1, 1.0, L" CFH", {}},
    {L"Load (MBH)", 1, 1.0, L" MBH", {}},
};

// ---- Linetypes: short runs stay continuous, the pattern would not show ----

const StandardLinetype kContinuous[] = {{L"CONTINUOUS", 0.0}};
const StandardLinetype kHotWaterLinetypes[] = {{L"CONTINUOUS", 0.0}, {L"HOT_WATER_SUPPLY", 36.0}};
const StandardLinetype kVentLinetypes[] = {{L"CONTINUOUS", 0.0}, {L"DASHED", 24.0}};
const StandardLinetype kGasLinetypes[] = {{L"CONTINUOUS", 0.0}, {L"GAS_LINE", 36.0}};

const StandardPipeType kPipeTypes[] = {
    {L"Domestic Cold Water", L"CW", false, 0, true, kCopperTypeL, kColdWaterTables, kWaterCategories,
     kContinuous, L"CW"},
    {L"Domestic Hot Water", L"HW", false, 0, true, kCopperTypeLHot, kHotWaterTables, kWaterCategories,
     kHotWaterLinetypes, L"HW"},
    {L"Sanitary Waste", L"SAN", true, 1, false, kPvcSanitary, kSanitaryTables, kSanitaryCategories,
     kContinuous, L""},
    {L"Vent", L"V", true, 1, false, kPvcVent, kVentTables, kVentCategories, kVentLinetypes, L""},
    {L"Storm", L"ST", true, 1, false, kCastIronStorm, kStormTables, kStormCategories, kContinuous, L"ST"},
    {L"Natural Gas", L"G", false, 0, true, kSteelSchedule40, kGasTables, kGasCategories, kGasLinetypes,
     L"G"},
};

// ---- Layer systems ----

const StandardLayer kNewWorkLayers[] = {
    {L"DEFAULT", L"P-PIPE", 7, L"CONTINUOUS", L"35"},
    {L"LABEL", L"P-ANNO-TEXT", 2, L"CONTINUOUS", L"18"},
    {L"CW", L"P-DOMW-CPIP", 4, L"CONTINUOUS", L"35"},
    {L"HW", L"P-DOMW-HPIP", 1, L"CONTINUOUS", L"35"},
    {L"SAN", L"P-SANR-PIPE", 3, L"CONTINUOUS", L"50"},
    {L"V", L"P-SANR-VENT", 6, L"DASHED", L"35"},
    {L"ST", L"P-STRM-PIPE", 5, L"CONTINUOUS", L"50"},
    {L"G", L"P-NGAS-PIPE", 30, L"CONTINUOUS", L"35"},
};
// Existing work is drawn grey and thin so that new work stands out.
const StandardLayer kExistingLayers[] = {
    {L"DEFAULT", L"P-PIPE-EXST", 8, L"CONTINUOUS", L"18"},
    {L"LABEL", L"P-ANNO-TEXT-EXST", 8, L"CONTINUOUS", L"18"},
    {L"CW", L"P-DOMW-CPIP-EXST", 8, L"CONTINUOUS", L"18"},
    {L"HW", L"P-DOMW-HPIP-EXST", 8, L"CONTINUOUS", L"18"},
    {L"SAN", L"P-SANR-PIPE-EXST", 8, L"CONTINUOUS", L"18"},
    {L"V", L"P-SANR-VENT-EXST", 8, L"CONTINUOUS", L"18"},
    {L"ST", L"P-STRM-PIPE-EXST", 8, L"CONTINUOUS", L"18"},
    {L"G", L"P-NGAS-PIPE-EXST", 8, L"CONTINUOUS", L"18"},
};
const StandardLayerSystem kLayerSystems[] = {
    {L"New Work", L"P-", L"", kNewWorkLayers},
    {L"Existing", L"P-", L"-EXST", kExistingLayers},
};

// ---- Global settings (lengths in drawing inches) ----

const StandardGlobal kGlobals[] = {
    {L"pipe-breakWidth", 3.0, nullptr},
    {L"pipe-verticalMethod", 0.0, L"Not to scale"},
    {L"pipe-verticalMinimum", 2.0, nullptr},
    {L"pipe-verticalDiameter", 4.0, nullptr},
    {L"PTRAP-WIDTH", 6.0, nullptr},
    {L"EXTERIOR LINING WIDTH", 1.0, nullptr},
    {L"pipe-showTicksBeforeValve", 0.0, L"NO"},
    {L"pipe-fittingTickWidth", 4.0, nullptr},
    {L"pipe-fittingTickOffset", 1.0, nullptr},
    {L"pipe-arcRadius", 6.0, nullptr},
    {L"stackedFractions", 0.0, L"YES"},
    {L"pipe-textDistance", 240.0, nullptr},
    {L"pipe-leaderBlock", 0.0, L"_CLOSEDFILLED"},
    {L"pipe-leaderSize", 3.0, nullptr},
    {L"pipe-leaderBlockV", 0.0, L"_DOT"},
    {L"pipe-leaderSizeV", 3.0, nullptr},
    {L"ELEVLABEL LEADER BLOCK", 0.0, L"_CLOSEDFILLED"},
    {L"ArrowheadSize", 3.0, nullptr},
    {L"ELEVLABEL TOP BLOCK", 0.0, L"ElevTop"},
    {L"ELEVLABEL BOTTOM BLOCK", 0.0, L"ElevBottom"},
    {L"ELEVLABEL BOTH BLOCK", 0.0, L"ElevBoth"},
    {L"ELEVLABEL CENTERLINE BLOCK", 0.0, L"ElevCenterline"},
    {L"ELEVLABEL TOP LABEL", 0.0, L"TOP"},
    {L"ELEVLABEL BOTTOM LABEL", 0.0, L"BOP"},
    {L"ELEVLABEL CENTERLINE LABEL", 0.0, L"CL"},
    {L"ELEVLABEL INCLUDE EXTERIOR", 0.0, L"NO"},
    {L"3DApproximation", 16.0, nullptr},
    {L"DrawHangers2D", 0.0, L"YES"},
    {L"DrawHangers3D", 0.0, L"NO"},
    {L"linetypeFile", 0.0, L"acad.lin"},
    {L"scheduleTitleJustification", 0.0, L"Center"},
    {L"scheduleColumnJustification", 0.0, L"Center"},
    {L"scheduleTitleContinued", 0.0, L"(CONTINUED)"},
};

}  // namespace

std::span<const StandardPipeType> standardPipeTypes() { return kPipeTypes; }
std::span<const StandardLayerSystem> standardLayerSystems() { return kLayerSystems; }
std::span<const StandardGlobal> standardGlobals() { return kGlobals; }
