// Pieces shared by the files of the Linux back end. Not for the system's code or tests.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/linux/win32_api.h"

namespace backend::internal {

// Sends one line to the observer, if one is set. Never call it while holding a lock of
// the back end: an observer may call back into the API.
void Report(const std::string& line);

// Creates a folder and its parents. True when the folder exists afterwards.
bool MakeFolders(const std::string& path);

// A token for a log line: as it stands when it is non-empty and holds only printable
// characters other than blanks and quotes, else quoted and escaped.
std::string LogToken(const std::string& text);

// --- Names (names.cpp) ---

// ASCII letters in lower case: how the back end matches names without regard to case.
char LowerLetter(char c);
std::string LowerCase(std::string text);

// Windows-1252, the ANSI code page of the A functions, to UTF-8 and back ('?' for a
// character the code page does not have).
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
// The path on disk of a file an A function names: UTF-8, '/' for '\', a drive path below
// the root as a Wine prefix lays it out (C:\x is ROOT/drive_c/x, Z:\x is /x); any other
// name as it stands.
std::string DiskPath(const char* name);
// The name an A function gives a file on disk: C:\... below ROOT/drive_c, Z:\... elsewhere.
std::string WindowsPath(const std::string& disk);

// --- The virtual clock (clock.cpp) ---

// Milliseconds since the clock's start; GetTickCount is the low 32 bits.
std::uint64_t ClockNow();
// Moves the clock forward to `when`; never backwards.
void AdvanceClockTo(std::uint64_t when);
// Puts the clock back to its start. Returns the time it had.
std::uint64_t RestartClock();

// --- The window manager (windows.cpp, messages.cpp, menus.cpp) ---
//
// Windows, classes, menus, message queues and timers are process-wide tables under one
// lock. Functions named ...Locked expect the caller to hold it. A window procedure, a
// TIMERPROC or the observer is never called with the lock held.

std::mutex& UserMutex();

// A handle value for a new window or menu: never 0, never given out twice.
std::uintptr_t NewUserHandle();

// Makes sure the calling thread's windows, queue and timers go when the thread ends.
void EnsureThreadCleanup();

// What the message functions need to know of a window.
struct WindowFacts {
  WNDPROC proc = nullptr;
  std::thread::id thread;
  HWND parent = nullptr;  // the parent of a child window
  DWORD style = 0;
};
bool FindWindowLocked(HWND window, WindowFacts* facts);
// True when `window` is `ancestor` or a child, grandchild, ... of it.
bool IsWindowOrDescendantLocked(HWND ancestor, HWND window);
POINT CursorLocked();

// Drops the timers and posted messages of a window that goes.
void ForgetWindowMessagesLocked(HWND window);
// Drops the queue and timers of a thread that ends.
void ForgetThreadMessagesLocked(std::thread::id thread);
// Drops the windows of a thread that ends, without messages.
void ForgetThreadWindowsLocked(std::thread::id thread);

// Registers the combo box class "COMBOBOX" (combo_box.cpp); the caller's last error stays.
void RegisterComboBoxClass();

// --- The keyboard focus (focus.cpp) ---

// Moves the focus of `window`'s thread away from `window`: to its parent when ShowWindow
// hid it, to none when the focus is in `window` or a window inside it as DestroyWindow
// destroys it (called before WM_DESTROY). Call it without holding the lock.
void FocusLeaves(HWND window, bool destroying);

bool IsMenuLocked(HMENU menu);
// Destroys a menu and its submenus. False when `menu` is not a menu.
bool DestroyMenuLocked(HMENU menu);

}  // namespace backend::internal
