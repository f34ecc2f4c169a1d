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
