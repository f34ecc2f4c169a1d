#include "rules/CleanUp.h"

#include "text/StringEx.h"
#include "text/sjis.h"

namespace rules {

namespace {

// The fixed texts as CP932 bytes, spelled out: "～" has look-alikes in other code pages.
constexpr std::string_view kLnk = ".lnk";
constexpr std::string_view kShortcutBlank =  // " へのショートカット"
    " \x82\xD6\x82\xCC\x83\x56\x83\x87\x81\x5B\x83\x67\x83\x4A\x83\x62\x83\x67";
constexpr std::string_view kShortcut = kShortcutBlank.substr(1);  // "へのショートカット"
constexpr std::string_view kShortcutHalf =                         // "へのｼｮｰﾄｶｯﾄ"
    "\x82\xD6\x82\xCC\xBC\xAE\xB0\xC4\xB6\xAF\xC4";
constexpr std::string_view kCopy = "\x83\x52\x83\x73\x81\x5B \x81\x60 ";  // "コピー ～ "
constexpr std::string_view kCopyHalf = "\xBA\xCB\xDF\xB0 \x81\x60 ";      // "ｺﾋﾟｰ ～ "

// Removes open + n + close for n = 0…99, each n first with a blank in front so that the blank
// goes with its bracket. Skipped when no open bracket stands in the name at all.
void RemoveNumbers(std::string& name, char open, char close) {
  const char bracket[] = {open, '\0'};
  if (!sjis::Contains(name, bracket)) return;
  for (int n = 0; n <= 99; ++n) {
    std::string pattern = std::string(" ") + open + std::to_string(n) + close;
    name = RemoveAll(name, pattern);
    name = RemoveAll(name, std::string_view(pattern).substr(1));
  }
}

}  // namespace

std::string RemoveAll(std::string_view text, std::string_view pattern) {
  std::string out(text);
  for (std::size_t at; (at = sjis::Find(out, pattern)) != sjis::npos;) out.erase(at, pattern.size());
  return out;
}

std::string AutoCleanName(std::string_view path, const CleanUpOptions& options) {
  std::string_view folder = sjis::FolderPart(path);
  std::string_view original = sjis::BaseName(path);
  std::string_view ext = sjis::Extension(path);

  std::string name(original);
  if (options.removeShortcut && ext == kLnk) {
    name = RemoveAll(name, kShortcutBlank);
    name = RemoveAll(name, kShortcut);
    name = RemoveAll(name, kShortcutHalf);
  }
  if (options.removeBracketNumber) RemoveNumbers(name, '[', ']');
  if (options.removeParenNumber) RemoveNumbers(name, '(', ')');
  if (options.removeCopy) {
    name = RemoveAll(name, kCopy);
    name = RemoveAll(name, kCopyHalf);
  }
  if (options.trim) name = TrimWide(std::string_view(name));
  // A name cleaned away entirely keeps what it had; only the extension may still change.
  if (name.empty()) name = original;

  std::string result(folder);
  result += name;
  if (options.jpegToJpg && sjis::AsciiLower(ext) == ".jpeg") {
    result += ".jpg";
  } else {
    result += ext;
  }
  return result;
}

}  // namespace rules
