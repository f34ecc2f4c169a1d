#include "os/Collate.h"

#include <windows.h>
#include <shlwapi.h>

#include <iterator>

#include "text/sjis.h"

namespace {

// SortKey in one call for each step, into buffers on the stack: a key is made for every row
// taken in, and each call costs more than the rest of taking a listed file in. Empty when a
// buffer is too small or a call fails; the general way below then decides.
std::string QuickSortKey(std::string_view name) {
  wchar_t w[256];
  char key[1024];
  if (name.empty() || name.size() > std::size(w)) return std::string();
  // Each byte gives at most one UTF-16 unit, so the buffer holds what ToUtf16Lenient would give.
  int n = MultiByteToWideChar(sjis::kCodePage, 0, name.data(), static_cast<int>(name.size()), w,
                              static_cast<int>(std::size(w)));
  if (n <= 0) return std::string();
  int k = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, w, n, reinterpret_cast<LPWSTR>(key), sizeof key);
  while (k > 0 && key[k - 1] == '\0') --k;  // the key ends in a NUL byte
  return std::string(key, k > 0 ? static_cast<std::size_t>(k) : 0);
}

}  // namespace

namespace os {

std::string SortKey(std::string_view name) {
  // lstrcmpA is CompareString with the user default locale and no flags; a sort key of the
  // same locale and flags orders the same way, and comparing keys is a memcmp.
  std::string quick = QuickSortKey(name);
  if (!quick.empty()) return quick;
  std::wstring w = sjis::ToUtf16Lenient(name);
  if (w.empty()) return std::string();
  int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, w.c_str(), static_cast<int>(w.size()),
                       nullptr, 0);
  if (n <= 0) return std::string(name);
  std::string key(static_cast<std::size_t>(n), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, w.c_str(), static_cast<int>(w.size()),
               reinterpret_cast<LPWSTR>(key.data()), n);
  while (!key.empty() && key.back() == '\0') key.pop_back();  // the key ends in a NUL byte
  return key;
}

int LogicalCompare(const wchar_t* a, const wchar_t* b) { return StrCmpLogicalW(a, b); }

}  // namespace os
