// Profile (INI) files on the Linux back end: GetPrivateProfileStringA read as the real
// function reads them. The whole file is read at each call; nothing is cached.
//
// A line is cut at its line end (a CR or an LF) and its blanks
// at both ends are dropped. "[NAME]" opens a section (the text up to the last "]"; lines before
// the first section belong to one with no name). "KEY=VALUE" gives a value: blanks around the
// key and before the value are dropped; a line without "=" names a key with no value. Names are
// matched without regard to case, the first section and the first key of a name answer, and a
// NUL inside a line ends the text there. One pair of enclosing quotes is taken off a value.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

struct Key {
  std::string name;
  bool has_value = false;
  std::string value;
};

struct Section {
  std::string name;
  std::vector<Key> keys;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1a;
}

// The text up to its first NUL.
std::string UpToNul(const std::string& text) { return text.substr(0, std::strlen(text.c_str())); }

bool SameName(const std::string& a, const std::string& b) {
  const std::string left = UpToNul(a);
  const std::string right = UpToNul(b);
  return backend::internal::LowerCase(left) == backend::internal::LowerCase(right);
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The file's bytes; false when it cannot be opened or read.
bool ReadWhole(const std::string& path, std::string* bytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[65536];
  bool ok = true;
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  return ok;
}

std::vector<Section> Parse(std::string text) {
  // A file that starts with the UTF-8 mark is read as UTF-8.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    text = backend::internal::AnsiFromUtf8(text.substr(3));
  std::vector<Section> sections(1);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    const std::string line =
        Trim(text.substr(at, (end == std::string::npos ? text.size() : end) - at));
    at = next;
    if (line.empty()) continue;
    if (line[0] == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        Section section;
        section.name = line.substr(1, close - 1);
        sections.push_back(section);
        continue;
      }
    }
    Key key;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      key.name = line;
    } else {
      key.name = Trim(line.substr(0, equals));
      key.has_value = true;
      key.value = Trim(line.substr(equals + 1));
    }
    sections.back().keys.push_back(key);
  }
  return sections;
}

// Copies `text` into `out` (size `size`, at least 1): what fits, NUL-terminated.
DWORD CopyText(const std::string& text, LPSTR out, DWORD size) {
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
  return static_cast<DWORD>(length);
}

// A value as the function gives it: up to its first NUL, one pair of enclosing quotes off.
std::string ValueOf(const std::string& stored) {
  std::string value = UpToNul(stored);
  if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value;
}

// Names, each with its NUL, and one more NUL after the last: cut as the real function cuts a
// list that does not fit (the size less 2 is returned).
DWORD CopyNames(const std::vector<std::string>& names, LPSTR out, DWORD size) {
  if (size < 2) {
    if (size == 1) out[0] = '\0';
    return 0;
  }
  std::string all;
  for (const std::string& name : names) all += UpToNul(name) + '\0';
  if (all.size() + 1 <= size) {
    std::memcpy(out, all.data(), all.size());
    out[all.size()] = '\0';
    return static_cast<DWORD>(all.empty() ? 0 : all.size());
  }
  std::memcpy(out, all.data(), size - 2);
  out[size - 2] = '\0';
  out[size - 1] = '\0';
  return size - 2;
}

}  // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  if (lpReturnedString == nullptr || nSize == 0) return 0;
  // The default, without its trailing spaces.
  std::string fallback = lpDefault != nullptr ? lpDefault : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  std::vector<Section> sections;
  if (lpFileName != nullptr && *lpFileName != '\0') {
    // A bare file name is looked for in the Windows folder.
    std::string name = lpFileName;
    if (name.find_first_of("\\/:") == std::string::npos) name = "C:\\windows\\" + name;
    std::string bytes;
    // A file that cannot be read answers as a missing one.
    backend::internal::Fault fault;
    if (backend::internal::FaultHit(backend::FaultPoint::kProfileRead, &fault)) {
      SetLastError(fault.error);
    } else if (ReadWhole(backend::internal::DiskPath(name.c_str()), &bytes)) {
      sections = Parse(bytes);
    }
  }
  if (lpAppName == nullptr) {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < sections.size(); ++i) names.push_back(sections[i].name);
    return CopyNames(names, lpReturnedString, nSize);
  }
  const std::string wanted_section = Trim(lpAppName);
  const Section* section = nullptr;
  // The keys before the first section belong to none that a name can ask for.
  for (std::size_t i = 1; i < sections.size() && section == nullptr; ++i)
    if (SameName(sections[i].name, wanted_section)) section = &sections[i];
  if (lpKeyName == nullptr) {
    std::vector<std::string> names;
    if (section != nullptr)
      for (const Key& key : section->keys)
        if (!key.name.empty() && key.name[0] != ';') names.push_back(key.name);
    return CopyNames(names, lpReturnedString, nSize);
  }
  const std::string wanted_key = Trim(lpKeyName);
  if (section != nullptr) {
    for (const Key& key : section->keys) {
      if (!SameName(key.name, wanted_key)) continue;
      if (key.has_value) return CopyText(ValueOf(key.value), lpReturnedString, nSize);
      break;
    }
  }
  return CopyText(fallback, lpReturnedString, nSize);
}

}  // extern "C"
