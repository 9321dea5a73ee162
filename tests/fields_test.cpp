#include "util/fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

namespace inikey {
namespace {

using namespace std::string_literals;

// Text, first and last field, expected text. Each case runs with the separator byte and with
// the one-byte set; a case of one field also runs through fieldAt, which must agree.
TEST(Fields, CountedFromEitherEndAndCutToTheText) {
  const std::tuple<std::string, int, int, std::string> cases[] = {
      {"a,b,c", -1, -1, "c"},
      {"a,b,c", -3, -3, "a"},
      {"a,b,c", 3, 3, ""},
      {"a,b,c", -4, -4, ""},
      {"a,b,c", INT_MIN, INT_MIN, ""},
      {"a,b,c", INT_MAX, INT_MAX, ""},
      {"a,,b", 2, 2, "b"},
      {",a", 0, 0, ""},
      {"a,", -1, -1, ""},
      {"a,b,c,d", 1, 2, "b,c"},
      {"a,b,c,d", 2, -1, "c,d"},
      {"a,b,c,d", INT_MIN, INT_MAX, "a,b,c,d"},
      {"a,b,c,d", 2, 1, ""},
      {",a,", 0, 2, ",a,"},
  };
  for (const auto& [text, first, last, expected] : cases) {
    SCOPED_TRACE(text + " fields " + std::to_string(first) + " to " + std::to_string(last));
    EXPECT_EQ(fieldRange(text, ',', first, last), expected);
    EXPECT_EQ(fieldRange(text, ",", first, last), expected);
    if (first != last) continue;
    EXPECT_EQ(fieldAt(text, ',', first), expected);
    EXPECT_EQ(fieldAt(text, ",", first), expected);
  }
}

// The null set is blank, tab, line feed, carriage return, vertical tab and backspace.
TEST(Fields, SeparatorSets) {
  EXPECT_EQ(fieldAt("a  b", nullptr, 1), "");
  EXPECT_EQ(fieldAt("a\tb\nc\rd\ve\bf\fg", nullptr, 5), "f\fg");
  EXPECT_EQ(fieldAt("a;b,c", ";,", 1), "b");
  EXPECT_EQ(fieldAt("a b", "", 0), "a b");
  EXPECT_EQ(fieldAt("a\0b"s, '\0', 1), "b");
  EXPECT_EQ(fieldAt("a\0b"s, " ", 0), "a\0b"s);  // a NUL byte is never in a C-string set
}

TEST(CharacterTests, DigitsOnlyAndPrintableAscii) {
  EXPECT_TRUE(isDigits("007"));
  for (const char* text : {"", "+1", "1.0"}) EXPECT_FALSE(isDigits(text)) << text;
  for (const std::string& text : {""s, " ~"s, "12\0\t"s}) EXPECT_TRUE(isPrintable(text)) << text;
  for (const char* text : {"\x1F", "\x7F", "\xE9"}) EXPECT_FALSE(isPrintable(text)) << text;
}

}  // namespace
}  // namespace inikey
