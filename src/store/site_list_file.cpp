#include "store/site_list_file.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "store/site_list.h"

namespace tarnivo {

namespace {

// Size of the buffer handed to GetSystemDirectoryA.
constexpr UINT kSystemDirectoryBuffer = 255;
// Beside the list file while a save writes it.
constexpr const char* kSaveSuffix = ".new";
// Largest piece handed to one ReadFile or WriteFile call.
constexpr DWORD kChunk = 1u << 20;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Index just past the line end at or after `pos` (CR LF, a lone CR or a lone LF), or the
// end of the content when the line has none.
std::size_t PastLineEnd(const std::string& content, std::size_t pos) {
  const std::size_t n = content.size();
  while (pos < n && !IsLineEnd(content[pos])) ++pos;
  if (pos < n && content[pos] == '\r') {
    ++pos;
    if (pos < n && content[pos] == '\n') ++pos;
  } else if (pos < n) {
    ++pos;
  }
  return pos;
}

bool EndsWithMarker(const std::string& text) {
  const std::string marker(kActiveXMarker);
  return text.size() >= marker.size() &&
         text.compare(text.size() - marker.size(), marker.size(), marker) == 0;
}

std::string QuotedLine(const std::string& text) { return "\"" + text + "\"\r\n"; }

// Writes all of `data`; false when the file takes less.
bool WriteAll(HANDLE file, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(kChunk, data.size() - done));
    DWORD written = 0;
    if (!WriteFile(file, data.data() + done, piece, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// The whole content of the file at `path`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content.clear();
  bool ok = true;
  std::size_t used = 0;
  for (;;) {
    // Room for the next piece is made in the string itself; it doubles as the file goes on.
    if (content.size() - used < kChunk / 16) {
      content.resize(std::max<std::size_t>(content.size() * 2, kChunk / 16 + used));
    }
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(kChunk, content.size() - used));
    DWORD read = 0;
    if (!ReadFile(file, &content[used], wanted, &read, nullptr)) {
      ok = false;
      break;
    }
    if (read == 0) break;
    used += read;
  }
  content.resize(used);
  CloseHandle(file);
  return ok;
}

// Moves to the end of an open file and gives its size; false when the move fails.
bool SeekToEnd(HANDLE file, unsigned long long& size) {
  LONG high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = SetFilePointer(file, 0, &high, FILE_END);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return false;
  size = (static_cast<unsigned long long>(static_cast<DWORD>(high)) << 32) | low;
  return true;
}

// Reads the last byte of a file of `size` bytes (at least 1); false when the move or the read
// fails. Leaves the file pointer at the end.
bool ReadLastByte(HANDLE file, char& last) {
  LONG high = -1;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = SetFilePointer(file, -1, &high, FILE_END);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return false;
  DWORD read = 0;
  return ReadFile(file, &last, 1, &read, nullptr) && read == 1;
}

// Adds `line` at the end of the open list file, closing a hand-made last line that lacks its
// line end first. The file gets the whole addition or stays as it was: nothing is written
// when its end or its last byte cannot be read, and a write that stops part-way is cut back
// to the old length, so no torn line is left for the next append to complete.
void AppendLine(HANDLE file, const std::string& line) {
  // Nothing is written unless the end of the file is reached: a write at the start would
  // overwrite stored entries.
  unsigned long long size = 0;
  if (!SeekToEnd(file, size)) return;
  std::string data;
  if (size > 0) {
    char last = 0;
    if (!ReadLastByte(file, last)) return;
    if (!IsLineEnd(last)) data = "\r\n";
  }
  data += line;
  if (WriteAll(file, data)) return;
  LONG high = static_cast<LONG>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  const DWORD low =
      SetFilePointer(file, static_cast<LONG>(static_cast<DWORD>(size)), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return;
  SetEndOfFile(file);
}

}  // namespace

std::string SystemDirectory() {
  std::vector<char> buffer(kSystemDirectoryBuffer, '\0');
  UINT length = GetSystemDirectoryA(buffer.data(), kSystemDirectoryBuffer);
  if (length >= kSystemDirectoryBuffer) {
    // The buffer was too small and `length` is the size the path needs: ask again with it.
    buffer.assign(length + 1u, '\0');
    length = GetSystemDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) length = 0;
  }
  return std::string(buffer.data(), length) + "\\";
}

std::string SiteListFile() { return SystemDirectory() + kSiteListFileName; }

bool SiteListExists(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void SaveSiteLists() {
  std::string content;
  const SiteList& allowed = AllowedSites();
  for (int i = 0; i < allowed.Count(); ++i) {
    if (allowed.Tag(i) != TemporarySiteMark) content += QuotedLine(allowed.Text(i));
  }
  const SiteList& blocked = BlockedActiveX();
  for (int i = 0; i < blocked.Count(); ++i) {
    content += QuotedLine(blocked.Text(i) + kActiveXMarker);
  }

  // The new content goes to a file beside the list and then takes its place, so a save that
  // fails half-way leaves the old list whole.
  const std::string path = SiteListFile();
  // A list file the user made read-only is kept as it is, on every platform: Windows refuses
  // to replace it, and some systems would replace it all the same.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return;
  const std::string temporary = path + kSaveSuffix;
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  bool ok = WriteAll(file, content);
  if (ok && !FlushFileBuffers(file)) ok = false;
  if (!CloseHandle(file)) ok = false;
  if (ok) {
    ok = MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!ok) DeleteFileA(temporary.c_str());
}

void LoadSiteLists() {
  std::string content;
  if (!ReadWholeFile(SiteListFile(), content)) return;

  std::vector<std::string> allowed;
  std::vector<std::string> blocked;
  const std::size_t cap = static_cast<std::size_t>(SiteList::kMaxEntries);
  for (std::string& field : ReadSiteListFields(content)) {
    // Entries past a list's limit would be refused by the list anyway.
    if (EndsWithMarker(field)) {
      if (blocked.size() < cap) blocked.push_back(RemoveAll(field, kActiveXMarker));
    } else {
      if (allowed.size() < cap) allowed.push_back(std::move(field));
    }
  }
  AllowedSites().AddAll(std::move(allowed));
  BlockedActiveX().AddAll(std::move(blocked));
}

void AppendSiteEntry(const std::string& entry) {
  const std::string text = RemoveAll(entry, "www.");

  HANDLE file = CreateFileA(SiteListFile().c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    AppendLine(file, QuotedLine(text));
    CloseHandle(file);
  }

  if (EndsWithMarker(text)) {
    BlockedActiveX().Add(RemoveAll(text, kActiveXMarker), 0);
  } else {
    AllowedSites().Add(text, 0);
  }
}

std::string RemoveAll(const std::string& text, const std::string& what) {
  if (what.empty()) return text;
  // Each character is appended and an occurrence completed at the end is taken off at once,
  // so an occurrence that a removal brings together goes too: the result holds none.
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    result.push_back(c);
    if (result.size() >= what.size() &&
        result.compare(result.size() - what.size(), what.size(), what) == 0) {
      result.resize(result.size() - what.size());
    }
  }
  return result;
}

std::vector<std::string> ReadSiteListFields(const std::string& content) {
  std::vector<std::string> fields;
  const std::size_t n = content.size();
  std::size_t pos = 0;
  while (pos < n) {
    while (pos < n && content[pos] == ' ') ++pos;
    if (pos >= n) break;

    std::string field;
    if (content[pos] == '"') {
      // Quoted: up to the next quote (line ends included), or to the end of an unterminated
      // field; the rest of the line is passed over.
      const std::size_t start = pos + 1;
      const std::size_t close = content.find('"', start);
      if (close == std::string::npos) {
        field = content.substr(start);
        pos = n;
      } else {
        field = content.substr(start, close - start);
        pos = PastLineEnd(content, close + 1);
      }
    } else {
      // Unquoted: up to a comma or the line's end, trailing spaces dropped; a comma starts
      // the next field on the same line.
      std::size_t end = pos;
      while (end < n && content[end] != ',' && !IsLineEnd(content[end])) ++end;
      std::size_t last = end;
      while (last > pos && content[last - 1] == ' ') --last;
      field = content.substr(pos, last - pos);
      pos = (end < n && content[end] == ',') ? end + 1 : PastLineEnd(content, end);
    }
    // An empty field (an empty or blank line, "" or an empty field between commas) is no
    // entry.
    if (!field.empty()) fields.push_back(std::move(field));
  }
  return fields;
}

}  // namespace tarnivo
