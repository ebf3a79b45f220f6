// Folder listings and the program's own file name on the Linux back end.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;

struct Entry {
  std::string name;  // in the ANSI code page
  DWORD attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t written = 0;  // FILETIME count
};

struct Listing {
  std::vector<Entry> entries;
  std::size_t next = 0;
};

std::mutex g_listings_mutex;
std::map<std::uintptr_t, Listing> g_listings;
std::uintptr_t g_next_listing = 0x6000;

using backend::internal::LowerLetter;

// Whether `name` matches `pattern` (* any run, ? one character), letter case ignored.
bool Matches(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || LowerLetter(*pattern) == LowerLetter(*name)) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool FillEntry(const std::string& folder, const std::string& disk_name, Entry* entry) {
  struct stat info {};
  if (stat((folder + "/" + disk_name).c_str(), &info) != 0) return false;
  entry->name = backend::internal::AnsiFromUtf8(disk_name);
  if (entry->name.size() >= MAX_PATH) return false;
  entry->attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    entry->attributes |= FILE_ATTRIBUTE_READONLY;
  entry->size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
  entry->written = kUnixEpoch + static_cast<std::uint64_t>(info.st_mtime) * 10000000ULL;
  return true;
}

void CopyOut(const Entry& entry, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = entry.attributes;
  const FILETIME written = {static_cast<DWORD>(entry.written & 0xFFFFFFFFu),
                            static_cast<DWORD>(entry.written >> 32)};
  data->ftCreationTime = written;
  data->ftLastAccessTime = written;
  data->ftLastWriteTime = written;
  data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFFu);
  std::memcpy(data->cFileName, entry.name.c_str(), entry.name.size() + 1);
}

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (lpFileName == nullptr || lpFindFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  backend::internal::Fault fault;
  if (backend::internal::FaultHit(backend::FaultPoint::kFindFirstFile, &fault)) {
    SetLastError(fault.error);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = backend::internal::DiskPath(lpFileName);
  const std::string::size_type slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string pattern =
      backend::internal::AnsiFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  Listing listing;
  // "*.*" is every name, as "*" is.
  const std::string match = pattern == "*.*" ? std::string("*") : pattern;
  // A drive's root lists no "." and "..".
  const bool root = folder == "/" || folder == backend::Root() + "/drive_c";
  while (dirent* found = readdir(dir)) {
    const std::string disk_name = found->d_name;
    if (root && (disk_name == "." || disk_name == "..")) continue;
    Entry entry;
    if (!FillEntry(folder, disk_name, &entry)) continue;
    if (Matches(match.c_str(), entry.name.c_str())) listing.entries.push_back(entry);
  }
  closedir(dir);
  if (listing.entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // One order for every run: "." and ".." first, then the names byte by byte.
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  CopyOut(listing.entries[0], lpFindFileData);
  listing.next = 1;
  std::lock_guard<std::mutex> lock(g_listings_mutex);
  const std::uintptr_t handle = g_next_listing++;
  g_listings[handle] = std::move(listing);
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  std::lock_guard<std::mutex> lock(g_listings_mutex);
  const auto found = g_listings.find(reinterpret_cast<std::uintptr_t>(hFindFile));
  if (found == g_listings.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpFindFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Listing& listing = found->second;
  if (listing.next >= listing.entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  CopyOut(listing.entries[listing.next++], lpFindFileData);
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  std::lock_guard<std::mutex> lock(g_listings_mutex);
  if (g_listings.erase(reinterpret_cast<std::uintptr_t>(hFindFile)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (hModule != nullptr && hModule != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::string name =
      backend::internal::WindowsPath(std::string(self, static_cast<std::size_t>(length)));
  if (lpFilename == nullptr || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Too small: the name is cut to nSize characters, with no terminating NUL.
  if (name.size() >= nSize) {
    std::memcpy(lpFilename, name.c_str(), nSize);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

}  // extern "C"
