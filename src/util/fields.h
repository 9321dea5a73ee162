// Single fields of delimited texts, and whole-text character tests.
//
// A text split at separators has one field more than it has separators: two separators
// side by side enclose an empty field, one at either end gives an empty first or last field.
// Fields are numbered from 0 at the start; a negative number counts from the end, -1 being
// the last field. A separator is one given byte, or any byte of a set (a C string; null
// means whitespaceCharacters(), an empty set separates nothing).
#pragma once

#include <string>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// Field `number` of text. Empty when the text is empty or has no such field.
std::string fieldAt(const std::string& text, char separator, int number);
std::string fieldAt(const std::string& text, const char* separators, int number);

// Fields `first` to `last` with the separators between them. A negative number counts from
// the end; a first before the start or a last past the end is cut to the text. Empty when
// the text is empty or first comes after last.
std::string fieldRange(const std::string& text, char separator, int first, int last);
std::string fieldRange(const std::string& text, const char* separators, int first, int last);

// True when text is not empty and every byte is a digit 0 to 9; no sign, no blank.
bool isDigits(const std::string& text);

// True when every byte up to the first NUL (or the end) is 0x20 to 0x7E, whatever the
// locale. True for the empty text; false for any byte of 0x80 or above.
bool isPrintable(const std::string& text);

}  // namespace inikey
#pragma GCC visibility pop
