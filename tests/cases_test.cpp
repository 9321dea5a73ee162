// The tool's behaviour, case by case, as kept in tests/cases.
#include <gtest/gtest.h>

#include "support/caseFile.h"

namespace inikey::testing {
namespace {

TEST(Cases, CommandLine) { runCaseFile("options.cases"); }
TEST(Cases, FileFormat) { runCaseFile("parse.cases"); }
TEST(Cases, ReadAndList) { runCaseFile("read.cases"); }
TEST(Cases, WriteAndDelete) { runCaseFile("write.cases"); }

}  // namespace
}  // namespace inikey::testing
