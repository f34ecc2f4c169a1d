#include "rules/ExtensionAnswer.h"

#include "text/sjis.h"

namespace rules {

namespace {

bool RefusedByte(unsigned char c) {
  return c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string ExtensionFromAnswer(std::string_view answer) {
  if (answer.empty()) return {};
  std::string ext(answer);
  if (ext[0] != '.') ext.insert(ext.begin(), '.');
  // Only single-byte characters are looked at: a trail byte of ソ is no "\".
  for (std::size_t i = 0; i < ext.size(); i = sjis::NextChar(ext, i)) {
    if (sjis::IsLeadByte(static_cast<unsigned char>(ext[i]))) continue;
    if (RefusedByte(static_cast<unsigned char>(ext[i]))) return {};
  }
  if (ext.back() == '.' || ext.back() == ' ') return {};
  return ext;
}

}  // namespace rules
