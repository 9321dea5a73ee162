// Reads the MTU of an INI file's [net] section and, when given one, saves a new MTU:
//   mtu FILE         prints net/mtu and whether it means jumbo frames
//   mtu FILE 9000    sets net/mtu to 9000 and saves FILE
// A small example of the inikey library: IniFile to read, look up and save the file,
// the conversion functions to turn the text into a number and back.
#include <inikey/IniFile.h>
#include <inikey/convert.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::uint16_t kDefaultMtu = 1500;  // Ethernet's, when the file names none
constexpr std::uint16_t kSmallestMtu = 68;   // the least an IPv4 host must accept

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s FILE [NEW_MTU]\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  inikey::IniFile file(path);
  if (!file.loaded) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }

  std::uint16_t mtu = kDefaultMtu;
  // Names match without regard to the case of ASCII letters, as in the inikey tool.
  if (const auto text = file.findValue("net", "mtu")) {
    const std::string value(*text);
    if (!inikey::parseUnsignedShort(value, mtu, 10)) {
      std::fprintf(stderr, "net/mtu is not a number from 0 to 65535: '%s'\n", value.c_str());
      return 1;
    }
  }
  std::printf("net/mtu=%s jumbo=%s\n", inikey::unsignedToText(mtu).c_str(),
              inikey::boolToText(mtu > kDefaultMtu).c_str());
  if (argc == 2) return 0;

  std::uint16_t newMtu = 0;
  if (!inikey::parseUnsignedShort(argv[2], newMtu, 10) || newMtu < kSmallestMtu) {
    std::fprintf(stderr, "not an MTU from %u to 65535: '%s'\n", static_cast<unsigned>(kSmallestMtu),
                 argv[2]);
    return 1;
  }
  // Creates [net] and its mtu key when the file has neither.
  inikey::setKey(inikey::sectionFor(file.sections, "net"), "mtu", inikey::unsignedToText(newMtu));
  // save() rewrites the file in place under an exclusive lock, sorted, without the
  // comments; a file it cannot open for writing is left alone without a word.
  file.save();
  if (file.saveError != 0) {
    std::fprintf(stderr, "cannot save %s: %s\n", path, std::strerror(file.saveError));
    return 1;
  }
  std::printf("net/mtu=%s saved\n", inikey::unsignedToText(newMtu).c_str());
  return 0;
}
