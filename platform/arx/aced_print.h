// Where the host's command-line output goes: standard output by default; tests and
// the console host may redirect it to collect what a plug-in prints.
#pragma once

#include <functional>
#include <string>

using AcedPrintSink = std::function<void(const std::wstring&)>;
// Sets the sink and answers the previous one; an empty sink restores standard output.
AcedPrintSink acedSetPrintSink(AcedPrintSink sink);
// Writes a text to the current sink as acutPrintf does.
void acedPrintText(const std::wstring& text);
// Converts between the wide texts of the host and UTF-8 at the edges.
std::string acutWideToUtf8(const std::wstring& text);
std::wstring acutUtf8ToWide(const std::string& text);

// A host printf format as the C library's wide printf reads it: %s and %c become
// %ls and %lc, %hs and %hc become %s and %c.
std::wstring acutHostFormat(const wchar_t* format);

// Whether the last text printed left its line open (it did not end with a newline),
// so that what the host prints next can begin on a line of its own.
bool acedPrintLineOpen();
// The person's Enter at the prompt ended the line the prompt left open.
void acedPrintInputEndedLine();
