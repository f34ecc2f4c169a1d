#include "rules/NewName.h"

namespace rules {

bool DeviceName(std::wstring_view name) {
  // Most names end here, at their first unit.
  if (name.size() < 3) return false;
  switch (utf16::AsciiLowerChar(name[0])) {
    case L'a':
    case L'c':
    case L'l':
    case L'n':
    case L'p': break;
    default: return false;
  }
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  if (stem.size() < 3 || stem.size() > 7) return false;
  wchar_t lower[8] = {};
  for (std::size_t i = 0; i < stem.size(); ++i) lower[i] = utf16::AsciiLowerChar(stem[i]);
  const std::wstring_view s(lower, stem.size());
  if (s == L"con" || s == L"prn" || s == L"aux" || s == L"nul" || s == L"conin$" || s == L"conout$") return true;
  return s.size() == 4 && (s.starts_with(L"com") || s.starts_with(L"lpt")) && s[3] >= L'0' && s[3] <= L'9';
}

bool AddressableName(std::wstring_view name) {
  if (name.empty()) return false;
  for (wchar_t c : name) {
    // U+FFFD is what Wine lists for bytes of a Linux name that aren't UTF-8: looked up, such a
    // name reaches whichever entry of the folder reads the same, maybe another file.
    if (RefusedInName(c) || c == 0xFFFD) return false;
  }
  return name.back() != L'.' && name.back() != L' ' && !DeviceName(name);
}

bool BadNewName(std::wstring_view name) {
  // A name whose only dot is its first unit has no base name.
  return !AddressableName(name) || name.rfind(L'.') == 0;
}

NameSize SizeOfName(std::wstring_view name) {
  NameSize size;
  size.units = static_cast<std::uint32_t>(name.size());
  size.utf8 = static_cast<std::uint32_t>(utf16::Utf8Size(name));
  return size;
}

}  // namespace rules
