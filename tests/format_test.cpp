#include "util/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace inikey {
namespace {

// Around the first buffer's 256 bytes: a text that does not fit must come back whole, with
// the value after the cut read again on the second attempt.
TEST(FormatText, TextsAroundTheFirstBufferSize) {
  for (const std::size_t length : {255, 256, 300}) {
    const std::string filler(length - 2, 'x');
    EXPECT_EQ(formatText("%s%i", filler.c_str(), 42), filler + "42") << length;
  }
}

TEST(FormatText, GivesUpOnAConversionThatAlwaysFails) {
  // No multibyte form in the "C" locale: vsnprintf fails at every buffer size.
  EXPECT_EQ(formatText("%ls", L"\x100"), "");
}

TEST(FormatTime, LocalYearAndAtMost511Bytes) {
  EXPECT_EQ(formatTime("%Y", INT32_MIN), "1901");                 // 1901 in every time zone
  const std::string empty, longest(511, 'x'), tooLong(512, 'x');  // -Wformat refuses ""
  EXPECT_EQ(formatTime(empty.c_str(), 0), "");
  EXPECT_EQ(formatTime(longest.c_str(), 0), longest);
  EXPECT_EQ(formatTime(tooLong.c_str(), 0), "");
}

}  // namespace
}  // namespace inikey
