// Helpers for tests of CP932 byte strings: failures print bytes, not mojibake.
#pragma once

#include <string>
#include <string_view>

// "83 5C 41" for the bytes of ソA.
inline std::string Hex(std::string_view s) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : s) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

// "30BD 0041" for the UTF-16 units of ソA.
inline std::string Hex(std::wstring_view s) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (wchar_t c : s) {
    if (!out.empty()) out += ' ';
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(static_cast<unsigned>(c) >> shift) & 0xF];
  }
  return out;
}
