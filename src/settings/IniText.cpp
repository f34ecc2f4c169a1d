#include "settings/IniText.h"

#include <windows.h>

#include <utility>

#include "text/sjis.h"
#include "text/utf16.h"

namespace settings {

namespace {

std::wstring_view TrimLeft(std::wstring_view s) {
  while (!s.empty() && IsIniBlank(s.front())) s.remove_prefix(1);
  return s;
}
std::wstring_view Trim(std::wstring_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsIniBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::wstring_view a, std::wstring_view b) { return utf16::EqualsIgnoringAsciiCase(a, b); }

std::string Utf16Of(std::wstring_view w) {
  std::string out(w.size() * 2, '\0');
  for (std::size_t i = 0; i < w.size(); ++i) {
    out[2 * i] = static_cast<char>(w[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(w[i] >> 8);
  }
  return out;
}

// What UTF-8 can't carry: half of a surrogate pair, which a file name may hold.
bool HasLoneSurrogate(std::wstring_view s) {
  for (std::size_t i = 0; i < s.size(); i = utf16::NextChar(s, i)) {
    if ((utf16::IsHighSurrogate(s[i]) || utf16::IsLowSurrogate(s[i])) && utf16::NextChar(s, i) == i + 1) return true;
  }
  return false;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16Mark = "\xFF\xFE";

}  // namespace

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

template <typename Char, typename Convert>
void IniText::Split(std::basic_string_view<Char> text, Convert convert) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find(Char('\n'), pos);
    std::basic_string_view<Char> line = text.substr(pos, nl == text.npos ? text.npos : nl - pos);
    std::string_view eol = nl == text.npos ? "" : "\n";
    if (nl != text.npos && !line.empty() && line.back() == Char('\r')) {
      line.remove_suffix(1);
      eol = "\r\n";
    }
    auto [readable, original] = convert(line);
    lines_.push_back({std::move(readable), std::move(original), eol, false});
    if (nl == text.npos) break;
    pos = nl + 1;
  }
}

IniText::IniText(std::string_view bytes) {
  if (bytes.starts_with(kUtf16Mark)) {
    encoding_ = Encoding::Utf16;
    bytes.remove_prefix(kUtf16Mark.size());
    std::wstring w(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < w.size(); ++i) {
      w[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                  static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    Split<wchar_t>(w, [](std::wstring_view line) { return std::make_pair(std::wstring(line), Utf16Of(line)); });
  } else if (bytes.starts_with(kUtf8Mark)) {
    encoding_ = Encoding::Utf8;
    bytes.remove_prefix(kUtf8Mark.size());
    Split<char>(bytes, [](std::string_view line) {
      return std::make_pair(utf16::FromUtf8Leniently(line), std::string(line));
    });
  } else {
    Split<char>(bytes, [](std::string_view line) {
      return std::make_pair(sjis::ToUtf16Lenient(line), std::string(line));
    });
  }
  if (!lines_.empty() && !lines_.front().eol.empty()) newline_ = lines_.front().eol;
}

std::optional<std::wstring_view> IniText::Get(std::wstring_view section, std::wstring_view key) const {
  std::size_t header = FindSection(section);
  if (header == kNone) return std::nullopt;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (IsHeader(i)) break;
    std::wstring_view name, value;
    if (IsKey(i, name, value) && SameName(name, key)) return value;
  }
  return std::nullopt;
}

void IniText::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  std::wstring line(key);
  line += L'=';
  line += value;
  std::size_t header = FindSection(section);
  if (header == kNone) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) Insert(lines_.size(), L"");
    std::wstring header = L"[";
    header += section;
    header += L']';
    Insert(lines_.size(), std::move(header));
    Insert(lines_.size(), line);
    return;
  }
  std::size_t after = header + 1;
  for (std::size_t i = header + 1; i < lines_.size() && !IsHeader(i); ++i) {
    std::wstring_view name, old;
    if (IsKey(i, name, old) && SameName(name, key)) {
      // A value that didn't change keeps its line as the file has it, byte for byte.
      if (old == value) return;
      // Keep the name as the file spells it, and anything before the "=".
      std::wstring& text = lines_[i].text;
      text.replace(text.find(L'=') + 1, std::wstring::npos, value);
      lines_[i].changed = true;
      return;
    }
    std::wstring_view body = TrimLeft(Body(i));
    if (!body.empty() && body.front() != L';') after = i + 1;
  }
  Insert(after, line);
}

IniText::Encoding IniText::Written() const {
  if (encoding_ == Encoding::Utf16) return encoding_;
  for (const Line& l : lines_) {
    if (!l.changed) continue;
    if (encoding_ == Encoding::ShiftJis ? !utf16::HasShiftJisForm(l.text) : HasLoneSurrogate(l.text)) {
      return Encoding::Utf16;
    }
  }
  return encoding_;
}

std::string IniText::Bytes() const {
  const Encoding written = Written();
  // A file that changes encoding is written whole anew; else the lines kept are its own bytes.
  const bool whole = written != encoding_;
  std::string out;
  if (written == Encoding::Utf8) out += kUtf8Mark;
  if (written == Encoding::Utf16) out += kUtf16Mark;
  std::wstring eol;
  for (const Line& l : lines_) {
    out += l.changed || whole ? Encode(l.text, written) : l.original;
    eol.assign(l.eol.begin(), l.eol.end());
    out += Encode(eol, written);
  }
  return out;
}

std::string IniText::Encode(std::wstring_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8: return utf16::ToUtf8(text);
    case Encoding::Utf16: return Utf16Of(text);
    case Encoding::ShiftJis: break;
  }
  return sjis::FromUtf16Lenient(text);
}

bool IniText::IsHeader(std::size_t i, std::wstring_view* name) const {
  std::wstring_view t = TrimLeft(Body(i));
  if (t.empty() || t.front() != L'[') return false;
  std::size_t close = t.find(L']', 1);
  if (close == std::wstring_view::npos) return false;
  if (name) *name = Trim(t.substr(1, close - 1));
  return true;
}

bool IniText::IsKey(std::size_t i, std::wstring_view& name, std::wstring_view& value) const {
  std::wstring_view t = TrimLeft(Body(i));
  if (t.empty() || t.front() == L';' || IsHeader(i)) return false;
  std::size_t eq = t.find(L'=');
  if (eq == std::wstring_view::npos) return false;
  name = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return !name.empty();
}

std::size_t IniText::FindSection(std::wstring_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::wstring_view name;
    if (IsHeader(i, &name) && SameName(name, section)) return i;
  }
  return kNone;
}

void IniText::Insert(std::size_t at, std::wstring text) {
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), {}, newline_, true});
}

}  // namespace settings
