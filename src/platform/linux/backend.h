// Controls of the Linux back end for tests and the scenario runner: the parts of the
// machine a user or the test bench changes (keys, beeps, the root folder). The system's
// own code never includes this header.
#pragma once

#include <functional>
#include <string>

#include "platform/linux/win32_api.h"
#include "popups_seen.h"

namespace backend {

// The folder that holds the registry file and the system directory: $TARNIVO_ROOT, or
// /var/lib/tarnivo when it is not set. SetRoot overrides it for this process.
std::string Root();
void SetRoot(const std::string& folder);

// Path of the registry file and of the system directory below the root.
std::string RegistryFile();
std::string SystemDirectory();

// Puts the machine state of this process back to its start: no key or button down,
// Scroll Lock off, no pending "pressed since the last query" bits, beep count 0, the
// cursor at 0,0. The registry and files are left alone (they live in the root folder), and
// so are the clock, the windows, the menus and the timers.
void ResetInput();

// A user presses or releases a key or the left mouse button (virtual-key code).
void PressKey(int vk);
void ReleaseKey(int vk);
// Sets the Scroll Lock toggle state directly.
void SetScrollLock(bool on);

// Beeps sounded since the last ResetInput.
int BeepCount();

// Everything the back end does that a reader of a session log wants to see (registry
// writes and deletes, synthesised key events, beeps) is reported here, one line each.
// An empty function stops the reports.
void SetObserver(std::function<void(const std::string&)> observer);

// The virtual clock. Time on the Linux back end moves only when told: GetTickCount,
// GetLocalTime and the timers all follow it. SetTimeOfDay sets the time of day (the tick
// count keeps counting from where it is); Sleep advances the clock without running timers.
// The date starts at Monday 2026-01-05 and moves on when the time of day passes midnight.
void SetTimeOfDay(int hour, int minute, int second, int millisecond = 0);
// Puts the clock back to its start: tick count 0, 2026-01-05 00:00:00.000. Timers keep the
// time they had left.
void ResetClock();
// Lets `milliseconds` pass on this thread as a message loop would live them: due timers
// fire in due order (their WM_TIMER messages or TIMERPROCs are dispatched at their due
// time), posted messages are dispatched as they come.
void RunFor(unsigned milliseconds);
// Dispatches every message already waiting for this thread (no time passes).
// A WM_QUIT stays in the queue for the caller's own GetMessageA or PeekMessageA; a
// handler that posts without end is stopped after 100000 messages, with a report.
void RunPending();

// Puts the cursor over `window` (the middle of its rectangle on the screen).
void MoveCursorOver(HWND window);

// --- The user at the mouse and the keyboard ---
//
// What a user does reaches the windows as hardware input does on Windows: the messages are
// posted to the input queue of the window's thread, which GetMessageA and PeekMessageA read
// after the posted messages, so that a message loop (and IsDialogMessageA in it) sees
// them. GetAsyncKeyState follows a key at once, GetKeyState when its message is read.

// The middle of `window`'s rectangle on the screen (0,0 for a handle that names no window).
POINT WindowMiddle(HWND window);

// The cursor moves to `point` of the screen: WM_MOUSEMOVE goes to the window with the
// mouse capture, or else to the window under the point, when the cursor's place changes.
void UserMoveMouse(POINT point);
// The left mouse button goes down at `point` (after moving the cursor there). The window
// under it (WindowFromPoint, or the window with the capture) gets, unless it is the active
// window, WM_MOUSEACTIVATE; its top-level window is activated with WA_CLICKACTIVE unless
// the answer says not to; then WM_LBUTTONDOWN is posted to it with the point in its client
// coordinates. A press on a disabled window does nothing; a press where no window is (the
// desktop, or another program) takes the activation and the focus from the calling thread.
// A press while a combo box's drop-down list is open only closes the list.
void UserPress(POINT point);
// The left mouse button comes up at `point`: WM_LBUTTONUP to the window with the capture,
// or else to the window under the point.
void UserRelease(POINT point);
// UserPress and UserRelease at one point.
void UserClick(POINT point);
// A click in the middle of `window`; false when it names no window.
bool UserClickWindow(HWND window);

// A key goes down or up (a virtual-key code). WM_KEYDOWN or WM_KEYUP (WM_SYSKEYDOWN or
// WM_SYSKEYUP while Alt is down) is posted to the calling thread's input; it goes to the
// window that has the focus when the thread reads it, as WM_SYSKEY... to the active window
// when no window has the focus, to none when there is no active window either (the key
// still moves).
void UserKeyDown(int vk);
void UserKeyUp(int vk);
// UserKeyDown and UserKeyUp.
void UserKey(int vk);
// Types a text of Windows-1252 bytes: per byte, WM_KEYDOWN and WM_KEYUP of VK_PACKET with the
// byte's character in the high word of lParam, which TranslateMessage turns into WM_CHAR
// with the byte.
void UserType(const std::string& ansi);

// The user picks entry `index` of a combo box's drop-down list: a click on the combo box
// opens the list (WM_MOUSEACTIVATE and the activation as for UserPress, then the button
// messages sent at once rather than posted), then a click on the entry chooses it
// (CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE). False, with nothing done, when the combo box
// is not under its own middle (hidden, covered) or has no drop-down list; false after the
// first click when the list did not open (a disabled combo box) or has no such entry.
bool UserPickComboEntry(HWND combo, int index);

// The input wait of the calling thread: when GetMessageA finds nothing posted and no
// WM_QUIT, it calls `wait` before it lets virtual time pass. The function plays the user's
// next action (posts input, lets time pass with RunFor, closes a window, ...) and answers
// true to make GetMessageA look at the queue again, or false to let it go on as without an
// input wait (time passes to the next timer, or it fails with ERROR_TIMEOUT). It is not
// called again while it runs: a message loop inside it waits as without one. An empty
// function removes it.
void SetInputWait(std::function<bool()> wait);

// Bytes as a scenario file writes them inside quotes: \0 \r \n \t \" \\ and \xHH for the
// other control bytes (and for bytes from 0x80 up unless `keepHighBytes`).
std::string EscapeBytes(const std::string& bytes, bool keepHighBytes = false);

}  // namespace backend

