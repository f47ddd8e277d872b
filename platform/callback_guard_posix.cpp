#include "platform/callback_guard.h"

#include <cstdio>

namespace savrin {

void ReportCaughtException(const char* boundary, const char* what) noexcept {
  std::fprintf(stderr, "Savrin: exception stopped in %s: %s\n", boundary,
               what != nullptr ? what : "not a std::exception");
}

}  // namespace savrin
