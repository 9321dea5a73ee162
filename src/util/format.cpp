#include "util/format.h"

#include <cstddef>
#include <cstdio>
#include <ctime>

namespace inikey {
namespace {

// Most texts fit at the first attempt; a longer one fits at the second, sized exactly.
constexpr std::size_t kFirstBufferSize = 256;

// vsnprintf reports an error by a negative result. glibc does so whatever the buffer size
// (a wide character with no multibyte form, a text past INT_MAX), so the doubling kept for
// libraries that report a cut text that way must stop somewhere: here at 32 KiB.
constexpr int kMostAttempts = 8;

constexpr std::size_t kTimeBufferSize = 512;

}  // namespace

std::string formatTextV(const char* format, va_list arguments) {
  std::string buffer(kFirstBufferSize, '\0');
  for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
    // Every attempt reads the values from the first one again.
    va_list attemptArguments;
    va_copy(attemptArguments, arguments);
    const int length = std::vsnprintf(buffer.data(), buffer.size(), format, attemptArguments);
    va_end(attemptArguments);
    if (length < 0) {
      buffer.resize(buffer.size() * 2, '\0');
    } else if (static_cast<std::size_t>(length) >= buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length) + 1, '\0');
    } else {
      return buffer.substr(0, static_cast<std::size_t>(length));
    }
  }
  return {};
}

std::string formatText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = formatTextV(format, arguments);
  va_end(arguments);
  return text;
}

std::string formatTime(const char* format, std::int32_t time) {
  const std::time_t seconds = time;
  std::tm local{};
  // localtime_r: the conversion of localtime without its result shared between callers.
  if (localtime_r(&seconds, &local) == nullptr) return {};
  char buffer[kTimeBufferSize] = {};
  const std::size_t length = std::strftime(buffer, sizeof buffer, format, &local);
  return std::string(buffer, length);
}

}  // namespace inikey
