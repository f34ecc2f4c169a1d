#include "rules/RenameList.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

#include "rules/Platform.h"
#include "text/sjis.h"
#include "text/utf16.h"

namespace rules {

// A folder's name is all base name.
std::wstring_view RenameEntry::BaseName() const {
  return isFolder_ ? std::wstring_view(fileName) : utf16::BaseName(fileName);
}
std::wstring_view RenameEntry::Extension() const {
  return isFolder_ ? std::wstring_view() : utf16::Extension(fileName);
}

namespace {
// A folder's name is all base name: "2024.04" stays whole.
std::uint32_t ExtensionStartOf(std::wstring_view fileName, bool isFolder) {
  std::size_t dot = isFolder ? utf16::npos : utf16::ExtensionStart(fileName);
  return static_cast<std::uint32_t>(dot == utf16::npos ? fileName.size() : dot);
}
}  // namespace

std::wstring RenameEntry::NewPath() const {
  std::wstring path = *folder_;
  path += newName;
  path += Extension();
  return path;
}

std::string RenameList::SortKeyOf(std::wstring_view fileName) const {
  auto key = helpers_.sortKey ? helpers_.sortKey : GetPlatform().sortKey;
  if (key) return key(fileName);
  // Without the locale: the units, high byte first, so the bytes compare as the units do.
  std::string bytes;
  bytes.reserve(2 * fileName.size());
  for (wchar_t c : fileName) {
    bytes += static_cast<char>(static_cast<std::uint16_t>(c) >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return bytes;
}

void RenameList::SetSortHelpers(SortHelpers helpers) {
  helpers_ = std::move(helpers);
  for (RenameEntry& row : rows_) row.sortKey_ = SortKeyOf(row.fileName);
  if (sorting_ && batch_ == 0) Sort();
}

const std::shared_ptr<const std::wstring>& RenameEntry::NoFolder() {
  static const auto none = std::make_shared<const std::wstring>();
  return none;
}

std::shared_ptr<const std::wstring> RenameList::Shared(std::wstring folder) {
  if (!lastFolder_ || *lastFolder_ != folder) lastFolder_ = std::make_shared<const std::wstring>(std::move(folder));
  return lastFolder_;
}

void RenameList::Add(std::wstring fileName, std::wstring folder) { Add(std::move(fileName), std::move(folder), 0, 0, 0); }

void RenameList::Add(std::wstring fileName, std::wstring folder, std::uint64_t size, std::uint64_t lastWrite,
                     std::uint64_t creation, bool isFolder, std::uint32_t root) {
  RenameEntry e;
  e.sortKey_ = SortKeyOf(fileName);
  e.fileName = std::move(fileName);
  e.isFolder_ = isFolder;
  e.root_ = root <= folder.size() ? root : 0;
  e.extensionStart_ = ExtensionStartOf(e.fileName, isFolder);
  e.folder_ = Shared(std::move(folder));
  e.size = size;
  e.lastWrite = lastWrite;
  e.creation = creation;
  if (batch_ > 0 || !sorting_ || order_ == SortBy::Manual) {
    rows_.push_back(std::move(e));
    return;
  }
  if (order_ != SortBy::Name || descending_) {
    // The other keys need helpers and keys made per sort: one sort places the row.
    rows_.push_back(std::move(e));
    Sort();
    return;
  }
  auto at = std::upper_bound(rows_.begin(), rows_.end(), e.sortKey_,
                             [](const std::string& key, const RenameEntry& r) { return key < r.sortKey_; });
  rows_.insert(at, std::move(e));
}

void RenameList::BeginBatch() { ++batch_; }

void RenameList::EndBatch() {
  if (batch_ > 0 && --batch_ == 0 && sorting_) Sort();
}

void RenameList::SetFileName(std::size_t i, std::wstring fileName) {
  rows_[i].sortKey_ = SortKeyOf(fileName);
  rows_[i].fileName = std::move(fileName);
  rows_[i].extensionStart_ = ExtensionStartOf(rows_[i].fileName, rows_[i].isFolder_);
  if (sorting_ && batch_ == 0) Sort();
}

void RenameList::SetFolder(std::size_t i, std::wstring folder, std::uint32_t root) {
  RenameEntry& row = rows_[i];
  row.root_ = root <= folder.size() ? root : 0;
  row.folder_ = Shared(std::move(folder));
}

void RenameList::SetFacts(std::size_t i, std::uint64_t size, std::uint64_t lastWrite, std::uint64_t creation) {
  RenameEntry& row = rows_[i];
  if (row.size != size || row.lastWrite != lastWrite) row.hasShotKey_ = false;
  row.size = size;
  row.lastWrite = lastWrite;
  row.creation = creation;
}

void RenameList::Remove(std::size_t i) {
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
}

template <typename Pred>
void RenameList::RemoveWhere(Pred remove) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (remove(i, rows_[i])) continue;
    if (kept != i) rows_[kept] = std::move(rows_[i]);
    ++kept;
  }
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(kept), rows_.end());
}

