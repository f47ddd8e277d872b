#pragma once
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace savrin {

// A fresh folder under the system's temporary folder, with a Japanese and a
// Korean name so that every path through it tests the Unicode path handling,
// removed with its contents at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    const std::u16string unique = u"savrin-設定-한글-" + Hex(random()) + Hex(random());
    path_ = std::filesystem::temp_directory_path() / std::filesystem::path(unique);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::u16string File(const std::u16string& name) const { return (path_ / std::filesystem::path(name)).u16string(); }

  // Names of everything in the folder: a leftover temporary file shows here.
  std::set<std::u16string> Names() const {
    std::set<std::u16string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.insert(entry.path().filename().u16string());
    return names;
  }

 private:
  static std::u16string Hex(unsigned value) {
    std::u16string out;
    for (int shift = 28; shift >= 0; shift -= 4) out += u"0123456789abcdef"[(value >> shift) & 0xF];
    return out;
  }

  std::filesystem::path path_;
};

}  // namespace savrin
