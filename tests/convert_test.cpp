#include "util/convert.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

namespace inikey {
namespace {

TEST(ParseBool, WholeWordsInAnyCase) {
  for (const char* text : {"1", "true", "on", "yes", "YES", "On", "TRUE"}) {
    bool value = false;
    EXPECT_TRUE(parseBool(text, value) && value) << text;
  }
  for (const char* text : {"0", "false", "off", "no", "No", "OFF"}) {
    bool value = true;
    EXPECT_TRUE(parseBool(text, value) && !value) << text;
  }
  for (const std::string& text :
       {std::string(), std::string(" yes"), std::string("yes "), std::string("01"),
        std::string("y"), std::string("enabled"), std::string("on\0", 3)}) {
    bool value = true;
    EXPECT_FALSE(parseBool(text, value)) << text;
    EXPECT_TRUE(value) << text;
  }
}

constexpr std::uint32_t kUntouched = 12345;  // no case converts to it

// `stored` is what the writing variant leaves; the other must store it on success only.
template <typename Integer>
struct IntegerCase {
  std::string text;
  int base;
  bool ok;
  Integer stored;
};

TEST(ParseUnsigned, ThirtyTwoBitsWhateverTheWidthOfLong) {
  constexpr std::uint32_t kMax = UINT32_MAX;
  const IntegerCase<std::uint32_t> cases[] = {
      {"4294967295", 10, true, kMax},
      {"4294967296", 10, false, kMax},
      {" 7", 10, true, 7},
      {"7 ", 10, false, 7},
      {"x", 10, false, 0},
      {"", 10, false, kUntouched},
      {"-1", 10, false, kUntouched},
      {" -1", 10, true, kMax},  // the library negates
      {" -4294967296", 10, false, kMax},
      {"0xFFFFFFFF", 16, true, kMax},
      {"0x100000000", 0, false, kMax},
      {std::string(32, '1'), 2, true, kMax},
      {"1z141z3", 36, true, kMax},
      {"1", 37, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " base " + std::to_string(c.base));
    std::uint32_t always = kUntouched, onSuccess = kUntouched;
    EXPECT_EQ(parseUnsignedLong(c.text, always, c.base), c.ok);
    EXPECT_EQ(always, c.stored);
    EXPECT_EQ(parseUnsigned(c.text, onSuccess, c.base), c.ok);
    EXPECT_EQ(onSuccess, c.ok ? c.stored : kUntouched);
  }
}

TEST(ParseUnsignedShort, SixteenBitLimit) {
  for (const char* text : {"65535", "0xffff"}) {
    std::uint16_t value = 0;
    EXPECT_TRUE(parseUnsignedShort(text, value, 0) && value == 65535) << text;
  }
  for (const char* text : {"65536", "4294967296", "-1", " -1", "1 ", ""}) {
    std::uint16_t value = 4321;
    EXPECT_FALSE(parseUnsignedShort(text, value, 0)) << text;
    EXPECT_EQ(value, 4321) << text;
  }
}

TEST(ParseInt, ThirtyTwoBitsWhateverTheWidthOfLong) {
  const IntegerCase<std::int32_t> cases[] = {
      {"2147483647", 10, true, INT32_MAX},
      {"2147483648", 10, false, INT32_MAX},
      {"-2147483648", 10, true, INT32_MIN},
      {"-2147483649", 10, false, INT32_MIN},
      {"0x1A", 16, true, 26},
      {"0x1A", 0, true, 26},
      {"0x1A", 10, false, 0},
      {"12abc", 10, false, 12},
      {"1 ", 10, false, 1},
      {"-z", 36, true, -35},
      {"", 10, false, kUntouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " base " + std::to_string(c.base));
    std::int32_t always = kUntouched, onSuccess = kUntouched;
    EXPECT_EQ(parseLong(c.text, always, c.base), c.ok);
    EXPECT_EQ(always, c.stored);
    EXPECT_EQ(parseInt(c.text, onSuccess, c.base), c.ok);
    EXPECT_EQ(onSuccess, c.ok ? c.stored : kUntouched);
  }
}

template <typename Real>
struct RealCase {
  std::string text;
  bool ok;
  Real stored;  // 7: the output was left alone
};

TEST(ParseReal, OverflowAndUnderflowFailSubnormalsDoNot) {
  const RealCase<double> doubles[] = {
      {"1.5", true, 1.5},
      {"1.5 ", false, 1.5},
      {"1e400", false, HUGE_VAL},
      {"-1e400", false, -HUGE_VAL},
      {"1e-400", false, 0},
      {"1e-310", true, 1e-310},
      {"1.7976931348623157e308", true, DBL_MAX},
      {"", false, 7},
  };
  for (const auto& c : doubles) {
    double value = 7;
    EXPECT_EQ(parseDouble(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.stored) << c.text;
  }
  const RealCase<float> floats[] = {
      {"3.4028235e38", true, FLT_MAX},
      {"3.5e38", false, HUGE_VALF},
      {"1e-40", true, 1e-40f},
      {"1e-46", false, 0},
      {"", false, 7},
  };
  for (const auto& c : floats) {
    float value = 7;
    EXPECT_EQ(parseFloat(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.stored) << c.text;
  }
}

TEST(ValueToText, FullWidthOfEachType) {
  EXPECT_EQ(boolToText(true) + boolToText(false), "truefalse");
  EXPECT_EQ(intToText(INT32_MIN), "-2147483648");
  EXPECT_EQ(longToText(INT32_MIN), "-2147483648");
  EXPECT_EQ(unsignedToText(UINT32_MAX), "4294967295");
  EXPECT_EQ(unsignedLongToText(UINT32_MAX), "4294967295");
  EXPECT_EQ(doubleToText(3.14159, 2), "3.14");
  EXPECT_EQ(doubleToText(3.14159, -1), "3.141590");
  EXPECT_EQ(doubleToText(3.14159, 0), "3");
  EXPECT_EQ(doubleToText(1.0, 300), "1." + std::string(300, '0'));
}

}  // namespace
}  // namespace inikey
