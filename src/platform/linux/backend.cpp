// The root folder of the back end, the observer and the last-error value.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>

#include "platform/linux/backend.h"

#include "platform/escape_bytes.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace backend {
namespace {

std::mutex g_root_mutex;
bool g_root_set = false;
std::string g_root;

std::mutex g_observer_mutex;
std::function<void(const std::string&)> g_observer;

thread_local DWORD t_last_error = 0;

}  // namespace

std::string Root() {
  {
    std::lock_guard<std::mutex> lock(g_root_mutex);
    if (g_root_set) return g_root;
  }
  const char* env = std::getenv("TARNIVO_ROOT");
  if (env != nullptr && *env != '\0') return env;
  return "/var/lib/tarnivo";
}

void SetRoot(const std::string& folder) {
  std::lock_guard<std::mutex> lock(g_root_mutex);
  g_root = folder;
  g_root_set = true;
}

std::string RegistryFile() { return Root() + "/registry"; }

std::string SystemDirectory() { return Root() + "/system32"; }

void SetObserver(std::function<void(const std::string&)> observer) {
  std::lock_guard<std::mutex> lock(g_observer_mutex);
  g_observer = std::move(observer);
}

namespace internal {

void Report(const std::string& line) {
  std::function<void(const std::string&)> observer;
  {
    std::lock_guard<std::mutex> lock(g_observer_mutex);
    observer = g_observer;
  }
  if (observer) observer(line);
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  std::string::size_type slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    if (!MakeFolders(path.substr(0, slash))) return false;
  }
  if (mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace internal

std::string EscapeBytes(const std::string& bytes, bool keepHighBytes) {
  return tarnivo::EscapeBytes(bytes, keepHighBytes);
}

namespace internal {

std::string LogToken(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '"') plain = false;
  }
  if (plain) return text;
  return "\"" + EscapeBytes(text) + "\"";
}

}  // namespace internal
}  // namespace backend

extern "C" {

DWORD WINAPI GetLastError() { return backend::t_last_error; }

void WINAPI SetLastError(DWORD dwErrCode) { backend::t_last_error = dwErrCode; }

}  // extern "C"
