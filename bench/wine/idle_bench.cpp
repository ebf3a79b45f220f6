// tarnivo-idle.exe [--floor] [--seconds N] [--warmup N] [--dll PATH]
//
// What an idle, loaded toolbar costs in processor time under Wine (or Windows). Without
// --floor it loads tarnivo.dll (beside this program, or PATH), creates the band through its
// class factory, sites it on a stand-in browser and shows it, so that the toolbar form, its
// toolbar, the mouse watch and the settings timer run; then it runs an ordinary message loop
// for N seconds of real time (default 10), and closes and releases the band.
//
// With --floor it makes, without the DLL, the system calls those timers make at the same
// rates: a 20 ms window timer whose tick reads the cursor, the window under it, that window's
// class name and the left button, and a 200 ms thread timer whose tick reads the three
// settings values as the settings store does (open, query size, query data, close); and the
// same message loop.
//
// Both modes own the same frame window (the browser's), put the cursor over its middle, and
// set the settings key to a known state (processNR "1", processAX "1", nothing else), put
// back as it was after the run together with the list file. A warm-up (default 2 s) runs
// the loop before the measured interval, so start-up work is not counted.
//
// Output on stdout, one line each, flushed as it happens:
//   begin                      the measured interval starts
//   end                        it ends
//   result MODE cpu_ms=C wall_ms=W cpu_percent=P
// where C is the process's user+kernel time over the interval (GetProcessTimes), W the
// wall time (QueryPerformanceCounter) and P = 100*C/W, in percent of one core. Lines starting
// with "note" tell what was running. Exit status 0 on success, 1 when the band could not be
// set up, 2 for wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

#include <ole2.h>

#include "loaded_band.h"
#include "saved_machine.h"

namespace {

// --- arguments ---

struct Options {
  bool floor = false;
  double seconds = 10.0;
  double warmup = 2.0;
  std::string dll;  // "" for tarnivo.dll beside this program
};

bool ParseSeconds(const char* text, double* seconds) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value >= 0.0) || value > 86400.0) return false;
  *seconds = value;
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--floor") {
      options->floor = true;
    } else if (arg == "--seconds" && has_value) {
      if (!ParseSeconds(argv[++i], &options->seconds) || options->seconds <= 0.0) return false;
    } else if (arg == "--warmup" && has_value) {
      if (!ParseSeconds(argv[++i], &options->warmup)) return false;
    } else if (arg == "--dll" && has_value) {
      options->dll = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

using winbench::Line;

DWORD Milliseconds(double seconds) { return static_cast<DWORD>(seconds * 1000.0 + 0.5); }

constexpr const char* kSettingsKey = "Software\\Tarnivo";

// --- the frame: the browser's window, the same in both modes ---

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

HWND MakeFrame() {
  return winbench::MakeFrame("TarnivoIdleFrame", "Tarnivo idle bench", kFrameWidth, kFrameHeight);
}

// The cursor rests over the middle of the frame's client area.
void RestCursor(HWND frame) {
  RECT client = {};
  GetClientRect(frame, &client);
  POINT middle = {(client.right - client.left) / 2, (client.bottom - client.top) / 2};
  ClientToScreen(frame, &middle);
  SetCursorPos(middle.x, middle.y);
}

// --- the message loop, for a given time ---

struct QuitRequest {
  DWORD thread;
  DWORD milliseconds;
};

DWORD WINAPI QuitAfter(LPVOID parameter) {
  const QuitRequest request = *static_cast<QuitRequest*>(parameter);
  Sleep(request.milliseconds);
  PostThreadMessageA(request.thread, WM_QUIT, 0, 0);
  return 0;
}

// Runs the thread's message loop until `milliseconds` have passed; false when the timing
// thread cannot be started.
bool RunLoop(DWORD milliseconds) {
  QuitRequest request = {GetCurrentThreadId(), milliseconds};
  HANDLE waiter = CreateThread(nullptr, 0, QuitAfter, &request, 0, nullptr);
  if (waiter == nullptr) return false;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  WaitForSingleObject(waiter, INFINITE);
  CloseHandle(waiter);
  return true;
}

// --- the measured interval ---

struct Sample {
  ULONGLONG cpu = 0;  // 100 ns units, user + kernel
  LONGLONG ticks = 0;
};

Sample Now() {
  Sample sample;
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    auto value = [](const FILETIME& time) {
      return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    sample.cpu = value(kernel) + value(user);
  }
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  sample.ticks = counter.QuadPart;
  return sample;
}

bool Measure(const char* mode, DWORD milliseconds) {
  const Sample before = Now();
  Line("begin");
  if (!RunLoop(milliseconds)) return false;
  const Sample after = Now();
  Line("end");
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double wall_ms = static_cast<double>(after.ticks - before.ticks) * 1000.0 /
                         static_cast<double>(frequency.QuadPart);
  const double cpu_ms = static_cast<double>(after.cpu - before.cpu) / 10000.0;
  char text[160];
  std::snprintf(text, sizeof text, "result %s cpu_ms=%.1f wall_ms=%.1f cpu_percent=%.3f", mode,
                cpu_ms, wall_ms, wall_ms > 0.0 ? 100.0 * cpu_ms / wall_ms : 0.0);
  Line(text);
  return true;
}

// --- the floor: the idle toolbar's system calls without the DLL ---

// The mouse watch's look: the cursor, the window under it, its class name, the left button.
LRESULT CALLBACK FloorWatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_TIMER) return DefWindowProcA(hwnd, msg, wParam, lParam);
  char buffer[100] = {};
  POINT point = {0, 0};
  GetCursorPos(&point);
  HWND under = WindowFromPoint(point);
  if (under) GetClassNameA(under, buffer, 100);
  volatile SHORT button = GetAsyncKeyState(VK_LBUTTON);
  (void)button;
  return 0;
}

