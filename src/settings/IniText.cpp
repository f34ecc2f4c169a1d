#include "settings/IniText.h"

#include <utility>

#include "text/sjis.h"

namespace settings {

namespace {

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsIniBlank(s.front())) s.remove_prefix(1);
  return s;
}
std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsIniBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sjis::AsciiLower(a) == sjis::AsciiLower(b);
}

std::string Utf16Of(std::wstring_view w) {
  std::string out(w.size() * 2, '\0');
  for (std::size_t i = 0; i < w.size(); ++i) {
    out[2 * i] = static_cast<char>(w[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(w[i] >> 8);
  }
  return out;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16Mark = "\xFF\xFE";

}  // namespace

bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

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
    Split<wchar_t>(w, [](std::wstring_view line) { return std::make_pair(sjis::FromUtf16Lenient(line), Utf16Of(line)); });
  } else if (bytes.starts_with(kUtf8Mark)) {
    encoding_ = Encoding::Utf8;
    bytes.remove_prefix(kUtf8Mark.size());
    Split<char>(bytes, [](std::string_view line) {
      return std::make_pair(sjis::FromUtf8Lenient(line), std::string(line));
    });
  } else {
    Split<char>(bytes, [](std::string_view line) { return std::make_pair(std::string(line), std::string(line)); });
  }
  if (!lines_.empty() && !lines_.front().eol.empty()) newline_ = lines_.front().eol;
}

std::optional<std::string_view> IniText::Get(std::string_view section, std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == kNone) return std::nullopt;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (IsHeader(i)) break;
    std::string_view name, value;
    if (IsKey(i, name, value) && SameName(name, key)) return value;
  }
  return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  std::size_t header = FindSection(section);
  if (header == kNone) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) Insert(lines_.size(), "");
    std::string header = "[";
    header += section;
    header += ']';
    Insert(lines_.size(), std::move(header));
    Insert(lines_.size(), line);
    return;
  }
  std::size_t after = header + 1;
  for (std::size_t i = header + 1; i < lines_.size() && !IsHeader(i); ++i) {
    std::string_view name, old;
    if (IsKey(i, name, old) && SameName(name, key)) {
      // A value that didn't change keeps its line as the file has it, byte for byte.
      if (old == value) return;
      // Keep the name as the file spells it, and anything before the "=".
      std::string& text = lines_[i].text;
      text.replace(text.find('=') + 1, std::string::npos, value);
      lines_[i].changed = true;
      return;
    }
    std::string_view body = TrimLeft(Body(i));
    if (!body.empty() && body.front() != ';') after = i + 1;
  }
  Insert(after, line);
}

std::string IniText::Bytes() const {
  std::string out;
  if (encoding_ == Encoding::Utf8) out += kUtf8Mark;
  if (encoding_ == Encoding::Utf16) out += kUtf16Mark;
  for (const Line& l : lines_) {
    out += l.changed ? Encode(l.text) : l.original;
    out += Encode(std::string(l.eol));
  }
  return out;
}

std::string IniText::Encode(const std::string& text) const {
  switch (encoding_) {
    case Encoding::Utf8: return sjis::ToUtf8Lenient(text);
    case Encoding::Utf16: return Utf16Of(sjis::ToUtf16Lenient(text));
    case Encoding::ShiftJis: break;
  }
  return text;
}

bool IniText::IsHeader(std::size_t i, std::string_view* name) const {
  std::string_view t = TrimLeft(Body(i));
  if (t.empty() || t.front() != '[') return false;
  std::size_t close = sjis::Find(t, "]", 1);  // a "]" can be the trail byte of a character
  if (close == sjis::npos) return false;
  if (name) *name = Trim(t.substr(1, close - 1));
  return true;
}

bool IniText::IsKey(std::size_t i, std::string_view& name, std::string_view& value) const {
  std::string_view t = TrimLeft(Body(i));
  if (t.empty() || t.front() == ';' || IsHeader(i)) return false;
  std::size_t eq = t.find('=');  // "=" is never a trail byte
  if (eq == std::string_view::npos) return false;
  name = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return !name.empty();
}

std::size_t IniText::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (IsHeader(i, &name) && SameName(name, section)) return i;
  }
  return kNone;
}

void IniText::Insert(std::size_t at, std::string text) {
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), {}, newline_, true});
}

}  // namespace settings
