#include "sorting/file_op_request.h"

#include <algorithm>

#include "sorting/file_operation.h"
#include "sorting/name_match.h"

namespace savrin {
namespace {

class BufferWriter {
 public:
  explicit BufferWriter(char16_t (&buffer)[kPathBufferChars]) : buffer_(buffer) {
    std::fill(std::begin(buffer_), std::end(buffer_), u'\0');
  }
  // Keeps two NULs after the text, the last of them the buffer's own end.
  bool Append(std::u16string_view text) {
    if (length_ + text.size() > kPathBufferChars - 2) return false;
    std::copy(text.begin(), text.end(), buffer_ + length_);
    length_ += text.size();
    return true;
  }
  bool EndsWithBackslash() const { return length_ > 0 && buffer_[length_ - 1] == u'\\'; }
  void Clear() { std::fill(std::begin(buffer_), std::end(buffer_), u'\0'); }

 private:
  char16_t (&buffer_)[kPathBufferChars];
  size_t length_ = 0;
};

bool AppendFolder(BufferWriter& writer, std::u16string_view folder) {
  if (!writer.Append(folder.substr(0, kMaxTextLength))) return false;
  return writer.EndsWithBackslash() || writer.Append(u"\\");
}

}  // namespace

bool BuildRequestPaths(FileOpRequest& request, std::u16string_view source, std::u16string_view destination,
                       std::u16string_view pattern, ConditionWord word) {
  pattern = pattern.substr(0, kMaxTextLength);
  BufferWriter from(request.From);
  BufferWriter to(request.To);
  const bool fits = AppendFolder(from, source) && from.Append(pattern) && AppendFolder(to, destination) &&
                    (HasWildcardFlag(word) || to.Append(TrimTrailingDotsAndSpaces(pattern)));
  if (!fits) {
    from.Clear();
    to.Clear();
  }
  return fits;
}

void SetRequestOperation(FileOpRequest& request, ConditionWord word) {
  request.Function = CopiesFiles(word) ? FileOpFunction::Copy : FileOpFunction::Move;
  request.Flags = kBaseFileOpFlags;
  if (RenamesOnCollision(word)) request.Flags |= kFofRenameOnCollision;
}

std::u16string_view BufferText(const char16_t (&buffer)[kPathBufferChars]) {
  return std::u16string_view(buffer, std::find(std::begin(buffer), std::end(buffer), u'\0') - std::begin(buffer));
}

std::u16string DestinationFolderPath(const FileOpRequest& request) {
  const std::u16string_view to = BufferText(request.To);
  const size_t last = to.find_last_of(u"\\/");
  return last == std::u16string_view::npos ? std::u16string() : std::u16string(to.substr(0, last + 1));
}

FileOperation ToFileOperation(const FileOpRequest& request) {
  FileOperation operation;
  operation.Kind = request.Function == FileOpFunction::Copy ? SortMethod::Copy : SortMethod::Move;
  operation.Source = std::u16string(BufferText(request.From));
  operation.Destination = std::u16string(BufferText(request.To));
  operation.RenameOnCollision = (request.Flags & kFofRenameOnCollision) != 0;
  return operation;
}

}  // namespace savrin
