#include "rules/ExtensionAnswer.h"

#include "text/utf16.h"

namespace rules {

std::wstring ExtensionFromAnswer(std::wstring_view answer) {
  if (answer.empty()) return {};
  std::wstring ext(answer);
  if (ext[0] != L'.') ext.insert(ext.begin(), L'.');
  for (wchar_t c : ext) {
    if (utf16::RefusedInName(c)) return {};
  }
  if (ext.back() == L'.' || ext.back() == L' ') return {};
  return ext;
}

}  // namespace rules
