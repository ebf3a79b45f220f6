// The profile-file reader, through ReadIniValue and GetPrivateProfileStringA. A section and
// key of the input are written into a file between any other lines of the input; the value
// read back is the one written, as the reading rules give it (blanks around it dropped, one
// pair of enclosing quotes taken off, at most what the buffer holds), and LanguageText gives
// it, or the English default when it is empty.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_root.h"
#include "platform/win32.h"
#include "store/read_ini.h"
#include "store/site_list_file.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// `text` without the bytes in `drop`.
std::string Without(const std::string& text, const std::string& drop) {
  std::string out;
  for (char c : text) {
    if (drop.find(c) == std::string::npos) out += c;
  }
  return out;
}

// Printable ASCII only, so that no letter case outside ASCII can make two names one.
std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c > 0x20 && c < 0x7F) out += c;
  }
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool Ascii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(file != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  FUZZ_CHECK(bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                           &written, nullptr) &&
                               written == bytes.size()));
  CloseHandle(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::PrivateRoot();
  FuzzedDataProvider input(data, size);
  const std::string section = Without(Printable(input.ConsumeRandomLengthString(24)), "]");
  std::string key = Without(Printable(input.ConsumeRandomLengthString(24)), "=");
  const std::string value = Without(input.ConsumeRandomLengthString(400), std::string("\r\n\0", 3));
  const DWORD buffer_size = input.ConsumeIntegralInRange<DWORD>(1, 300);
  const std::string before = input.ConsumeRandomLengthString(400);
  const std::string after = input.ConsumeRemainingBytesAsString();
  // A line that starts with "[" and holds a "]" opens a section.
  if (section.empty() || key.empty() ||
      (key[0] == '[' && (key + value).find(']') != std::string::npos)) {
    return 0;
  }
  // The section must be the first of its name.
  if (Lower(before).find(Lower(section)) != std::string::npos) return 0;

  const std::string content =
      before + "\r\n[" + section + "]\r\n" + key + "=" + value + "\r\n" + after;
  // A file that starts with the UTF-8 mark is read as UTF-8: only ASCII values stay as they are.
  if (content.compare(0, 3, "\xEF\xBB\xBF") == 0 && !Ascii(value)) return 0;

  std::string expected = Trim(value);
  if (expected.size() > 1 && (expected[0] == '"' || expected[0] == '\'') &&
      expected.back() == expected[0]) {
    expected = expected.substr(1, expected.size() - 2);
  }

  const std::string file = tarnivo::SystemDirectory() + "fuzz.tnk";
  WriteFile(file, content);

  FUZZ_CHECK(tarnivo::ReadIniValue(file, section, key) == expected.substr(0, 254));
  // Names are matched without regard to letter case.
  FUZZ_CHECK(tarnivo::ReadIniValue(file, Lower(section), Lower(key)) == expected.substr(0, 254));
  const std::string text = tarnivo::LanguageText(file, section, key);
  FUZZ_CHECK(text ==
             (expected.empty() ? tarnivo::EnglishText(section, key) : expected.substr(0, 254)));

  std::string buffer(buffer_size, '\x7f');
  const DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), "default",
                                               buffer.data(), buffer_size, file.c_str());
  const std::size_t fits = std::min<std::size_t>(expected.size(), buffer_size - 1);
  FUZZ_CHECK(count == fits);
  FUZZ_CHECK(buffer.compare(0, fits, expected, 0, fits) == 0 && buffer[fits] == '\0');
  return 0;
}
