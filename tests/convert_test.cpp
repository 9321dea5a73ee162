#include "util/convert.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

namespace inikey {
namespace {

using namespace std::string_literals;

TEST(ParseBool, WholeWordsInAnyCaseElseUntouched) {
  for (const char* text : {"1", "TRUE", "On", "yes"}) {
    bool value = false;
    EXPECT_TRUE(parseBool(text, value) && value) << text;
  }
  for (const char* text : {"0", "False", "OFF", "no"}) {
    bool value = true;
    EXPECT_TRUE(parseBool(text, value) && !value) << text;
  }
  for (const std::string& text : {""s, " yes"s, "yes "s, "01"s, "y"s, "on\0"s}) {
    bool value = true;
    EXPECT_FALSE(parseBool(text, value) || !value) << text;
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
      {"-2147483648", 10, false, kUntouched, true, INT32_MIN},
      {"-2147483649", 10, false, kUntouched, false, INT32_MIN},
      {"65535", 10, true, 65535, true, 65535},
      {"65536", 10, true, 65536, true, 65536},
      {"7 ", 10, false, 7, false, 7},
      {"", 10, false, kUntouched, false, kUntouched},
      {" -1", 10, true, UINT32_MAX, true, -1},  // strtoul negates after a blank
      {" -4294967296", 10, false, UINT32_MAX, false, INT32_MIN},
      {"0xFFFFFFFF", 16, true, UINT32_MAX, false, INT32_MAX},
      {"0x100000000", 0, false, UINT32_MAX, false, INT32_MAX},
      {std::string(32, '1'), 2, true, UINT32_MAX, false, INT32_MAX},
      {"zz", 36, true, 1295, true, 1295},
      {"1", 37, false, 0, false, 0},
  };
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
  };
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
  EXPECT_EQ(doubleToText(3.14159, -1), "3.141590");
  EXPECT_EQ(doubleToText(3.14159, 0), "3");
  EXPECT_EQ(doubleToText(1.0, 300), "1." + std::string(300, '0'));
}

}  // namespace
}  // namespace inikey