// --- The toolbar's platform: the toolbar control, icons, pop-up menus and message boxes ---

#include <vector>

namespace backend {

// A user presses toolbar button `commandId` with the left mouse button: the cursor moves
// over the button's face (the part left of a drop-down arrow drawn apart), the button goes
// down (WM_LBUTTONDOWN, with VK_LBUTTON down) and up again. False when the toolbar has no
// visible button with that command id.
bool ClickToolbarButton(HWND toolbar, int commandId);
// The same on the button's drop-down arrow, or on the whole button when it is a drop-down
// button whose arrow is not drawn apart. False when the button has no drop-down arrow.
bool ClickToolbarArrow(HWND toolbar, int commandId);

// The icon resources of the process's module, which LoadIconA finds with the module handle
// GetModuleHandleA(nullptr) answers. The module holds none until this is called.
void SetModuleIcons(std::vector<int> ids);
// The icon resource (or system icon) id of each image of the list, in order (0 for an image
// cut from a bitmap); empty for a handle that names no image list.
std::vector<int> ImageListIconIds(HIMAGELIST list);

// The user's answer to each pop-up menu TrackPopupMenu shows: the command id of the item
// chosen, or 0 to close the menu without a choice. `x` and `y` are where the menu opens
// and `flags` TrackPopupMenu's flags. An id that names no enabled command item of the menu
// or its submenus chooses nothing (as a grayed item chosen on Windows). Without a chooser
// every menu closes without a choice. The chooser runs while the menu is shown: it may
// read and change the menu.
void SetMenuChooser(std::function<UINT(HMENU menu, int x, int y, UINT flags)> chooser);
// The captions of the last menu shown, top to bottom: "-" for a separator, a trailing
// " [x]" for a check mark. Empty before the first menu.
std::vector<std::string> LastMenuShown();
int MenusShown();

// A message box as MessageBoxA showed it, and the button it was answered with.
// Its caption is "Error" when MessageBoxA had none.
using MessageBoxShown = tarnivo::MessageBoxSeen;
int MessageBoxes();
// The last message box; all fields empty or 0 before the first.
MessageBoxShown LastMessageBox();

// Forgets the menus and message boxes shown so far (counts back to 0). The chooser and the
// module's icons stay.
void ResetShown();

}  // namespace backend

