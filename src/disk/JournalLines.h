// The journal file's lines: how a run's block and its moves are written and read back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "disk/Journal.h"

namespace disk {

namespace journal_lines {

// More than the moves of any run of the program; a bigger file isn't one of ours.
constexpr std::uint64_t kMaxFile = 256u << 20;

inline constexpr std::string_view kHeader = "Kinoha リネーム記録 ";
inline constexpr std::string_view kEnd = "完了";
inline constexpr std::string_view kUndone = "元に戻しました\t#";
inline constexpr std::string_view kRedone = "やり直しました\t#";
inline constexpr std::string_view kKinds[] = {"リネーム", "拡張子変更", "自動リネーム"};

// "Kinoha リネーム記録 <time><TAB><kind><TAB>#<number>"
std::string HeaderLine(const JournalRun& run);
// "old path<TAB>new path<TAB>identity", without its line end.
void AppendMove(std::string& out, const Move& m);
// A run's block as the file holds it: its header, its moves, its end line when it had one.
void AppendBlock(std::string& text, const JournalRun& r);
// The run's moves parsed where they were kept as read, each line judged whether it can be a
// move of ours.
void Check(JournalRun& run);
// The newest kRuns runs kept.
void CutOldest(std::vector<JournalRun>& runs);

}  // namespace journal_lines

}  // namespace disk
