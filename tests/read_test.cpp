// Read runs: named keys and listings, as a shell script sees them.
#include <gtest/gtest.h>

#include "support/toolCase.h"

namespace inikey::testing {
namespace {

const std::string kFile =
    "ip=0\n"
    "[net]\n"
    "ip=1\n"
    "empty=\n"
    "quote=it's\n"
    "marker=__QZ_DEFVAL__\n"
    "lower=__qz_defval__\n"
    "[net/eth0]\n"
    "ip=2\n"
    "[empty]\n"
    "[order]\n"
    "b=2\n"
    "A=1\n"
    "c=3\n";

std::vector<std::string> on(std::vector<std::string> args) {
  args.insert(args.begin(), {"-f", "settings.ini"});
  return args;
}

TEST(ReadKeys, PrintsNamedKeysAsAsked) {
  runCases({
      {"key before any header", kFile, on({"ip"}), "ip='0'\n", "", 0},
      {"... with its empty section", kFile, on({"-S", "ip"}), "/ip='0'\n", "", 0},
      {"key of a section", kFile, on({"net/ip"}), "ip='1'\n", "", 0},
      {"... with its section", kFile, on({"-S", "net/ip"}), "net/ip='1'\n", "", 0},
      {"names print as asked, not as stored", kFile, on({"-S", "NET/IP", "Order/a"}),
       "NET/IP='1'\nOrder/a='1'\n", "", 0},
      {"prefix names the section", kFile, on({"-p", "net", "ip", "-S"}), "net/ip='1'\n", "", 0},
      {"prefix joins a subsection", kFile, on({"-p", "net", "eth0/ip"}), "ip='2'\n", "", 0},
      {"empty value and a single quote, unescaped", kFile, on({"net/empty", "net/quote"}),
       "empty=''\nquote='it's'\n", "", 0},
      {"command-line order, repeats kept", kFile, on({"order/b", "order/a", "order/b"}),
       "b='2'\na='1'\nb='2'\n", "", 0},
      {"missing key is quiet", kFile, on({"net/mtu", "nosuch/ip", "net/ip"}), "ip='1'\n", "", 0},
      {"missing key under -v", kFile, on({"-v", "net/mtu", "nosuch/ip", "net/", "net/ip"}),
       "ip='1'\n",
       "section 'net': key 'mtu' is not found\n"
       "section 'nosuch': key 'ip' is not found\n"
       "section 'net': key '' is not found\n",
       0},
      {"the marker value counts as missing", kFile, on({"-v", "net/marker", "net/lower"}),
       "lower='__qz_defval__'\n", "section 'net': key 'marker' is not found\n", 0},
  });
}

TEST(ListSections, PrintsWholeSections) {
  runCases({
      {"every key, section after section", kFile, on({}),
       "ip='0'\n"
       "empty=''\nip='1'\nlower='__qz_defval__'\nmarker='__QZ_DEFVAL__'\nquote='it's'\n"
       "ip='2'\n"
       "A='1'\nb='2'\nc='3'\n",
       "", 0},
      {"every key with its section", "k=v\n[s]\nk=w\n", on({"-S"}), "/k='v'\ns/k='w'\n", "", 0},
      {"-s without arguments lists everything too", "k=v\n[s]\nk=w\n", on({"-s", "-S"}),
       "/k='v'\ns/k='w'\n", "", 0},
      {"named sections, names as asked", kFile, on({"-s", "-S", "NET/ETH0", "order"}),
       "NET/ETH0/ip='2'\norder/A='1'\norder/b='2'\norder/c='3'\n", "", 0},
      {"a section named twice prints twice", kFile, on({"-s", "net/eth0", "net/eth0"}),
       "ip='2'\nip='2'\n", "", 0},
      {"the empty name is the keys before any header", kFile, on({"-s", "-S", ""}),
       "/ip='0'\n", "", 0},
      {"prefix before section names", kFile, on({"-p", "net", "-s", "eth0"}), "ip='2'\n", "", 0},
      {"a header without keys is no section", kFile, on({"-v", "-s", "empty", "nosuch"}), "",
       "section 'empty' is not found\nsection 'nosuch' is not found\n", 0},
      {"missing sections are quiet without -v", kFile, on({"-s", "empty", "nosuch"}), "", "", 0},
      {"a file without keys prints nothing", "; only a comment\n[header]\n", on({}), "", "", 0},
      {"an empty file prints nothing", "", on({"-S"}), "", "", 0},
  });
}

TEST(ReadKeys, ReadsAnyLineEndAndLength) {
  const std::string longValue(100000, 'v');
  runCases({
      {"CR LF line ends", "[s]\r\na = 1\r\n", on({"s/a"}), "a='1'\n", "", 0},
      {"long value", "[s]\nlong=" + longValue + "\n", on({"s/long"}),
       "long='" + longValue + "'\n", "", 0},
      {"zero byte joins a line to the next", std::string("[s]\na=1\0junk\nb=2\n", 16),
       on({"-S"}), "s/a='1b=2'\n", "", 0},
  });
}

}  // namespace
}  // namespace inikey::testing
