// The Linux back end's registry file, on any bytes. The input is the file followed by a
// value to write (after the last "\n==\n", or a default). Whatever the file holds:
//  - reading values never fails in an unexpected way;
//  - a value written through RegSetValueExA reads back with its type and exact bytes;
//  - every other value that read before the write reads the same after it (a damaged file
//    loses nothing that could be read);
//  - after that write the file reads clean: a second write reports no damage, and no
//    temporary file stays behind.
#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_root.h"
#include "platform/win32.h"

namespace {

const char* const kKeys[] = {"Software\\Tarnivo", "Software", "Software\\Tarnivo\\Sub"};
const char* const kNames[] = {"processNR", "processNL", "processNC", "processAX",
                              "Lang",      "path",      "",          "a"};

struct Read {
  LONG result = 0;
  DWORD type = 0;
  std::string data;
  bool operator==(const Read& other) const {
    return result == other.result && type == other.type && data == other.data;
  }
};

Read Query(HKEY key, const char* name) {
  Read read;
  DWORD size = 0;
  read.result = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
  if (read.result != ERROR_SUCCESS) return read;
  std::string buffer(size + 1, '\0');
  DWORD got = size + 1;
  DWORD type = 0;
  const LONG again =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
  FUZZ_CHECK(again == ERROR_SUCCESS && got == size && type == read.type);
  read.data = buffer.substr(0, size);
  return read;
}

// Every known value under every known key of HKLM, by key and name (lower case).
std::map<std::pair<std::string, std::string>, Read> ReadAll() {
  std::map<std::pair<std::string, std::string>, Read> all;
  for (const char* path : kKeys) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
      FUZZ_CHECK(opened == ERROR_FILE_NOT_FOUND);
      continue;
    }
    for (const char* name : kNames) {
      Read read = Query(key, name);
      FUZZ_CHECK(read.result == ERROR_SUCCESS || read.result == ERROR_FILE_NOT_FOUND);
      if (read.result == ERROR_SUCCESS) all[{path, name}] = std::move(read);
    }
    RegCloseKey(key);
  }
  return all;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Puts `bytes` in place as the registry file: a new file renamed over the old one, as the
// back end's own writes do.
void PlaceFile(const std::string& bytes) {
  const std::string file = backend::RegistryFile();
  const std::string staged = file + ".staged";
  const int fd = open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
  close(fd);
  FUZZ_CHECK(rename(staged.c_str(), file.c_str()) == 0);
}

std::vector<std::string> g_reports;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string root = fuzzing::PrivateRoot();
  fuzzing::RemoveTree(root, false);
  backend::SetObserver([](const std::string& line) { g_reports.push_back(line); });
  g_reports.clear();

  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.rfind("\n==\n");
  PlaceFile(split == std::string::npos ? input : input.substr(0, split + 1));
  const std::string tail = split == std::string::npos ? std::string() : input.substr(split + 4);
  FuzzedDataProvider value(reinterpret_cast<const std::uint8_t*>(tail.data()), tail.size());
  const std::string name = value.ConsumeRandomLengthString(16);
  const DWORD type = value.ConsumeBool() ? value.ConsumeIntegral<DWORD>()
                                         : value.PickValueInArray({REG_SZ, REG_DWORD});
  const std::string bytes = value.ConsumeRemainingBytesAsString();
  const std::string written_name = name.c_str();  // the API takes the name up to its NUL

  const auto before = ReadAll();

  HKEY key = nullptr;
  FUZZ_CHECK(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeys[0], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr) == ERROR_SUCCESS);
  FUZZ_CHECK(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS);
  const Read back = Query(key, name.c_str());
  FUZZ_CHECK(back.result == ERROR_SUCCESS && back.type == type && back.data == bytes);

  const auto after = ReadAll();
  for (const auto& [where, read] : before) {
    if (where.first == kKeys[0] && Lower(where.second) == Lower(written_name)) continue;
    const auto found = after.find(where);
    FUZZ_CHECK(found != after.end() && found->second == read);
  }

  // A write that changes nothing leaves the file as it is, damage and all; the first write
  // that changes something keeps a damaged file's copy and writes its readable part, after
  // which no write finds damage.
  FUZZ_CHECK(RegSetValueExA(key, "fuzz-second", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 1) ==
             ERROR_SUCCESS);
  g_reports.clear();
  FUZZ_CHECK(RegSetValueExA(key, "fuzz-second", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 1) ==
             ERROR_SUCCESS);
  for (const std::string& line : g_reports) {
    FUZZ_CHECK(line.find("damaged") == std::string::npos);
  }
  FUZZ_CHECK(access((backend::RegistryFile() + ".tmp").c_str(), F_OK) != 0);
  RegCloseKey(key);
  backend::SetObserver(nullptr);
  return 0;
}
