// The system directory and the file API of the Linux back end, on real Linux files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr DWORD kNoError = 0;
constexpr DWORD kErrorTooManyOpenFiles = 4;
constexpr DWORD kErrorNotSameDevice = 17;
constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorDiskFull = 112;
constexpr DWORD kErrorNegativeSeek = 131;
constexpr DWORD kErrorAlreadyExists = 183;
constexpr DWORD kErrorNoAccess = 998;
constexpr DWORD kAttributeReadOnly = 0x01;
constexpr DWORD kAttributeDirectory = 0x10;
constexpr DWORD kAttributeArchive = 0x20;

struct OpenFile {
  int fd = -1;
  bool can_read = false;
  bool can_write = false;
};

std::mutex g_files_mutex;
std::map<std::uintptr_t, OpenFile> g_files;
std::uintptr_t g_next_handle = 0x2000;

void Fail(DWORD code) { SetLastError(code); }

using backend::FaultPoint;

// True, with the last error set, when an armed fault fails this call of `point`.
bool Faulted(FaultPoint point) {
  backend::internal::Fault fault;
  if (!backend::internal::FaultHit(point, &fault)) return false;
  Fail(fault.error);
  return true;
}

std::string ParentOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The Windows error for an errno of a call that named `path`.
DWORD ErrorFor(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
      // Windows tells a missing file from a missing folder on the way to it.
      return IsFolder(ParentOf(path)) ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND)
                                      : static_cast<DWORD>(ERROR_PATH_NOT_FOUND);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return kErrorFileExists;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case EXDEV:
      return kErrorNotSameDevice;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

