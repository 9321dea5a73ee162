// Trimming of byte sets from the ends of strings, and case-converted copies.
//
// Strings are byte strings. A set is a C string whose bytes form the set; a null
// set means whitespaceCharacters(), an empty one trims nothing. Only the ASCII
// letters change case: no locale is ever set.
#pragma once

#include <string>
#include <string_view>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// The default trim set: space, tab, line feed, carriage return, vertical tab, backspace.
const char* whitespaceCharacters();

// Copies of text without the leading, trailing or both runs of set bytes.
std::string trimmedLeft(const std::string& text, const char* set = nullptr);
std::string trimmedRight(const std::string& text, const char* set = nullptr);
std::string trimmed(const std::string& text, const char* set = nullptr);

// The same, in place. A text made only of set bytes becomes empty.
void trimLeft(std::string& text, const char* set = nullptr);
void trimRight(std::string& text, const char* set = nullptr);
void trim(std::string& text, const char* set);
void trim(std::string& text);

// The same rules on views, for callers that must not allocate (the parser).
std::string_view trimmedLeftView(std::string_view text, const char* set = nullptr);
std::string_view trimmedRightView(std::string_view text, const char* set = nullptr);
std::string_view trimmedView(std::string_view text, const char* set = nullptr);

// Copies with the ASCII letters lowered or raised; every other byte unchanged.
std::string toLowerCopy(const std::string& text);
std::string toUpperCopy(const std::string& text);

}  // namespace inikey
#pragma GCC visibility pop
