// The language files shipped in languages/: each gives every text key a text of its own, and
// the pairs the toolbar tells its states by differ.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win32.h"
#include "store/read_ini.h"

namespace tarnivo {
namespace {

TEST(ShippedLanguageFiles, EveryKeyInEveryLanguage) {
  const std::string folder = TARNIVO_LANGUAGES_DIR "/";
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << folder;
  do {
    const std::string name = found.cFileName;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tnk") == 0) names.insert(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  // Names in the ANSI code page.
  for (const char* language : {"Portugu\xEAs.tnk", "Espa\xF1ol.tnk", "Deutsch.tnk",
                               "Fran\xE7"
                               "ais.tnk"})
    EXPECT_EQ(names.count(language), 1u) << language;
  for (const std::string& name : names) {
    const std::string file = folder + name;
    for (int i = 0; i < kTextKeyCount; ++i) {
      const TextKey& key = kTextKeys[i];
      const std::string text = ReadIniValue(file, key.section, key.key);
      EXPECT_FALSE(text.empty()) << name << " " << key.section << "/" << key.key;
      EXPECT_LT(text.size(), 255u);
    }
    EXPECT_NE(ReadIniValue(file, "menu", "activate"), ReadIniValue(file, "menu", "nactivate"))
        << name;
    EXPECT_NE(ReadIniValue(file, "menu", "level1"), ReadIniValue(file, "menu", "level2")) << name;
  }
}

}  // namespace
}  // namespace tarnivo
