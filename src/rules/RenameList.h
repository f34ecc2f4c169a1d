// The rename list: one row per file, kept sorted in the user's chosen order (by default the
// file name with the locale's case-sensitive comparison, what lstrcmpW does), selection kept here rather than in the
// list view so that selecting 100,000 rows is a loop over flags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rules {

// Why the next run would leave a row's file as it is (None: it would be renamed, or its new
// name is its name already).
enum class Refusal : std::uint8_t {
  None,
  BadName,        // no path addresses it as itself (BadNewName): a device name, holding
                  // "\", "/", ":", a wildcard or a control character, ending in "." or a blank
  TooLong,        // longer than the folder's volume holds
  Duplicate,      // a row after it in the run takes the same new name first
  Taken,          // a file of that name stays where it is
  TakenByFolder,  // a folder of that name
  ReadOnly,
  Hidden,
  System,
  Missing,        // the file is no longer there
  Link,           // a link to a file of another folder
  NotShiftJis,    // no longer given; kept so that the values after it stay
  Unreadable,     // the file's folder can't be listed (gone, or no access), so nothing is known
  Failed,         // the last run's move was refused by the platform (the row's failure says why)
};

// What the rule itself says of a row's new name, beside the name.
enum class RuleMark : std::uint8_t {
  None,
  NotShiftJis,  // no longer given; kept so that the values after it stay
  NoShotDate,   // no date of shooting in the file: the last-write date stands in
  Kept,         // the run leaves the file whatever its name: the rule left it its own
};

struct RenameEntry {
  std::wstring fileName;  // name with extension, spelled as on disk; changed by SetFileName only
  // The folder, ending in "\": one string for every row of the folder, shared.
  const std::wstring& folder() const { return *folder_; }
  std::wstring newName;   // previewed new base name, without extension
  bool selected = false;
  bool focused = false;  // the list's focus row, which follows the row through re-sorts
  Refusal refusal = Refusal::None;  // what the last check of the rows found
  // The platform's error code when the last run could not move the file; 0 otherwise.
  std::uint32_t failure = 0;
  // Why the last 拡張子変更 left the file as it was, kept like failure.
  Refusal refused = Refusal::None;
  // What the folder's listing told of the file when it was last read: its size and its
  // last-write and creation times (UTC file times in 100 ns units; 0 when not known).
  std::uint64_t size = 0, lastWrite = 0, creation = 0;
  RuleMark mark() const { return mark_; }
  // A folder's row: its whole name is its base name (no extension), and the run renames it
  // after every row inside it.
  bool isFolder() const { return isFolder_; }
  // How much of `folder` the フォルダ column leaves out: the folder above the one the user
  // gave, so that the column starts with the given folder's own name.
  std::uint32_t root() const { return root_; }
  // Where the extension starts (the name's size when it has none).
  std::size_t extensionStart() const { return extensionStart_; }

  std::wstring_view BaseName() const;
  std::wstring_view Extension() const;
  std::wstring CurrentPath() const { return *folder_ + fileName; }
  // folder + new name + the current extension
  std::wstring NewPath() const;

 private:
  friend class RenameList;
  std::shared_ptr<const std::wstring> folder_ = NoFolder();
  static const std::shared_ptr<const std::wstring>& NoFolder();
  std::string sortKey_;
  double shotKey_ = 0;  // the 撮影日 order's key, asked once per row
  bool hasShotKey_ = false;
  // Where the extension starts (the name's size when it has none), made with the name.
  std::uint32_t extensionStart_ = 0;
  std::uint32_t root_ = 0;
  RuleMark mark_ = RuleMark::None;
  bool isFolder_ = false;
};

// The orders the list can keep; Manual is the user's own, left as it stands by every sort.
enum class SortBy : std::uint8_t { Name, Logical, Extension, Size, LastWrite, Creation, Shot, Manual };
constexpr int kSortKeys = 7;  // the stored ones, Name to Shot

// What the list can't work out itself: the platform's number-aware comparison of two UTF-16
// names (<0, 0, >0), a row's 撮影日 as a date value (the last-write date without one), and a
// name's key in the locale's order (the one the program set at start, rules/Platform.h, when
// null).
struct SortHelpers {
  std::function<int(const wchar_t*, const wchar_t*)> logical;
  std::function<double(const RenameEntry&)> shot;
  std::string (*sortKey)(std::wstring_view name) = nullptr;
};

class RenameList {
 public:
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  RenameEntry& operator[](std::size_t i) { return rows_[i]; }
  const RenameEntry& operator[](std::size_t i) const { return rows_[i]; }
  auto begin() { return rows_.begin(); }
  auto end() { return rows_.end(); }
  auto begin() const { return rows_.begin(); }
  auto end() const { return rows_.end(); }

