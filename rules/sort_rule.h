#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace savrin {

// Longest folder path, file condition or settings value the program keeps;
// every buffer that receives one has room for this many characters plus the
// terminator.
inline constexpr size_t kMaxTextLength = 260;

enum class SortMethod : uint32_t { Move = 0, Copy = 1 };
enum class CollisionMode : uint32_t { Rename = 0, Overwrite = 1 };

// A rule's packed options: wildcard flag in bits 0-7, CollisionMode in bits
// 8-15, SortMethod in bits 16-23. The form reads three bits of each field
// back, while the sorting pass only asks whether a whole byte is zero, so a
// method field of 9 shows as method 1 in the form and sorts as Copy.
using ConditionWord = uint32_t;

constexpr ConditionWord BuildConditionWord(int32_t methodIndex, int32_t collisionIndex, uint32_t wildcardFlag) {
  return (static_cast<uint32_t>(methodIndex) << 16) | (static_cast<uint32_t>(collisionIndex) << 8) | wildcardFlag;
}

constexpr int32_t FormMethodIndex(ConditionWord word) { return static_cast<int32_t>((word >> 16) & 7); }
constexpr int32_t FormCollisionIndex(ConditionWord word) { return static_cast<int32_t>((word >> 8) & 7); }

constexpr bool HasWildcardFlag(ConditionWord word) { return (word & 0xFFu) != 0; }
constexpr bool RenamesOnCollision(ConditionWord word) { return ((word >> 8) & 0xFFu) == 0; }
constexpr bool CopiesFiles(ConditionWord word) { return ((word >> 16) & 0xFFu) != 0; }

// One rule: the folder watched, the folder sorted into, the file condition (a
// plain file name or a pattern with * and ?), and the packed options.
struct SortRule {
  std::u16string Source;
  std::u16string Destination;
  std::u16string Pattern;
  ConditionWord Condition = 0;

  friend bool operator==(const SortRule& a, const SortRule& b) {
    return a.Source == b.Source && a.Destination == b.Destination && a.Pattern == b.Pattern &&
           a.Condition == b.Condition;
  }
};

}  // namespace savrin
