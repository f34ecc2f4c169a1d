// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test. Paths are UTF-16 like every name in the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path with a trailing "\".
  const std::wstring& path() const { return path_; }
  // Creates a file (and missing folders) below the folder; returns its full path.
  std::wstring Touch(const std::wstring& relative, const std::string& content = "") const;
  // The same with text for content, written as UTF-8 (FileText reads it back).
  std::wstring Touch(const std::wstring& relative, std::wstring_view content) const;
  std::wstring Mkdir(const std::wstring& relative) const;
  bool Exists(const std::wstring& relative) const;
  // Creates a file directly in the folder through the Linux side of Wine's drive, where Win32
  // can't: a name that differs from another only in letter case, or that holds "\". The
  // name becomes the UTF-8 name Wine shows as that name. False when not under
  // Wine or when the file can't be made.
  // `folder` is a sub-folder (relative, "\\" between parts) to make it in, or empty.
  bool TouchUnix(const std::wstring& name, const std::string& content = "", const std::wstring& folder = L"") const;
  // The same with the Linux name's own bytes, which need not be UTF-8 ("r\xFFs.txt").
  bool TouchUnixBytes(const std::string& bytes, const std::string& content, const std::wstring& folder = L"") const;
  // A symbolic link `name` in the folder to `target` (a relative Linux path, such as
  // "../other/t.txt"), made through the Linux side; false when not under Wine.
  bool LinkUnix(const std::wstring& name, const std::wstring& target, const std::wstring& folder = L"") const;
  // A named pipe (FIFO) `name` in the folder, made through the Linux side; false off Wine.
  bool FifoUnix(const std::wstring& name, const std::wstring& folder = L"") const;
  // Removes a link (not what it points to) or a file of the folder through the Linux side.
  bool UnlinkUnix(const std::wstring& name) const;
  std::wstring wpath() const;

 private:
  // The Linux path of an entry of the folder (or of its sub-folder); empty off Wine.
  std::string UnixEntry(const std::wstring& name, const std::wstring& folder) const;
  std::wstring path_;
};

// Whether the tests run under Wine, where TouchUnix and LinkUnix work. There a TempDir is
// removed through Linux's own calls, so that names Win32 can't address are removed as they
// are and links are never followed.
bool UnderWine();

// A file's bytes, or "<missing>".
std::string FileContent(const std::wstring& path);
// A file's content read as UTF-8 text, or "<missing>".
std::wstring FileText(const std::wstring& path);

// Entry names directly in the folder, without "." and "..", sorted.
std::vector<std::wstring> FolderListing(const std::wstring& folder);
