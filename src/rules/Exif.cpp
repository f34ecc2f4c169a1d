#include "rules/Exif.h"

#include <algorithm>
#include <cstring>

namespace rules {

namespace {

constexpr std::uint16_t kTagDateTime = 0x0132, kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003, kTagDateTimeDigitized = 0x9004;
constexpr std::uint16_t kTypeAscii = 2, kTypeLong = 4, kTypeIfd = 13;
constexpr std::size_t kDateLength = 19;  // "YYYY:MM:DD HH:MM:SS", the NUL after it not needed
constexpr int kJpegSteps = 64;           // markers and fill bytes looked at, at most

class MemoryBytes final : public ExifBytes {
 public:
  MemoryBytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (n > 0) std::memcpy(out, data_ + offset, n);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

// A TIFF structure inside a source: offsets count from its header, and nothing is read
// outside [base, base + size).
class Tiff {
 public:
  Tiff(ExifBytes& bytes, std::uint64_t base, std::uint64_t size) : bytes_(bytes), base_(base), size_(size) {}

  bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) const {
    if (offset > size_ || n > size_ - offset) return false;
    return bytes_.Read(base_ + offset, n, out);
  }
  std::uint64_t size() const { return size_; }
  std::uint16_t U16(const unsigned char* p) const {
    return static_cast<std::uint16_t>(little ? p[0] | p[1] << 8 : p[0] << 8 | p[1]);
  }
  std::uint32_t U32(const unsigned char* p) const {
    return little ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24
                  : std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
  }
  bool little = true;

 private:
  ExifBytes& bytes_;
  std::uint64_t base_, size_;
};

struct IfdEntry {
  std::uint16_t type = 0;
  std::uint32_t count = 0, value = 0;  // value: the 4 value bytes as an offset or a number
  bool found = false;
};

// The first entries with the wanted tags in the IFD at the offset. Only the entries wholly
// inside the structure are looked at, at most kExifMaxEntries of them.
template <std::size_t N>
void FindEntries(const Tiff& tiff, std::uint32_t offset, const std::uint16_t (&tags)[N], IfdEntry (&out)[N]) {
  unsigned char head[2];
  if (!tiff.Read(offset, 2, head)) return;
  std::uint64_t count = tiff.U16(head);
  count = std::min<std::uint64_t>({count, kExifMaxEntries, (tiff.size() - offset - 2) / 12});
  constexpr std::size_t kChunk = 128;
  unsigned char buf[kChunk * 12];
  for (std::uint64_t done = 0; done < count;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, count - done));
    if (!tiff.Read(offset + 2 + done * 12, n * 12, buf)) return;
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned char* e = buf + i * 12;
      const std::uint16_t tag = tiff.U16(e);
      for (std::size_t k = 0; k < N; ++k) {
        if (tag != tags[k] || out[k].found) continue;
        out[k] = {tiff.U16(e + 2), tiff.U32(e + 4), tiff.U32(e + 8), true};
      }
    }
    done += n;
  }
}

bool DateOf(const Tiff& tiff, const IfdEntry& e, DateTime& out) {
  if (!e.found || e.type != kTypeAscii || e.count < kDateLength) return false;
  char text[kDateLength];
  if (!tiff.Read(e.value, kDateLength, reinterpret_cast<unsigned char*>(text))) return false;
  return ParseExifDate(std::string_view(text, kDateLength), out);
}

