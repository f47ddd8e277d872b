// Any bytes in the settings file: decoding, parsing and loading must not
// crash, a written document must answer as the read one did, and the loaded
// state saved back must load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/shared/settings_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      savrin::invariants::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!failure.empty()) {
    std::fprintf(stderr, "settings invariant broken: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
