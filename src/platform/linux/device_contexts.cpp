// Device contexts of the Linux back end: the handles GetDC hands out, until ReleaseDC takes
// them back, and what GetDeviceCaps tells of the screen.
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

// The screen's logical pixels per inch, in x and in y.
constexpr int kPixelsPerInch = 96;

std::mutex g_mutex;

// The device contexts handed out and not given back yet: handle -> window (null: the screen).
std::map<std::uintptr_t, HWND>& Table() {
  static auto* table = new std::map<std::uintptr_t, HWND>;
  return *table;
}

std::uintptr_t KeyOf(HDC dc) { return reinterpret_cast<std::uintptr_t>(dc); }

bool IsDeviceContext(HDC dc) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().count(KeyOf(dc)) != 0;
}

}  // namespace

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd != nullptr && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const std::uintptr_t handle = backend::internal::NewUserHandle();
  std::lock_guard<std::mutex> lock(g_mutex);
  Table()[handle] = hWnd;
  return reinterpret_cast<HDC>(handle);
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().erase(KeyOf(hDC)) != 0 ? 1 : 0;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  if (!IsDeviceContext(hdc)) return 0;
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kPixelsPerInch;
    default:
      return 0;
  }
}

}  // extern "C"
