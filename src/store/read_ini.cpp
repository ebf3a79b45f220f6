#include "store/read_ini.h"

#include <cstring>
#include <vector>

#include "platform/module.h"
#include "platform/win32.h"
#include "store/mod_reg.h"

namespace tarnivo {

namespace {

// The buffer of a read: 254 characters and the NUL.
constexpr DWORD kValueBuffer = 255;

std::string TrimBlanks(const std::string& text) {
  const std::string::size_type first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Whether `path` names an existing file (a folder is not one): a directory lookup of the one
// name.
bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(path.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the module that holds the system's code, without its last backslash; "" when
// its name cannot be read.
std::string ModuleFolder() {
  std::vector<char> name(32768);
  const DWORD length =
      GetModuleFileNameA(ModuleInstance(), name.data(), static_cast<DWORD>(name.size()));
  if (length == 0 || length >= name.size()) return "";
  const std::string path(name.data(), length);
  const std::string::size_type slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// A stored text without its last character (the stored NUL).
std::string WithoutLast(const std::string& text) {
  return text.empty() ? text : text.substr(0, text.size() - 1);
}

}  // namespace

const TextKey kTextKeys[] = {
    {"menu", "activate", "Enable Tarnivo"},
    {"menu", "nactivate", "Disable Tarnivo"},
    {"menu", "level1", "Normal"},
    {"menu", "level2", "Block All"},
    {"menu", "allow", "Allow URL"},
    {"menu", "sitelist", "Allowed URLs"},
    {"menu", "bactivex", "Block ActiveX Dialog"},
    {"menu", "urlactivex", "Blocked ActiveX URLs"},
    {"menu", "about", "About"},
    {"menu", "popup1", "Blocked a total of"},
    {"menu", "popup2", "popups"},
    {"site", "caption", "Allowed Sites"},
    {"site", "sitecap", "SITE"},
    {"site", "add", "ADD"},
    {"site", "del", "DEL"},
    {"site", "cancel", "CANCEL"},
    {"site", "advise", "URL already exists!"},
    {"site", "advisecap", "ATTENTION"},
    {"activex", "caption", "Blocked ActiveX"},
    {"activex", "sitecap", "SITE"},
    {"activex", "add", "ADD"},
    {"activex", "del", "DEL"},
    {"activex", "cancel", "CANCEL"},
    {"activex", "advise", "ActiveX already exists!"},
    {"activex", "advisecap", "ATTENTION"},
    {"fallow", "only", "Allow only:"},
    {"fallow", "all", "Allow all:"},
    {"fallow", "cancel", "&CANCEL"},
    {"Slide", "close", "CLOSE"},
};
const int kTextKeyCount = static_cast<int>(sizeof kTextKeys / sizeof kTextKeys[0]);

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
  try {
    if (TrimBlanks(file).empty() || TrimBlanks(section).empty() || TrimBlanks(key).empty())
      return "";
    if (!FileExists(file)) return "";
    char buffer[kValueBuffer] = {};
    const DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                 kValueBuffer, file.c_str());
    if (count < 1) return "";
    return std::string(buffer, count < kValueBuffer ? count : kValueBuffer - 1);
  } catch (...) {
    return "";
  }
}

std::string EnglishText(const std::string& section, const std::string& key) {
  for (const TextKey& text : kTextKeys)
    if (section == text.section && key == text.key) return text.english;
  return "";
}

std::string LanguageText(const std::string& file, const std::string& section,
                         const std::string& key) {
  const std::string value = ReadIniValue(file, section, key);
  return value.empty() ? EnglishText(section, key) : value;
}

LanguageState& Language() {
  thread_local LanguageState state;
  return state;
}

void ResolveLanguage() {
  LanguageState& state = Language();
  std::string path;
  std::string lang;
  try {
    path = ModReg::QueryValue(kSettingsKey, "path");
    lang = ModReg::QueryValue(kSettingsKey, "Lang");
  } catch (...) {
  }
  state.CurrentLanguage = lang.empty() ? kNoLanguage : WithoutLast(lang);
  state.LanguageFolder = path.empty() ? ModuleFolder() + "\\" : WithoutLast(path) + "\\languages\\";
}

std::string LanguageFile() {
  const LanguageState& state = Language();
  return state.LanguageFolder + state.CurrentLanguage + ".tnk";
}

}  // namespace tarnivo
