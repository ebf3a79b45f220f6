// ModReg against the registry: the exact bytes stored, and how each type reads back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/win32.h"
#include "store/mod_reg.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;

class ModRegTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }
  void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }

  static bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // The raw type and bytes of a value, read with the API; false when it cannot be read.
  static bool RawValue(const char* name, DWORD& type, std::string& bytes) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
      bytes.assign(size, '\0');
      result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(bytes.data()),
                                &size);
      bytes.resize(size);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
  }

  // Stores raw bytes of any type, past ModReg.
  static void StoreRaw(const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  static std::string DwordBytes(std::int32_t n) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &n, 4);
    return bytes;
  }
};

TEST(VariantTextTest, EachKind) {
  EXPECT_EQ(VariantText(RegVariant()), "");
  EXPECT_EQ(VariantText(RegVariant(std::string("a\0"s))), "a\0"s);
  EXPECT_EQ(VariantText(RegVariant(std::int32_t{-2147483647 - 1})), "-2147483648");
  EXPECT_EQ(VariantText(RegVariant(std::int32_t{42})), "42");
}

TEST_F(ModRegTest, CreateNewKeyCreatesAndKeepsAnExistingKeyAsItIs) {
  EXPECT_FALSE(KeyExists());
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(KeyExists());
  ModReg::SetKeyValue(kSettingsKey, "processNR", std::string("1"), REG_SZ);
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), "1\0"s);
}

TEST_F(ModRegTest, TextIsStoredWithOneNulAndReadBackWithIt) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {
      {"1", "1\0"s},
      {"", "\0"s},
      {"Software path", "Software path\0"s},
      {"\xE9t\xE9", "\xE9t\xE9\0"s},  // ANSI bytes pass unchanged
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ModReg::SetKeyValue(kSettingsKey, "v", c.text, REG_SZ);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(RawValue("v", type, bytes));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(bytes, c.stored);
    EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "v"), c.stored);
  }
}

TEST_F(ModRegTest, KeyNameIgnoresCase) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  ModReg::SetKeyValue("software\\tarnivo", "processNL", std::string("1"), REG_SZ);
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNL"), "1\0"s);
}

TEST_F(ModRegTest, NumberIsStoredAsDwordAndReadAsTextWithoutNul) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  const struct {
    RegVariant value;
    std::int32_t stored;
    const char* text;
  } cases[] = {
      {std::int32_t{1}, 1, "1"},
      {std::int32_t{-5}, -5, "-5"},
      {std::int32_t{2147483647}, 2147483647, "2147483647"},
      {std::string("12"), 12, "12"},
      {RegVariant(), 0, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ModReg::SetKeyValue(kSettingsKey, "n", c.value, REG_DWORD);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(RawValue("n", type, bytes));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(bytes, DwordBytes(c.stored));
    EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "n"), c.text);
  }
}

TEST_F(ModRegTest, SetValueExOfAnotherTypeStoresNothingAndReturnsZero) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(ModReg::SetValueEx(key, "b", REG_BINARY, std::string("abc")), 0);
  EXPECT_EQ(ModReg::SetValueEx(key, "s", REG_SZ, std::string("abc")), ERROR_SUCCESS);
  RegCloseKey(key);
  DWORD type = 0;
  std::string bytes;
  EXPECT_FALSE(RawValue("b", type, bytes));
  EXPECT_TRUE(RawValue("s", type, bytes));
}

TEST_F(ModRegTest, WriteToMissingKeyStoresNothing) {
  ModReg::SetKeyValue(kSettingsKey, "processNR", std::string("1"), REG_SZ);
  EXPECT_FALSE(KeyExists());
  EXPECT_EQ(ModReg::QueryValue(kSettingsKey, "processNR"), "");
}

TEST_F(ModRegTest, ValuesReadAsStoredOrAsEmpty) {
  StoreRaw("sz", REG_SZ, "abc\0"s);
  StoreRaw("sz_no_nul", REG_SZ, "abc");
  StoreRaw("sz_empty", REG_SZ, "");
  StoreRaw("sz_inner_nul", REG_SZ, "a\0b\0"s);
  StoreRaw("dword", REG_DWORD, DwordBytes(1));
  StoreRaw("binary", REG_BINARY, "1\0"s);
  StoreRaw("expand", REG_EXPAND_SZ, "%x%\0"s);
  StoreRaw("multi", REG_MULTI_SZ, "a\0\0"s);
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"sz", "abc\0"s}, {"sz_no_nul", "abc"}, {"sz_empty", ""}, {"sz_inner_nul", "a\0b\0"s},
      {"dword", "1"},   {"binary", ""},       {"expand", ""},   {"multi", ""},
      {"missing", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ModReg::QueryValue(kSettingsKey, c.name), c.text);
  }
  EXPECT_EQ(ModReg::QueryValue("Software\\Tarnivo\\Missing", "sz"), "");
}

TEST_F(ModRegTest, QueryValueExResults) {
  StoreRaw("sz", REG_SZ, "7\0"s);
  StoreRaw("dword", REG_DWORD, DwordBytes(-9));
  StoreRaw("binary", REG_BINARY, "xy");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);

  RegVariant value = std::string("stale");
  EXPECT_EQ(ModReg::QueryValueEx(key, "sz", value), ERROR_SUCCESS);
  EXPECT_EQ(value, RegVariant(std::string("7\0"s)));

  EXPECT_EQ(ModReg::QueryValueEx(key, "dword", value), ERROR_SUCCESS);
  EXPECT_EQ(value, RegVariant(std::int32_t{-9}));

  EXPECT_EQ(ModReg::QueryValueEx(key, "binary", value), -1);
  EXPECT_EQ(value, RegVariant());

  value = std::string("stale");
  EXPECT_EQ(ModReg::QueryValueEx(key, "missing", value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, RegVariant());
  RegCloseKey(key);
}

}  // namespace
}  // namespace tarnivo
