// Test entry point of the COM server's tests: a single-threaded apartment, as the browser's
// user-interface threads have, and the machine's band settings and list file put back as
// they were when the tests end (the band reads and creates them).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

#include <objbase.h>

namespace {

constexpr const char* kSettingsKey = "Software\\Tarnivo";

struct StoredValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

class MachineState : public testing::Environment {
 public:
  void SetUp() override {
    HKEY key = nullptr;
    key_existed_ =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key_existed_) {
      for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS) {
          break;
        }
        values_.push_back({std::string(name, nameLength), type, {data, data + size}});
      }
      RegCloseKey(key);
    }
    list_file_ = ListFile();
    list_existed_ = ReadWhole(list_file_, &list_);
  }

  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (key_existed_) {
      HKEY key = nullptr;
      if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        for (const StoredValue& value : values_) {
          RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size()));
        }
        RegCloseKey(key);
      }
    }
    if (list_existed_) {
      WriteWhole(list_file_, list_);
    } else {
      DeleteFileA(list_file_.c_str());
    }
  }

 private:
  static std::string ListFile() {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    std::string path(folder, length < MAX_PATH ? length : 0);
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + "tarnivo.dll";
  }

  static bool ReadWhole(const std::string& path, std::string* content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
      content->append(buffer, read);
    }
    CloseHandle(file);
    return true;
  }

  static void WriteWhole(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }

  bool key_existed_ = false;
  std::vector<StoredValue> values_;
  std::string list_file_;
  bool list_existed_ = false;
  std::string list_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  testing::AddGlobalTestEnvironment(new MachineState);
  const int result = RUN_ALL_TESTS();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
