// Pieces shared by the files of the Linux back end. Not for the system's code or tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/win32_api.h"

namespace backend {
enum class FaultPoint;
}

namespace backend::internal {

// --- Faults (faults.cpp) ---

// What an armed fault asks of the call that hit it.
struct Fault {
  DWORD error = 0;
  bool short_write = false;     // WriteFile: write `part` bytes first
  bool report_success = false;  // ... and report success with them
  DWORD part = 0;
};
extern std::atomic<bool> g_faults_armed;
// Counts a call of `point` and says whether it fails; only while a plan is armed.
bool FaultHitSlow(FaultPoint point, Fault* fault);
inline bool FaultHit(FaultPoint point, Fault* fault) {
  return g_faults_armed.load(std::memory_order_relaxed) && FaultHitSlow(point, fault);
}

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

// A byte of Windows-1252, the ANSI code page of the A functions, as a Unicode character,
// and back ('?' for a character the code page does not have).
char32_t CharacterOfAnsi(unsigned char byte);
char AnsiOfCharacter(char32_t character);
// Windows-1252 to UTF-8 and back ('?' for a character the code page does not have).
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
// The path on disk of a file an A function names: UTF-8, '/' for '\', a drive path below
// the root as a Wine prefix lays it out (C:\x is ROOT/drive_c/x, Z:\x is /x); any other
// name as it stands.
std::string DiskPath(const char* name);
// The name an A function gives a file on disk: C:\... below ROOT/drive_c, Z:\... elsewhere.
std::string WindowsPath(const std::string& disk);

// --- Mutexes (mutexes.cpp) ---

// Closes a mutex handle; false when `handle` is not one (CloseHandle tries other kinds).
bool CloseMutexHandle(HANDLE handle);

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
  HWND owner = nullptr;   // the owner of a top-level window
  DWORD style = 0;
  DWORD ex_style = 0;
  bool message_only = false;
};
bool FindWindowLocked(HWND window, WindowFacts* facts);
// True when `window` is `ancestor` or a child, grandchild, ... of it.
bool IsWindowOrDescendantLocked(HWND ancestor, HWND window);
// The top-level window `window` is in (itself for a top-level window), or null.
HWND RootLocked(HWND window);
// The top-level windows from the top of the z-order down; message-only windows are not
// among them.
std::vector<HWND> TopLevelWindowsLocked();
// Changes style bits of a window (BM_SETSTYLE).
void ChangeStyleLocked(HWND window, DWORD clear, DWORD set);
POINT CursorLocked();
// The id GetCurrentThreadId gave `thread`, or 0 when it gave none.
DWORD ThreadNumberLocked(std::thread::id thread);

// The window under a point of the screen as WindowFromPoint finds it, asking WM_NCHITTEST of
// the calling thread's windows, with the hit-test code (HTERROR for a disabled window).
// Null when there is no window there. Call it without holding the lock.
HWND HitWindow(POINT point, LRESULT* hit);

// Drops the timers and posted messages of a window that goes.
void ForgetWindowMessagesLocked(HWND window);
// Drops the queue and timers of a thread that ends.
void ForgetThreadMessagesLocked(std::thread::id thread);
// Drops the windows of a thread that ends, without messages.
void ForgetThreadWindowsLocked(std::thread::id thread);

// A class of the system's own (a standard control's), registered unless it is there; the
// caller's last error stays.
void RegisterSystemClass(const char* name, WNDPROC proc);
// Register the standard control classes "COMBOBOX" (combo_box.cpp), "BUTTON" (button.cpp),
// "EDIT" (edit.cpp) and "STATIC" (static_control.cpp).
void RegisterComboBoxClass();
void RegisterButtonClass();
void RegisterEditClass();
void RegisterStaticClass();
// Registers the standard control classes and the toolbar's, once per process: they are there
// before any window is made, whatever parts of the back end a program links.
void EnsureStandardClasses();
// Closes the drop-down list of the calling thread's combo box that has it open, as a press
// of the mouse anywhere but on the list does (CBN_SELENDCANCEL, CBN_CLOSEUP); false when
// none is open.
bool CloseDroppedList();
// Chooses entry `index` from the open drop-down list of `combo`, as a click on it does;
// false when its list is not open or has no such entry.
bool ChooseFromDroppedList(HWND combo, int index);

