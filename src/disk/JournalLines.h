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

// The words of the file, as bytes: UTF-8 (this version's), and Shift_JIS (earlier versions'
// journals, read only). The narrow literals are compiled as Shift_JIS; the UTF-8 ones are
// spelled out. Both headers begin with "Kinoha ", and the one that follows tells them apart.
struct Words {
  std::string_view header, end, undone, redone;
  std::string_view kinds[3];
};
inline constexpr std::string_view kCommonStart = "Kinoha ";
inline constexpr Words kUtf8Words = {
    "Kinoha 2 \xE3\x83\xAA\xE3\x83\x8D\xE3\x83\xBC\xE3\x83\xA0\xE8\xA8\x98\xE9\x8C\xB2 ",  // リネーム記録
    "\xE5\xAE\x8C\xE4\xBA\x86",                                                                // 完了
    "\xE5\x85\x83\xE3\x81\xAB\xE6\x88\xBB\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\t#",  // 元に戻しました
    "\xE3\x82\x84\xE3\x82\x8A\xE7\x9B\xB4\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\t#",  // やり直しました
    {"\xE3\x83\xAA\xE3\x83\x8D\xE3\x83\xBC\xE3\x83\xA0",                                       // リネーム
     "\xE6\x8B\xA1\xE5\xBC\xB5\xE5\xAD\x90\xE5\xA4\x89\xE6\x9B\xB4",                            // 拡張子変更
     "\xE8\x87\xAA\xE5\x8B\x95\xE3\x83\xAA\xE3\x83\x8D\xE3\x83\xBC\xE3\x83\xA0"}};             // 自動リネーム
inline constexpr Words kShiftJisWords = {
    "Kinoha リネーム記録 ", "完了", "元に戻しました\t#", "やり直しました\t#", {"リネーム", "拡張子変更", "自動リネーム"}};
inline constexpr std::string_view kHeader = kUtf8Words.header;
inline constexpr std::string_view kEnd = kUtf8Words.end;
inline constexpr std::string_view kUndone = kUtf8Words.undone;
inline constexpr std::string_view kRedone = kUtf8Words.redone;

// Whether the bytes begin a journal (either kind), or are the start of one cut short.
bool StartsJournal(std::string_view text);


// "Kinoha 2 リネーム記録 <time><TAB><kind><TAB>#<number>"
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
