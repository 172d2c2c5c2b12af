// The number and length texts the dialogs share: reals with a chosen number of
// decimals, and lengths in inches written and read as feet-inches ("5-6" is 66).
#pragma once

#include <string>

// Rounds value to decimals places (clamped to 0..10). With trim, trailing zeros go,
// and the point too when no decimal is left ("12.5", "0"); without, all decimals stay.
std::wstring formatNumber(double value, int decimals, bool trim);

// Reads a length text in inches: a leading "-" makes it negative; feet = the leading
// number, inches = the number after the next "-" (0 without one); feet * 12 + inches.
// Texts that are not numbers read as 0.
double parseFeetInches(const std::wstring& text);

// Writes inches as feet-inches: whole feet, "-", inches with up to 4 decimals trimmed,
// with a leading "-" for a negative value (66 gives "5-6", 6.25 gives "0-6.25").
std::wstring formatFeetInches(double inches);