void RenameList::RemoveRows(const std::vector<bool>& remove) {
  RemoveWhere([&](std::size_t i, const RenameEntry&) { return i < remove.size() && remove[i]; });
}

void RenameList::RemoveSelected() {
  RemoveWhere([](std::size_t, const RenameEntry& r) { return r.selected; });
}

void RenameList::SetSorting(bool on) {
  if (on && !sorting_) {
    sorting_ = true;
    Sort();
  } else {
    sorting_ = on;
  }
}

namespace {
int Compare3(auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); }

// Each unit's Shift_JIS bytes (one: the byte; two: lead << 8 | trail), or 0xFFFF0000 | unit for
// a unit with none: extensions keep the order of their Shift_JIS bytes, as they always had,
// and the others come after every Shift_JIS character. Made once, on the first such sort.
const std::vector<std::uint32_t>& ShiftJisOrder() {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t(0x10000);
    std::string bytes;
    for (unsigned c = 0; c < 0x10000; ++c) {
      const wchar_t w = static_cast<wchar_t>(c);
      std::uint32_t code = 0xFFFF0000u | c;
      const bool surrogate = utf16::IsHighSurrogate(w) || utf16::IsLowSurrogate(w);
      if (!surrogate && sjis::FromUtf16(std::wstring_view(&w, 1), bytes)) {
        code = 0;
        for (char byte : bytes) code = code << 8 | static_cast<unsigned char>(byte);
      }
      t[c] = code;
    }
    return t;
  }();
  return table;
}

// The extension's sort key: its Shift_JIS bytes with every byte "A"-"Z" folded (trail bytes
// too, as the order always had it), ".JPG" and ".jpg" together; a unit without a Shift_JIS
// form as three bytes FF hi lo (FF starts no character).
std::string ExtensionKey(std::wstring_view ext) {
  const std::vector<std::uint32_t>& order = ShiftJisOrder();
  auto fold = [](std::uint32_t b) { return static_cast<char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); };
  std::string key;
  for (wchar_t c : ext) {
    const std::uint32_t code = order[static_cast<std::uint16_t>(c)];
    if (code >= 0xFFFF0000u) {
      key += '\xFF';
      key += static_cast<char>((code >> 8) & 0xFF);
      key += static_cast<char>(code & 0xFF);
      continue;
    }
    if (code > 0xFF) key += fold(code >> 8);
    key += fold(code & 0xFF);
  }
  return key;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Each UTF-16 unit met in the names (but the digits) ranked by the comparison of the
