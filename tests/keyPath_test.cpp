#include "ops/keyPath.h"

#include <gtest/gtest.h>

namespace inikey {
namespace {

TEST(KeyPath, SplitsAtTheLastSlash) {
  struct Case {
    KeyPath keyPath;
    std::string sectionName, keyName;
  };
  const Case cases[] = {
      {"key", "", "key"},         {"sec/key", "sec", "key"}, {"a/b/c", "a/b", "c"},
      {"/key", "", "key"},        {"sec/", "sec", ""},       {"/", "", ""},
      {"", "", ""},               {"a//k", "a/", "k"},       {"net//ip", "net/", "ip"},
      {"my sec/my key", "my sec", "my key"},                 {"NET/IP", "NET", "IP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyPath);
    std::string sectionName = "stale";
    std::string keyName = "stale";
    splitKeyPath(c.keyPath, sectionName, keyName);
    EXPECT_EQ(sectionName, c.sectionName);
    EXPECT_EQ(keyName, c.keyName);
  }
}

}  // namespace
}  // namespace inikey
