#pragma once
#include <exception>
#include <utility>

namespace savrin {

// Says, on the platform's debugging channel, that an exception was stopped
// at `boundary`; `what` is its message, or null for one that is no
// std::exception. On Windows the debugger's output (OutputDebugString),
// elsewhere standard error. Allocates nothing, so that it still works when
// what was caught is std::bad_alloc.
void ReportCaughtException(const char* boundary, const char* what) noexcept;

// Runs `body` at a boundary no exception may cross: a thread's entry, past
// which it ends the process through std::terminate, or a Win32 callback,
// past which it would unwind through the system's own frames. An exception
// is stopped here and reported, and `fallback` stands in for the body's
// result; the caller decides what that means (default processing for a
// window procedure, a failed operation for the file-operation worker).
template <typename Result, typename Body>
Result CallGuarded(const char* boundary, Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::exception& error) {
    ReportCaughtException(boundary, error.what());
  } catch (...) {
    ReportCaughtException(boundary, nullptr);
  }
  return fallback;
}

// The same for a body without a result: true when it ran to its end.
template <typename Body>
bool CallGuarded(const char* boundary, Body&& body) noexcept {
  return CallGuarded(boundary, false, [&body] {
    std::forward<Body>(body)();
    return true;
  });
}

}  // namespace savrin
