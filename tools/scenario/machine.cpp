#include "machine.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "lexer.h"
#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/site_list_file.h"

namespace scenario {
namespace {

// The settings key, opened or created; null when that fails.
HKEY OpenSettingsKey(bool create) {
  HKEY key = nullptr;
  LONG result = 0;
  if (create) {
    DWORD disposition = 0;
    result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, tarnivo::kSettingsKey, 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition);
  } else {
    result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, tarnivo::kSettingsKey, 0, KEY_ALL_ACCESS, &key);
  }
  return result == ERROR_SUCCESS ? key : nullptr;
}

long Store(const std::string& name, DWORD type, const std::string& bytes) {
  HKEY key = OpenSettingsKey(true);
  if (key == nullptr) return ERROR_ACCESS_DENIED;
  const LONG result =
      RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return result;
}

// The system directory, "" when it cannot be read.
std::string SystemFolder() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return {};
  return std::string(folder, length);
}

// The list file's path: the system directory and the file's name, as the system names it.
std::string ListFilePath() {
  const std::string folder = SystemFolder();
  return folder.empty() ? folder : folder + "\\" + tarnivo::kSiteListFileName;
}

}  // namespace

std::string Describe(const RawValue& value) {
  if (value.type == REG_SZ) return Quote(value.bytes);
  if (value.type == REG_DWORD && value.bytes.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
      number = (number << 8) | static_cast<unsigned char>(value.bytes[static_cast<size_t>(i)]);
    return "dword " + std::to_string(number);
  }
  return "type " + std::to_string(value.type) + " " + Quote(value.bytes);
}

long StoreString(const std::string& name, const std::string& text) {
  std::string bytes = text;
  bytes.push_back('\0');
  return Store(name, REG_SZ, bytes);
}

long StoreDword(const std::string& name, std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return Store(name, REG_DWORD, bytes);
}

long DeleteValue(const std::string& name) {
  HKEY key = OpenSettingsKey(false);
  if (key == nullptr) return ERROR_SUCCESS;
  LONG result = RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

long DeleteSettingsKey() {
  const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, tarnivo::kSettingsKey);
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

bool SettingsKeyExists() {
  HKEY key = OpenSettingsKey(false);
  if (key == nullptr) return false;
  RegCloseKey(key);
  return true;
}

std::optional<RawValue> ReadValue(const std::string& name) {
  HKEY key = OpenSettingsKey(false);
  if (key == nullptr) return std::nullopt;
  RawValue value;
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + 1u);
    result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (result == ERROR_SUCCESS) {
      value.type = type;
      value.bytes.assign(reinterpret_cast<const char*>(data.data()), size);
    }
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

namespace {

// Replaces the file `path` with exactly `bytes`, through the system's own calls.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "cannot create " + path;
    return false;
  }
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
  CloseHandle(file);
  if (!ok || (!bytes.empty() && written != bytes.size())) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

bool WriteListFile(const std::string& bytes, std::string* error) {
  const std::string path = ListFilePath();
  if (path.empty()) {
    *error = "the system directory cannot be read";
    return false;
  }
  std::error_code ignored;  // a folder that cannot be made shows in CreateFileA below
  std::filesystem::create_directories(SystemFolder(), ignored);
  return WriteWholeFile(path, bytes, error);
}

bool DeleteListFile(std::string* error) {
  const std::string path = ListFilePath();
  if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (DeleteFileA(path.c_str())) return true;
  *error = "cannot remove " + path;
  return false;
}

std::optional<std::string> ReadListFile() {
  const std::string path = ListFilePath();
  if (path.empty()) return std::nullopt;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char buffer[4096];
  while (true) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr) || read == 0) break;
    content.append(buffer, read);
  }
  CloseHandle(file);
  return content;
}

}  // namespace scenario

namespace scenario {

std::string LanguageFolder() {
  const std::string path = tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "path");
  if (!path.empty()) return path.substr(0, path.size() - 1) + "\\languages\\";
  char self[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string program(self, length < MAX_PATH ? length : 0);
  return program.substr(0, program.find_last_of('\\') + 1);
}

namespace {
// The language files written since the last DeleteLanguageFiles.
std::vector<std::string>& Written() {
  static std::vector<std::string> written;
  return written;
}
}  // namespace

void DeleteLanguageFiles() {
  for (const std::string& path : Written()) DeleteFileA(path.c_str());
  Written().clear();
}

bool WriteLanguageFile(const std::string& file_name, const std::string& bytes, std::string* error) {
  const std::string folder = LanguageFolder();
  // Each folder on the way, from the drive down; those that exist stay as they are.
  for (std::string::size_type at = folder.find('\\', 3); at != std::string::npos;
       at = folder.find('\\', at + 1))
    CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
  const std::string path = folder + file_name;
  const bool done = WriteWholeFile(path, bytes, error);
  // A file made but not written whole goes as well.
  if (done || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    Written().push_back(path);
  return done;
}

}  // namespace scenario
