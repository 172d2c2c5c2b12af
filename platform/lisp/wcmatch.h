// The host's wild-card patterns, as wcmatch and the selection filters use them:
//   #  a digit          @  a letter          .  a character that is neither
//   *  any run of characters, also none      ?  any one character
//   [...]  one of the characters enclosed (a-z a range; "-" first or last and "]"
//          first stand for themselves)       [~...]  one character not enclosed
//   `  the next character stands for itself
//   ,  separates patterns: the text matches when it matches any of them
//   ~  at the start of a pattern: the text matches when it does not match the rest
#pragma once

#include <string>

// True when the text matches the pattern. Letters compare exactly unless ignoreCase,
// which the selection filters use since names in a drawing ignore case.
bool lispWcMatch(const std::wstring& text, const std::wstring& pattern, bool ignoreCase = false);
