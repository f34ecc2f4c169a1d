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
#include "text/sjis.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using disk::CheckRows;
using disk::DiskState;
using disk::RenameRows;
using intake::AddFiles;
using intake::IntakeOptions;

namespace {

using Names = std::vector<std::string>;

// Every file below the folder with its content, to compare the whole tree before and after.
void Snapshot(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(sjis::ToUtf16Lenient(folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = sjis::FromUtf16Lenient(fd.cFileName);
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Snapshot(folder + name + "\\", prefix + name + "/", out);
    } else {
      out[prefix + name] = std::to_string(fd.nFileSizeLow);
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> out;
  Snapshot(folder, "", out);
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
  dir.Mkdir("q\\p\\x");
  dir.Mkdir("q\\sib");
  dir.Touch("o2.txt", "two");
  dir.Touch("q\\o1.txt", "one");
  dir.Touch("q\\sib\\s.txt", "sib");
  dir.Touch("q\\victim (1).txt", "victim");
  dir.Touch("q\\p\\x\\y.txt", "y");
  dir.Touch("q\\p\\a", "plain a");
  dir.Touch("q\\p\\plain.txt", "plain");
  const char* odd[] = {"..\\o1.txt", "..\\..\\o2.txt", "..\\sib\\s.txt", "x\\y.txt", "..\\victim (1).txt",
                       "a.",         "b ",           "con",          "nul.txt", "com1.jpg",
                       "e*f",        "g?h",          "i\"j",         "k<l",     "m|n",
                       "tab\there"};
  for (const char* name : odd) ASSERT_TRUE(dir.TouchUnix(name, "odd", "q\\p")) << name;
  const auto before = Tree(dir.path());

  RenameList list;
  DiskState disk;
  IntakeOptions options;
  options.cleanUp.removeParenNumber = true;  // "..\victim (1).txt" would clean up to a path one folder up
  AddFiles(list, {dir.path() + "q\\p"}, options, {}, &disk);
  EXPECT_EQ(FileNames(list), (Names{"a", "plain.txt"}));
  EXPECT_EQ(Tree(dir.path()), before);

  for (RenameEntry& r : list) r.newName = std::string("z").append(r.fileName, 0, 1);
  RenameRows(list, false, {}, &disk);
  auto after = before;
  after.erase("q/p/a");
  after.erase("q/p/plain.txt");
  after["q/p/za"] = before.at("q/p/a");
  after["q/p/zp.txt"] = before.at("q/p/plain.txt");
  EXPECT_EQ(Tree(dir.path()), after);
}

TEST(OddNames, AGivenPathWhosePartEndsInADotOrBlankIsSkipped) {
  TempDir dir;
  dir.Touch("a", "a");
  dir.Mkdir("d");
  dir.Touch("d\\f.txt", "f");
  if (UnderWine()) {
    ASSERT_TRUE(dir.TouchUnix("a.", "dot"));
  }
  RenameList list;
  AddFiles(list, {dir.path() + "a.", dir.path() + "a ", dir.path() + "d.\\f.txt", dir.path() + "d \\f.txt"},
           IntakeOptions{});
  EXPECT_TRUE(list.empty());
  // "." and ".." are folders as they are.
  AddFiles(list, {dir.path() + "d\\..\\d\\.\\f.txt"}, IntakeOptions{});
  EXPECT_EQ(FileNames(list), Names{"f.txt"});
}

// Wine renames the file a Linux link points to: the run would move it here from its folder,
// or give a file of the same folder, one the user never listed, the link's new name.
TEST(OddNames, ALinkToAnotherFileStaysAndIsMarked) {
  TempDir dir;
  dir.Touch("other\\target.txt", "target");
  dir.Touch("p\\own.txt", "own");
  dir.Touch("p\\kept.txt", "kept");
  if (!dir.LinkUnix("link.txt", "../other/target.txt", "p") || !dir.LinkUnix("near.txt", "kept.txt", "p"))
    GTEST_SKIP() << "links are made through Wine's Linux side";
  RenameList list;
  DiskState disk;
  const std::string p = dir.path() + "p\\";
  AddFiles(list, {p + "link.txt", p + "near.txt", p + "own.txt"}, IntakeOptions{}, {}, &disk);
  ASSERT_EQ(FileNames(list), (Names{"link.txt", "near.txt", "own.txt"}));
  for (RenameEntry& r : list) r.newName = std::string("z").append(r.fileName, 0, 1);
  RenameRows(list, false, {}, &disk);
  EXPECT_EQ(FolderListing(dir.path() + "other"), Names{"target.txt"});
  EXPECT_EQ(FolderListing(p), (Names{"kept.txt", "link.txt", "near.txt", "zo.txt"}));
  EXPECT_EQ(FileContent(p + "kept.txt"), "kept");
  EXPECT_EQ(FileNames(list), (Names{"link.txt", "near.txt", "zo.txt"}));
  CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, Refusal::Link);
  EXPECT_EQ(list[1].refusal, Refusal::Link);
}

}  // namespace
