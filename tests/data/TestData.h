// The test photos of this folder, for the tests, the fuzz runner and the benchmarks, found
// through the folder's path that the build passes in as KINOHA_TEST_DATA (under Wine a Linux
// path "/x/y" is "Z:\x\y"), so a test program finds them from whatever folder it runs in.
// Not through __FILE__: the build maps source paths away so that the program is reproducible.
//
// Made once with ImageMagick and exiftool (libimage-exiftool-perl), not at run time:
//   IMG_0042.JPG  8x8 JPEG, Exif "MM": DateTimeOriginal 2024:05:07 09:41:27,
//                 DateTimeDigitized 2024:05:08 10:00:00, DateTime 2024:06:01 12:00:00
//   IMG_0043.JPG  8x8 JPEG, Exif "II": only DateTime 2022:08:15 18:30:00 (IFD0)
//   no_exif.jpg   8x8 JPEG without Exif (convert -strip)
//   shot_ii.tif   8x8 TIFF "II": DateTimeOriginal 2023:12:31 23:59:58, DateTimeDigitized
//                 2023:12:30 01:02:03, DateTime 2024:01:02 03:04:05
//   shot_mm.tif   8x8 TIFF "MM": DateTimeOriginal 2019:02:28 06:07:08, DateTimeDigitized
//                 2019:02:27 00:00:00, DateTime 2019:03:01 00:00:00
//
//   convert -size 8x8 gradient:white-black -strip -quality 50 IMG_0042.JPG
//   exiftool -DateTimeOriginal='2024:05:07 09:41:27' -CreateDate='2024:05:08 10:00:00'
//            -ModifyDate='2024:06:01 12:00:00' IMG_0042.JPG  (one command)
//   convert ... -strip no_exif.jpg; cp no_exif.jpg IMG_0043.JPG
//   exiftool -ExifByteOrder=II -ModifyDate='2022:08:15 18:30:00' IMG_0043.JPG
//   convert -size 8x8 gradient:white-black -strip -define tiff:endian=lsb (msb) -compress none shot_ii.tif
//   exiftool -DateTimeOriginal=... -CreateDate=... -ModifyDate=... shot_ii.tif (shot_mm.tif)
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rules/Exif.h"

namespace testdata {

// This folder, with a trailing "\".
inline std::string Folder() {
  std::string path = KINOHA_TEST_DATA "/";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (!path.empty() && path[0] == '\\') path.insert(0, "Z:");
  return path.substr(0, path.find_last_of('\\') + 1);
}

inline std::string Path(const char* name) { return Folder() + name; }

// The file's bytes; empty when it can't be read.
inline std::vector<unsigned char> Bytes(const char* name) {
  std::ifstream in(Path(name), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A copy of some bytes that ends where a page without access begins, so that a read of even
// one byte past the end crashes rather than passing unseen.
class Guarded {
 public:
  Guarded(const unsigned char* data, std::size_t size) : size_(size) {
    const std::size_t page = 4096;
    span_ = (size + page - 1) / page * page + page;
    base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, span_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr) return;
    DWORD old;
    VirtualProtect(base_ + span_ - page, page, PAGE_NOACCESS, &old);
    data_ = base_ + span_ - page - size;
    if (size > 0) std::memcpy(data_, data, size);
  }
  explicit Guarded(const std::vector<unsigned char>& bytes) : Guarded(bytes.data(), bytes.size()) {}
  ~Guarded() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
  Guarded(const Guarded&) = delete;
  Guarded& operator=(const Guarded&) = delete;
  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  unsigned char* base_ = nullptr;
  unsigned char* data_ = nullptr;
  std::size_t size_, span_ = 0;
};

// Bytes for the parser that count what a parse asks for.
class CountingBytes final : public rules::ExifBytes {
 public:
  CountingBytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) override {
    asked += n;
    ++reads;
    if (offset > size_ || n > size_ - offset) return false;
    if (n > 0) std::memcpy(out, data_ + offset, n);
    return true;
  }
  std::size_t asked = 0, reads = 0;

 private:
  const unsigned char* data_;
  std::size_t size_;
};

}  // namespace testdata
