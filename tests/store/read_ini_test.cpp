// ReadIni: a language file's values, the text key table, and the start-up resolution of the
// language folder and the chosen language from the stored settings.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "platform/module.h"
#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/read_ini.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;

const std::string kFolder = "C:\\TarnivoReadIni\\";

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

class ReadIniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(kFolder.c_str(), nullptr);
    WriteFile(kFolder + "Deutsch.tnk",
              "[menu]\r\nabout=\xDC"
              "ber\r\nempty=\r\nlong=" +
                  std::string(300, 'x') +
                  "\r\n[Slide]\r\nclose=Schlie\xDF"
                  "en\r\n");
  }
};

TEST_F(ReadIniTest, ValuesAndWhatCountsAsMissing) {
  const std::string file = kFolder + "Deutsch.tnk";
  const struct {
    std::string file, section, key, value;
  } cases[] = {
      {file, "menu", "about",
       "\xDC"
       "ber"},
      {file, "MENU", "About",
       "\xDC"
       "ber"},
      {file, "slide", "close",
       "Schlie\xDF"
       "en"},
      {file, "menu", "long", std::string(254, 'x')},
      {file, "menu", "empty", ""},
      {file, "menu", "missing", ""},
      {file, "nosuch", "about", ""},
      {kFolder + "Missing.tnk", "menu", "about", ""},
      {kFolder + "nofolder\\Deutsch.tnk", "menu", "about", ""},
      {"C:\\TarnivoReadIni", "menu", "about", ""},  // a folder is no file
      {"", "menu", "about", ""},
      {"   ", "menu", "about", ""},
      {file, "  ", "about", ""},
      {file, "menu", "", ""},
      {file + "\0x"s, "menu", "about",
       "\xDC"
       "ber"},  // the name ends at its NUL
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadIniValue(c.file, c.section, c.key), c.value)
        << c.file << " " << c.section << "/" << c.key;
}

TEST_F(ReadIniTest, TextsFallBackToTheirEnglishDefaults) {
  const std::string file = kFolder + "Deutsch.tnk";
  EXPECT_EQ(LanguageText(file, "menu", "about"),
            "\xDC"
            "ber");
  EXPECT_EQ(LanguageText(file, "menu", "activate"), "Enable Tarnivo");
  EXPECT_EQ(LanguageText(kFolder + "Missing.tnk", "fallow", "cancel"), "&CANCEL");
  EXPECT_EQ(EnglishText("menu", "nosuch"), "");
  // One entry per key, each with a default.
  std::set<std::string> keys;
  for (int i = 0; i < kTextKeyCount; ++i) {
    EXPECT_TRUE(keys.insert(std::string(kTextKeys[i].section) + "/" + kTextKeys[i].key).second);
    EXPECT_NE(std::string(kTextKeys[i].english), "");
  }
}

class LanguageResolutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  }
  void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }

  // Stores `bytes` exactly as a REG_SZ value.
  static void StoreRaw(const char* name, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }

  static std::string ModuleFolder() {
    char name[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(ModuleInstance(), name, MAX_PATH);
    const std::string path(name, length);
    return path.substr(0, path.find_last_of('\\'));
  }
};

TEST_F(LanguageResolutionTest, FromThePathAndLangSettings) {
  ResolveLanguage();
  EXPECT_EQ(Language().CurrentLanguage, "324\xA8%-");
  EXPECT_EQ(Language().LanguageFolder, ModuleFolder() + "\\") << "no languages folder below it";
  EXPECT_EQ(LanguageFile(), ModuleFolder() + "\\324\xA8%-.tnk");

  ModReg::SetKeyValue(kSettingsKey, "path", "C:\\Tarnivo", REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "Lang", "Deutsch", REG_SZ);
  ResolveLanguage();
  EXPECT_EQ(Language().CurrentLanguage, "Deutsch");
  EXPECT_EQ(Language().LanguageFolder, "C:\\Tarnivo\\languages\\");
  EXPECT_EQ(LanguageFile(), "C:\\Tarnivo\\languages\\Deutsch.tnk");

  // Stored without their NUL, the last character goes all the same; empty texts count as
  // missing.
  StoreRaw("Lang", "Deutsch");
  StoreRaw("path", "");
  ResolveLanguage();
  EXPECT_EQ(Language().CurrentLanguage, "Deutsc");
  EXPECT_EQ(Language().LanguageFolder, ModuleFolder() + "\\");
  StoreRaw("Lang", "");
  ResolveLanguage();
  EXPECT_EQ(Language().CurrentLanguage, "324\xA8%-");

  // A number, odd bytes and a very long text are texts like any other.
  ModReg::SetKeyValue(kSettingsKey, "Lang", std::int32_t{42}, REG_DWORD);
  ModReg::SetKeyValue(kSettingsKey, "path", std::string(5000, 'p'), REG_SZ);
  ResolveLanguage();
  EXPECT_EQ(Language().CurrentLanguage, "4");
  EXPECT_EQ(Language().LanguageFolder, std::string(5000, 'p') + "\\languages\\");
  EXPECT_EQ(ReadIniValue(LanguageFile(), "menu", "about"), "");
}

}  // namespace
}  // namespace tarnivo