// One settings value read as the settings store reads it.
void FloorReadValue(const char* name) {
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, 0x3F, &key);
  if (key == nullptr) return;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    if (type == REG_SZ) {
      std::string buffer(size, '\0');
      DWORD read = size;
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer.data()), &read);
    } else if (type == REG_DWORD) {
      BYTE bytes[4] = {};
      DWORD read = sizeof bytes;
      RegQueryValueExA(key, name, nullptr, nullptr, bytes, &read);
    }
  }
  RegCloseKey(key);
}

void CALLBACK FloorSettingsTick(HWND, UINT, UINT_PTR, DWORD) {
  FloorReadValue("processNR");
  FloorReadValue("processAX");
  FloorReadValue("processNL");
}

int RunFloor(const Options& options) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = FloorWatchProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "TarnivoIdleFloorWatch";
  RegisterClassA(&window_class);
  HWND watch = CreateWindowExA(WS_EX_TOOLWINDOW, window_class.lpszClassName, "watch", WS_POPUP, 0,
                               0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (watch == nullptr) {
    std::fprintf(stderr, "tarnivo-idle: cannot create the watch window\n");
    return 1;
  }
  SetTimer(watch, 1, 20, nullptr);
  const UINT_PTR settings = SetTimer(nullptr, 0, 200, FloorSettingsTick);
  Line("note floor: window timer 20 ms, thread timer 200 ms");
  bool ok =
      RunLoop(Milliseconds(options.warmup)) && Measure("floor", Milliseconds(options.seconds));
  KillTimer(nullptr, settings);
  DestroyWindow(watch);
  return ok ? 0 : 1;
}

// --- the DLL ---

// What of the toolbar form runs on this thread: the form, its toolbar, and which of its
// timer controls are on.
struct FormState {
  bool form = false;
  bool toolbar = false;
  std::string timers_on;
};

BOOL CALLBACK LookAtChild(HWND child, LPARAM parameter) {
  auto* state = reinterpret_cast<FormState*>(parameter);
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  const std::string class_name = name;
  if (class_name == TOOLBARCLASSNAMEA) state->toolbar = true;
  if (class_name == "TarnivoTimer" && IsWindowEnabled(child)) {
    char text[32] = {};
    GetWindowTextA(child, text, sizeof text);
    state->timers_on += state->timers_on.empty() ? text : std::string(" ") + text;
  }
  return TRUE;
}

BOOL CALLBACK LookAtThreadWindow(HWND window, LPARAM parameter) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "TarnivoToolbarForm") return TRUE;
  reinterpret_cast<FormState*>(parameter)->form = true;
  EnumChildWindows(window, LookAtChild, parameter);
  return FALSE;
}

FormState LookAtForm() {
  FormState state;
  EnumThreadWindows(GetCurrentThreadId(), LookAtThreadWindow, reinterpret_cast<LPARAM>(&state));
  return state;
}

int RunDll(const Options& options, HWND frame) {
  const std::string path = options.dll.empty() ? winbench::DllBesideProgram() : options.dll;
  winbench::LoadedBand band;
  std::string error;
  if (!band.Open(path, frame, &error)) {
    std::fprintf(stderr, "tarnivo-idle: %s\n", error.c_str());
    return 1;
  }

  bool ok = RunLoop(Milliseconds(options.warmup));
  const FormState state = LookAtForm();
  Line("note dll " + path + ": form " + (state.form ? "up" : "missing") + ", toolbar " +
       (state.toolbar ? "up" : "missing") +
       ", timers on: " + (state.timers_on.empty() ? "none" : state.timers_on));
  if (!state.form || !state.toolbar || state.timers_on.find("Timer1") == std::string::npos) {
    std::fprintf(stderr, "tarnivo-idle: the band's form, toolbar or mouse watch is not running\n");
    ok = false;
  }
  if (ok) ok = Measure("dll", Milliseconds(options.seconds));

  band.Close();
  const std::string unload = band.CanUnloadNow();
  if (!unload.empty()) Line("note DllCanUnloadNow: " + unload);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: tarnivo-idle [--floor] [--seconds N] [--warmup N] [--dll PATH]\n");
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) {
    std::fprintf(stderr, "tarnivo-idle: OleInitialize failed\n");
    return 1;
  }
  const scenario::SavedMachine saved = scenario::SaveMachine();
  int status = 1;
  if (!winbench::KnownSettings()) {
    std::fprintf(stderr, "tarnivo-idle: cannot set the settings key\n");
  } else if (HWND frame = MakeFrame()) {
    RestCursor(frame);
    status = options.floor ? RunFloor(options) : RunDll(options, frame);
    DestroyWindow(frame);
  } else {
    std::fprintf(stderr, "tarnivo-idle: cannot create the frame window\n");
  }
  scenario::RestoreMachine(saved);
  OleUninitialize();
  return status;
}
