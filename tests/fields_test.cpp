#include "util/fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace inikey {
namespace {

struct FieldCase {
  std::string text;
  int first, last;  // fieldAt takes first only
  std::string expected;
};

// The separator byte and the one-byte set must agree on every case.
TEST(FieldAt, CountsFromEitherEnd) {
  const FieldCase cases[] = {
      {"a,b,c", 0, 0, "a"},      {"a,b,c", 2, 0, "c"},      {"a,b,c", -1, 0, "c"},
      {"a,b,c", -3, 0, "a"},     {"a,b,c", 3, 0, ""},       {"a,b,c", -4, 0, ""},
      {"a,b,c", INT_MIN, 0, ""}, {"a,b,c", INT_MAX, 0, ""}, {"a,,b", 1, 0, ""},
      {"a,,b", 2, 0, "b"},       {",a", 0, 0, ""},          {"a,", -1, 0, ""},
      {"abc", 0, 0, "abc"},      {"abc", -1, 0, "abc"},     {"", 0, 0, ""},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text + " field " + std::to_string(c.first));
    EXPECT_EQ(fieldAt(c.text, ',', c.first), c.expected);
    EXPECT_EQ(fieldAt(c.text, ",", c.first), c.expected);
  }
}

TEST(FieldAt, SeparatorSets) {
  EXPECT_EQ(fieldAt("a  b", nullptr, 1), "");
  EXPECT_EQ(fieldAt("a\tb\nc\rd\ve\bf", nullptr, 4), "e");
  EXPECT_EQ(fieldAt("a\fb", nullptr, 0), "a\fb");  // form feed is not in the default set
  EXPECT_EQ(fieldAt("a;b,c", ";,", 1), "b");
  EXPECT_EQ(fieldAt("a b", "", 0), "a b");
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(fieldAt(withNul, '\0', 1), "b");
  EXPECT_EQ(fieldAt(withNul, " ", 0), withNul);
}

TEST(FieldRange, CutsNumbersToTheText) {
  const FieldCase cases[] = {
      {"a,b,c,d", 1, 2, "b,c"},
      {"a,b,c,d", 2, -1, "c,d"},
      {"a,b,c,d", -10, -1, "a,b,c,d"},
      {"a,b,c,d", 0, 10, "a,b,c,d"},
      {"a,b,c,d", INT_MIN, INT_MAX, "a,b,c,d"},
      {"a,b,c,d", 2, 1, ""},
      {"a,b,c,d", 4, 10, ""},
      {"a,b,c,d", 0, -5, ""},
      {"a,b,c,d", 0, -4, "a"},
      {",a,", 0, 2, ",a,"},
      {"", 0, 0, ""},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text + " fields " + std::to_string(c.first) + " " + std::to_string(c.last));
    EXPECT_EQ(fieldRange(c.text, ',', c.first, c.last), c.expected);
    EXPECT_EQ(fieldRange(c.text, ",", c.first, c.last), c.expected);
  }
  EXPECT_EQ(fieldRange("a b\tc d", nullptr, 1, 2), "b\tc");
}

TEST(CharacterTests, DigitsAndPrintable) {
  const struct {
    std::string text;
    bool digits, printable;
  } cases[] = {
      {"", false, true},
      {"007", true, true},
      {"+1", false, true},
      {"1.0", false, true},
      {"~ !", false, true},
      {"a\tb", false, false},
      {"\xE9", false, false},
      {"\x7F", false, false},
      {"\x1F", false, false},
      {std::string("12\0\t", 4), false, true},  // printable stops at the NUL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(isDigits(c.text), c.digits);
    EXPECT_EQ(isPrintable(c.text), c.printable);
  }
}

}  // namespace
}  // namespace inikey