// --- Posted input (messages.cpp, input.cpp) ---

// Puts an input message at the end of the input queue of `window`'s thread, which
// PeekMessageA and GetMessageA read after the posted messages and the WM_QUIT, before the
// timers. `key` (a virtual-key code, or 0) goes down or up in GetKeyState's state when the
// message is taken out of the queue. False when `window` names no window.
bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int key, bool down);
// Puts a key's message (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP) in the calling
// thread's input queue; it goes to the window that has the focus when it is read, or as
// WM_SYSKEY... to the active window when none has; it is dropped when there is neither.
void PostKeyInput(UINT message, WPARAM wParam, LPARAM lParam, int key, bool down);
// A key (or mouse button) of the user's goes down or up: GetAsyncKeyState follows at once,
// GetKeyState when the thread reads the message (KeyRead).
void KeyPosted(int vk, bool down);
void KeyRead(int vk, bool down);
// Whether a key is down as GetAsyncKeyState sees it, without clearing its "pressed since
// the last query" bit.
bool KeyIsDown(int vk);

// --- The keyboard focus (focus.cpp) ---

// Moves the focus of `window`'s thread away from `window`: to its parent when ShowWindow
// hid it, to none when the focus is in `window` or a window inside it as DestroyWindow
// destroys it (called before WM_DESTROY). Call it without holding the lock.
void FocusLeaves(HWND window, bool destroying);

// Gives the focus of `thread` to `next` (a window of that thread, or none), without the
// checks of SetFocus, and sends WM_KILLFOCUS and WM_SETFOCUS. Returns the window that had it.
HWND MoveFocus(std::thread::id thread, HWND next);
HWND FocusLocked(std::thread::id thread);
// The window that has the mouse capture of `thread`, or null.
HWND CaptureLocked(std::thread::id thread);
// Lets go of the capture when `window` or a window inside it has it (WM_CAPTURECHANGED).
void CaptureLeaves(HWND window);

// --- Activation (activation.cpp) ---

// The active window of `thread`, or null.
HWND ActiveLocked(std::thread::id thread);
// Activates `window` (or none) on the calling thread, as Wine's set_active_window does;
// `mouse` for a click (WA_CLICKACTIVE), `focus` to give the focus to the window afterwards.
// False when the window went while it was being activated.
bool SetActive(HWND window, bool mouse, bool focus);
// Makes the calling thread the foreground thread and activates `window` (ShowWindow,
// SetForegroundWindow, a click).
bool TakeForeground(HWND window, bool mouse);
// A click on the desktop or another program's window: the thread is no longer the
// foreground thread and has no active window.
void GiveUpForeground();
// `window`, the active window of its thread, is hidden or destroyed: another window of the
// thread is activated, or none.
void ActivateOther(HWND window);
// Drops the activation of a thread that ends.
void ForgetThreadActivationLocked(std::thread::id thread);

bool IsMenuLocked(HMENU menu);
// Destroys a menu and its submenus. False when `menu` is not a menu.
bool DestroyMenuLocked(HMENU menu);

}  // namespace backend::internal

// --- List boxes, trackbars and the shell (list_box.cpp, trackbar.cpp, ansi_collation.cpp) ---

namespace backend::internal {

// Compares two texts of the ANSI code page as CompareStringA(LOCALE_USER_DEFAULT,
// NORM_IGNORECASE) does: below 0 when `a` sorts first, 0 when they are equal, above 0 after.
int CompareAnsiIgnoringCase(const std::string& a, const std::string& b);

// Register the list box class ("ListBox") and the trackbar class (TRACKBAR_CLASSA).
void RegisterListBoxClass();
void RegisterTrackbarClass();

}  // namespace backend::internal
