// ReadIni: the texts of the language files, the one table of every text key with its English
// default, and the language folder and chosen language of this user-interface thread.
#pragma once

#include <string>

namespace tarnivo {

// The value of `key` in `section` of the profile file `file`, at most 254 characters; "" when
// the file, the section or the key is missing, the value is empty, or an argument is empty or
// only blanks. Never fails.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key);

// One text of a form: its language-file section and key, and its English default.
struct TextKey {
  const char* section;
  const char* key;
  const char* english;
};

// Every text key of every form, with its English default.
extern const TextKey kTextKeys[];
extern const int kTextKeyCount;

// The English default of a text key; "" for a key not in the table.
std::string EnglishText(const std::string& section, const std::string& key);

// The text of a key in `file`: its value, or its English default when that is missing or
// empty.
std::string LanguageText(const std::string& file, const std::string& section,
                         const std::string& key);

// The name of the chosen language while none is chosen: the digits 3, 2, 4, a diaeresis
// (0xA8 in the ANSI code page), a percent sign and a hyphen. No file is named after it.
inline constexpr const char* kNoLanguage = "324\xA8%-";

// The language state of this user-interface thread.
struct LanguageState {
  std::string LanguageFolder;  // always ends with a backslash
  std::string CurrentLanguage = kNoLanguage;
};
LanguageState& Language();

// The start-up resolution from the stored `path` and `Lang` settings: CurrentLanguage is
// `Lang` without its last character (the stored NUL), or the no-language marker when `Lang`
// is empty; LanguageFolder is `path` without its last character followed by
// "\languages\", or, with no `path`, the folder of the module that holds the system's code
// followed by "\".
void ResolveLanguage();

// The language file of this thread: LanguageFolder & CurrentLanguage & ".tnk".
std::string LanguageFile();

}  // namespace tarnivo
