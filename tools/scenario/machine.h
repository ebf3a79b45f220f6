// The bench's own hands on the machine: the settings key's values as raw bytes and the list
// file as raw bytes, through the same Win32 calls the system makes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace scenario {

// A stored value as it is: its type and bytes.
struct RawValue {
  std::uint32_t type = 0;
  std::string bytes;
};
// How a value reads in messages: "\"1\\0\"", "dword 5", or "type 3 \"...\"".
std::string Describe(const RawValue& value);

// Writers under HKEY_LOCAL_MACHINE\Software\Tarnivo. The return is the API's result.
long StoreString(const std::string& name, const std::string& text);  // adds the NUL
long StoreDword(const std::string& name, std::uint32_t value);
long DeleteValue(const std::string& name);  // a missing key or value is no error
long DeleteSettingsKey();                   // the same

bool SettingsKeyExists();
// The value, or nothing when the key or the value is missing.
std::optional<RawValue> ReadValue(const std::string& name);

// The list file: replaced with exactly `bytes` (its folder made when missing), removed, or
// read whole (nothing when it cannot be opened).
bool WriteListFile(const std::string& bytes, std::string* error);
bool DeleteListFile(std::string* error);
std::optional<std::string> ReadListFile();

// The languages folder as the system finds it now: the stored `path` without its last
// character followed by "\languages\", or, with no `path`, the folder of the running program
// (beside which the system's module lies) followed by "\".
std::string LanguageFolder();
// Writes `bytes` as the file `file_name` of the languages folder, making the folder first.
// DeleteLanguageFiles removes every file written so, as a file's run ends.
bool WriteLanguageFile(const std::string& file_name, const std::string& bytes, std::string* error);
void DeleteLanguageFiles();

}  // namespace scenario
