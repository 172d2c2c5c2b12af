// Lengths and angles as text in the host's units, both ways: what rtos and angtos
// write and what distof, angtof and getdist read.
//
// Length modes (LUNITS): 1 scientific "1.7500E+01", 2 decimal "17.50", 3 engineering
// (feet and decimal inches) "1'-5.50\"", 4 architectural (feet and fractional inches)
// "1'-5 1/2\"", 5 fractional "17 1/2". The precision is the number of decimals, or for
// fractions the power of two of the smallest one (2: quarters; at most 8).
// Angle units (AUNITS): 0 degrees "45.0000", 1 degrees/minutes/seconds "45d30'15\"",
// 2 grads "50.0000g", 3 radians "0.7854r", 4 surveyor's "N 45d E". For 1 and 4 the
// precision picks the parts: 0 degrees, 1-2 minutes, 3-4 seconds, more: decimals of
// seconds.
#pragma once

#include <optional>
#include <string>

// The system variables the conversions follow.
struct LispUnitStyle {
  // Zeros left out: 0-3 for feet and inches (0 leaves out zero feet and zero inches,
  // 1 keeps both, 2 keeps zero feet, 3 keeps zero inches), +4 the zero before a
  // decimal point, +8 zeros after the last significant decimal.
  int dimzin = 0;
  // 1 writes units as they are typed: "1'5-1/2\"", "17-1/2", "N45dE".
  int unitmode = 0;
};

std::wstring lispFormatDistance(double value, int mode, int precision, const LispUnitStyle& style);
// The angle is first brought into [0, 2 pi).
std::wstring lispFormatAngle(double radians, int unit, int precision, const LispUnitStyle& style);

// Nothing for text that is not a length (an angle) in the mode's forms. Modes 3 and 4
// read each other's forms; every mode reads a plain number. Angles come back in
// [0, 2 pi).
std::optional<double> lispParseDistance(const std::wstring& text, int mode);
std::optional<double> lispParseAngle(const std::wstring& text, int unit);
