// Names a Linux disk allows (Wine lists them as they are) that no Win32 path addresses as the
// one entry they are: never taken in, so nothing outside the folder is ever touched.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/DiskState.h"
#include "rules/RenameList.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "intake/Intake.h"
#include "support/TempDir.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using disk::CheckRows;
using disk::DiskState;
using disk::RenameRows;
using intake::AddFiles;
using intake::IntakeOptions;

namespace {

using Names = std::vector<std::wstring>;

// Every file below the folder with its content, to compare the whole tree before and after.
void Snapshot(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::wstring>& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Snapshot(folder + name + L"\\", prefix + name + L"/", out);
    } else {
      out[prefix + name] = std::to_wstring(fd.nFileSizeLow);
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

std::map<std::wstring, std::wstring> Tree(const std::wstring& folder) {
  std::map<std::wstring, std::wstring> out;
  Snapshot(folder, L"", out);
  return out;
}

Names FileNames(const RenameList& list) {
  Names names;
  for (const RenameEntry& r : list) names.push_back(r.fileName);
  return names;
}

TEST(OddNames, AreNeverTakenInAndNothingOutsideTheFolderChanges) {
  TempDir dir;
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side to make names Win32 can't";
  dir.Mkdir(L"q\\p\\x");
  dir.Mkdir(L"q\\sib");
  dir.Touch(L"o2.txt", L"two");
  dir.Touch(L"q\\o1.txt", L"one");
  dir.Touch(L"q\\sib\\s.txt", L"sib");
  dir.Touch(L"q\\victim (1).txt", L"victim");
  dir.Touch(L"q\\p\\x\\y.txt", L"y");
  dir.Touch(L"q\\p\\a", L"plain a");
  dir.Touch(L"q\\p\\plain.txt", L"plain");
  const wchar_t* odd[] = {L"..\\o1.txt", L"..\\..\\o2.txt", L"..\\sib\\s.txt", L"x\\y.txt", L"..\\victim (1).txt",
                       L"a.",         L"b ",           L"con",          L"nul.txt", L"com1.jpg",
                       L"e*f",        L"g?h",          L"i\"j",         L"k<l",     L"m|n",
                       L"tab\there"};
  for (const wchar_t* name : odd) {
    ASSERT_TRUE(dir.TouchUnix(name, "odd", L"q\\p")) << testing::PrintToString(name);
  }
  const auto before = Tree(dir.path());

  RenameList list;
  DiskState disk;
  IntakeOptions options;
  options.cleanUp.removeParenNumber = true;  // "..\victim (1).txt" would clean up to a path one folder up
  AddFiles(list, {dir.path() + L"q\\p"}, options, {}, &disk);
  EXPECT_EQ(FileNames(list), (Names{L"a", L"plain.txt"}));
  EXPECT_EQ(Tree(dir.path()), before);

  for (RenameEntry& r : list) r.newName = std::wstring(L"z").append(r.fileName, 0, 1);
  RenameRows(list, false, {}, &disk);
  auto after = before;
  after.erase(L"q/p/a");
  after.erase(L"q/p/plain.txt");
  after[L"q/p/za"] = before.at(L"q/p/a");
  after[L"q/p/zp.txt"] = before.at(L"q/p/plain.txt");
  EXPECT_EQ(Tree(dir.path()), after);
}

// Linux names whose bytes aren't UTF-8 list as one name with U+FFFD for each such byte, which
// looked up reaches whichever of them comes first: neither is taken in, and both stay.
TEST(OddNames, NamesListedWithTheReplacementCharacterAreNeverTakenIn) {
  TempDir dir;
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side to make names that aren't UTF-8";
  ASSERT_TRUE(dir.TouchUnixBytes("r\xFFs.txt", "one") && dir.TouchUnixBytes("r\xFEs.txt", "two"));
  dir.Touch(L"plain.txt", L"plain");
  RenameList list;
  DiskState disk;
  AddFiles(list, {dir.path()}, IntakeOptions{}, {}, &disk);
  EXPECT_EQ(FileNames(list), (Names{L"plain.txt"}));
}

TEST(OddNames, AGivenPathWhosePartEndsInADotOrBlankIsSkipped) {
  TempDir dir;
  dir.Touch(L"a", L"a");
  dir.Mkdir(L"d");
  dir.Touch(L"d\\f.txt", L"f");
  if (UnderWine()) {
    ASSERT_TRUE(dir.TouchUnix(L"a.", "dot"));
  }
  RenameList list;
  AddFiles(list, {dir.path() + L"a.", dir.path() + L"a ", dir.path() + L"d.\\f.txt", dir.path() + L"d \\f.txt"},
           IntakeOptions{});
  EXPECT_TRUE(list.empty());
  // "." and ".." are folders as they are.
  AddFiles(list, {dir.path() + L"d\\..\\d\\.\\f.txt"}, IntakeOptions{});
  EXPECT_EQ(FileNames(list), Names{L"f.txt"});
}

// Wine renames the file a Linux link points to: the run would move it here from its folder,
// or give a file of the same folder, one the user never listed, the link's new name.
TEST(OddNames, ALinkToAnotherFileStaysAndIsMarked) {
  TempDir dir;
  dir.Touch(L"other\\target.txt", L"target");
  dir.Touch(L"p\\own.txt", L"own");
  dir.Touch(L"p\\kept.txt", L"kept");
  if (!dir.LinkUnix(L"link.txt", L"../other/target.txt", L"p") || !dir.LinkUnix(L"near.txt", L"kept.txt", L"p"))
    GTEST_SKIP() << "links are made through Wine's Linux side";
  RenameList list;
  DiskState disk;
  const std::wstring p = dir.path() + L"p\\";
  AddFiles(list, {p + L"link.txt", p + L"near.txt", p + L"own.txt"}, IntakeOptions{}, {}, &disk);
  ASSERT_EQ(FileNames(list), (Names{L"link.txt", L"near.txt", L"own.txt"}));
  for (RenameEntry& r : list) r.newName = std::wstring(L"z").append(r.fileName, 0, 1);
  RenameRows(list, false, {}, &disk);
  EXPECT_EQ(FolderListing(dir.path() + L"other"), Names{L"target.txt"});
  EXPECT_EQ(FolderListing(p), (Names{L"kept.txt", L"link.txt", L"near.txt", L"zo.txt"}));
  EXPECT_EQ(FileContent(p + L"kept.txt"), "kept");
  EXPECT_EQ(FileNames(list), (Names{L"link.txt", L"near.txt", L"zo.txt"}));
  CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, Refusal::Link);
  EXPECT_EQ(list[1].refusal, Refusal::Link);
}

}  // namespace
