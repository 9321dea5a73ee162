#include "util/format.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <string>

namespace inikey {
namespace {

std::string formatThroughList(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatThroughList(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = formatTextV(format, arguments);
  va_end(arguments);
  return text;
}

// Around the first buffer's size; a text that does not fit must come back whole, with
// every value read again on the second attempt.
TEST(FormatText, TextsAroundTheFirstBufferSize) {
  for (const std::size_t length : {0, 1, 253, 254, 255, 256, 300, 5000}) {
    SCOPED_TRACE(length);
    const std::string filler(length, 'x');
    EXPECT_EQ(formatText("%s", filler.c_str()), filler);
    EXPECT_EQ(formatText("%s%i", filler.c_str(), 42), filler + "42");
    EXPECT_EQ(formatThroughList("%i%s", 42, filler.c_str()), "42" + filler);
  }
}

TEST(FormatText, GivesUpOnAConversionThatAlwaysFails) {
  // No multibyte form in the "C" locale: vsnprintf fails at every buffer size.
  EXPECT_EQ(formatText("%ls", L"\x100"), "");
  EXPECT_EQ(formatText("%ls", L"ok"), "ok");
}

// Mid-year and the 32-bit limits stay in their year in every time zone.
TEST(FormatTime, LocalTime) {
  EXPECT_EQ(formatTime("%Y", 994000000), "2001");
  EXPECT_EQ(formatTime("%Y", INT32_MAX), "2038");
  EXPECT_EQ(formatTime("%Y", INT32_MIN), "1901");
  EXPECT_EQ(formatTime("%%", 0), "%");
  const std::string empty;  // a literal one is already refused by -Wformat
  EXPECT_EQ(formatTime(empty.c_str(), 994000000), "");
}

TEST(FormatTime, AtMost511Bytes) {
  const std::string longest(511, 'x');
  EXPECT_EQ(formatTime(longest.c_str(), 0), longest);
  const std::string tooLong(512, 'x');
  EXPECT_EQ(formatTime(tooLong.c_str(), 0), "");
}

}  // namespace
}  // namespace inikey
