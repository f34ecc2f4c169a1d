#include "rules/NewName.h"

#include "text/sjis.h"

namespace rules {

bool DeviceName(std::string_view name) {
  // Bytes are compared: "." and " " are never trail bytes, and no device name begins with a
  // lead byte. Most names end here, at their first byte.
  if (name.size() < 3) return false;
  switch (sjis::AsciiLowerChar(name[0])) {
    case 'a':
    case 'c':
    case 'l':
    case 'n':
    case 'p': break;
    default: return false;
  }
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  if (stem.size() < 3 || stem.size() > 7) return false;
  char lower[8] = {};
  for (std::size_t i = 0; i < stem.size(); ++i) lower[i] = sjis::AsciiLowerChar(stem[i]);
  const std::string_view s(lower, stem.size());
  if (s == "con" || s == "prn" || s == "aux" || s == "nul" || s == "conin$" || s == "conout$") return true;
  return s.size() == 4 && (s.starts_with("com") || s.starts_with("lpt")) && s[3] >= '0' && s[3] <= '9';
}

bool AddressableName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); i = sjis::NextChar(name, i)) {
    if (RefusedInName(static_cast<unsigned char>(name[i]))) return false;
  }
  // "." and " " are never trail bytes.
  return name.back() != '.' && name.back() != ' ' && !DeviceName(name);
}

bool BadNewName(std::string_view name) {
  // "." is never a trail byte: a name whose only dot is its first byte has no base name.
  return !AddressableName(name) || name.rfind('.') == 0;
}

NameSize SizeOfName(std::string_view name) {
  const std::uint8_t* utf8 = sjis::Utf8Lengths();
  NameSize size;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t next;
    const unsigned index = sjis::CodeAt(name.data(), name.size(), i, next);
    ++size.units;  // every Shift_JIS character is one UTF-16 unit
    size.utf8 += utf8[index];
    i = next;
  }
  return size;
}

}  // namespace rules
