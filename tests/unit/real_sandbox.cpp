#include "tests/unit/real_sandbox.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/path_text.h"

namespace savrin {

std::filesystem::path RealSandbox::Native(const std::u16string& path) {
  std::u16string text = path;
#ifndef _WIN32
  for (char16_t& c : text) {
    if (c == u'\\') c = u'/';
  }
#endif
  return std::filesystem::path(text);
}

RealSandbox::RealSandbox() : fs_(MakePlatformFileSystem()) {
  std::mt19937_64 random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
    const std::filesystem::path folder = base / ("savrin-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) root_ = folder.u16string();
  }
  if (root_.empty()) throw std::runtime_error("no temporary folder for the test");
}

// Through the backend: it takes paths past 260 characters and names Win32's
// path rules would alter ("report."), and read-only files, which Windows will
// not remove, get their attribute cleared first.
void RealSandbox::Clear(const std::u16string& folder) {
  std::vector<FileInfo> entries;
  fs_->ListFolder(folder, entries);
  const std::u16string base = fs_->FolderForNames(folder);
  for (const FileInfo& entry : entries) {
    const std::u16string path = JoinPath(base, entry.Name);
    fs_->SetAttributes(path, FileAttributes{});
    if (entry.IsFolder && !entry.IsLink) {
      Clear(path);
      fs_->RemoveEmptyFolder(path);
    } else {
      fs_->RemoveFile(path);
    }
  }
}

RealSandbox::~RealSandbox() {
  Clear(root_);
  fs_->RemoveEmptyFolder(root_);
  std::error_code ignored;
  std::filesystem::remove_all(Native(root_), ignored);
}

void RealSandbox::Write(const std::u16string& path, const std::string& content) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  if (!out) throw std::runtime_error("cannot write a test file");
}

std::optional<std::string> RealSandbox::Read(const std::u16string& path) {
  FileInfo info;
  if (!fs_->GetInfo(path, info).IsOk() || info.IsFolder) return std::nullopt;
  std::ifstream in(Native(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace savrin
