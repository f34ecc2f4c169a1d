// Everything the program keeps between runs, one member per key of the settings file, in the
// file's order (keys added later sit at the file's end, their members in their section). The
// default member values are what a first start shows (a missing file or key gives them); they
// differ from the window's own initial control states in places (the window's place, the
// page, the digit count, the add-text side, the letter case, the folder option and the
// history length).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace settings {

// The history length's range, and the most date presets kept.
constexpr int kMinHistory = 1, kMaxHistory = 10;
constexpr std::size_t kMaxPresets = 1000;

struct Settings {
  // [Window]
  int width = 400;
  int height = 400;
  int left = 0;
  int top = 0;
  int tab = 0;  // the active page; outside 0 to 6 no page is active
  // The list's column widths the user set, at 96 DPI; 0 where the column fits its names.
  int nameWidth = 0;
  int pathWidth = 0;
  int newNameWidth = 0;
  bool maximized = false;
  // The list's order: 0 名前, 1 名前（数字順）, 2 拡張子, 3 サイズ, 4 更新日時, 5 作成日時, 6 撮影日
  // (anything else reads as 0), and whether it runs downwards.
  int sort = 0;
  bool sortDesc = false;

  // [Job]
  int start = 1;      // 16-bit up-down positions
  int step = 1;
  int column = 2;
  bool divide = false;
  bool div2 = false;
  bool headOrTail = true;  // the added text goes before the name
  int time = 0;            // radio items: -1 for none
  bool headTail2 = false;  // the date goes before the text
  int upLoCase = 0;
  int wnWord = 0;
  int wnNum = 0;
  int wnKakko = 0;
  int wnSpace = 0;
  int wnSymbol = 0;
  bool wideKana = false;
  bool regExp = false;     // the replace page's search is a regular expression

  // [Option]
  bool remSCut = false;
  bool remCopy = false;
  bool remBracket1 = false;  // key "Rem[1]"
  bool remParen1 = false;    // key "Rem(1)"
  bool trim = false;
  bool jpegJpg = false;
  bool clearItems = false;
  bool escToExit = false;
  bool enterToExec = false;
  bool dropDir = false;
  bool dedupe = false;  // rows whose new names collide are numbered
  bool subFolders = false;   // expanded folders give their whole trees
  bool folderItems = false;  // folders inside expanded folders are rows
  bool skipHidden = false;   // hidden and system entries are not taken in
  bool compose = false;      // key "Compose": split voiced marks are composed at intake
  int history = 5;          // kMinHistory to kMaxHistory
  std::wstring filter;     // FilterNames
  std::wstring filterExt;  // FilterExts

  // [Combo]
  std::vector<std::wstring> basVal, oldVal, newVal, addVal;
  std::vector<std::wstring> dateFormat = {L"yy\"年\"mm\"月\"dd\"日\"", L"mm\"月\"dd\"日\"",
                                          L"mm\"月\"dd\"日（\"dddd\"）\"", L"dddddd"};

  bool operator==(const Settings&) const = default;
};

}  // namespace settings
