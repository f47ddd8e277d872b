#pragma once
#include <memory>

#include "platform/file_system.h"

namespace savrin::bench {

// For measurement only: the platform backend with every flush left out (a
// copy is not synced before it returns, a folder is not synced before a
// source is removed). The difference to the real backend is what the crash
// safety costs. Never a mode of the program.
std::unique_ptr<FileSystem> MakeUnflushedFileSystem();

}  // namespace savrin::bench
