// Texts spliced into SQL statements: the one rule every statement composed by the
// module follows, so that a name holding an apostrophe cannot break a statement.
#pragma once

#include <string>

// The SQL text literal of `text`: every "'" doubled and the whole between single
// quotes. An empty text becomes "' '" (quote, blank, quote): the project files have
// always stored a blank there, and the record classes read it back as empty because
// they drop trailing blanks.
std::wstring sqlText(const std::wstring& text);