// one-character strings; equal ones share a rank.
std::vector<std::uint32_t> CharacterRanks(const std::vector<std::wstring>& names,
                                          const std::function<int(const wchar_t*, const wchar_t*)>& compare) {
  std::vector<std::uint32_t> rank(0x10000, 0);
  std::vector<bool> met(0x10000, false);
  std::vector<wchar_t> units;
  for (const std::wstring& name : names) {
    for (wchar_t c : name) {
      if (!met[c] && !IsDigit(c)) met[c] = true, units.push_back(c);
    }
  }
  auto cmp = [&](wchar_t a, wchar_t b) {
    const wchar_t x[2] = {a, 0}, y[2] = {b, 0};
    return compare(x, y);
  };
  std::stable_sort(units.begin(), units.end(), [&](wchar_t a, wchar_t b) { return cmp(a, b) < 0; });
  std::uint32_t r = 1;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i > 0 && cmp(units[i - 1], units[i]) != 0) ++r;
    rank[units[i]] = r;
  }
  return rank;
}

// Characters by rank, runs of ASCII digits by their numbers (leading zeros aside).
int CompareByRanks(const std::wstring& a, const std::wstring& b, const std::vector<std::uint32_t>& rank) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t ie = i, je = j;
      while (ie < a.size() && IsDigit(a[ie])) ++ie;
      while (je < b.size() && IsDigit(b[je])) ++je;
      while (i + 1 < ie && a[i] == L'0') ++i;
      while (j + 1 < je && b[j] == L'0') ++j;
      if (ie - i != je - j) return ie - i < je - j ? -1 : 1;
      for (; i < ie; ++i, ++j) {
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
      }
      continue;
    }
    if (IsDigit(a[i]) != IsDigit(b[j])) return IsDigit(a[i]) ? -1 : 1;
    if (rank[a[i]] != rank[b[j]]) return rank[a[i]] < rank[b[j]] ? -1 : 1;
    ++i, ++j;
  }
  return Compare3(a.size() - i, b.size() - j);
}

// Eight bytes of a row's name key from some depth on, as two numbers that compare as the
// bytes do (zero after the key's end, which orders a key before the keys it begins). A sort
// by name compares these in one array and reads the rows' own keys, which lie all over
// memory, once per eight bytes that rows share, never in a comparison.
struct KeyChunk {
  std::uint32_t high = 0, low = 0;
  std::size_t row = 0;
};
void Load(KeyChunk& c, std::string_view key, std::size_t depth) {
  c.high = c.low = 0;
  for (std::size_t i = 0; i < 8 && depth + i < key.size(); ++i) {
    (i < 4 ? c.high : c.low) |= std::uint32_t{static_cast<unsigned char>(key[depth + i])} << (8 * (3 - i % 4));
  }
}

// Moves the rows along the cycles of a permutation in place, at(k) being the position whose
// row goes to k: sorting the rows themselves would hold a second copy of them (10 MB at
// 100,000 rows) meanwhile.
template <typename Rows, typename At>
void Permute(Rows& rows, At at) {
  for (std::size_t start = 0; start < rows.size(); ++start) {
    if (at(start) == start) continue;
    auto held = std::move(rows[start]);
    std::size_t k = start;
    while (at(k) != start) {
      const std::size_t next = at(k);
      rows[k] = std::move(rows[next]);
      at(k) = k;
      k = next;
    }
    rows[k] = std::move(held);
    at(k) = k;
  }
}
}  // namespace

double RenameList::ShotKey(std::size_t i) {
  RenameEntry& row = rows_[i];
  if (!row.hasShotKey_ && helpers_.shot) {
    row.shotKey_ = helpers_.shot(row);
    row.hasShotKey_ = true;
  }
  return row.shotKey_;
}

void RenameList::SetOrder(SortBy key, bool descending) {
  order_ = key;
  descending_ = descending;
  if (sorting_ && batch_ == 0) Sort();
}

bool RenameList::MoveSelected(int delta) {
  bool moved = false;
  const std::size_t n = rows_.size();
  // Each selected block steps over the unselected row next to it; one at the edge stays.
  if (delta < 0) {
    for (std::size_t i = 1; i < n; ++i) {
      if (rows_[i].selected && !rows_[i - 1].selected) std::swap(rows_[i], rows_[i - 1]), moved = true;
    }
  } else {
    for (std::size_t i = n; i-- > 1;) {
      if (rows_[i - 1].selected && !rows_[i].selected) std::swap(rows_[i], rows_[i - 1]), moved = true;
    }
  }
  if (moved) order_ = SortBy::Manual;
  return moved;
}