// --- What was drawn: device contexts that record, and the module's bitmaps ---

#include <map>

namespace backend {

// One drawing call as a device context got it. The fields a function does not use stay 0.
struct DrawCall {
  std::string function;       // "FillRect", "DrawEdge", "DrawFrameControl", "DrawTextA",
                              // "DrawFocusRect", "BitBlt", "SetPixel", "ImageList_Draw"
  RECT rect{};                // where it drew (DrawTextA: the rectangle it was given; BitBlt,
                              // ImageList_Draw: the destination; SetPixel: the pixel)
  UINT edge = 0;              // DrawEdge's edge, DrawFrameControl's type
  UINT flags = 0;             // DrawEdge's and DrawTextA's flags, DrawFrameControl's state,
                              // BitBlt's raster operation, ImageList_Draw's style
  std::string text;           // DrawTextA's text (as given, "&" and all)
  COLORREF colour = 0;        // FillRect: the brush's colour; SetPixel: the colour
  COLORREF text_colour = 0;   // the device context's, when the call was made
  COLORREF background = 0;    // the device context's background colour
  int background_mode = 0;    // OPAQUE or TRANSPARENT
  HDC source = nullptr;       // BitBlt's source
  POINT source_origin{};      // BitBlt's source point
  HIMAGELIST list = nullptr;  // ImageList_Draw's list
  int image = 0;              // and image

  // The call as one line, e.g. `DrawTextA 0,0,80,24 "OK" DT_CENTER|DT_VCENTER|DT_SINGLELINE
  // text=#000000 TRANSPARENT` or `FillRect 0,0,80,24 #f5f5f5`.
  std::string Line() const;
};

// What was drawn on `window`'s device contexts (GetDC, BeginPaint; a null window: the
// screen's) since the window was made or the drawing was last cleared, in order.
std::vector<DrawCall> WindowDrawing(HWND window);
std::vector<std::string> WindowDrawingLines(HWND window);
// Forgets what was drawn on `window`, or on every window for null.
void ClearWindowDrawing(HWND window = nullptr);
// What was drawn on a memory device context (CreateCompatibleDC) since it was made or
// cleared; empty for a handle that names none.
std::vector<DrawCall> DeviceContextDrawing(HDC dc);
std::vector<std::string> DeviceContextDrawingLines(HDC dc);
void ClearDeviceContextDrawing(HDC dc);

// A picture: its width and height and its pixels, row by row from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
};
// The bitmap resources of the process's module, by id, which LoadBitmapA and LoadImageA
// find with the module handle GetModuleHandleA(nullptr). The module holds none until this is
// called.
void SetModuleBitmaps(std::map<int, Picture> bitmaps);

}  // namespace backend

// --- List boxes, trackbars and the shell ---

#include <optional>

