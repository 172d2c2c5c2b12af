// Text rules of the platform that the stand-ins share: names compared without regard
// to case, the `*` and `?` wildcards of directory searches, and the lines of the
// small text files the stand-ins keep.
#pragma once

#include <string>
#include <vector>

// The upper-case form of a character, as the platform folds names (Latin, Greek and
// Cyrillic letters; everything else is its own upper case).
wchar_t winUpperChar(wchar_t c);
std::wstring winUpper(const std::wstring& text);
bool winEqualNoCase(const std::wstring& a, const std::wstring& b);
// Orders names as a case-insensitive listing does; answers <0, 0 or >0.
int winCompareNoCase(const std::wstring& a, const std::wstring& b);

// Whether a file name matches a search pattern: `*` any run of characters (also none),
// `?` exactly one, the rest compared without regard to case; "*.*" matches every name,
// with or without a dot, as users of the platform expect.
bool winMatchWildcard(const std::wstring& pattern, const std::wstring& name);

// The text without blanks, tabs and carriage returns at either end.
std::wstring winTrim(const std::wstring& text);
// The lines of a UTF-8 file's text, each trimmed, a leading byte-order mark dropped;
// line N of the file is element N-1.
std::vector<std::wstring> winTextLines(const std::string& utf8);
