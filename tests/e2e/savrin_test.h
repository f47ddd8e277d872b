#pragma once
// The fixture most end-to-end tests share: a fresh folder, a settings file
// when the test gives one, the program started from there, and reads of
// what it saved.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {

class SavrinTest : public ::testing::Test {
 protected:
  void WriteSettings(const std::wstring& text) { folder.WriteBytes(L"Savrin.ini", Utf16FileBytes(text)); }

  HWND Start(const std::wstring& settings = L"") {
    if (!settings.empty()) WriteSettings(settings);
    savrin = SavrinProcess::Start(folder);
    HWND window = savrin->WaitForMainWindow();
    EXPECT_NE(window, nullptr);
    return window;
  }

  std::optional<SettingsView> SavedSettings() const {
    const auto text = TextOfUtf16File(folder.ReadBytes(L"Savrin.ini"));
    if (!text) return std::nullopt;
    return SettingsView(*text);
  }

  std::optional<std::wstring> Saved(const wchar_t* section, const wchar_t* key) const {
    const auto saved = SavedSettings();
    return saved ? saved->Get(section, key) : std::nullopt;
  }

  TestFolder folder;
  std::unique_ptr<SavrinProcess> savrin;
};

}  // namespace savrin::e2e
