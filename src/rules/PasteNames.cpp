#include "rules/PasteNames.h"

#include <limits>
#include <unordered_map>

#include "rules/NewName.h"
#include "text/StringEx.h"
#include "text/utf16.h"

namespace rules {

namespace {

std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The pasted name as the row's whole new name: its own extension added unless it ends in it.
std::wstring WithExtension(const RenameEntry& row, std::wstring name) {
  const std::wstring_view ext = row.Extension();
  const bool ends = name.size() >= ext.size() &&
                    utf16::CompareOrdinalIgnoringCase(std::wstring_view(name).substr(name.size() - ext.size()), ext) == 0;
  if (!ends) name += ext;
  return name;
}

// Row i takes the name pasted on line k (from 0), or the line goes to the problems.
void Take(const RenameList& list, std::size_t i, std::wstring_view pasted, std::size_t k, PasteResult& out) {
  std::wstring name = WithExtension(list[i], TrimWide(pasted));
  if (name.size() > kMaxPastedName) {
    out.problems.tooLong.push_back(k + 1);
  } else if (BadNewName(name)) {
    out.problems.badName.push_back(k + 1);
  } else {
    out.names.push_back({i, std::move(name)});
  }
}

// Rows by their whole names and by their base names; a name two rows share finds neither.
class OldNames {
 public:
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max(), kMany = kNone - 1;
  explicit OldNames(const RenameList& list) {
    whole_.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      Add(whole_, list[i].fileName, i);
      if (!list[i].isFolder()) Add(base_, list[i].BaseName(), i);
    }
  }
  // The one row the old name is of, kNone, or kMany.
  std::size_t Find(std::wstring_view old) const {
    const std::size_t a = Get(whole_, old), b = Get(base_, old);
    if (a == kNone) return b;
    if (b == kNone || a == b) return a;
    return kMany;
  }

 private:
  using Map = std::unordered_map<std::wstring_view, std::size_t>;
  static void Add(Map& map, std::wstring_view name, std::size_t i) {
    const auto [it, added] = map.emplace(name, i);
    if (!added && it->second != i) it->second = kMany;
  }
  static std::size_t Get(const Map& map, std::wstring_view name) {
    const auto it = map.find(name);
    return it == map.end() ? kNone : it->second;
  }
  Map whole_, base_;
};

}  // namespace

std::wstring CopiedNames(const RenameList& list) {
  const bool all = list.SelectedCount() == 0;
  std::wstring out;
  for (const RenameEntry& row : list) {
    if (!all && !row.selected) continue;
    out.append(row.fileName).append(L"\t");
    if (row.newName.empty()) out.append(row.fileName);
    else out.append(row.newName).append(row.Extension());
    out.append(L"\r\n");
  }
  return out;
}

PasteResult MapPastedNames(const RenameList& list, std::wstring_view text) {
  PasteResult out;
  std::vector<std::wstring_view> lines = Lines(text);
  while (!lines.empty() && TrimWide(lines.back()).empty()) lines.pop_back();
  out.lines = lines.size();
  std::size_t withTab = 0, blank = 0;
  for (std::wstring_view line : lines) {
    if (line.find(L'\t') != std::wstring_view::npos) ++withTab;
    else if (TrimWide(line).empty()) ++blank;
  }
  if (withTab > 0 && withTab + blank < lines.size()) {
    out.mixed = true;
    return out;
  }
  out.twoColumns = withTab > 0;
  if (!out.twoColumns) {
    out.first = list.SelectedCount() >= 2 ? list.FirstSelected() : 0;
    out.rows = list.size() - out.first;
    for (std::size_t k = 0; k < lines.size() && k < out.rows; ++k) {
      if (!TrimWide(lines[k]).empty()) Take(list, out.first + k, lines[k], k, out);
    }
    return out;
  }
  const OldNames rows(list);
  std::vector<bool> named(list.size(), false);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::wstring_view line = lines[k];
    const std::size_t tab = line.find(L'\t');
    if (tab == std::wstring_view::npos) continue;  // a blank line among them
    // Columns after the second, as a spreadsheet copies them, are not names.
    std::wstring_view pasted = line.substr(tab + 1);
    pasted = pasted.substr(0, pasted.find(L'\t'));
    const std::size_t i = rows.Find(TrimWide(line.substr(0, tab)));
    if (i == OldNames::kNone) {
      out.problems.unknown.push_back(k + 1);
    } else if (i == OldNames::kMany) {
      out.problems.ambiguous.push_back(k + 1);
    } else if (named[i]) {
      out.problems.repeated.push_back(k + 1);
    } else {
      named[i] = true;
      // No new name: the row stays as it is, as for a blank line.
      if (!TrimWide(pasted).empty()) Take(list, i, pasted, k, out);
    }
  }
  return out;
}

}  // namespace rules
