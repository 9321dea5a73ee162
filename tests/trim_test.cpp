#include "util/trim.h"

#include <gtest/gtest.h>

#include <string>

namespace inikey {
namespace {

struct TrimCase {
  const char* name;
  std::string text;
  const char* set;
  std::string left, right, both;
};

TEST(Trim, EveryFormAgreesOnEachCase) {
  const TrimCase cases[] = {
      {"nothing to trim", "a b", nullptr, "a b", "a b", "a b"},
      {"empty", "", nullptr, "", "", ""},
      {"only blanks and tabs", " \t \t", nullptr, "", "", ""},
      {"every default byte", "\v\b\r\n\t x \t\n\r\b\v", nullptr, "x \t\n\r\b\v", "\v\b\r\n\t x",
       "x"},
      {"inner blanks stay", "  a  b  ", nullptr, "a  b  ", "  a  b", "a  b"},
      {"header set", "[[ [ name ] ]]", "[] \t\r", "name ] ]]", "[[ [ name", "name"},
      {"header set keeps inner brackets", "[a[b]c]", "[] \t\r", "a[b]c]", "[a[b]c", "a[b]c"},
      {"header set keeps vertical tab", "[\vname\v]", "[] \t\r", "\vname\v]", "[\vname\v",
       "\vname\v"},
      {"quote set", "\"\"a\"b\"\"", "\"", "a\"b\"\"", "\"\"a\"b", "a\"b"},
      {"empty set trims nothing", "  a  ", "", "  a  ", "  a  ", "  a  "},
      {"zero byte is not in a set", std::string("\0a\0", 3), " ", std::string("\0a\0", 3),
       std::string("\0a\0", 3), std::string("\0a\0", 3)},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(trimmedLeft(c.text, c.set), c.left);
    EXPECT_EQ(trimmedRight(c.text, c.set), c.right);
    EXPECT_EQ(trimmed(c.text, c.set), c.both);
    EXPECT_EQ(trimmedView(c.text, c.set), c.both);

    std::string left = c.text, right = c.text, both = c.text;
    trimLeft(left, c.set);
    trimRight(right, c.set);
    trim(both, c.set);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);
    EXPECT_EQ(both, c.both);
  }
}

TEST(Trim, OneArgumentFormUsesTheDefaultSet) {
  std::string text = "\b\v key \r\n";
  trim(text);
  EXPECT_EQ(text, "key");
  EXPECT_STREQ(whitespaceCharacters(), " \t\n\r\v\b");
}

TEST(CaseCopy, ChangesOnlyAsciiLetters) {
  const std::string text = "aZ09_-[]\xC3\xA9\xFF@`{";
  EXPECT_EQ(toUpperCopy(text), "AZ09_-[]\xC3\xA9\xFF@`{");
  EXPECT_EQ(toLowerCopy(text), "az09_-[]\xC3\xA9\xFF@`{");
  EXPECT_EQ(toUpperCopy(""), "");
}

}  // namespace
}  // namespace inikey
