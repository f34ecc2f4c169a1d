// The Exif parser over random and mutated files: the test photos of tests/data (JPEG and
// TIFF, "II" and "MM") cut, overwritten, with offsets and counts set to edge values, pieces
// moved and repeated, and plain random bytes behind a JPEG or TIFF head. Each parse runs over
// a copy that ends at a page without access (a read past the end crashes the case) and once
// more through a source that counts what is asked for.
#include <cstring>
#include <string>
#include <vector>

#include "data/TestData.h"
#include "Fuzz.h"
#include "rules/Exif.h"

using rules::DateTime;
using rules::EncodeDateTime;
using rules::ShotDateFrom;
using rules::ShotDateFromBytes;
using rules::kExifMaxRead;

namespace fuzz {

namespace {

using Bytes = std::vector<unsigned char>;

struct Seed {
  const char* name;
  Bytes bytes;
};

const std::vector<Seed>& Seeds() {
  static const std::vector<Seed> seeds = [] {
    std::vector<Seed> s;
    for (const char* name : {"IMG_0042.JPG", "IMG_0043.JPG", "no_exif.jpg", "shot_ii.tif", "shot_mm.tif"}) {
      Bytes b = testdata::Bytes(name);
      if (!b.empty()) s.push_back({name, std::move(b)});
    }
    // Without the data folder, a small TIFF made here: IFD0 with DateTime.
    if (s.empty()) {
      Bytes t = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x32, 0x01, 2, 0, 20, 0, 0, 0, 26, 0, 0, 0, 0, 0, 0, 0};
      for (char ch : std::string("2024:05:07 09:41:27")) t.push_back(static_cast<unsigned char>(ch));
      t.push_back(0);
      s.push_back({"built-in", std::move(t)});
    }
    return s;
  }();
  return seeds;
}


std::uint32_t EdgeValue(Rng& rng, std::size_t size) {
  const std::uint32_t s = static_cast<std::uint32_t>(size);
  const std::uint32_t values[] = {0, 1, 2, 8, 19, 20, s, s - 1, s + 1, s - 19, s - 20, s / 2, 0x7FFFFFFF, 0x80000000u,
                                  0xFFFFFFFFu, 0xFFFFFFF8u, 0xFFFF, 0x10000, rng.Next(), rng.Below(s + 64)};
  return rng.Pick(values);
}

void PutNumber(Bytes& b, std::size_t at, std::uint32_t v, int width, bool little) {
  for (int i = 0; i < width && at + static_cast<std::size_t>(i) < b.size(); ++i) {
    const int shift = little ? 8 * i : 8 * (width - 1 - i);
    b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> shift);
  }
}

void Mutate(Rng& rng, Bytes& b) {
  for (int k = rng.Between(1, 8); k > 0; --k) {
    const std::size_t size = b.size();
    const std::size_t at = size == 0 ? 0 : rng.Below(static_cast<std::uint32_t>(size));
    switch (rng.Below(9)) {
      case 0:  // a byte flipped
        if (size > 0) b[at] ^= static_cast<unsigned char>(1u << rng.Below(8));
        break;
      case 1: {  // a byte set to an edge value
        static const unsigned char edges[] = {0x00, 0xFF, 0x7F, 0x80, 0xD8, 0xDA, 0xE1, 0x2A, 'I', 'M', ':'};
        if (size > 0) b[at] = rng.Pick(edges);
        break;
      }
      case 2:  // a 16- or 32-bit number (an offset, a count) set to an edge value, either order
        PutNumber(b, at, EdgeValue(rng, size), rng.Percent(50) ? 2 : 4, rng.Percent(50));
        break;
      case 3:  // cut
        b.resize(rng.Below(static_cast<std::uint32_t>(size + 1)));
        break;
      case 4: {  // a piece removed
        const std::size_t n = rng.Below(static_cast<std::uint32_t>(size - at + 1));
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        break;
      }
      case 5: {  // a piece repeated somewhere else
        if (size == 0) break;
        const std::size_t n = std::min<std::size_t>(rng.Below(64) + 1, size - at);
        const Bytes piece(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        const std::size_t to = rng.Below(static_cast<std::uint32_t>(size + 1));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(to), piece.begin(), piece.end());
        break;
      }
      case 6:  // random bytes inserted
        for (int n = rng.Between(1, 16); n > 0; --n) b.insert(b.begin() + static_cast<std::ptrdiff_t>(std::min(at, b.size())), static_cast<unsigned char>(rng.Next()));
        break;
      case 7: {  // a date text made odd
        static const char* const texts[] = {"0000:00:00 00:00:00", "2024:02:30 12:00:00", "9999:12:31 23:59:59",
                                            "2024:05:07 24:00:00", "    :  :     :  :  ", "2024:05:07 09:41:2"};
        const char* t = rng.Pick(texts);
        for (std::size_t i = 0; t[i] != 0 && at + i < b.size(); ++i) b[at + i] = static_cast<unsigned char>(t[i]);
        break;
      }
      default:  // a run of 0xFF (JPEG fill bytes, huge counts)
        for (int n = rng.Between(1, 80); n > 0; --n) b.insert(b.begin() + static_cast<std::ptrdiff_t>(std::min(at, b.size())), 0xFF);
        break;
    }
  }
}

void Exif(Case& c) {
  Bytes b;
  const char* seedName = "";
  const unsigned kind = c.rng.Below(10);
  if (kind < 8) {
    const Seed& seed = Seeds()[c.rng.Below(static_cast<std::uint32_t>(Seeds().size()))];
    c.Input("seed", seed.name);
    seedName = seed.name;
    b = seed.bytes;
    if (kind > 0) Mutate(c.rng, b);
  } else {
    // A JPEG or TIFF head and random bytes, small numbers weighted up so offsets land inside.
    static const Bytes heads[] = {{0xFF, 0xD8, 0xFF, 0xE1, 0x01, 0x00, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42},
                                  {'I', 'I', 42, 0}, {'M', 'M', 0, 42}};
    b = heads[c.rng.Below(3)];
    for (int n = c.rng.Between(0, 600); n > 0; --n) {
      b.push_back(static_cast<unsigned char>(c.rng.Percent(50) ? c.rng.Below(32) : c.rng.Next()));
    }
  }
  c.Input("bytes", std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));

  DateTime guardedDate = -1;
  bool guardedFound;
  {
    testdata::Guarded guarded(b);
    guardedFound = ShotDateFromBytes(guarded.data(), guarded.size(), guardedDate);
  }
  testdata::CountingBytes counting(b.data(), b.size());
  DateTime countedDate = -1;
  const bool countedFound = ShotDateFrom(counting, countedDate);
  c.Check(guardedFound == countedFound && (!guardedFound || guardedDate == countedDate), "two parses disagree");
  c.Check(counting.asked <= kExifMaxRead, "asked for more than kExifMaxRead", std::to_string(counting.asked));
  c.Check(counting.reads <= 100, "more than 100 reads", std::to_string(counting.reads));
  if (guardedFound) {
    c.Check(guardedDate >= EncodeDateTime(1, 1, 1) && guardedDate < EncodeDateTime(10000, 1, 1), "a date out of range");
  }
  // An untouched test photo: its date, or none for the one without Exif.
  if (kind == 0) c.Check(guardedFound == (std::strcmp(seedName, "no_exif.jpg") != 0), "a test photo's date was missed");
}

}  // namespace

void AddExifTargets(std::vector<Target>& targets) { targets.push_back({"exif", Exif}); }

}  // namespace fuzz
