#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace savrin {

// What shows the history: the file-condition drop-down, or a test double.
// The drop-down's current selection is the user's, so it is asked for.
class PatternHistoryDisplay {
 public:
  virtual ~PatternHistoryDisplay() = default;
  virtual void EntryAppended(const std::u16string& text) = 0;
  virtual void EntryRemoved(int index) = 0;
  virtual int CurrentSelection() const = 0;
};

// The remembered file conditions, in the order they were added. The list
// takes what it is given; the editing commands test for a prefix match
// before they append, while loaded entries go in as they are.
class PatternHistory {
 public:
  void SetDisplay(PatternHistoryDisplay* display) { display_ = display; }

  int GetCount() const { return static_cast<int>(entries_.size()); }
  const std::vector<std::u16string>& Entries() const { return entries_; }
  // Texts over 260 characters are cut: no longer text may enter the history.
  void Append(std::u16string_view text);
  void RemoveAt(int index);
  // The drop-down's selected entry, or -1 when none is.
  int GetSelection() const;
  // Index of an entry that begins with `text`, letter case ignored, or -1.
  int FindPrefix(std::u16string_view text) const;

 private:
  std::vector<std::u16string> entries_;
  PatternHistoryDisplay* display_ = nullptr;
};

}  // namespace savrin
