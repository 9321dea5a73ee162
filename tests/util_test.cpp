// The string helpers at their boundaries, one table a family.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

#include "util/contentHash.h"
#include "util/convert.h"
#include "util/fields.h"
#include "util/format.h"
#include "util/trim.h"

namespace inikey {
namespace {

using namespace std::string_literals;

// Text and set, then what the left, right and both-ends trims leave; every form must agree.
TEST(TrimAndCase, EveryFormAgrees) {
  const std::tuple<std::string, const char*, std::string, std::string, std::string> cases[] = {
      {"", nullptr, "", "", ""},
      {" \t \t", nullptr, "", "", ""},
      {"\v\b\r\n\t a  b \t\n\r\b\v", nullptr, "a  b \t\n\r\b\v", "\v\b\r\n\t a  b", "a  b"},
      {"[[ [\vn] ]]", "[] \t\r", "\vn] ]]", "[[ [\vn", "\vn"},
      {"\"\"a\"b\"\"", "\"", "a\"b\"\"", "\"\"a\"b", "a\"b"},
      {" a ", "", " a ", " a ", " a "},
      {"\0a\0"s, " ", "\0a\0"s, "\0a\0"s, "\0a\0"s}};
  for (const auto& [text, set, left, right, both] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(trimmedLeft(text, set) + "|" + trimmedRight(text, set), left + "|" + right);
    EXPECT_EQ(trimmed(text, set), both);
    EXPECT_EQ(trimmedView(text, set), both);
    std::string inLeft = text, inRight = text, inBoth = text;
    trimLeft(inLeft, set), trimRight(inRight, set), set ? trim(inBoth, set) : trim(inBoth);
    EXPECT_EQ(inLeft + "|" + inRight + "|" + inBoth, left + "|" + right + "|" + both);
  }
  // Case copies change the ASCII letters only.
  EXPECT_EQ(toUpperCopy("azAZ09@[`{\xC3\xA9"), "AZAZ09@[`{\xC3\xA9");
  EXPECT_EQ(toLowerCopy("azAZ09@[`{\xC3\x89"), "azaz09@[`{\xC3\x89");
}

// Text, first and last field, expected; with the separator byte and the one-byte set, and
// for one field with fieldAt too.
TEST(Fields, CountedFromEitherEndAndCutToTheText) {
  const std::tuple<std::string, int, int, std::string> cases[] = {
      {"abc", -1, -1, "abc"},   {"a,b,c", -1, -1, "c"},    {"a,b,c", -3, -3, "a"},
      {"a,b,c", 3, 3, ""},      {"a,b,c", -4, -4, ""},     {"a,b,c", INT_MIN, INT_MIN, ""},
      {"a,,b", 2, 2, "b"},      {",a", 0, 0, ""},          {"a,", -1, -1, ""},
      {"a,b,c,d", 1, 2, "b,c"}, {"a,b,c,d", 2, -1, "c,d"}, {"a,b,c,d", INT_MIN, INT_MAX, "a,b,c,d"},
      {"a,b,c,d", 2, 1, ""},    {",a,", 0, 2, ",a,"}};
  for (const auto& [text, first, last, expected] : cases) {
    SCOPED_TRACE(text + " " + std::to_string(first) + " " + std::to_string(last));
    EXPECT_EQ(fieldRange(text, ',', first, last), expected);
    EXPECT_EQ(fieldRange(text, ",", first, last), expected);
    if (first != last) continue;
    EXPECT_EQ(fieldAt(text, ',', first), expected);
    EXPECT_EQ(fieldAt(text, ",", first), expected);
  }
  // The null set is blank, tab, line feed, carriage return, vertical tab and backspace.
  EXPECT_EQ(fieldAt("a\tb\nc\rd\ve\bf\fg  h", nullptr, 5) + fieldAt("a  b", nullptr, 1), "f\fg");
  EXPECT_EQ(fieldAt("a;b,c", ";,", 1) + fieldAt("a\0b"s, '\0', -1) + fieldAt("a\0b"s, " ", 0),
            "bba\0b"s);  // a NUL byte is never in a C-string set
  // The character tests of the same header: digits only; printable ASCII up to a NUL byte.
  EXPECT_TRUE(isDigits("0189") && !isDigits("") && !isDigits("+1") && !isDigits("/:"));
  EXPECT_TRUE(isPrintable("") && isPrintable(" ~") && isPrintable("1\0\t"s));
  for (const char* text : {"\x1F", "\x7F", "\xE9"}) EXPECT_FALSE(isPrintable(text)) << text;
}

// XXH64's published test values: the first bytes of its test buffer, under seeds 0 and
// 2654435761 (0 where none is published). A file is hashed in reads of whatever size
// the system returns, so every split must give the same digest.
TEST(ContentHash, PublishedXxh64ValuesSplitAnywhere) {
  constexpr std::uint64_t kSeed = 2654435761U;
  std::string buffer;
  for (std::uint64_t byte = kSeed; buffer.size() < 222; byte *= 11400714785074694797ULL) {
    buffer += static_cast<char>(byte >> 56);
  }
  // clang-format off
  const std::tuple<size_t, std::uint64_t, std::uint64_t> cases[] = {
      {0, 0xEF46DB3751D8E999, 0xAC75FDA2929B17EF}, {1, 0xE934A84ADB052768, 0x5014607643A9B4C3},
      {4, 0x9136A0DCA57457EE, 0}, {14, 0x8282DCC4994E35C8, 0xC3BD6BF63DEB6DF0},
      {222, 0xB641AE8CB691C174, 0x20CB8AB7AE10C14A}};
  // clang-format on
  for (const auto& [size, seedZero, seeded] : cases) {
    for (size_t at = 0; at <= size; ++at) {
      ContentHash hash(0, kSeed);
      hash.add(buffer.substr(0, at)), hash.add(buffer.substr(at, size - at));
      const ContentDigest digest = hash.digest();
      EXPECT_EQ(digest, (ContentDigest{seedZero, seeded ? seeded : digest.second, size})) << at;
    }
  }
}

TEST(ParseBool, WholeWordsInAnyCaseElseUntouched) {
  // 1 true, 0 false, -1 refused; the output starts as the opposite of a success's value.
  const std::pair<std::string, int> cases[] = {
      {"1", 1},  {"TRUE", 1}, {"On", 1},    {"yes", 1},   {"0", 0},   {"False", 0}, {"OFF", 0},
      {"no", 0}, {"", -1},    {" yes", -1}, {"yes ", -1}, {"01", -1}, {"on\0"s, -1}};
  for (const auto& [text, expected] : cases) {
    bool value = expected != 1;
    EXPECT_EQ(parseBool(text, value), expected >= 0) << text;
    EXPECT_EQ(value, expected != 0) << text;
  }
}

constexpr std::uint32_t kUntouched = 12345;  // no case converts to it

// Text and base, then success and stored value of the unsigned and of the signed parsers.
// parseUnsignedLong and parseLong store whenever they convert; parseUnsigned and parseInt on
// success only, and parseUnsignedShort only a success of at most 65535.
TEST(ParseInteger, ThirtyTwoAndSixteenBitsWhateverTheWidthOfLong) {
  const std::tuple<std::string, int, bool, std::uint32_t, bool, std::int32_t> cases[] = {
      {"4294967295", 10, true, UINT32_MAX, false, INT32_MAX},
      {"4294967296", 10, false, UINT32_MAX, false, INT32_MAX},
      {"2147483647", 10, true, INT32_MAX, true, INT32_MAX},
      {"2147483648", 10, true, 2147483648, false, INT32_MAX},
      {"-99999999999999999999", 10, false, kUntouched, false, INT32_MIN},  // a range error
      {"-2147483648", 10, false, kUntouched, true, INT32_MIN},             // must not stay in errno
      {"-2147483649", 10, false, kUntouched, false, INT32_MIN},
      {"65535", 10, true, 65535, true, 65535},
      {"65536", 10, true, 65536, true, 65536},
      {"7 ", 10, false, 7, false, 7},
      {"", 10, false, kUntouched, false, kUntouched},
      {" -1", 10, true, UINT32_MAX, true, -1},  // strtoul negates after a blank
      {" -4294967295", 10, true, 1, false, INT32_MIN},
      {" -4294967296", 10, false, UINT32_MAX, false, INT32_MIN},
      {"0", 10, true, 0, true, 0},
      {"0xFFFFFFFF", 16, true, UINT32_MAX, false, INT32_MAX},
      {"0x100000000", 0, false, UINT32_MAX, false, INT32_MAX},
      {"1", 37, false, 0, false, 0}};
  for (const auto& [text, base, unsignedOk, unsignedStored, signedOk, signedStored] : cases) {
    SCOPED_TRACE(text + " base " + std::to_string(base));
    std::uint32_t unsignedAlways = kUntouched, unsignedOnSuccess = kUntouched;
    std::uint16_t unsignedShort = kUntouched;
    std::int32_t signedAlways = kUntouched, signedOnSuccess = kUntouched;
    EXPECT_EQ(parseUnsignedLong(text, unsignedAlways, base), unsignedOk);
    EXPECT_EQ(unsignedAlways, unsignedStored);
    EXPECT_EQ(parseUnsigned(text, unsignedOnSuccess, base), unsignedOk);
    EXPECT_EQ(unsignedOnSuccess, unsignedOk ? unsignedStored : kUntouched);
    const bool fitsShort = unsignedOk && unsignedStored <= 65535;
    EXPECT_EQ(parseUnsignedShort(text, unsignedShort, base), fitsShort);
    EXPECT_EQ(std::uint32_t{unsignedShort}, fitsShort ? unsignedStored : kUntouched);
    EXPECT_EQ(parseLong(text, signedAlways, base), signedOk);
    EXPECT_EQ(signedAlways, signedStored);
    EXPECT_EQ(parseInt(text, signedOnSuccess, base), signedOk);
    EXPECT_EQ(signedOnSuccess, signedOk ? signedStored : std::int32_t{kUntouched});
  }
}

// Text, then success and stored value of parseDouble and of parseFloat; 7 means left alone.
TEST(ParseReal, OverflowAndUnderflowFailSubnormalsDoNot) {
  const std::tuple<std::string, bool, double, bool, float> cases[] = {
      {"", false, 7, false, 7},
      {"1.5 ", false, 1.5, false, 1.5f},
      {"-1e400", false, -HUGE_VAL, false, -HUGE_VALF},
      {"1.7976931348623157e308", true, DBL_MAX, false, HUGE_VALF},
      {"1e-400", false, 0, false, 0},
      {"1e-310", true, 1e-310, false, 0},
      {"1e-40", true, 1e-40, true, 1e-40f},
      {"0", true, 0, true, 0}};  // after a range error
  for (const auto& [text, doubleOk, doubleStored, floatOk, floatStored] : cases) {
    double asDouble = 7;
    float asFloat = 7;
    EXPECT_TRUE(parseDouble(text, asDouble) == doubleOk && asDouble == doubleStored) << text;
    EXPECT_TRUE(parseFloat(text, asFloat) == floatOk && asFloat == floatStored) << text;
  }
}

TEST(ValueToText, FullWidthAndDecimals) {
  EXPECT_EQ(boolToText(true) + boolToText(false), "truefalse");
  EXPECT_EQ(intToText(INT32_MIN) + longToText(INT32_MIN), "-2147483648-2147483648");
  EXPECT_EQ(unsignedToText(UINT32_MAX) + unsignedLongToText(UINT32_MAX), "42949672954294967295");
  EXPECT_EQ(doubleToText(3.14159, -1) + doubleToText(3.14159, 0), "3.1415903");
  EXPECT_EQ(doubleToText(1.0, 300), "1." + std::string(300, '0'));
}

// Around the first buffer's 256 bytes a text must come back whole, the values read again.
TEST(Format, TextsAroundTheFirstBufferAndTimes) {
  for (const std::size_t length : {255, 256, 300}) {
    const std::string filler(length - 2, 'x');
    EXPECT_EQ(formatText("%s%i", filler.c_str(), 42), filler + "42") << length;
  }
  EXPECT_EQ(formatText("%ls", L"\x100"), "");      // no multibyte form in the "C" locale: gives up
  EXPECT_EQ(formatTime("%Y", INT32_MIN), "1901");  // in every time zone
  const std::string empty, longest(511, 'x'), tooLong(512, 'x');  // -Wformat refuses ""
  EXPECT_EQ(formatTime(empty.c_str(), 0) + formatTime(tooLong.c_str(), 0), "");
  EXPECT_EQ(formatTime(longest.c_str(), 0), longest);
}

}  // namespace
}  // namespace inikey
