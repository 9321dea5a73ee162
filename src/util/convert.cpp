#include "util/convert.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "util/format.h"
#include "util/trim.h"

namespace inikey {
namespace {

// What strtoul or strtol made of a whole text, cut to 32 bits.
template <typename Integer>
struct Conversion {
  Integer value;  // what a C library with a 32-bit long returns, even when not valid
  bool valid;     // in range, no error, and the conversion stopped at the end of the text
};

// Whether strtoul will negate the text: a "-" after the white space it skips.
bool isNegated(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  return *text == '-';
}

Conversion<std::uint32_t> convertUnsigned(const std::string& text, int base) {
  constexpr unsigned long kLargest = std::numeric_limits<std::uint32_t>::max();
  const char* start = text.c_str();
  char* stop = nullptr;  // glibc leaves it unset on a bad base
  errno = 0;
  unsigned long value = std::strtoul(start, &stop, base);
  const int error = errno;
  bool outOfRange = error == ERANGE;
  if (!outOfRange && isNegated(start)) {
    // A 32-bit strtoul negates within 32 bits and refuses magnitudes beyond them; the
    // low 32 bits of the wider negation are the same number.
    outOfRange = 0UL - value > kLargest;
  } else if (value > kLargest) {
    outOfRange = true;
  }
  if (outOfRange) value = kLargest;
  const auto value32 = static_cast<std::uint32_t>(value);
  const bool valid = !outOfRange && !(error != 0 && value32 == 0) && stop == start + text.size();
  return {value32, valid};
}

Conversion<std::int32_t> convertSigned(const std::string& text, int base) {
  constexpr long kSmallest = std::numeric_limits<std::int32_t>::min();
  constexpr long kLargest = std::numeric_limits<std::int32_t>::max();
  const char* start = text.c_str();
  char* stop = nullptr;
  errno = 0;
  long value = std::strtol(start, &stop, base);
  const int error = errno;
  bool outOfRange = error == ERANGE;
  if (value > kLargest) {
    outOfRange = true;
    value = kLargest;
  } else if (value < kSmallest) {
    outOfRange = true;
    value = kSmallest;
  }
  const auto value32 = static_cast<std::int32_t>(value);
  const bool valid = !outOfRange && !(error != 0 && value32 == 0) && stop == start + text.size();
  return {value32, valid};
}

bool isUnsignedCandidate(const std::string& text) { return !text.empty() && text[0] != '-'; }

// Converts the whole text in base and stores it on success only; a range error, or
// EINVAL for a base the library does not know, fails.
template <typename Whole, typename Convert>
bool parseWhole(const std::string& text, Whole& value, int base, Convert convert) {
  const char* start = text.c_str();
  char* stop = nullptr;
  errno = 0;
  const auto converted = convert(start, &stop, base);
  if (errno != 0 || stop != start + text.size()) return false;
  value = static_cast<Whole>(converted);
  return true;
}

template <typename Real>
bool parseReal(const std::string& text, Real& value, Real (*convert)(const char*, char**)) {
  if (text.empty()) return false;
  const char* start = text.c_str();
  char* stop = nullptr;
  errno = 0;
  value = convert(start, &stop);
  if (errno == ERANGE) {
    // A subnormal result also reports a range error, but it is a usable value.
    constexpr Real kLargest = std::numeric_limits<Real>::max();
    if (value > kLargest || value < -kLargest || value == 0) return false;
  }
  return stop == start + text.size();
}

struct TruthWord {
  const char* word;
  bool value;
};

constexpr TruthWord kTruthWords[] = {
    {"1", true},  {"true", true},   {"on", true},   {"yes", true},
    {"0", false}, {"false", false}, {"off", false}, {"no", false},
};

}  // namespace

bool parseBool(const std::string& text, bool& value) {
  if (text.empty()) return false;
  const std::string lowered = toLowerCopy(text);
  for (const TruthWord& truth : kTruthWords) {
    if (lowered == truth.word) {
      value = truth.value;
      return true;
    }
  }
  return false;
}

bool parseUnsignedLong(const std::string& text, std::uint32_t& value, int base) {
  if (!isUnsignedCandidate(text)) return false;
  const Conversion<std::uint32_t> conversion = convertUnsigned(text, base);
  value = conversion.value;
  return conversion.valid;
}

bool parseUnsigned(const std::string& text, std::uint32_t& value, int base) {
  if (!isUnsignedCandidate(text)) return false;
  const Conversion<std::uint32_t> conversion = convertUnsigned(text, base);
  if (!conversion.valid) return false;
  value = conversion.value;
  return true;
}

bool parseUnsignedShort(const std::string& text, std::uint16_t& value, int base) {
  if (!isUnsignedCandidate(text)) return false;
  const Conversion<std::uint32_t> conversion = convertUnsigned(text, base);
  if (!conversion.valid || conversion.value > std::numeric_limits<std::uint16_t>::max()) {
    return false;
  }
  value = static_cast<std::uint16_t>(conversion.value);
  return true;
}

bool parseLong(const std::string& text, std::int32_t& value, int base) {
  if (text.empty()) return false;
  const Conversion<std::int32_t> conversion = convertSigned(text, base);
  value = conversion.value;
  return conversion.valid;
}

bool parseInt(const std::string& text, std::int32_t& value, int base) {
  if (text.empty()) return false;
  const Conversion<std::int32_t> conversion = convertSigned(text, base);
  if (!conversion.valid) return false;
  value = conversion.value;
  return true;
}

bool parseInt64(const std::string& text, std::int64_t& value, int base) {
  return !text.empty() && parseWhole(text, value, base, std::strtoll);
}

bool parseUnsigned64(const std::string& text, std::uint64_t& value, int base) {
  return isUnsignedCandidate(text) && parseWhole(text, value, base, std::strtoull);
}

bool parseFloat(const std::string& text, float& value) {
  return parseReal<float>(text, value, std::strtof);
}

bool parseDouble(const std::string& text, double& value) {
  return parseReal<double>(text, value, std::strtod);
}

std::string boolToText(bool value) { return value ? "true" : "false"; }

std::string intToText(std::int32_t value) { return formatText("%i", value); }

std::string longToText(std::int32_t value) { return formatText("%li", static_cast<long>(value)); }

std::string unsignedLongToText(std::uint32_t value) {
  return formatText("%lu", static_cast<unsigned long>(value));
}

std::string unsignedToText(std::uint32_t value) { return formatText("%u", value); }

std::string doubleToText(double value, int decimals) {
  if (decimals < 0) decimals = 6;
  char format[32] = {};
  std::snprintf(format, sizeof format, "%%.%df", decimals);
  return formatText(format, value);
}

}  // namespace inikey