// A file (not a folder) without any write permission: what Windows calls read-only.
bool IsReadOnlyFile(const struct stat& info) {
  return !S_ISDIR(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Looks a handle up; caller holds g_files_mutex.
OpenFile* Find(HANDLE handle) {
  auto it = g_files.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == g_files.end() ? nullptr : &it->second;
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

extern "C" {

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  backend::internal::MakeFolders(backend::SystemDirectory());
  // In the ANSI code page, as every name an A function gives.
  const std::string folder = backend::internal::AnsiFromUtf8(backend::SystemDirectory());
  UINT length = static_cast<UINT>(folder.size());
  if (lpBuffer == nullptr || uSize <= length) return length + 1;
  std::memcpy(lpBuffer, folder.c_str(), folder.size() + 1);
  return length;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (Faulted(FaultPoint::kCreateFile)) return INVALID_HANDLE_VALUE;
  (void)dwShareMode;
  (void)lpSecurityAttributes;
  (void)dwFlagsAndAttributes;
  (void)hTemplateFile;
  if (lpFileName == nullptr || *lpFileName == '\0') {
    Fail(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = backend::internal::DiskPath(lpFileName);
  bool can_read = (dwDesiredAccess & GENERIC_READ) != 0;
  bool can_write = (dwDesiredAccess & GENERIC_WRITE) != 0;
  int flags = O_CLOEXEC;
  flags |= can_write ? (can_read ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!can_write) {
        Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default:
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if (IsFolder(path)) {
    // A folder opens only with backup semantics on Windows; the system never asks for it.
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  bool existed = Exists(path);
  int fd = -1;
  do {
    fd = open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    Fail(ErrorFor(errno, path));
    return INVALID_HANDLE_VALUE;
  }
  std::uintptr_t id = 0;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    id = g_next_handle;
    g_next_handle += 4;
    g_files[id] = OpenFile{fd, can_read, can_write};
  }
  bool reports_existing =
      existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
  SetLastError(reports_existing ? kErrorAlreadyExists : kNoError);
  return reinterpret_cast<HANDLE>(id);
}

namespace {

// The descriptor of an open file for reading or writing `count` bytes at `buffer`; -1 with
// the last error set when the handle, its access or the buffer does not allow it.
int DescriptorFor(HANDLE handle, bool writing, LPCVOID buffer, DWORD count) {
  int fd = -1;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    OpenFile* file = Find(handle);
    if (file == nullptr) {
      Fail(ERROR_INVALID_HANDLE);
      return -1;
    }
    if (!(writing ? file->can_write : file->can_read)) {
      Fail(ERROR_ACCESS_DENIED);
      return -1;
    }
    fd = file->fd;
  }
  if (buffer == nullptr && count > 0) {
    Fail(kErrorNoAccess);
    return -1;
  }
  return fd;
}

}  // namespace

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  (void)lpOverlapped;
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  if (Faulted(FaultPoint::kReadFile)) return FALSE;
  const int fd = DescriptorFor(hFile, false, lpBuffer, nNumberOfBytesToRead);
  if (fd < 0) return FALSE;
  char* out = static_cast<char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToRead) {
    ssize_t got = read(fd, out + total, nNumberOfBytesToRead - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = total;
      Fail(ErrorFor(errno, ""));
      return FALSE;
    }
    if (got == 0) break;
    total += static_cast<DWORD>(got);
  }
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = total;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  (void)lpOverlapped;
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  backend::internal::Fault fault;
  const bool faulted = backend::internal::FaultHit(FaultPoint::kWriteFile, &fault);
  if (faulted && !fault.short_write) {
    Fail(fault.error);
    return FALSE;
  }
  const int fd = DescriptorFor(hFile, true, lpBuffer, nNumberOfBytesToWrite);
  if (fd < 0) return FALSE;
  const char* in = static_cast<const char*>(lpBuffer);
  DWORD wanted = nNumberOfBytesToWrite;
  // A short write keeps fewer bytes than asked for, at most all but one.
  if (faulted) wanted = std::min(fault.part, wanted > 0 ? wanted - 1 : 0);
  DWORD total = 0;
  while (total < wanted) {
    ssize_t put = write(fd, in + total, wanted - total);
    if (put < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
      Fail(ErrorFor(errno, ""));
      return FALSE;
    }
    total += static_cast<DWORD>(put);
  }
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
  if (faulted && !fault.report_success) {
    Fail(fault.error);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
  if (Faulted(FaultPoint::kSetFilePointer)) return INVALID_SET_FILE_POINTER;
  int fd = -1;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    OpenFile* file = Find(hFile);
    if (file == nullptr) {
      Fail(ERROR_INVALID_HANDLE);
      return INVALID_SET_FILE_POINTER;
    }
    fd = file->fd;
  }
  std::int64_t distance = lDistanceToMove;
  if (lpDistanceToMoveHigh != nullptr) {
    std::uint64_t combined =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh)) << 32) |
        static_cast<std::uint32_t>(lDistanceToMove);
    distance = static_cast<std::int64_t>(combined);
  }
  std::int64_t base = 0;
  switch (dwMoveMethod) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT: {
      off_t here = lseek(fd, 0, SEEK_CUR);
      if (here < 0) {
        Fail(ErrorFor(errno, ""));
        return INVALID_SET_FILE_POINTER;
      }
      base = here;
      break;
    }
    case FILE_END: {
      struct stat info {};
      if (fstat(fd, &info) != 0) {
        Fail(ErrorFor(errno, ""));
        return INVALID_SET_FILE_POINTER;
      }
      base = info.st_size;
      break;
    }
    default:
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  std::int64_t target = base + distance;
  if (target < 0) {
    Fail(kErrorNegativeSeek);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(fd, static_cast<off_t>(target), SEEK_SET) < 0) {
    Fail(ErrorFor(errno, ""));
    return INVALID_SET_FILE_POINTER;
  }
  std::uint64_t position = static_cast<std::uint64_t>(target);
  DWORD low = static_cast<DWORD>(position & 0xFFFFFFFFu);
  if (lpDistanceToMoveHigh != nullptr) {
    *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint32_t>(position >> 32));
  }
  // A position whose low part looks like the failure value is told apart by a clear error.
  if (low == INVALID_SET_FILE_POINTER) SetLastError(kNoError);
  return low;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  if (Faulted(FaultPoint::kFlushFileBuffers)) return FALSE;
  int fd = -1;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    OpenFile* file = Find(hFile);
    if (file == nullptr) {
      Fail(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (!file->can_write) {
      Fail(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    fd = file->fd;
  }
  if (fsync(fd) != 0 && errno != EINVAL) {
    Fail(ErrorFor(errno, ""));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  int fd = -1;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    OpenFile* file = Find(hFile);
    if (file == nullptr) {
      Fail(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (!file->can_write) {
      Fail(ERROR_INVALID_PARAMETER);  // as Wine answers for a handle opened for reading
      return FALSE;
    }
    fd = file->fd;
  }
  if (Faulted(FaultPoint::kSetEndOfFile)) return FALSE;
  // The file ends at the file pointer: cut there, or grown with zeros up to it.
  const off_t here = lseek(fd, 0, SEEK_CUR);
  int result = here < 0 ? -1 : 0;
  if (result == 0) {
    do {
      result = ftruncate(fd, here);
    } while (result != 0 && errno == EINTR);
  }
  if (result != 0) {
    Fail(ErrorFor(errno, ""));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  int fd = -1;
  {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    auto it = g_files.find(reinterpret_cast<std::uintptr_t>(hObject));
    if (it == g_files.end()) {
      if (backend::internal::CloseMutexHandle(hObject)) return TRUE;
      Fail(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    fd = it->second.fd;
    g_files.erase(it);
  }
  close(fd);
  // A failed close still closes the handle, as a close whose last write-back failed.
  if (Faulted(FaultPoint::kCloseHandle)) return FALSE;
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (Faulted(FaultPoint::kMoveFile)) return FALSE;
  if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string from = backend::internal::DiskPath(lpExistingFileName);
  std::string to = backend::internal::DiskPath(lpNewFileName);
  struct stat source {};
  if (lstat(from.c_str(), &source) != 0) {
    Fail(ErrorFor(errno, from));
    return FALSE;
  }
  struct stat target {};
  bool target_exists = lstat(to.c_str(), &target) == 0;
  if (target_exists && source.st_dev == target.st_dev && source.st_ino == target.st_ino) {
    return TRUE;  // a file moved onto itself (or another link to it) stays as it is
  }
  if (target_exists) {
    if ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0) {
      Fail(kErrorAlreadyExists);
      return FALSE;
    }
    // A folder is never replaced; a read-only file is, as Wine replaces it.
    if (S_ISDIR(target.st_mode)) {
      Fail(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  int result = -1;
  if ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0) {
    // Refuses to replace a file that appears between the check above and the move.
    result = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      result = rename(from.c_str(), to.c_str());
    }
  } else {
    result = rename(from.c_str(), to.c_str());
  }
  if (result != 0) {
    Fail(errno == EEXIST ? kErrorAlreadyExists : ErrorFor(errno, to));
    return FALSE;
  }
  if (dwFlags & MOVEFILE_WRITE_THROUGH) {
    SyncFolder(ParentOf(to));
    if (ParentOf(to) != ParentOf(from)) SyncFolder(ParentOf(from));
  }
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (Faulted(FaultPoint::kDeleteFile)) return FALSE;
  if (lpFileName == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string path = backend::internal::DiskPath(lpFileName);
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && IsReadOnlyFile(info)) {
    Fail(ERROR_ACCESS_DENIED);  // a read-only file is not deleted
    return FALSE;
  }
  if (unlink(path.c_str()) != 0) {
    Fail(ErrorFor(errno, path));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  (void)lpSecurityAttributes;
  if (lpPathName == nullptr || *lpPathName == '\0') {
    Fail(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string path = backend::internal::DiskPath(lpPathName);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (mkdir(path.c_str(), 0777) != 0) {
    Fail(errno == EEXIST ? static_cast<DWORD>(kErrorAlreadyExists) : ErrorFor(errno, path));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  if (lpPathName == nullptr || *lpPathName == '\0') {
    Fail(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string path = backend::internal::DiskPath(lpPathName);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (rmdir(path.c_str()) != 0) {
    Fail(errno == ENOTEMPTY || errno == EEXIST ? 145u : ErrorFor(errno, path));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  if (lpFileName == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (Faulted(FaultPoint::kSetFileAttributes)) return FALSE;
  std::string path = backend::internal::DiskPath(lpFileName);
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    Fail(ErrorFor(errno, path));
    return FALSE;
  }
  // Only the read-only attribute is kept, as Wine keeps it: a file without any write
  // permission is read-only. A folder's permissions stay.
  if (S_ISDIR(info.st_mode)) return TRUE;
  mode_t mode = info.st_mode & 07777;
  if (dwFileAttributes & kAttributeReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    mode |= S_IWUSR;
  }
  if (chmod(path.c_str(), mode) != 0) {
    Fail(ErrorFor(errno, path));
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  if (Faulted(FaultPoint::kGetFileAttributes)) return INVALID_FILE_ATTRIBUTES;
  if (lpFileName == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string path = backend::internal::DiskPath(lpFileName);
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    Fail(ErrorFor(errno, path));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

}  // extern "C"
