// ShellExecuteA on the Linux back end: nothing is opened or run. Each call is recorded for the
// test bench and reported to the observer, and answered as the shell would answer it when the
// program for the file or address is there: success for an address with a scheme and for a
// file that exists, SE_ERR_FNF for a file that does not.
#include <cctype>
#include <mutex>
#include <optional>
#include <string>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

// What a successful call answers: any value above 32.
constexpr INT_PTR kOpened = 42;

struct Calls {
  int count = 0;
  backend::ShellExecuteCall last;
};

std::mutex g_mutex;

Calls& State() {
  static auto* calls = new Calls;
  return *calls;
}

std::optional<std::string> Text(LPCSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

// "http://...", "mailto:...": a scheme of two or more characters before the colon (one letter
// before it is a drive).
bool HasScheme(const std::string& name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool IsAbsolute(const std::string& name) {
  if (name.size() >= 2 && name[1] == ':') return true;
  return !name.empty() && (name[0] == '\\' || name[0] == '/');
}

// The folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/");
  if (last == std::string::npos) return "";
  return path.substr(0, last + 1);
}

INT_PTR Answer(const std::optional<std::string>& file, const std::optional<std::string>& folder) {
  if (!file || file->empty()) {
    SetLastError(static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    return SE_ERR_FNF;
  }
  if (HasScheme(*file)) return kOpened;
  std::string path = *file;
  if (!IsAbsolute(path) && folder && !folder->empty()) {
    const char last = folder->back();
    path = *folder + (last == '\\' || last == '/' ? "" : "\\") + path;
  }
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return kOpened;
  const std::string parent = FolderOf(path);
  const bool folder_there =
      parent.empty() || GetFileAttributesA(parent.c_str()) != INVALID_FILE_ATTRIBUTES;
  SetLastError(static_cast<DWORD>(folder_there ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND));
  return SE_ERR_FNF;
}

std::string Line(const backend::ShellExecuteCall& call) {
  using backend::internal::LogToken;
  std::string line = "shell execute";
  auto field = [&](const char* name, const std::optional<std::string>& value) {
    if (value) line += std::string(" ") + name + " " + LogToken(*value);
  };
  field("verb", call.verb);
  field("file", call.file);
  field("parameters", call.parameters);
  field("directory", call.directory);
  line += " show " + std::to_string(call.show) + " -> " + std::to_string(call.answer);
  return line;
}

}  // namespace

namespace backend {

int ShellExecuteCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().count;
}

ShellExecuteCall LastShellExecute() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().last;
}

void ResetShellExecutes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  State() = Calls{};
}

}  // namespace backend

extern "C" {

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
  backend::ShellExecuteCall call;
  call.owner = hwnd;
  call.verb = Text(lpOperation);
  call.file = Text(lpFile);
  call.parameters = Text(lpParameters);
  call.directory = Text(lpDirectory);
  call.show = nShowCmd;
  const DWORD error = GetLastError();
  call.answer = Answer(call.file, call.directory);
  if (call.answer > 32) SetLastError(error);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++State().count;
    State().last = call;
  }
  backend::internal::Report(Line(call));
  return reinterpret_cast<HINSTANCE>(call.answer);
}

}  // extern "C"
