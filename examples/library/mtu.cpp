// Reads the MTU of an INI file's [net] section and, when asked to, changes it:
//   mtu FILE           prints net/mtu (1500 when the file names none), whether
//                      that means jumbo frames, and net/eth0's mode
//   mtu FILE 9000      sets net/mtu to 9000 and saves FILE, making it when missing
//   mtu FILE default   removes net/mtu, so that 1500 applies again, and saves FILE
// A small example of the inikey library: IniFile loads and saves the file, the
// functions of keys.h read a value with a default or as a number, set and remove
// one, and those of convert.h turn a number into text and back.
#include <inikey/IniFile.h>
#include <inikey/convert.h>
#include <inikey/keys.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kDefaultMtu = 1500;  // Ethernet's, when the file names none
constexpr std::uint16_t kSmallestMtu = 68;   // the least an IPv4 host must accept

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s FILE [NEW_MTU|default]\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  // Create: a missing file reads as empty, and the save makes it.
  inikey::IniFile file(path, std::nullopt, inikey::FileAccess::Create);
  if (!file.loaded()) {
    std::fprintf(stderr, "cannot read %s: %s\n", path, std::strerror(file.loadError()));
    return 1;
  }

  if (argc == 2) {
    // Names match without regard to the case of ASCII letters, as in the inikey tool. A
    // value that is not a number counts as missing.
    const std::uint32_t mtu = inikey::getUnsigned(file, "net", "mtu", kDefaultMtu);
    std::printf("net/mtu=%s jumbo=%s eth0=%s\n", inikey::unsignedToText(mtu).c_str(),
                inikey::boolToText(mtu > kDefaultMtu).c_str(),
                inikey::getValue(file, "net/eth0", "mode", "static").c_str());
    return 0;
  }

  const std::string request = argv[2];
  std::string change;
  std::uint16_t newMtu = 0;
  if (request == "default") {
    inikey::removeKey(file, "net", "mtu");
    change = "net/mtu removed";
  } else if (inikey::parseUnsignedShort(request, newMtu, 10) && newMtu >= kSmallestMtu) {
    // Creates [net] and mtu when missing. setValue refuses, storing nothing, only what
    // a saved file could not give back as it is, such as "1\nx=y": never a number.
    if (inikey::setValue(file, "net", "mtu", request) != inikey::Refusal::None) return 1;
    change = "net/mtu=" + request;
  } else {
    std::fprintf(stderr, "not an MTU from %u to 65535: '%s'\n", unsigned{kSmallestMtu},
                 request.c_str());
    return 1;
  }
  // save() rewrites the file in place under an exclusive lock, sorted, without the
  // comments. When it could not, nothing was written and saveError says why.
  file.save();
  if (file.saveError() != 0) {
    std::fprintf(stderr, "cannot save %s: %s\n", path, std::strerror(file.saveError()));
    return 1;
  }
  std::printf("%s, saved\n", change.c_str());
  return 0;
}
