// tarnivo-host.exe [-v] FILE...: runs scenario files against the real tarnivo.dll (loaded
// from beside this program), each in a fresh machine state, and ends with
// "N passed, M failed". Lines it cannot run or observe yet are skipped: with skips, a line
// "K skipped (L lines)" comes before the summary, and a file whose expectations were all
// skipped counts as skipped, neither passed nor failed.
// Exit status: 0 when no file failed, 1 when an expectation failed, 2 when a line could not
// be run (a parse error, an unknown command), the DLL cannot be loaded or the arguments are
// wrong.
//
// The settings key and the list file are the machine's real ones: what was there before
// the run is put back after it.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "machine.h"
#include "command_line.h"
#include "runner.h"

namespace {

// The settings key's values and the list file as they were before the run.
struct Saved {
  bool key = false;
  std::vector<std::pair<std::string, scenario::RawValue>> values;
  std::optional<std::string> list_file;
};

Saved SaveMachine() {
  Saved saved;
  saved.list_file = scenario::ReadListFile();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnivo", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return saved;
  saved.key = true;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD name_size = sizeof name;
    if (RegEnumValueA(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    std::optional<scenario::RawValue> value = scenario::ReadValue(std::string(name, name_size));
    if (value) saved.values.emplace_back(std::string(name, name_size), *value);
  }
  RegCloseKey(key);
  return saved;
}

void RestoreMachine(const Saved& saved) {
  scenario::DeleteSettingsKey();
  if (saved.key) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnivo", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      for (const auto& [name, value] : saved.values)
        RegSetValueExA(key, name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.bytes.data()),
                       static_cast<DWORD>(value.bytes.size()));
      RegCloseKey(key);
    }
  }
  std::string ignored;
  if (saved.list_file)
    scenario::WriteListFile(*saved.list_file, &ignored);
  else
    scenario::DeleteListFile(&ignored);
}

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  std::vector<std::string> files;
  if (!scenario::ParseCommandLine("tarnivo-host", argc, argv, &verbose, &files)) return 2;

  if (FAILED(OleInitialize(nullptr))) {
    std::cerr << "tarnivo-host: OLE cannot be initialised\n";
    return 2;
  }
  int status = 0;
  {
    host::Server server;
    std::string error;
    if (!server.Load(&error)) {
      std::cerr << "tarnivo-host: " << error << "\n";
      OleUninitialize();
      return 2;
    }
    const Saved saved = SaveMachine();
    int passed = 0;
    int failed = 0;
    int skipped_files = 0;
    int skipped_lines = 0;
    bool any_error = false;
    for (const std::string& file : files) {
      const host::FileOutcome outcome = host::RunFile(server, file, verbose, std::cout, std::cerr);
      skipped_lines += outcome.skipped_lines;
      switch (outcome.result) {
        case host::FileOutcome::Result::Passed:
          ++passed;
          break;
        case host::FileOutcome::Result::Skipped:
          ++skipped_files;
          break;
        case host::FileOutcome::Result::Error:
          any_error = true;
          ++failed;
          break;
        case host::FileOutcome::Result::Failed:
          ++failed;
          break;
      }
    }
    RestoreMachine(saved);
    if (skipped_lines > 0)
      std::cout << skipped_files << " skipped (" << skipped_lines << " lines)\n";
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    status = failed == 0 ? 0 : (any_error ? 2 : 1);
  }
  OleUninitialize();
  return status;
}
