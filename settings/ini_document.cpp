#include "settings/ini_document.h"

#include "platform/case_fold.h"

namespace savrin {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }
bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }
bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// Windows ignores the case of every letter in a profile name; names fold as
// file names do.
std::u16string FoldName(std::u16string_view name) { return FoldCase(name); }

// [begin, end) narrowed past blanks on both sides.
void Trim(std::u16string_view text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
}

bool IsBlankLine(std::u16string_view text) {
  for (const char16_t c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

bool HasOuterBlank(std::u16string_view s) { return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back())); }

enum class LineKind { Other, Header, Entry };

struct LineParts {
  LineKind Kind = LineKind::Other;
  size_t NameBegin = 0, NameEnd = 0;
  size_t RawValueBegin = 0, ValueBegin = 0, ValueEnd = 0;
};

LineParts ParseLine(std::u16string_view text) {
  LineParts parts;
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first == text.size() || text[first] == u';') return parts;
  if (text[first] == u'[') {
    const size_t close = text.rfind(u']');
    if (close != std::u16string_view::npos && close > first) {
      parts.Kind = LineKind::Header;
      parts.NameBegin = first + 1;
      parts.NameEnd = close;
      Trim(text, parts.NameBegin, parts.NameEnd);
      return parts;
    }
  }
  const size_t equals = text.find(u'=', first);
  if (equals == std::u16string_view::npos) return parts;
  parts.Kind = LineKind::Entry;
  parts.NameBegin = first;
  parts.NameEnd = equals;
  Trim(text, parts.NameBegin, parts.NameEnd);
  parts.ValueBegin = equals + 1;
  parts.ValueEnd = text.size();
  Trim(text, parts.ValueBegin, parts.ValueEnd);
  parts.RawValueBegin = parts.ValueBegin;
  if (parts.ValueEnd - parts.ValueBegin >= 2 && IsQuote(text[parts.ValueBegin]) &&
      text[parts.ValueEnd - 1] == text[parts.ValueBegin]) {
    ++parts.ValueBegin;
    --parts.ValueEnd;
  }
  return parts;
}

// The value as it must stand after '=' to be read back unchanged: quoted when
// reading would otherwise trim blanks or strip a pair of quotes from it.
std::u16string EncodeValue(std::u16string_view value) {
  const bool quote = HasOuterBlank(value) || (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front());
  if (!quote) return std::u16string(value);
  std::u16string out;
  out.reserve(value.size() + 2);
  out += u'"';
  out += value;
  out += u'"';
  return out;
}

bool IsWritableSectionName(std::u16string_view name) {
  return !HasOuterBlank(name) && name.find_first_of(u"\r\n") == std::u16string_view::npos;
}

bool IsWritableKey(std::u16string_view key) {
  return !key.empty() && !HasOuterBlank(key) && key.front() != u';' && key.front() != u'[' &&
         key.find_first_of(u"=\r\n") == std::u16string_view::npos;
}

}  // namespace

IniDocument::IniDocument(std::u16string_view text) {
  sections_.emplace_back();
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = begin;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    AddLine(text.substr(begin, end - begin));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
    begin = end + 1;
  }
  IndexSections();
}

void IniDocument::AddLine(std::u16string_view text) {
  const LineParts parts = ParseLine(text);
  if (parts.Kind == LineKind::Header) {
    sections_.emplace_back();
    sections_.back().FoldedName = FoldName(text.substr(parts.NameBegin, parts.NameEnd - parts.NameBegin));
  }
  Section& section = sections_.back();
  Line line{std::u16string(text), parts.RawValueBegin, parts.ValueBegin, parts.ValueEnd - parts.ValueBegin};
  if (parts.Kind == LineKind::Entry) {
    section.FirstEntry.emplace(FoldName(text.substr(parts.NameBegin, parts.NameEnd - parts.NameBegin)),
                               section.Lines.size());
  }
  section.Lines.push_back(std::move(line));
}

void IniDocument::IndexSections() {
  firstSection_.clear();
  for (size_t i = 1; i < sections_.size(); ++i) firstSection_.emplace(sections_[i].FoldedName, i);
}

std::optional<std::u16string> IniDocument::Get(std::u16string_view section, std::u16string_view key) const {
  const auto s = firstSection_.find(FoldName(section));
  if (s == firstSection_.end()) return std::nullopt;
  const Section& found = sections_[s->second];
  const auto e = found.FirstEntry.find(FoldName(key));
  if (e == found.FirstEntry.end()) return std::nullopt;
  const Line& line = found.Lines[e->second];
  return line.Text.substr(line.ValueBegin, line.ValueLength);
}

bool IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  if (!IsWritableSectionName(section) || !IsWritableKey(key)) return false;
  value = value.substr(0, value.find_first_of(u"\r\n"));
  std::u16string foldedSection = FoldName(section);
  auto s = firstSection_.find(foldedSection);
  if (s == firstSection_.end()) {
    Section added;
    added.FoldedName = foldedSection;
    added.Lines.push_back(Line{u"[" + std::u16string(section) + u"]"});
    sections_.push_back(std::move(added));
    s = firstSection_.emplace(std::move(foldedSection), sections_.size() - 1).first;
  }
  Section& target = sections_[s->second];
  std::u16string foldedKey = FoldName(key);
  const auto e = target.FirstEntry.find(foldedKey);
  if (e != target.FirstEntry.end()) {
    Line& line = target.Lines[e->second];
    line.Text.replace(line.RawValueBegin, std::u16string::npos, EncodeValue(value));
    const LineParts parts = ParseLine(line.Text);
    line.ValueBegin = parts.ValueBegin;
    line.ValueLength = parts.ValueEnd - parts.ValueBegin;
    return true;
  }
  // After the last non-blank line, so blank lines that part this section from
  // the next stay where they are; they hold no entry, so no index moves.
  size_t at = target.Lines.size();
  while (at > 1 && IsBlankLine(target.Lines[at - 1].Text)) --at;
  std::u16string text = std::u16string(key) + u"=" + EncodeValue(value);
  const LineParts parts = ParseLine(text);
  target.Lines.insert(target.Lines.begin() + static_cast<std::ptrdiff_t>(at),
                      Line{std::move(text), parts.RawValueBegin, parts.ValueBegin, parts.ValueEnd - parts.ValueBegin});
  target.FirstEntry.emplace(std::move(foldedKey), at);
  return true;
}

void IniDocument::RemoveSection(std::u16string_view section) {
  const std::u16string folded = FoldName(section);
  if (firstSection_.find(folded) == firstSection_.end()) return;
  size_t kept = 1;
  for (size_t i = 1; i < sections_.size(); ++i) {
    if (sections_[i].FoldedName == folded) continue;
    if (kept != i) sections_[kept] = std::move(sections_[i]);
    ++kept;
  }
  sections_.resize(kept);
  IndexSections();
}

std::u16string IniDocument::Serialize() const {
  size_t size = 0;
  for (const auto& section : sections_) {
    for (const auto& line : section.Lines) size += line.Text.size() + 2;
  }
  std::u16string out;
  out.reserve(size);
  for (const auto& section : sections_) {
    for (const auto& line : section.Lines) {
      out += line.Text;
      out += u"\r\n";
    }
  }
  return out;
}

}  // namespace savrin