bool RenameList::MoveSelectedBefore(std::size_t k) {
  k = std::min(k, rows_.size());
  const auto at = rows_.begin() + static_cast<std::ptrdiff_t>(k);
  auto selected = [](const RenameEntry& r) { return r.selected; };
  auto unselected = [](const RenameEntry& r) { return !r.selected; };
  // Above k the selected rows sink to k, below it they rise to it; the rest keep their order.
  if (std::is_partitioned(rows_.begin(), at, unselected) && std::is_partitioned(at, rows_.end(), selected))
    return false;
  std::stable_partition(rows_.begin(), at, unselected);
  std::stable_partition(at, rows_.end(), selected);
  order_ = SortBy::Manual;
  return true;
}

void RenameList::SortByName(int sign) {
  std::vector<KeyChunk> chunks(rows_.size());
  bool zeros = false;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const std::string& key = rows_[i].sortKey_;
    chunks[i].row = i;
    Load(chunks[i], key, 0);
    zeros = zeros || std::memchr(key.data(), 0, key.size()) != nullptr;
  }
  auto before = [sign](const KeyChunk& a, const KeyChunk& b) {
    const int c = a.high != b.high ? Compare3(a.high, b.high) : Compare3(a.low, b.low);
    return c != 0 ? c * sign < 0 : a.row < b.row;  // equal keys keep their rows' order
  };
  if (zeros) {
    // A zero byte inside a key would read as the end of a shorter one: whole keys decide.
    std::stable_sort(chunks.begin(), chunks.end(), [&](const KeyChunk& a, const KeyChunk& b) {
      return Compare3(rows_[a.row].sortKey_, rows_[b.row].sortKey_) * sign < 0;
    });
  } else {
    // Ranges of rows whose keys agree up to `depth`, their chunks loaded from there.
    struct Range {
      std::size_t begin, end, depth;
    };
    std::vector<Range> ranges{{0, chunks.size(), 0}};
    while (!ranges.empty()) {
      const Range r = ranges.back();
      ranges.pop_back();
      const auto first = chunks.begin();
      std::sort(first + static_cast<std::ptrdiff_t>(r.begin), first + static_cast<std::ptrdiff_t>(r.end), before);
      for (std::size_t i = r.begin, j = r.begin; i < r.end; i = j) {
        for (j = i + 1; j < r.end && chunks[j].high == chunks[i].high && chunks[j].low == chunks[i].low;) ++j;
        // Mostly one name met in many folders: told equal in one pass.
        const std::string& key = rows_[chunks[i].row].sortKey_;
        bool same = true;
        for (std::size_t k = i + 1; k < j && same; ++k) same = rows_[chunks[k].row].sortKey_ == key;
        if (same) continue;
        for (std::size_t k = i; k < j; ++k) Load(chunks[k], rows_[chunks[k].row].sortKey_, r.depth + 8);
        ranges.push_back({i, j, r.depth + 8});
      }
    }
  }
  Permute(rows_, [&](std::size_t k) -> std::size_t& { return chunks[k].row; });
}

