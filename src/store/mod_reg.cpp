#include "store/mod_reg.h"

#include <cstring>
#include <string>
#include <utility>

#include "store/settings.h"

namespace tarnivo {

namespace {

// The access the store asks for when it opens or creates a key: query, set, create
// sub-keys, enumerate, notify and create links.
constexpr REGSAM kKeyAccess = 0x3F;

}  // namespace

std::string VariantText(const RegVariant& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  return std::string();
}

namespace ModReg {

void CreateNewKey(const std::string& keyName, HKEY root) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(root, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kKeyAccess, nullptr, &key, &disposition);
  if (result == ERROR_SUCCESS && key != nullptr) RegCloseKey(key);
}

void SetKeyValue(const std::string& keyName, const std::string& valueName, const RegVariant& value,
                 DWORD valueType) {
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, kKeyAccess, &key);
  // A missing key leaves the handle empty: the value is not stored and nothing is reported.
  if (key == nullptr) return;
  SetValueEx(key, valueName, valueType, value);
  RegCloseKey(key);
}

LONG SetValueEx(HKEY key, const std::string& valueName, DWORD valueType, const RegVariant& value) {
  if (valueType == REG_SZ) {
    std::string data = VariantText(value);
    data.push_back('\0');
    return RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
  }
  if (valueType == REG_DWORD) {
    // A number is stored as it is; a text by its numeric value; nothing as 0.
    std::int32_t number = 0;
    if (const auto* n = std::get_if<std::int32_t>(&value)) {
      number = *n;
    } else if (const auto* text = std::get_if<std::string>(&value)) {
      number = StoredNumber(*text);
    }
    BYTE bytes[sizeof(number)];
    std::memcpy(bytes, &number, sizeof(number));
    return RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, bytes, sizeof(bytes));
  }
  return 0;
}

std::string QueryValue(const std::string& keyName, const std::string& valueName) {
  std::string text;
  QueryValueResult(keyName, valueName, text);
  return text;
}

LONG QueryValueResult(const std::string& keyName, const std::string& valueName, std::string& text) {
  text.clear();
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, kKeyAccess, &key);
  // A missing key reads as "".
  if (key == nullptr) return opened != ERROR_SUCCESS ? opened : ERROR_FILE_NOT_FOUND;
  RegVariant value;
  const LONG result = QueryValueEx(key, valueName, value);
  RegCloseKey(key);
  text = VariantText(value);
  return result;
}

LONG QueryValueEx(HKEY key, const std::string& valueName, RegVariant& value) {
  value = std::monostate();
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;

  if (type == REG_SZ) {
    // All `size` bytes are kept, the stored terminating NUL included.
    std::string buffer(size, '\0');
    DWORD read = size;
    result = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr,
                              reinterpret_cast<LPBYTE>(buffer.data()), &read);
    if (result == ERROR_SUCCESS) {
      if (read < buffer.size()) buffer.resize(read);
      value = std::move(buffer);
    }
    return result;
  }
  if (type == REG_DWORD) {
    BYTE bytes[sizeof(std::int32_t)] = {};
    DWORD read = sizeof(bytes);
    result = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, bytes, &read);
    if (result == ERROR_SUCCESS) {
      std::int32_t number = 0;
      std::memcpy(&number, bytes, sizeof(number));
      value = number;
    }
    return result;
  }
  return -1;
}

}  // namespace ModReg
}  // namespace tarnivo
