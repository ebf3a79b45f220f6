// The blocked count when several processes block popups at once: each process of the test
// child program blocks its popups through IncrementBlockedCount, and no increment is lost.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "support/child_process.h"

namespace tarnivo {
namespace {

constexpr const char* kCount = "processNC";

// Keeps the settings key as the test found it: processNC (or its absence), or no key at all.
class BlockedCountTest : public testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    key_existed_ =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key_existed_) {
      DWORD size = 0;
      count_existed_ =
          RegQueryValueExA(key, kCount, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
      saved_count_ = ModReg::QueryValue(kSettingsKey, kCount);
      RegCloseKey(key);
    }
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  }

  void TearDown() override {
    if (!key_existed_) {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    } else if (count_existed_) {
      ModReg::SetKeyValue(kSettingsKey, kCount, saved_count_, REG_SZ);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) ==
          ERROR_SUCCESS) {
        RegDeleteValueA(key, kCount);
        RegCloseKey(key);
      }
    }
  }

  bool key_existed_ = false;
  bool count_existed_ = false;
  std::string saved_count_;
};

TEST_F(BlockedCountTest, FourProcessesBlockingAThousandPopupsEachCountFourThousand) {
  constexpr int kProcesses = 4;
  constexpr int kPopups = 1000;
  ModReg::SetKeyValue(kSettingsKey, kCount, std::string("0"), REG_SZ);

  const auto start = std::chrono::steady_clock::now();
  std::vector<child_process::Child> children(kProcesses);
  for (auto& child : children) ASSERT_TRUE(child.Start({"count", std::to_string(kPopups)}));
  for (auto& child : children) EXPECT_EQ(child.Wait(600000), 0);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d processes x %d popups: %.1f s\n", kProcesses, kPopups, seconds);

  EXPECT_EQ(ReadBlockedCount(), kProcesses * kPopups);
  // The text stored by the last increment, as the design stores it.
  IncrementBlockedCount();
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, kCount), std::string("4001\0", 5));
  EXPECT_EQ(Shared().BlockedCount, kProcesses * kPopups + 1);
}

}  // namespace
}  // namespace tarnivo
