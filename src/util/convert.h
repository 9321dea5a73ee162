// Setting texts to typed values and back.
//
// Parsers take the whole text, untrimmed, and return true on success. Integer parsers take
// a base of 0 or 2 to 36 as strtoul does (0 reads a "0x" or "0" prefix) and keep to 32 bits
// (16 for the short one, 64 for those named so) whatever the width of long. What a failed parse
// leaves in its output differs between functions, and is said for each.
#pragma once

#include <cstdint>
#include <string>

// The library is built with hidden symbols; what is declared here is its interface.
#pragma GCC visibility push(default)
namespace inikey {

// "1", "true", "on", "yes" are true; "0", "false", "off", "no" false; letter case ignored.
// False for any other text, the output left untouched.
bool parseBool(const std::string& text, bool& value);

// Unsigned 32-bit value; a text beginning with "-" fails. On failure the output holds what
// the conversion gave (4294967295 when too large), unless the text is empty or begins with "-".
bool parseUnsignedLong(const std::string& text, std::uint32_t& value, int base);

// As parseUnsignedLong, but the output is written on success only.
bool parseUnsigned(const std::string& text, std::uint32_t& value, int base);

// Unsigned value of at most 65535; a text beginning with "-" fails. Output written on
// success only.
bool parseUnsignedShort(const std::string& text, std::uint16_t& value, int base);

// Signed 32-bit value. On failure the output holds what the conversion gave (the nearest
// 32-bit limit when out of range), unless the text is empty.
bool parseLong(const std::string& text, std::int32_t& value, int base);

// As parseLong, but the output is written on success only.
bool parseInt(const std::string& text, std::int32_t& value, int base);

// As parseInt and parseUnsigned, in 64 bits: "4294967296" converts, "18446744073709551616"
// does not. Output written on success only.
bool parseInt64(const std::string& text, std::int64_t& value, int base);
bool parseUnsigned64(const std::string& text, std::uint64_t& value, int base);

// Floating-point value; fails on overflow, on underflow to zero (a subnormal result is
// kept) and on any byte left after the number. The output holds the converted value even
// on failure, unless the text is empty.
bool parseFloat(const std::string& text, float& value);
bool parseDouble(const std::string& text, double& value);

// "true" or "false".
std::string boolToText(bool value);

// Decimal texts: "%i", "%li", "%lu" and "%u" of the value.
std::string intToText(std::int32_t value);
std::string longToText(std::int32_t value);
std::string unsignedLongToText(std::uint32_t value);
std::string unsignedToText(std::uint32_t value);

// Fixed-point text with `decimals` digits after the point, 6 when decimals is negative.
// Empty when the text cannot be produced.
std::string doubleToText(double value, int decimals);

}  // namespace inikey
#pragma GCC visibility pop
