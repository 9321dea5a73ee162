// Formatting into new strings: printf-like texts and local times.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// The text printf would print for format and the values. Empty when vsnprintf keeps failing
// (for instance on a wide character that has no multibyte form in the current locale).
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// As formatText, with the values in an argument list; `arguments` itself is not consumed,
// so the caller still owns it and must va_end it.
std::string formatTextV(const char* format, va_list arguments)
    __attribute__((format(printf, 1, 0)));

// The local time of `time` (seconds since the epoch) formatted as strftime does. Empty when
// the time cannot be converted, when the text is longer than 511 bytes, or when it is empty.
std::string formatTime(const char* format, std::int32_t time)
    __attribute__((format(strftime, 1, 0)));

}  // namespace inikey
#pragma GCC visibility pop
