// Renders what a drawing's model space draws as an SVG plan (x right, y up, z
// ignored), styled by the layer and linetype tables, and turns SVG into PNG through
// rsvg-convert where it is installed.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "arx/gi_record.h"

class AcDbDatabase;

struct SvgOptions {
  int widthPx = 1000;            // the width attribute; the height follows the drawing's aspect
  double marginFraction = 0.05;  // blank border, as a fraction of the drawing's larger side
  // Drawing units per linetype unit. 0 scales dashes with the drawing (a linetype unit
  // becomes 1/50 of the larger side) so that patterns stay readable at any size.
  double dashScale = 0.0;
};

// The SVG (UTF-8) of recorded primitives. Colours, linetypes and visibility come from
// db's layer and linetype records; a primitive on a layer that is off or frozen is
// left out. With no database everything is drawn black and continuous.
std::string renderSvg(AcDbDatabase* db, std::span<const GiPrimitive> primitives,
                      const SvgOptions& options = {});

// The SVG of everything the database's model space draws.
Acad::ErrorStatus renderModelSpaceSvg(AcDbDatabase* db, std::string& svg, const SvgOptions& options = {});
// The same, written to a file; eFileAccessErr when the file cannot be written.
Acad::ErrorStatus writeModelSpaceSvg(AcDbDatabase* db, const std::wstring& path, const SvgOptions& options = {});

// True when rsvg-convert is on the PATH.
bool rsvgConvertAvailable();
// Converts an SVG file to a PNG widthPx wide with a white background. Answers false
// with the reason in message when rsvg-convert is missing or fails.
bool svgToPng(const std::wstring& svgPath, const std::wstring& pngPath, int widthPx, std::wstring& message);
