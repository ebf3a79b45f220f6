// The settings read at band creation, the first-run values, and the blocked count.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/settings.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;

TEST(StoredNumberTest, LeadingNumberOfTheText) {
  const struct {
    std::string text;
    std::int32_t number;
  } cases[] = {
      {"", 0},
      {"\0"s, 0},
      {"41\0"s, 41},
      {"41", 41},
      {"abc", 0},
      {"x12", 0},
      {"12abc", 12},
      {"  \t 7", 7},
      {"+8", 8},
      {"-8", -8},
      {"- 8", 0},
      {"-", 0},
      {".", 0},
      {"1 2", 1},
      {"007", 7},
      {"3.", 3},
      {".6", 1},
      {".4", 0},
      {"0.5", 0},
      {"1.5", 2},
      {"2.5", 2},
      {"2.50001", 3},
      {"2.4999", 2},
      {"-2.5", -2},
      {"-3.5", -4},
      {"1.5.5", 2},
      {"1e3", 1},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"2147483647.5", 2147483647},
      {"99999999999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-99999999999999999999999999", -2147483647 - 1},
      {"12\0"
       "34"s,
       12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StoredNumber(c.text), c.number);
  }
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ResetShared();
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ResetShared();
  }

  static void Store(const char* name, const std::string& text) {
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    ModReg::SetKeyValue(kSettingsKey, name, text, REG_SZ);
  }
  static std::string Stored(const char* name) { return ModReg::QueryValue(kSettingsKey, name); }
};

TEST_F(SettingsTest, FirstRunStoresZerosAndStartsTheCopiesAtOne) {
  std::string enabled = "stale";
  Shared().BlockedCount = 0;
  ReadSettingsAtCreation(enabled);
  EXPECT_EQ(enabled, "1");
  EXPECT_EQ(Shared().BlockLevel, "1");
  EXPECT_EQ(Shared().ActiveXFlag, "1");
  EXPECT_EQ(Shared().BlockedCount, 0);
  for (const char* name : {"processNR", "processNL", "processNC", "processAX"}) {
    EXPECT_EQ(Stored(name), "0\0"s) << name;
  }
  EXPECT_EQ(Stored("Lang"), "");
  EXPECT_EQ(Stored("path"), "");

  // A band created afterwards reads the stored zeros, cut to one character.
  std::string next;
  ReadSettingsAtCreation(next);
  EXPECT_EQ(next, "0");
  EXPECT_EQ(Shared().BlockLevel, "0");
  EXPECT_EQ(Shared().ActiveXFlag, "0");
  EXPECT_EQ(Shared().BlockedCount, 0);
}

TEST_F(SettingsTest, StoredSettingsAreCutToTheirFirstCharacter) {
  Store("processNR", "1");
  Store("processNL", "12");
  Store("processAX", "0");
  Store("processNC", "41");
  std::string enabled;
  ReadSettingsAtCreation(enabled);
  EXPECT_EQ(enabled, "1");
  EXPECT_EQ(Shared().BlockLevel, "1");
  EXPECT_EQ(Shared().ActiveXFlag, "0");
  EXPECT_EQ(Shared().BlockedCount, 41);
  EXPECT_EQ(Stored("processNC"), "41\0"s);  // nothing rewritten
}

TEST_F(SettingsTest, MissingLevelAndFlagStayEmptyWhenTheSwitchIsThere) {
  Store("processNR", "0");
  std::string enabled;
  ReadSettingsAtCreation(enabled);
  EXPECT_EQ(enabled, "0");
  EXPECT_EQ(Shared().BlockLevel, "");
  EXPECT_EQ(Shared().ActiveXFlag, "");
  EXPECT_EQ(Stored("processNL"), "");
}

TEST_F(SettingsTest, MissingSwitchInAnExistingKeyRunsTheFirstRun) {
  Store("processNL", "1");
  Store("processNC", "41");
  std::string enabled;
  ReadSettingsAtCreation(enabled);
  EXPECT_EQ(enabled, "1");
  EXPECT_EQ(Shared().BlockedCount, 41);  // read before the first-run values are stored
  EXPECT_EQ(Stored("processNR"), "0\0"s);
  EXPECT_EQ(Stored("processNL"), "0\0"s);
  EXPECT_EQ(Stored("processNC"), "0\0"s);
}

TEST_F(SettingsTest, DwordSwitchReadsAsText) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  ModReg::SetKeyValue(kSettingsKey, "processNR", std::int32_t{1}, REG_DWORD);
  ModReg::SetKeyValue(kSettingsKey, "processNC", std::int32_t{5}, REG_DWORD);
  std::string enabled;
  ReadSettingsAtCreation(enabled);
  EXPECT_EQ(enabled, "1");
  EXPECT_EQ(Shared().BlockedCount, 5);
}

TEST_F(SettingsTest, CountUpdate) {
  const struct {
    const char* stored;  // nullptr: the value is missing
    std::int32_t count;
    std::string after;
  } cases[] = {
      {"41", 42, "42\0"s},
      {"", 1, "1\0"s},
      {"abc", 1, "1\0"s},
      {nullptr, 1, "1\0"s},
      {" 9 blocked", 10, "10\0"s},
      {"-3", -2, "-2\0"s},
      {"2147483646", 2147483647, "2147483647\0"s},
      {"2147483647", 2147483647, "2147483647\0"s},
      {"99999999999", 2147483647, "2147483647\0"s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    if (c.stored) Store("processNC", c.stored);
    IncrementBlockedCount();
    EXPECT_EQ(Shared().BlockedCount, c.count);
    EXPECT_EQ(Stored("processNC"), c.after);
    EXPECT_EQ(ReadBlockedCount(), c.count);
  }
}

TEST_F(SettingsTest, CountIsReReadBeforeEachIncrement) {
  Store("processNC", "41");
  IncrementBlockedCount();
  Store("processNC", "100");  // another window or process counted meanwhile
  Shared().BlockedCount = 0;
  IncrementBlockedCount();
  EXPECT_EQ(Shared().BlockedCount, 101);
  EXPECT_EQ(Stored("processNC"), "101\0"s);
}

TEST_F(SettingsTest, CountUpdateWithoutKeyStoresNothing) {
  IncrementBlockedCount();
  EXPECT_EQ(Shared().BlockedCount, 1);
  EXPECT_EQ(Stored("processNC"), "");
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(SettingsTest, EachThreadHasItsOwnCopies) {
  Shared().BlockLevel = "1";
  Shared().UserActionFlag = true;
  std::string other_level = "unset";
  bool other_flag = true;
  std::thread([&] {
    other_level = Shared().BlockLevel;
    other_flag = Shared().UserActionFlag;
  }).join();
  EXPECT_EQ(other_level, "");
  EXPECT_FALSE(other_flag);
  EXPECT_EQ(Shared().BlockLevel, "1");
}

}  // namespace
}  // namespace tarnivo
