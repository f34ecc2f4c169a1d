#include "os/Collate.h"

#include <windows.h>
#include <shlwapi.h>

#include <iterator>

namespace {

// The key in one call, into a buffer on the stack: a key is made for every row taken in, and
// each call costs more than the rest of taking a listed file in. Empty when the buffer is too
// small or the call fails; the general way below then decides.
std::string QuickSortKey(std::wstring_view name) {
  char key[1024];
  if (name.empty() || name.size() > 256) return std::string();
  int k = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.data(), static_cast<int>(name.size()),
                       reinterpret_cast<LPWSTR>(key), sizeof key);
  while (k > 0 && key[k - 1] == '\0') --k;  // the key ends in a NUL byte
  return std::string(key, k > 0 ? static_cast<std::size_t>(k) : 0);
}

}  // namespace

namespace os {

std::string SortKey(std::wstring_view name) {
  // lstrcmpW is CompareString with the user default locale and no flags; a sort key of the
  // same locale and flags orders the same way, and comparing keys is a memcmp.
  std::string quick = QuickSortKey(name);
  if (!quick.empty() || name.empty()) return quick;
  const int size = static_cast<int>(name.size());
  int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.data(), size, nullptr, 0);
  if (n <= 0) {
    // No key: the units themselves, high byte first, order the name.
    std::string units;
    for (const wchar_t c : name) units += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    return units;
  }
  std::string key(static_cast<std::size_t>(n), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.data(), size, reinterpret_cast<LPWSTR>(key.data()), n);
  while (!key.empty() && key.back() == '\0') key.pop_back();  // the key ends in a NUL byte
  return key;
}

int LogicalCompare(const wchar_t* a, const wchar_t* b) { return StrCmpLogicalW(a, b); }

}  // namespace os
