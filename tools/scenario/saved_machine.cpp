#include "saved_machine.h"

#include <windows.h>

namespace scenario {

namespace {

constexpr const char* kSettingsKey = "Software\\Tarnivo";

}  // namespace

SavedMachine SaveMachine() {
  SavedMachine saved;
  saved.list_file = ReadListFile();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return saved;
  saved.key = true;
  // The names first: the values are read after the enumeration.
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD name_size = sizeof name;
    if (RegEnumValueA(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, name_size);
  }
  RegCloseKey(key);
  for (const std::string& name : names) {
    if (std::optional<RawValue> value = ReadValue(name)) saved.values.emplace_back(name, *value);
  }
  return saved;
}

void RestoreMachine(const SavedMachine& saved) {
  DeleteSettingsKey();
  if (saved.key) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
      for (const auto& [name, value] : saved.values)
        RegSetValueExA(key, name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.bytes.data()),
                       static_cast<DWORD>(value.bytes.size()));
      RegCloseKey(key);
    }
  }
  std::string ignored;
  if (saved.list_file)
    WriteListFile(*saved.list_file, &ignored);
  else
    DeleteListFile(&ignored);
}

}  // namespace scenario
