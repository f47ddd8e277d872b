#pragma once
#include <ostream>

#include "platform/status.h"
#include "sorting/file_operation.h"

namespace savrin {

// Readable outcomes and status codes in test failures.
inline const char* OutcomeName(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::Placed: return "Placed";
    case ItemOutcome::Renamed: return "Renamed";
    case ItemOutcome::Replaced: return "Replaced";
    case ItemOutcome::Merged: return "Merged";
    case ItemOutcome::FoundInPlace: return "FoundInPlace";
    case ItemOutcome::SameItem: return "SameItem";
    case ItemOutcome::InUse: return "InUse";
    case ItemOutcome::Blocked: return "Blocked";
    case ItemOutcome::NoFreeName: return "NoFreeName";
    case ItemOutcome::SourceChanged: return "SourceChanged";
    case ItemOutcome::SourceKept: return "SourceKept";
    case ItemOutcome::Failed: return "Failed";
  }
  return "?";
}

inline std::ostream& operator<<(std::ostream& out, ItemOutcome outcome) { return out << OutcomeName(outcome); }

inline std::ostream& operator<<(std::ostream& out, StatusCode code) { return out << static_cast<int>(code); }

}  // namespace savrin
