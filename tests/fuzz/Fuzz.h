// The seeded fuzz runner: random Shift_JIS and UTF-16 texts through the conversions, the rules,
// the clean-up, the filters, the date renderer and the settings readers, with their invariants.
// Every case draws from its own generator, made from the seed, the target's name and the
// case's index, so one case can be run again alone (--only NAME --from I --count 1).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// xoshiro128** seeded through splitmix64: the same numbers on every machine and compiler.
class Rng {
 public:
  explicit Rng(std::uint64_t seed);
  std::uint32_t Next();
  // 0 to n - 1 (n > 0).
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((std::uint64_t{Next()} * n) >> 32); }
  int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::uint32_t>(hi - lo + 1))); }
  bool Percent(unsigned p) { return Below(100) < p; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

 private:
  std::uint32_t s_[4];
};

std::uint64_t SplitMix(std::uint64_t& state);

// ---- Texts ------------------------------------------------------------------------------------

// Whether s is valid Shift_JIS: sjis::ToUtf16 succeeds.
bool Valid(std::string_view s);
// Whether the one- or two-byte code is a valid character of its own.
bool ValidCode(unsigned code);
// The characters of s as sjis::NextChar steps them.
std::vector<std::string_view> Chars(std::string_view s);
// Whether s ends in a lead byte standing alone.
bool EndsInLoneLead(std::string_view s);
// Whether "\", "/" or ":" stands in s as a character of its own.
bool HasDelimiterChar(std::string_view s);
// The pieces one after another (GCC 12 warns falsely on "literal" + std::string).
std::string Cat(std::initializer_list<std::string_view> pieces);

// One random character: valid ones drawn from every row (the NEC row 13, the NEC-selected IBM
// extensions ED/EE and the IBM extensions FA-FC weighted up, with the case-mapped rows and
// the bytes 5C, 5B, 7C as trail bytes); with invalid allowed, also every trail byte after a
// lead, lone lead bytes and bytes that never start a character.
void AppendChar(Rng& rng, std::string& out, bool allowInvalid);
// A random text of up to about maxChars characters; lengths favour short names.
std::string Text(Rng& rng, bool allowInvalid, int maxChars = 24);
// Either mode, with a lone lead byte at the end now and then when invalid is drawn.
std::string AnyText(Rng& rng, int maxChars = 24);
// A piece of s cut at random bytes (so possibly half a character), or at its characters.
std::string Piece(Rng& rng, std::string_view s);

// ---- Wide texts -------------------------------------------------------------------------------

// The characters of s as utf16::NextChar steps them (a pair together, a lone surrogate alone).
std::vector<std::wstring_view> WideChars(std::wstring_view s);
// How many surrogates of s stand without their other half.
std::size_t LoneSurrogates(std::wstring_view s);
// One random character: Shift_JIS ones (drawn as AppendChar draws valid ones) mixed with
// characters no Shift_JIS holds: Latin-1 and Latin Extended (é ß), "〜" U+301C, "—" U+2014,
// "’" U+2019, the combining voiced marks U+3099/U+309A, Hangul, the CJK extensions and emoji
// as surrogate pairs, private-use characters, and now and then a lone surrogate.
void AppendWideChar(Rng& rng, std::wstring& out);
// A random text of up to about maxChars characters; lengths favour short names.
std::wstring WideText(Rng& rng, int maxChars = 24);
// A piece of s cut at random units (so possibly half a pair), or at its characters.
std::wstring WidePiece(Rng& rng, std::wstring_view s);

// ---- Cases --------------------------------------------------------------------------------

class Case {
 public:
  Case(const char* target, std::uint64_t seed, std::uint64_t index);
  Rng rng;
  // Records an input under a name; a failure, a hang or a crash prints every recorded input.
  void Input(const char* name, std::string_view bytes);
  // A UTF-16 text, shown as its units in hex.
  void Input(const char* name, std::wstring_view text);
  void Input(const char* name, long long value);
  void InputReal(const char* name, double value);
  // Fails the case with a message when ok is false; the first failure of a case is kept.
  bool Check(bool ok, const char* what, std::string_view got = {}, std::string_view expected = {});
  bool Check(bool ok, const char* what, std::wstring_view got, std::wstring_view expected = {});
  bool failed() const { return !failure_.empty(); }
  const std::string& failure() const { return failure_; }
  std::string Describe() const;

 private:
  const char* target_;
  std::uint64_t seed_, index_;
  std::vector<std::pair<const char*, std::string>> inputs_;
  std::string failure_;
};

struct Target {
  const char* name;
  void (*run)(Case&);
  unsigned divisor = 1;  // runs count / divisor cases, for targets that touch the disk
};

void AddTextTargets(std::vector<Target>& targets);
void AddEngineTargets(std::vector<Target>& targets);
void AddSettingsTargets(std::vector<Target>& targets);
void AddExifTargets(std::vector<Target>& targets);

}  // namespace fuzz