namespace backend {

// The user picks entry `index` of a list box: when the entry is not wholly in view the list
// is scrolled to it (LB_SETTOPINDEX, as the scroll bar would), then the entry is clicked in
// its middle, posted as UserClick posts it. False, with nothing done, when the list box has
// no such entry or is not under the entry's middle (hidden, covered, disabled).
bool UserPickListEntry(HWND list, int index);

// The user drags a trackbar's thumb to `position`: the left button goes down on the thumb's
// middle, the mouse moves to where the thumb's middle stands at that position, and the button
// comes up there, posted as UserPress, UserMoveMouse and UserRelease post them. The parent
// then hears TB_THUMBTRACK (when the position changes), TB_THUMBPOSITION and TB_ENDTRACK.
// False, with nothing done, when the position is outside the range, when no place on the
// channel gives it (a range wider than the channel), or when the trackbar is not under its
// thumb (hidden, covered, disabled).
bool UserMoveTrackbar(HWND trackbar, int position);

// A call of ShellExecuteA as it was made (a null text is std::nullopt) and its answer.
struct ShellExecuteCall {
  HWND owner = nullptr;
  std::optional<std::string> verb;
  std::optional<std::string> file;
  std::optional<std::string> parameters;
  std::optional<std::string> directory;
  int show = 0;
  INT_PTR answer = 0;
};
// The calls of ShellExecuteA since the start or the last ResetShellExecutes, and the last one
// (all empty before the first). Each is reported to the observer as one line:
// shell execute [verb V] [file F] [parameters P] [directory D] show N -> ANSWER
int ShellExecuteCount();
ShellExecuteCall LastShellExecute();
void ResetShellExecutes();

}  // namespace backend

// --- Faults: file and registry calls that fail on demand (tests only) ---
//
// Every file and registry function of the back end passes one check before it does anything;
// a test arms a plan and the chosen call fails there with the chosen error, as the function
// reports errors (SetLastError and its failure value, or the LONG a registry function
// returns). Calls are counted from the arming, per function and over all of them, whether or
// not they fail. Unarmed, the check is one relaxed atomic load.

#include <cstdint>
#include <vector>

namespace backend {

enum class FaultPoint {
  kCreateFile,
  kReadFile,
  kWriteFile,
  kSetFilePointer,
  kFlushFileBuffers,
  kCloseHandle,  // of a file: the handle is closed all the same
  kMoveFile,
  kDeleteFile,
  kGetFileAttributes,
  kSetFileAttributes,
  kSetEndOfFile,
  kFindFirstFile,
  kProfileRead,  // GetPrivateProfileStringA's read of its file: it answers as for no file
  kRegCreateKey,
  kRegOpenKey,
  kRegSetValue,
  kRegQueryValue,
  kRegDeleteValue,
  kRegDeleteKey,
  kRegCloseKey,
  // The back end's own write of a registry file (the registry and a copy of a damaged one):
  // part of the new file is written, then the write fails and the registry call that
  // made it answers ERROR_REGISTRY_IO_FAILED; the file on disk stays as it was.
  kRegistryFileWrite,
  kAny,  // in a plan: every function above counts
};
inline constexpr int kFaultPoints = static_cast<int>(FaultPoint::kAny);
// The function's name, e.g. "WriteFile".
const char* FaultPointName(FaultPoint point);

enum class FaultKind {
  kFail,                // the call fails before it does anything
  kWritePartThenFail,   // WriteFile writes `part` bytes, then fails (the count says `part`)
  kWritePartAndSucceed  // WriteFile writes `part` bytes and succeeds (a full disk)
};

struct FaultPlan {
  FaultPoint point = FaultPoint::kAny;  // which calls count towards `nth`
  std::uint64_t nth = 0;                // 1 for the first; 0 arms counting only
  bool and_after = false;               // every counted call from the n-th on fails too
  DWORD error = ERROR_ACCESS_DENIED;    // the last error, or the LONG a registry call returns
  FaultKind kind = FaultKind::kFail;    // the short kinds apply to WriteFile (other calls fail)
  DWORD part = 0;                       // bytes a short write keeps (at most the count less 1)
};

// Arms `plan` (the counts start again from 0), or disarms. Process-wide.
void ArmFaults(const FaultPlan& plan);
void DisarmFaults();
// Calls made since the arming: of one function, or of all of them (kAny), and the faults
// that fired.
std::uint64_t FaultCalls(FaultPoint point = FaultPoint::kAny);
std::uint64_t FaultsFired();
// The functions called since the arming, in order (the first 10000).
std::vector<FaultPoint> FaultCallOrder();

}  // namespace backend