  // Adds a row with an empty new name. With sorting on it lands after the rows whose keys
  // compare equal (at the end in a manual order); inside a Begin/EndBatch bracket the rows are
  // appended and sorted once.
  void Add(std::wstring fileName, std::wstring folder);
  // The same with what the listing told of the file, whether it is a folder, and the root
  // (RenameEntry::root; 0 shows the whole folder).
  void Add(std::wstring fileName, std::wstring folder, std::uint64_t size, std::uint64_t lastWrite,
           std::uint64_t creation, bool isFolder = false, std::uint32_t root = 0);
  void BeginBatch();
  void EndBatch();

  // What a new listing told of a row's file; a changed file's 撮影日 is asked again.
  void SetFacts(std::size_t i, std::uint64_t size, std::uint64_t lastWrite, std::uint64_t creation);
  // Replaces a row's file name; with sorting on the list is re-sorted.
  void SetFileName(std::size_t i, std::wstring fileName);
  // Replaces a row's folder (one above it was renamed) and its root (RenameEntry::root),
  // which must point into the new folder; the order doesn't depend on it.
  void SetFolder(std::size_t i, std::wstring folder, std::uint32_t root);
  void Remove(std::size_t i);
  // Removes every row i for which remove[i] is set, in one pass.
  void RemoveRows(const std::vector<bool>& remove);
  // Removes every selected row in one pass.
  void RemoveSelected();
  void Clear() {
    rows_.clear();
    lastFolder_.reset();
    marks_ = failures_ = 0;
  }

  // A rule's mark on a row; every preview starts by clearing them, which costs nothing while
  // no row has one.
  void SetMark(std::size_t i, RuleMark mark);
  void ClearMarks();
  // A run's failure on a row, kept until the next preview or run clears them.
  void SetFailure(std::size_t i, std::uint32_t error);
  void SetRefused(std::size_t i, Refusal why);
  void ClearFailures();

  // Sorting is on except during a rename run; switching it on re-sorts once.
  bool sorting() const { return sorting_; }
  void SetSorting(bool on);
  // Sorting off for a scope (rows keep their places while files move); back on, and re-sorted
  // once, when it ends, also by an exception.
  class SortingPaused {
   public:
    explicit SortingPaused(RenameList& list) : list_(list) { list_.SetSorting(false); }
    ~SortingPaused() { list_.SetSorting(true); }
    SortingPaused(const SortingPaused&) = delete;
    SortingPaused& operator=(const SortingPaused&) = delete;

   private:
    RenameList& list_;
  };

  // The order: a key and its direction (ties in name order), re-sorted at once; Manual keeps
  // the rows where they are.
  void SetOrder(SortBy key, bool descending);
  SortBy order() const { return order_; }
  bool descending() const { return descending_; }
  // New helpers; the rows' name keys are made again with them.
  void SetSortHelpers(SortHelpers helpers);
  // Moves each selected row one place up (delta -1) or down (+1), past the next unselected
  // row; a block at the list's edge stays. The order becomes Manual. False when nothing moved.
  bool MoveSelected(int delta);
  // Moves the selected rows, in their order, to stand before row k (k == size(): at the end);
  // a selected row k stands with them. The order becomes Manual. False when nothing moved.
  bool MoveSelectedBefore(std::size_t k);
  // The row's 撮影日 order key (asked of the helpers once per row).
  double ShotKey(std::size_t i);

  // Selection.
  void SelectAll(bool selected = true);
  std::size_t SelectedCount() const;
  // Lowest selected position, or npos.
  std::size_t FirstSelected() const;
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  void Sort();
  void SortByName(int sign);
  std::string SortKeyOf(std::wstring_view fileName) const;
  // The one-pass removal both removals share: remove(i, row) says whether row i goes.
  template <typename Pred>
  void RemoveWhere(Pred remove);
  // The row's folder as a string shared with the rows before it of the same folder (rows come
  // folder by folder): 100,000 rows of ten folders hold ten strings.
  std::shared_ptr<const std::wstring> Shared(std::wstring folder);
  std::vector<RenameEntry> rows_;
  std::shared_ptr<const std::wstring> lastFolder_;
  std::size_t marks_ = 0;  // rows marked since the last ClearMarks (at most)
  std::size_t failures_ = 0;  // rows given a failure since the last ClearFailures (at most)
  bool sorting_ = true;
  int batch_ = 0;
  SortBy order_ = SortBy::Name;
  bool descending_ = false;
  SortHelpers helpers_;
};

}  // namespace rules