void RenameList::Sort() {
  if (order_ == SortBy::Manual) return;
  const int sign = descending_ ? -1 : 1;
  SortBy key = order_;
  if (key == SortBy::Logical && !helpers_.logical) key = SortBy::Name;
  if (key == SortBy::Shot && !helpers_.shot) key = SortBy::LastWrite;
  if (key == SortBy::Name) {
    SortByName(sign);
    return;
  }
  // Stable: rows with equal keys keep their order, so a new row stays after its equals.
  // Positions are sorted and the rows then moved to them.
  std::vector<std::size_t> from(rows_.size());
  std::iota(from.begin(), from.end(), std::size_t{0});
  auto sortBy = [&](auto compare) {
    std::stable_sort(from.begin(), from.end(), [&](std::size_t a, std::size_t b) {
      if (const int c = compare(rows_[a], rows_[b], a, b) * sign; c != 0) return c < 0;
      return rows_[a].sortKey_ < rows_[b].sortKey_;  // ties in name order
    });
  };
  using E = const RenameEntry&;
  using I = std::size_t;
  switch (key) {
    case SortBy::Logical: {
      // The names side by side, as the character ranks take them.
      std::vector<std::wstring> wide(rows_.size());
      for (std::size_t i = 0; i < rows_.size(); ++i) wide[i] = rows_[i].fileName;
      auto platform = [&](I a, I b) { return Compare3(helpers_.logical(wide[a].c_str(), wide[b].c_str()), 0); };
      // The platform's comparison is slow (a locale call per character under Wine): the rows
      // are first sorted by its order of the characters met and digit runs as numbers, then
      // each neighbour pair is confirmed by it. Where it disagrees once, it sorts them itself.
      const std::vector<std::uint32_t> ranks = CharacterRanks(wide, helpers_.logical);
      sortBy([&](E, E, I a, I b) { return CompareByRanks(wide[a], wide[b], ranks); });
      bool confirmed = true;
      for (std::size_t k = 1; k < from.size() && confirmed; ++k) {
        const int c = platform(from[k - 1], from[k]) * sign;
        confirmed = c < 0 || (c == 0 && !(rows_[from[k]].sortKey_ < rows_[from[k - 1]].sortKey_));
      }
      if (!confirmed) {
        std::iota(from.begin(), from.end(), std::size_t{0});
        sortBy([&](E, E, I a, I b) { return platform(a, b); });
      }
      break;
    }
    case SortBy::Extension: {
      std::vector<std::string> keys(rows_.size());
      for (std::size_t i = 0; i < rows_.size(); ++i) keys[i] = ExtensionKey(rows_[i].Extension());
      sortBy([&](E, E, I a, I b) { return Compare3(keys[a], keys[b]); });
      break;
    }
    case SortBy::Size: sortBy([](E a, E b, I, I) { return Compare3(a.size, b.size); }); break;
    case SortBy::LastWrite: sortBy([](E a, E b, I, I) { return Compare3(a.lastWrite, b.lastWrite); }); break;
    case SortBy::Creation: sortBy([](E a, E b, I, I) { return Compare3(a.creation, b.creation); }); break;
    case SortBy::Shot:
      for (std::size_t i = 0; i < rows_.size(); ++i) ShotKey(i);
      sortBy([](E a, E b, I, I) { return Compare3(a.shotKey_, b.shotKey_); });
      break;
    default: break;
  }
  Permute(rows_, [&](std::size_t k) -> std::size_t& { return from[k]; });
}

void RenameList::SelectAll(bool selected) {
  for (auto& r : rows_) r.selected = selected;
}

std::size_t RenameList::SelectedCount() const {
  return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](auto& r) { return r.selected; }));
}

std::size_t RenameList::FirstSelected() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) return i;
  }
  return npos;
}

void RenameList::SetMark(std::size_t i, RuleMark mark) {
  rows_[i].mark_ = mark;
  if (mark != RuleMark::None) ++marks_;
}

void RenameList::ClearMarks() {
  if (marks_ == 0) return;
  for (RenameEntry& row : rows_) row.mark_ = RuleMark::None;
  marks_ = 0;
}

void RenameList::SetFailure(std::size_t i, std::uint32_t error) {
  rows_[i].failure = error;
  if (error != 0) ++failures_;
}

void RenameList::SetRefused(std::size_t i, Refusal why) {
  rows_[i].refused = why;
  if (why != Refusal::None) ++failures_;
}

void RenameList::ClearFailures() {
  if (failures_ == 0) return;
  for (RenameEntry& row : rows_) {
    row.failure = 0;
    row.refused = Refusal::None;
  }
  failures_ = 0;
}

}  // namespace rules
