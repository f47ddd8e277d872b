#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace savrin {

// The settings file as text lines, read by the rules of Windows profile files
// and written back with every line the program does not own left as it was.
//
// Reading: a line whose first non-blank character is ';' is a comment; '['
// up to the last ']' of the line opens a section; any other line with '=' is
// an entry whose key is the text before the first '=' and whose value is the
// rest. Names and values are trimmed of space, tab, VT and FF, and one pair of
// matching double or single quotes around a value is dropped. Section and key
// names match without regard to letter case (A-Z, full-width Latin, Latin-1,
// Greek and Cyrillic capitals fold). The first of duplicate sections and the
// first of duplicate keys win; entries before the first section belong to
// none and are kept but never found. Lines may end in CRLF, LF or CR.
class IniDocument {
 public:
  explicit IniDocument(std::u16string_view text = {});

  // nullopt when the section or the key is absent; "" when present but empty.
  std::optional<std::u16string> Get(std::u16string_view section, std::u16string_view key) const;

  // Replaces the value of the winning entry in place, else adds the entry to
  // the winning section after its last non-blank line, else adds the section
  // at the end. A value cannot hold a line break: it is cut at the first CR
  // or LF. Names that would not read back as themselves are refused (false,
  // document unchanged): a line break, leading or trailing blanks, and for a
  // key emptiness, '=', or a leading ';' or '['.
  bool Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

  // Removes every section of that name with all its lines.
  void RemoveSection(std::u16string_view section);

  // The whole text with CRLF after every line.
  std::u16string Serialize() const;

 private:
  struct Line {
    std::u16string Text;
    // Entries only: where the value stands in `Text` once trimmed and unquoted,
    // and where the raw value after '=' and its leading blanks begins.
    size_t RawValueBegin = 0;
    size_t ValueBegin = 0;
    size_t ValueLength = 0;
  };
  struct Section {
    std::u16string FoldedName;
    std::vector<Line> Lines;  // Lines[0] is the header, except in the part before any section
    std::unordered_map<std::u16string, size_t> FirstEntry;  // folded key -> index in Lines
  };

  void AddLine(std::u16string_view text);
  void IndexSections();

  std::vector<Section> sections_;  // sections_[0]: lines before the first header
  std::unordered_map<std::u16string, size_t> firstSection_;
};

}  // namespace savrin
