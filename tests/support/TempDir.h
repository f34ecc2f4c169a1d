// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test. Paths are CP932 strings like every name in the program.
#pragma once

#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path with a trailing "\".
  const std::string& path() const { return path_; }
  // Creates a file (and missing folders) below the folder; returns its full path.
  std::string Touch(const std::string& relative, const std::string& content = "") const;
  std::string Mkdir(const std::string& relative) const;
  // Same for a name given as UTF-16, for names that have no CP932 form.
  std::wstring TouchW(const std::wstring& relative) const;
  bool Exists(const std::string& relative) const;
  // Creates a file directly in the folder through the Linux side of Wine's drive, where Win32
  // can't: a name that differs from another only in letter case, or that holds "\". The
  // name is CP932 and becomes the UTF-8 name Wine shows as that name. False when not under
  // Wine or when the file can't be made.
  // `folder` is a sub-folder (relative, "\\" between parts) to make it in, or empty.
  bool TouchUnix(const std::string& name, const std::string& content = "", const std::string& folder = "") const;
  // A symbolic link `name` in the folder to `target` (a relative Linux path, such as
  // "../other/t.txt"), made through the Linux side; false when not under Wine.
  bool LinkUnix(const std::string& name, const std::string& target, const std::string& folder = "") const;
  // A named pipe (FIFO) `name` in the folder, made through the Linux side; false off Wine.
  bool FifoUnix(const std::string& name, const std::string& folder = "") const;
  // Removes a link (not what it points to) or a file of the folder through the Linux side.
  bool UnlinkUnix(const std::string& name) const;
  std::wstring wpath() const;

 private:
  // The Linux path of an entry of the folder (or of its sub-folder); empty off Wine.
  std::string UnixEntry(const std::string& name, const std::string& folder) const;
  std::string path_;
};

// Whether the tests run under Wine, where TouchUnix and LinkUnix work. There a TempDir is
// removed through Linux's own calls, so that names Win32 can't address are removed as they
// are and links are never followed.
bool UnderWine();

// A file's content, or "<missing>".
std::string FileContent(const std::string& path);

// Entry names directly in the folder, without "." and "..", sorted.
std::vector<std::string> FolderListing(const std::string& folder);
