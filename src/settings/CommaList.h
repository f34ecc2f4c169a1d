// A list kept in one settings value: items joined with ",", an item in double quotes when it
// needs them (a quote inside doubled).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Splits a value into items. Leading blanks (units 1 to 32) are skipped; a double-quoted item
// runs to its closing quote ("" stands for one quote; a quote never closed runs to the end);
// any other item runs to the next blank or ","; blanks, then one "," and the blanks after it,
// separate items. ",," gives an empty item, a trailing "," adds nothing, and text right after
// a closing quote starts a further item.
// Reading stops after maxItems items: the rest of a huge value is never looked at.
std::vector<std::wstring> ReadCommaList(std::wstring_view value, std::size_t maxItems = static_cast<std::size_t>(-1));

// Joins items with ",". An item is quoted only when reading would otherwise change it: it holds
// a unit below "!" or a ",", begins with a double quote, or is an empty last item.
std::wstring WriteCommaList(const std::vector<std::wstring>& items);

// The date presets in the same form, so a preset with a blank, a comma, a leading quote or
// no text at all comes back as it was; presets that need no quotes are joined as they stand.
std::wstring JoinPresets(const std::vector<std::wstring>& presets);

}  // namespace settings
