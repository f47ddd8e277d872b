#pragma once
#include <string>

namespace savrin {

// The program's name as message boxes show it in their caption: the file name
// of the executable without folder and without extension
// (C:\Tools\Savrin.exe -> Savrin). Both separators count, so the same code
// serves a Windows path and the native test build.
std::u16string ProgramNameFromModulePath(const std::u16string& modulePath);

}  // namespace savrin
