#include "rules/CleanUp.h"

#include "text/StringEx.h"
#include "text/utf16.h"

namespace rules {

namespace {

// The fixed texts by code point: "～" (U+FF5E, the Shift_JIS one) has look-alikes such as "〜".
constexpr std::wstring_view kLnk = L".lnk";
constexpr std::wstring_view kShortcutBlank =  // " へのショートカット"
    L" \u3078\u306E\u30B7\u30E7\u30FC\u30C8\u30AB\u30C3\u30C8";
constexpr std::wstring_view kShortcut = kShortcutBlank.substr(1);  // "へのショートカット"
constexpr std::wstring_view kShortcutHalf =                        // "へのｼｮｰﾄｶｯﾄ"
    L"\u3078\u306E\uFF7C\uFF6E\uFF70\uFF84\uFF76\uFF6F\uFF84";
constexpr std::wstring_view kCopy = L"\u30B3\u30D4\u30FC \uFF5E ";            // "コピー ～ "
constexpr std::wstring_view kCopyHalf = L"\uFF7A\uFF8B\uFF9F\uFF70 \uFF5E ";  // "ｺﾋﾟｰ ～ "

// Removes open + n + close for n = 0…99, each n first with a blank in front so that the blank
// goes with its bracket. Skipped when no open bracket stands in the name at all.
void RemoveNumbers(std::wstring& name, wchar_t open, wchar_t close) {
  if (name.find(open) == std::wstring::npos) return;
  for (int n = 0; n <= 99; ++n) {
    std::wstring pattern = std::wstring(L" ") + open + std::to_wstring(n) + close;
    name = RemoveAll(name, pattern);
    name = RemoveAll(name, std::wstring_view(pattern).substr(1));
  }
}

}  // namespace

std::wstring RemoveAll(std::wstring_view text, std::wstring_view pattern) {
  std::wstring out(text);
  for (std::size_t at; (at = utf16::Find(out, pattern)) != utf16::npos;) out.erase(at, pattern.size());
  return out;
}

std::wstring AutoCleanName(std::wstring_view path, const CleanUpOptions& options) {
  std::wstring_view folder = utf16::FolderPart(path);
  std::wstring_view original = utf16::BaseName(path);
  std::wstring_view ext = utf16::Extension(path);

  std::wstring name(original);
  // Composed first, so that the texts below are found whichever way the marks came.
  std::wstring composedExt;
  if (options.compose) {
    if (utf16::NeedsCompose(name)) name = utf16::Compose(name);
    if (utf16::NeedsCompose(ext)) composedExt = utf16::Compose(ext);
  }
  if (!composedExt.empty()) ext = composedExt;
  if (options.removeShortcut && ext == kLnk) {
    name = RemoveAll(name, kShortcutBlank);
    name = RemoveAll(name, kShortcut);
    name = RemoveAll(name, kShortcutHalf);
  }
  if (options.removeBracketNumber) RemoveNumbers(name, L'[', L']');
  if (options.removeParenNumber) RemoveNumbers(name, L'(', L')');
  if (options.removeCopy) {
    name = RemoveAll(name, kCopy);
    name = RemoveAll(name, kCopyHalf);
  }
  if (options.trim) name = TrimWide(std::wstring_view(name));
  // A name cleaned away entirely keeps what it had; only the extension may still change.
  if (name.empty()) name = original;

  std::wstring result(folder);
  result += name;
  if (options.jpegToJpg && utf16::AsciiLower(ext) == L".jpeg") {
    result += L".jpg";
  } else {
    result += ext;
  }
  return result;
}

}  // namespace rules