bool ShotDateFromTiff(Tiff& tiff, DateTime& out) {
  unsigned char header[8];
  if (!tiff.Read(0, 8, header)) return false;
  if (header[0] == 'I' && header[1] == 'I') {
    tiff.little = true;
  } else if (header[0] == 'M' && header[1] == 'M') {
    tiff.little = false;
  } else {
    return false;
  }
  if (tiff.U16(header + 2) != 42) return false;
  const std::uint32_t ifd0 = tiff.U32(header + 4);

  static constexpr std::uint16_t kIfd0Tags[] = {kTagDateTime, kTagExifIfd};
  IfdEntry ifd0Entries[2];
  FindEntries(tiff, ifd0, kIfd0Tags, ifd0Entries);
  const IfdEntry& exifPointer = ifd0Entries[1];
  if (exifPointer.found && (exifPointer.type == kTypeLong || exifPointer.type == kTypeIfd) && exifPointer.count == 1) {
    static constexpr std::uint16_t kExifTags[] = {kTagDateTimeOriginal, kTagDateTimeDigitized};
    IfdEntry exifEntries[2];
    FindEntries(tiff, exifPointer.value, kExifTags, exifEntries);
    if (DateOf(tiff, exifEntries[0], out) || DateOf(tiff, exifEntries[1], out)) return true;
  }
  return DateOf(tiff, ifd0Entries[0], out);
}

// The first APP1 "Exif\0\0" among the segments before SOS that start in the first 64 KiB.
bool ShotDateFromJpeg(ExifBytes& bytes, DateTime& out) {
  std::uint64_t pos = 2;
  for (int step = 0; step < kJpegSteps && pos < kExifJpegSearch; ++step) {
    unsigned char marker[4];
    if (!bytes.Read(pos, 2, marker) || marker[0] != 0xFF) return false;
    if (marker[1] == 0xFF) {  // a fill byte before the marker
      ++pos;
      continue;
    }
    if (marker[1] == 0xD9 || marker[1] == 0xDA) return false;  // EOI, SOS: the image data
    if (marker[1] == 0x01 || (marker[1] >= 0xD0 && marker[1] <= 0xD7)) {  // no length
      pos += 2;
      continue;
    }
    if (!bytes.Read(pos + 2, 2, marker + 2)) return false;
    const std::uint32_t length = std::uint32_t{marker[2]} << 8 | marker[3];  // counts itself
    if (length < 2) return false;
    if (marker[1] == 0xE1 && length >= 2 + 6) {
      unsigned char id[6];
      if (bytes.Read(pos + 4, 6, id) && std::memcmp(id, "Exif\0\0", 6) == 0) {
        const std::uint64_t start = pos + 10;
        const std::uint64_t end = std::min<std::uint64_t>(pos + 2 + length, bytes.size());
        if (start > end) return false;
        Tiff tiff(bytes, start, end - start);
        return ShotDateFromTiff(tiff, out);
      }
    }
    pos += 2 + std::uint64_t{length};
  }
  return false;
}

bool Digits(std::string_view t, std::size_t at, std::size_t n, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    value = value * 10 + (t[i] - '0');
  }
  return true;
}

}  // namespace

bool ParseExifDate(std::string_view t, DateTime& out) {
  if (t.size() != kDateLength || t[4] != ':' || t[7] != ':' || t[10] != ' ' || t[13] != ':' || t[16] != ':') return false;
  int year, month, day, hour, minute, second;
  if (!Digits(t, 0, 4, year) || !Digits(t, 5, 2, month) || !Digits(t, 8, 2, day) || !Digits(t, 11, 2, hour) ||
      !Digits(t, 14, 2, minute) || !Digits(t, 17, 2, second)) {
    return false;
  }
  if (year < 1 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  out = EncodeDateTime(year, month, day, hour, minute, second);
  return true;
}

bool ShotDateFrom(ExifBytes& bytes, DateTime& out) {
  unsigned char head[2];
  if (!bytes.Read(0, 2, head)) return false;
  if (head[0] == 0xFF && head[1] == 0xD8) return ShotDateFromJpeg(bytes, out);
  Tiff tiff(bytes, 0, bytes.size());
  return ShotDateFromTiff(tiff, out);
}

bool ShotDateFromBytes(const unsigned char* data, std::size_t size, DateTime& out) {
  if (data == nullptr) size = 0;
  MemoryBytes bytes(data, size);
  return ShotDateFrom(bytes, out);
}

}  // namespace rules
