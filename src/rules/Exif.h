// The date of shooting of a photo, from its Exif data: DateTimeOriginal (0x9003) in the Exif
// sub-IFD, else DateTimeDigitized (0x9004), else DateTime (0x0132) in IFD0; for JPEG (the
// APP1 segment "Exif\0\0" before the first SOS) and TIFF ("II" and "MM"). Nothing the bytes
// say is trusted: every offset and count is checked against the bytes there are, only IFD0
// and the one Exif IFD it points at are read (no chain of IFDs is followed), and a malformed
// or truncated file is "no date". Pure: no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rules/DatePattern.h"

namespace rules {

// Random access to the bytes of a file or of a buffer. Read gives exactly n bytes at the
// offset, or fails (past the end, or the source gives up).
class ExifBytes {
 public:
  virtual ~ExifBytes() = default;
  virtual std::uint64_t size() const = 0;
  virtual bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) = 0;
};

// How far the parser reaches: a JPEG's segments are looked for in its first 64 KiB; an IFD
// is read up to this many entries (a real one has a few dozen).
constexpr std::uint64_t kExifJpegSearch = 64 * 1024;
constexpr std::uint32_t kExifMaxEntries = 1024;
// The most bytes one parse asks for, whatever the file (the file side reads the head of a
// file at once and then at most this much more).
constexpr std::size_t kExifMaxRead = 2 + 64 * (2 + 2 + 6) + 8 + 2 * (2 + kExifMaxEntries * 12) + 3 * 19;

// The date of shooting, as local date and time (Exif dates carry no zone), whole seconds.
bool ShotDateFrom(ExifBytes& bytes, DateTime& out);
bool ShotDateFromBytes(const unsigned char* data, std::size_t size, DateTime& out);

// "YYYY:MM:DD HH:MM:SS" with the fields in range (year 1 to 9999, a real day of its month,
// 00:00:00 to 23:59:59); "0000:00:00 00:00:00" and blanks are no date.
bool ParseExifDate(std::string_view text, DateTime& out);

}  // namespace rules
