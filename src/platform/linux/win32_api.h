// The Win32 subset of the Linux back end: the same names, types, constants and
// contracts as the real API, for the functions the system calls.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

using BYTE = unsigned char;
using WORD = unsigned short;
using DWORD = unsigned int;  // 32 bits, as on Windows
using LONG = int;            // 32 bits, as on Windows
using ULONG = unsigned int;
using BOOL = int;
using UINT = unsigned int;
using INT = int;
using SHORT = short;
using USHORT = unsigned short;
using CHAR = char;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using LPARAM = LONG_PTR;
using WPARAM = UINT_PTR;
using LRESULT = LONG_PTR;
using HRESULT = LONG;
using REGSAM = DWORD;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPVOID = void*;
using LPCVOID = const void*;
using HANDLE = void*;
using PHANDLE = HANDLE*;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Windows, menus and messages.
struct HWND__;
using HWND = HWND__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
using ATOM = WORD;
using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL(CALLBACK*)(HWND, LPARAM);

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  void* hbmpChecked;
  void* hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPSTR dwTypeData;
  UINT cch;
  void* hbmpItem;
};
using LPMENUITEMINFOA = MENUITEMINFOA*;
using LPCMENUITEMINFOA = const MENUITEMINFOA*;

// What WM_NCCREATE and WM_CREATE point their lParam at.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
using LPCREATESTRUCTA = CREATESTRUCTA*;

#define MAKEINTATOM(i) (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

// The combo box (class "COMBOBOX").
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_SORT = 0x0100;
constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT WM_APP = 0x8000;

// Control notifications (WM_COMMAND's high word).
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int CBN_SETFOCUS = 3;
constexpr int CBN_KILLFOCUS = 4;

// Window styles and creation.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
#define HWND_MESSAGE (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-3)))
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr UINT USER_TIMER_MINIMUM = 0x0000000Au;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFFu;

// Message queue.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Menus.
constexpr UINT MF_STRING = 0x00000000u;
constexpr UINT MF_BYCOMMAND = 0x00000000u;
constexpr UINT MF_ENABLED = 0x00000000u;
constexpr UINT MF_UNCHECKED = 0x00000000u;
constexpr UINT MF_GRAYED = 0x00000001u;
constexpr UINT MF_DISABLED = 0x00000002u;
constexpr UINT MF_CHECKED = 0x00000008u;
constexpr UINT MF_POPUP = 0x00000010u;
constexpr UINT MF_SEPARATOR = 0x00000800u;
constexpr UINT MF_BYPOSITION = 0x00000400u;
constexpr UINT MFT_STRING = 0x00000000u;
constexpr UINT MFT_SEPARATOR = 0x00000800u;
constexpr UINT MFS_CHECKED = 0x00000008u;
constexpr UINT MFS_GRAYED = 0x00000003u;
constexpr UINT MIIM_STATE = 0x00000001u;
constexpr UINT MIIM_ID = 0x00000002u;
constexpr UINT MIIM_SUBMENU = 0x00000004u;
constexpr UINT MIIM_DATA = 0x00000020u;
constexpr UINT MIIM_STRING = 0x00000040u;
constexpr UINT MIIM_FTYPE = 0x00000100u;
constexpr UINT TPM_LEFTALIGN = 0x0000u;
constexpr UINT TPM_RETURNCMD = 0x0100u;
constexpr UINT TPM_VERTICAL = 0x0040u;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u)))

// Error codes.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_NO_MORE_FILES = 18;
constexpr LONG ERROR_HANDLE_EOF = 38;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr LONG ERROR_INVALID_MENU_HANDLE = 1401;
constexpr LONG ERROR_TLW_WITH_WSCHILD = 1406;
constexpr LONG ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr LONG ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr LONG ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr LONG ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr LONG ERROR_MENU_ITEM_NOT_FOUND = 1456;
constexpr LONG ERROR_TIMEOUT = 1460;
constexpr LONG ERROR_ALREADY_EXISTS = 183;
constexpr LONG ERROR_NOT_OWNER = 288;

// Registry.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Files.
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD FILE_SHARE_DELETE = 4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 8;
constexpr UINT MAX_PATH = 260;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;

// Waits and mutexes.
constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_ABANDONED = 0x00000080u;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD SYNCHRONIZE = 0x00100000u;
constexpr DWORD MUTEX_MODIFY_STATE = 0x0001u;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001u;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// Keyboard and mouse.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_UP = 0x26;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F2 = 0x71;
constexpr int VK_SCROLL = 0x91;
constexpr DWORD KEYEVENTF_EXTENDEDKEY = 1;
constexpr DWORD KEYEVENTF_KEYUP = 2;
constexpr DWORD MOUSEEVENTF_LEFTDOWN = 0x0002;
constexpr DWORD MOUSEEVENTF_LEFTUP = 0x0004;

// Message boxes and beeps.
constexpr UINT MB_OK = 0x00000000u;
constexpr UINT MB_ICONHAND = 0x00000010u;
constexpr UINT MB_ICONQUESTION = 0x00000020u;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030u;
constexpr UINT MB_ICONASTERISK = 0x00000040u;

extern "C" {

// Registry.
LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition);
LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult);
LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData);
LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData);
LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
LONG WINAPI RegCloseKey(HKEY hKey);

// System directory and files. Paths take "\" or "/" as separators.
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh,
                            DWORD dwMoveMethod);
BOOL WINAPI FlushFileBuffers(HANDLE hFile);
// The file ends at the file pointer (cut there, or grown with zeros).
BOOL WINAPI SetEndOfFile(HANDLE hFile);
BOOL WINAPI CloseHandle(HANDLE hObject);
BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);
BOOL WINAPI DeleteFileA(LPCSTR lpFileName);
DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);
// Only FILE_ATTRIBUTE_READONLY is kept (as the file's write permission).
BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);
BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName);
// A folder listing: FindFirstFileA("FOLDER\\PATTERN") with * and ? in the last part (letter
// case ignored), "." and ".." in a folder below a drive's root, names in the ANSI code page.
HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
BOOL WINAPI FindClose(HANDLE hFindFile);
// The program's own file (the module of GetModuleHandleA(nullptr)), as a Windows path.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
// Profile (INI) files with the rules of the real function.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

// Keyboard and mouse state.
SHORT WINAPI GetKeyState(int nVirtKey);
SHORT WINAPI GetAsyncKeyState(int vKey);
void WINAPI keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR dwExtraInfo);
void WINAPI mouse_event(DWORD dwFlags, DWORD dx, DWORD dy, DWORD dwData, ULONG_PTR dwExtraInfo);

// Sounds.
BOOL WINAPI MessageBeep(UINT uType);

// Windows and classes.
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam);
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI IsWindow(HWND hWnd);
// A window's text through WM_SETTEXT and WM_GETTEXT (a null text sets "").
BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
int WINAPI GetWindowTextLengthA(HWND hWnd);
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount);
HWND WINAPI GetParent(HWND hWnd);
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI IsWindowVisible(HWND hWnd);
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

// A window is enabled while WS_DISABLED is not in its style. EnableWindow answers whether
// the window was disabled before. Disabling sends WM_CANCELMODE first (even to a window
// that is disabled already); then, when the state changes, the focus leaves the window if
// it is the thread's focus window (WM_KILLFOCUS) and WM_ENABLE (FALSE) follows. Enabling
// sends WM_ENABLE (TRUE) only when the window was disabled. A handle that names no window
// fails with ERROR_INVALID_WINDOW_HANDLE: IsWindowEnabled answers FALSE, EnableWindow
// FALSE.
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
BOOL WINAPI IsWindowEnabled(HWND hWnd);

// The first child of hWndParent (NULL: the first top-level window) after hWndChildAfter
// (NULL: from the first), in z-order from the top, whose class is lpszClass and whose
// window text is lpszWindow; a NULL class or text matches any. Class names and texts
// compare without regard to ASCII letter case; an empty text matches a window without
// text. Only direct children are looked at, hidden ones too. NULL when none matches, when
// hWndChildAfter is not a child of hWndParent, when the parent names no window or when the
// class is not registered; the last error stays as it was, as Wine leaves it. Message-only
// windows (HWND_MESSAGE) are not searched.
HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                          LPCSTR lpszWindow);

// The calling thread's id: never 0, never given to another thread of the process.
DWORD WINAPI GetCurrentThreadId();
// Calls lpfn for each top-level window of thread dwThreadId, in z-order from the top (a
// list taken first, so lpfn may create or destroy windows), until it answers FALSE;
// returns its last answer, or TRUE when the thread has no window.
BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam);

// Messages. Each thread has its own queue; a window's messages go to the thread that made it.
// SendMessageA calls the window procedure at once, on the calling thread.
// GetMessageA never waits for real time on the Linux back end: with nothing queued it asks
// the thread's input wait (backend::SetInputWait) for the user's next action, then moves
// the virtual clock to the next timer the filter lets through; with no such timer it fails
// (returns -1, GetLastError() == ERROR_TIMEOUT) instead of waiting for ever. The user's keys
// and clicks come after the posted messages and WM_QUIT, before the timers, as on Windows.
// TranslateMessage posts WM_CHAR (WM_SYSCHAR for WM_SYSKEYDOWN) with the character a key
// types on a US keyboard with Shift, Control and Caps Lock as GetKeyState sees them, or, for
// VK_PACKET, the ANSI byte of the character in the high word of lParam ('?' when Windows-1252
// has none); it answers TRUE for every key message.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg);
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
void WINAPI PostQuitMessage(int nExitCode);

// Timers.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// The cursor and the window under it.
BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
BOOL WINAPI SetCursorPos(int X, int Y);
HWND WINAPI WindowFromPoint(POINT Point);

// Menus.
HMENU WINAPI CreateMenu();
HMENU WINAPI CreatePopupMenu();
BOOL WINAPI DestroyMenu(HMENU hMenu);
BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem,
                        LPCSTR lpNewItem);
BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOA lpmii);
BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii);
int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);
int WINAPI GetMenuItemCount(HMENU hMenu);
UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos);
UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos);
HMENU WINAPI GetMenu(HWND hWnd);
BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu);
DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);

// Mutexes: named ones are shared by every process of the machine (every process that uses
// the same root folder), as on Windows. A thread that owns a mutex may wait on it again; it
// releases it as many times as it waited. The next waiter on a mutex whose owning thread or
// process ended without releasing it gets WAIT_ABANDONED and owns it. Timeouts are in real
// milliseconds, not on the virtual clock.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName);
BOOL WINAPI ReleaseMutex(HANDLE hMutex);
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Time: the virtual clock of the Linux back end (see backend.h).
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
DWORD WINAPI GetTickCount();
void WINAPI Sleep(DWORD dwMilliseconds);

}  // extern "C"

// --- Window data, window procedures and window properties (subclassing) ---
//
// GetWindowLongPtrA and SetWindowLongPtrA know GWLP_WNDPROC, GWLP_USERDATA and GWLP_ID, and
// GetWindowLongPtrA reads GWL_STYLE (the style the window was made with, WS_VISIBLE and
// WS_DISABLED as they are now, a button's type as BM_SETSTYLE set it) and GWL_EXSTYLE;
// other indexes, and setting GWL_STYLE, fail with
// ERROR_INVALID_INDEX. As on 64-bit Windows, GetWindowLongA and
// SetWindowLongA refuse GWL_WNDPROC (a procedure does not fit in 32 bits): code that
// replaces a window's procedure uses the Ptr functions. SetWindowLongPtrA with a null
// procedure leaves the window's procedure as it is.
//
// Property names compare without regard to ASCII letter case and are at most 255
// characters; a name made with MAKEINTATOM is a property of its own, apart from any text
// name. A window's properties go with it when it is destroyed, after WM_NCDESTROY.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWL_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_USERDATA = -21;
constexpr int GWL_STYLE = -16;
constexpr LONG ERROR_INVALID_INDEX = 1413;

using PROPENUMPROCEXA = BOOL(CALLBACK*)(HWND, LPSTR, HANDLE, ULONG_PTR);

extern "C" {

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex);
LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);
LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam);

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData);
HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString);
HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString);
// Calls lpEnumFunc for each property (a snapshot taken first, so the function may remove
// properties) until it returns FALSE; returns its last answer, or -1 when there is none.
int WINAPI EnumPropsExA(HWND hWnd, PROPENUMPROCEXA lpEnumFunc, LPARAM lParam);

}  // extern "C"

// --- The toolbar's platform: common controls, icons and image lists, focus and places on
// the screen, pop-up menus shown, message boxes ---
//
// Wide-character texts (WCHAR, the "W" messages) are wchar_t strings, as L"..." literals
// make them: 32 bits a character on Linux, 16 on Windows.
//
// The toolbar control (class TOOLBARCLASSNAMEA, always registered) lays its buttons out
// from the left, each 22 pixels high: 8 pixels and the bitmap width (16 unless
// TB_SETBITMAPSIZE says otherwise), plus 4 and 8 a character for a text ("&" marks a
// mnemonic and takes no room; "&&" is one "&"), plus 14 for a drop-down arrow drawn apart
// (BTNS_DROPDOWN with TBSTYLE_EX_DRAWDDARROWS, or BTNS_WHOLEDROPDOWN); a separator takes
// its iBitmap or 8, a hidden button nothing. It never sizes itself: CreateToolbarEx makes
// it 100 x 30 at 0,0 of its parent. A left button press on a drop-down button's arrow (on
// the whole button when the arrow is not drawn apart) sends TBN_DROPDOWN to the parent at
// once; a press and release on another enabled button sends WM_COMMAND. Bitmaps
// (TB_ADDBITMAP, CreateToolbarEx's nBitmaps) are not kept.
//
// LoadIconA answers the system icons IDI_APPLICATION ... IDI_SHIELD with a null instance,
// and, with the process's module handle (GetModuleHandleA(nullptr)), the icon resources
// the test bench declares (backend::SetModuleIcons); icons are shared, as LoadIconA's are
// on Windows: the same handle for the same icon, and DestroyIcon leaves it usable.
//
// SetFocus and GetFocus keep one focus window per thread. Hiding the focus window moves
// the focus to its parent (to none for a top-level window); destroying a window the focus
// is in leaves no focus. Each change sends WM_KILLFOCUS, then WM_SETFOCUS, as Windows
// does, except that a child window destroyed takes the focus with it without a message.
// Activation is described with SetActiveWindow below.
//
// TrackPopupMenu shows the menu to the test bench's chooser (backend::SetMenuChooser) and
// returns at once; MessageBoxA is recorded and answered with its default button.
using WCHAR = wchar_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using INT_PTR = std::intptr_t;

struct HIMAGELIST__;
using HIMAGELIST = HIMAGELIST__*;

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)
#define MAKELONG(a, b)                                                        \
  (static_cast<LONG>(static_cast<DWORD>(static_cast<DWORD_PTR>(a) & 0xffff) | \
                     (static_cast<DWORD>(static_cast<DWORD_PTR>(b) & 0xffff) << 16)))
#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDI_SHIELD MAKEINTRESOURCEA(32518)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

// What WM_NOTIFY points its lParam at.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using LPNMHDR = NMHDR*;

// A toolbar button, laid out as commctrl.h lays it out for the same pointer size.
struct TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
#if UINTPTR_MAX > 0xFFFFFFFFu
  BYTE bReserved[6];
#else
  BYTE bReserved[2];
#endif
  DWORD_PTR dwData;
  INT_PTR iString;  // a text's address, or a string index below 0x10000
};
using PTBBUTTON = TBBUTTON*;
using LPTBBUTTON = TBBUTTON*;
using LPCTBBUTTON = const TBBUTTON*;

struct NMTOOLBARA {
  NMHDR hdr;
  int iItem;
  TBBUTTON tbButton;
  int cchText;
  LPSTR pszText;
  RECT rcButton;
};
using LPNMTOOLBARA = NMTOOLBARA*;

struct NMTOOLBARW {
  NMHDR hdr;
  int iItem;
  TBBUTTON tbButton;
  int cchText;
  LPWSTR pszText;
  RECT rcButton;
};
using LPNMTOOLBARW = NMTOOLBARW*;

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;

constexpr DWORD ICC_BAR_CLASSES = 0x4;
constexpr DWORD ICC_WIN95_CLASSES = 0xFF;

#define TOOLBARCLASSNAMEA "ToolbarWindow32"
#define TOOLBARCLASSNAME TOOLBARCLASSNAMEA

// Common control styles.
constexpr LONG CCS_TOP = 0x1;
constexpr LONG CCS_NOMOVEY = 0x2;
constexpr LONG CCS_BOTTOM = 0x3;
constexpr LONG CCS_NORESIZE = 0x4;
constexpr LONG CCS_NOPARENTALIGN = 0x8;
constexpr LONG CCS_ADJUSTABLE = 0x20;
constexpr LONG CCS_NODIVIDER = 0x40;
constexpr LONG CCS_VERT = 0x80;

// Toolbar button states and styles.
constexpr int TBSTATE_CHECKED = 0x1;
constexpr int TBSTATE_PRESSED = 0x2;
constexpr int TBSTATE_ENABLED = 0x4;
constexpr int TBSTATE_HIDDEN = 0x8;
constexpr int TBSTATE_INDETERMINATE = 0x10;
constexpr int TBSTATE_WRAP = 0x20;
constexpr int TBSTATE_ELLIPSES = 0x40;
constexpr int TBSTATE_MARKED = 0x80;
constexpr int TBSTYLE_BUTTON = 0x0;
constexpr int TBSTYLE_SEP = 0x1;
constexpr int TBSTYLE_CHECK = 0x2;
constexpr int TBSTYLE_GROUP = 0x4;
constexpr int TBSTYLE_CHECKGROUP = TBSTYLE_GROUP | TBSTYLE_CHECK;
constexpr int TBSTYLE_DROPDOWN = 0x8;
constexpr int TBSTYLE_AUTOSIZE = 0x10;
constexpr int TBSTYLE_NOPREFIX = 0x20;
constexpr int BTNS_BUTTON = TBSTYLE_BUTTON;
constexpr int BTNS_SEP = TBSTYLE_SEP;
constexpr int BTNS_CHECK = TBSTYLE_CHECK;
constexpr int BTNS_GROUP = TBSTYLE_GROUP;
constexpr int BTNS_CHECKGROUP = TBSTYLE_CHECKGROUP;
constexpr int BTNS_DROPDOWN = TBSTYLE_DROPDOWN;
constexpr int BTNS_AUTOSIZE = TBSTYLE_AUTOSIZE;
constexpr int BTNS_NOPREFIX = TBSTYLE_NOPREFIX;
constexpr int BTNS_SHOWTEXT = 0x40;
constexpr int BTNS_WHOLEDROPDOWN = 0x80;
// Toolbar window styles.
constexpr int TBSTYLE_TOOLTIPS = 0x100;
constexpr int TBSTYLE_WRAPABLE = 0x200;
constexpr int TBSTYLE_ALTDRAG = 0x400;
constexpr int TBSTYLE_FLAT = 0x800;
constexpr int TBSTYLE_LIST = 0x1000;
constexpr int TBSTYLE_CUSTOMERASE = 0x2000;
constexpr int TBSTYLE_REGISTERDROP = 0x4000;
constexpr int TBSTYLE_TRANSPARENT = 0x8000;
// Toolbar extended styles.
constexpr int TBSTYLE_EX_DRAWDDARROWS = 0x1;
constexpr int TBSTYLE_EX_MIXEDBUTTONS = 0x8;
constexpr int TBSTYLE_EX_HIDECLIPPEDBUTTONS = 0x10;
constexpr int TBSTYLE_EX_DOUBLEBUFFER = 0x80;

// Toolbar messages.
constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;
constexpr UINT TB_PRESSBUTTON = WM_USER + 3;
constexpr UINT TB_ISBUTTONENABLED = WM_USER + 9;
constexpr UINT TB_ISBUTTONPRESSED = WM_USER + 11;
constexpr UINT TB_SETSTATE = WM_USER + 17;
constexpr UINT TB_GETSTATE = WM_USER + 18;
constexpr UINT TB_ADDBITMAP = WM_USER + 19;
constexpr UINT TB_ADDBUTTONSA = WM_USER + 20;
constexpr UINT TB_GETBUTTON = WM_USER + 23;
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
constexpr UINT TB_COMMANDTOINDEX = WM_USER + 25;
constexpr UINT TB_GETITEMRECT = WM_USER + 29;
constexpr UINT TB_BUTTONSTRUCTSIZE = WM_USER + 30;
constexpr UINT TB_SETBUTTONSIZE = WM_USER + 31;
constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;
constexpr UINT TB_AUTOSIZE = WM_USER + 33;
constexpr UINT TB_SETIMAGELIST = WM_USER + 48;
constexpr UINT TB_GETIMAGELIST = WM_USER + 49;
constexpr UINT TB_ADDBUTTONSW = WM_USER + 68;
constexpr UINT TB_SETEXTENDEDSTYLE = WM_USER + 84;
constexpr UINT TB_GETEXTENDEDSTYLE = WM_USER + 85;

// Toolbar notifications and the answers to TBN_DROPDOWN.
constexpr UINT TBN_FIRST = 0U - 700U;
constexpr UINT TBN_DROPDOWN = TBN_FIRST - 10;
constexpr int TBDDRET_DEFAULT = 0;
constexpr int TBDDRET_NODEFAULT = 1;
constexpr int TBDDRET_TREATPRESSED = 2;

// Image lists.
constexpr int ILC_MASK = 0x1;
constexpr int ILC_COLOR = 0x0;
constexpr int ILC_COLOR4 = 0x4;
constexpr int ILC_COLOR8 = 0x8;
constexpr int ILC_COLOR16 = 0x10;
constexpr int ILC_COLOR24 = 0x18;
constexpr int ILC_COLOR32 = 0x20;
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)

// Mouse messages' key flags.
constexpr int MK_LBUTTON = 0x0001;

// Menus shown.
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT TPM_LEFTBUTTON = 0x0000u;
constexpr UINT TPM_RIGHTBUTTON = 0x0002u;
constexpr UINT TPM_NONOTIFY = 0x0080u;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// Message boxes: button sets, default buttons, icons and answers.
constexpr UINT MB_OKCANCEL = 0x00000001u;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002u;
constexpr UINT MB_YESNOCANCEL = 0x00000003u;
constexpr UINT MB_YESNO = 0x00000004u;
constexpr UINT MB_RETRYCANCEL = 0x00000005u;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006u;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000u;
constexpr UINT MB_DEFBUTTON2 = 0x00000100u;
constexpr UINT MB_DEFBUTTON3 = 0x00000200u;
constexpr UINT MB_DEFBUTTON4 = 0x00000300u;
constexpr UINT MB_TYPEMASK = 0x0000000Fu;
constexpr UINT MB_ICONMASK = 0x000000F0u;
constexpr UINT MB_DEFMASK = 0x00000F00u;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// Errors of icons and resources.
constexpr LONG ERROR_INVALID_CURSOR_HANDLE = 1402;
constexpr LONG ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr LONG ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

extern "C" {

// Common controls.
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);
HWND WINAPI CreateToolbarEx(HWND hwnd, DWORD ws, UINT wID, int nBitmaps, HINSTANCE hBMInst,
                            UINT_PTR wBMID, LPCTBBUTTON lpButtons, int iNumButtons, int dxButton,
                            int dyButton, int dxBitmap, int dyBitmap, UINT uStructSize);

// Icons and image lists. An image list keeps which icon each of its images came from.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
BOOL WINAPI DestroyIcon(HICON hIcon);
HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
// i = -1 appends; an index below the count replaces that image. Returns the index, or -1.
int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);

// Focus and places on the screen.
HWND WINAPI SetFocus(HWND hWnd);
HWND WINAPI GetFocus();
BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint);
int WINAPI GetSystemMetrics(int nIndex);

// Pop-up menus and message boxes.
BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd,
                           const RECT* prcRect);
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

}  // extern "C"

// --- Device contexts ---
//
// GetDC hands out a device context of the screen (a null window) or of a window's client
// area; ReleaseDC gives it back. GetDeviceCaps answers the screen's logical pixels per inch,
// 96 in both directions, as on a screen at its standard scale, and BITSPIXEL 32; other
// indexes answer 0, and so does a handle that names no device context. Drawing is described
// under "Painting and drawing" below.

struct HDC__;
using HDC = HDC__*;

// GetDeviceCaps indexes.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

extern "C" {

// Null, with ERROR_INVALID_WINDOW_HANDLE, for a handle that names no window.
HDC WINAPI GetDC(HWND hWnd);
// 1 when `hDC` came from GetDC and was not given back yet; 0 otherwise.
int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
int WINAPI GetDeviceCaps(HDC hdc, int index);

}  // extern "C"

// --- Activation, the mouse capture, the dialog keyboard and the standard controls ---
//
// Each thread has an active window (a top-level window of its own, or none) and the
// process has a foreground thread, whose active window GetForegroundWindow answers. A
// change of active window sends, as Wine does: WM_NCACTIVATE (FALSE) and WM_ACTIVATE
// (WA_INACTIVE) to the window that was active (lParam: the new one); WM_ACTIVATEAPP to
// every top-level window of the thread that loses or gains the activation when the thread
// changes (hidden ones too, wParam FALSE or TRUE, lParam the other thread's id or 0);
// WM_NCACTIVATE (TRUE when it is the foreground window) and WM_ACTIVATE (WA_ACTIVE, or
// WA_CLICKACTIVE for a click) to the new window (lParam: the old one); then the focus goes
// to the new window unless it is inside it already (DefWindowProcA's WM_ACTIVATE gives it
// first). ShowWindow of a hidden top-level window activates it and makes its thread the
// foreground thread, except with SW_SHOWNA and SW_SHOWNOACTIVATE. Hiding or destroying the
// active window activates, of the thread's windows that are visible, enabled and not child
// windows, the owner of a pop-up window, else the next one below it in z-order, else the
// topmost; none when there is none. SetFocus activates the top-level window of the window
// that gets the focus.
//
// SetCapture sends WM_CAPTURECHANGED (lParam: the new capture window) to the window that
// loses the capture; ReleaseCapture too (lParam 0).
//
// IsDialogMessageA serves windows that are not made from dialog templates: Tab and
// Shift+Tab move the focus through GetNextDlgTabItem (selecting all the text of a control
// that answers DLGC_HASSETSEL), Enter sends WM_COMMAND (BN_CLICKED) for the focused default
// push button or else for the button DM_GETDEFID names (IDOK without one), Esc sends
// WM_COMMAND IDCANCEL, and a character that follows "&" in a button's or static control's
// text clicks the button or moves on from the label. It asks WM_GETDLGCODE as Wine asks it,
// translates and dispatches the other messages of the dialog and its children, and leaves
// other windows' messages alone (FALSE).
//
// The standard controls answer the messages below as Wine's user32 controls do: "BUTTON"
// (push buttons, default push buttons, group boxes), "STATIC", "EDIT" (a single line) and
// "COMBOBOX". A drop-down combo box is 24 pixels high whatever height it is made with, as
// with Wine's default font; text is measured at 8 pixels a character.

constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_CAPTURECHANGED = 0x0215;

// WM_ACTIVATE's low word; WM_MOUSEACTIVATE's answers.
constexpr int WA_INACTIVE = 0;
constexpr int WA_ACTIVE = 1;
constexpr int WA_CLICKACTIVE = 2;
constexpr int MA_ACTIVATE = 1;
constexpr int MA_ACTIVATEANDEAT = 2;
constexpr int MA_NOACTIVATE = 3;
constexpr int MA_NOACTIVATEANDEAT = 4;

// WM_NCHITTEST's answers.
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;

// Mouse messages' key flags (with MK_LBUTTON).
constexpr int MK_SHIFT = 0x0004;
constexpr int MK_CONTROL = 0x0008;

// More keys.
constexpr int VK_SPACE = 0x20;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_F4 = 0x73;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_PACKET = 0xE7;

// Window styles, ShowWindow and GetWindow.
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004u;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000u;
constexpr int SW_SHOWNA = 8;
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
// GetWindowLongPtrA reads a child window's id (the hMenu of CreateWindowExA; SetWindowLongPtrA
// changes it) and the extended style.
constexpr int GWLP_ID = -12;
constexpr int GWL_ID = -12;
constexpr int GWL_EXSTYLE = -20;
constexpr LONG ERROR_CONTROL_ID_NOT_FOUND = 1421;

// The dialog keyboard.
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Buttons (class "BUTTON").
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_RADIOBUTTON = 0x4;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_OWNERDRAW = 0xB;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD BS_NOTIFY = 0x4000;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr LRESULT BST_UNCHECKED = 0x0;
constexpr LRESULT BST_CHECKED = 0x1;
constexpr LRESULT BST_INDETERMINATE = 0x2;
constexpr LRESULT BST_PUSHED = 0x4;
constexpr LRESULT BST_FOCUS = 0x8;
constexpr int BN_CLICKED = 0;
constexpr int BN_DOUBLECLICKED = 5;
constexpr int BN_SETFOCUS = 6;
constexpr int BN_KILLFOCUS = 7;

// Static controls (class "STATIC").
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_NOTIFY = 0x100;
constexpr int STN_CLICKED = 0;

// Edit controls (class "EDIT").
constexpr DWORD ES_LEFT = 0x0;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_READONLY = 0x800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr int EN_CHANGE = 0x0300;
constexpr int EN_UPDATE = 0x0400;

// More of the combo box.
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_DBLCLK = 2;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CBN_EDITUPDATE = 6;
constexpr int CBN_DROPDOWN = 7;
constexpr int CBN_CLOSEUP = 8;
constexpr int CBN_SELENDOK = 9;
constexpr int CBN_SELENDCANCEL = 10;

extern "C" {

// Activation.
HWND WINAPI SetActiveWindow(HWND hWnd);
HWND WINAPI GetActiveWindow();
HWND WINAPI GetForegroundWindow();
BOOL WINAPI SetForegroundWindow(HWND hWnd);

// The mouse capture.
HWND WINAPI SetCapture(HWND hWnd);
BOOL WINAPI ReleaseCapture();
HWND WINAPI GetCapture();

// The window tree.
HWND WINAPI GetWindow(HWND hWnd, UINT uCmd);
BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd);
// Calls lpEnumFunc for each child window and their children, each before its own children,
// in z-order, until it answers FALSE (a list taken first).
BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);

// The dialog keyboard.
BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg);
HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
int WINAPI GetDlgCtrlID(HWND hWnd);

}  // extern "C"

// --- What the forms runtime names: list boxes and trackbars come with their classes ---

constexpr DWORD WS_HSCROLL = 0x00100000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr int COLOR_BTNFACE = 15;

constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr LRESULT LB_ERR = -1;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_FINDSTRING = 0x018F;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;
constexpr int LBN_SELCHANGE = 1;

#define TRACKBAR_CLASSA "msctls_trackbar32"
constexpr DWORD TBS_HORZ = 0x0000;
constexpr DWORD TBS_AUTOTICKS = 0x0001;
constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_SETPOS = WM_USER + 5;
constexpr UINT TBM_SETRANGE = WM_USER + 6;

#define HWND_TOP (reinterpret_cast<HWND>(static_cast<LONG_PTR>(0)))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<LONG_PTR>(1)))
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;

extern "C" {

// Moves, sizes and puts a window at the top or the bottom of its siblings (HWND_TOP,
// HWND_BOTTOM; other places in the order are not kept). No WM_WINDOWPOSCHANGING or
// WM_WINDOWPOSCHANGED is sent.
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags);

// The window rectangle for a client rectangle: the same, as windows here have no frame.
BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);

}  // extern "C"

// --- Painting and drawing: update regions, device contexts that draw, owner-drawn buttons,
// image lists with pictures ---
//
// Each window has an update region; GetUpdateRect answers the rectangle that bounds it.
// InvalidateRect adds to it (clipped to the client area; a window that is not visible, or
// whose parent is not, gets nothing) and, unless the window has WS_CLIPCHILDREN, to the
// visible child windows under the rectangle, which are then erased whatever `bErase` says,
// as Wine does; `bErase` asks for WM_ERASEBKGND at the next BeginPaint. ValidateRect takes a
// rectangle off the window and its children. Showing a window invalidates it and its visible
// children, with erasing, and a top-level window is erased at once (WM_ERASEBKGND before
// ShowWindow returns); hiding a window validates it and its children. A window with an
// update region gets WM_PAINT from GetMessageA and PeekMessageA after the posted messages
// and the input, before the timers, parents before their children, until BeginPaint (or
// ValidateRect) validates it; UpdateWindow sends WM_PAINT at once to the window and then to
// each child that needs it. BeginPaint sends WM_ERASEBKGND when erasing was asked for
// (fErase is TRUE when the answer was 0) and answers the bounding rectangle in rcPaint.
// DefWindowProcA paints with BeginPaint and EndPaint, erases with the class's background
// brush (a COLOR_... + 1 value stands for that system colour's brush) and answers
// WM_CTLCOLOR... with the button face's brush (the window's for edit controls and list
// boxes). A handle that names no window fails with ERROR_INVALID_WINDOW_HANDLE.
//
// Device contexts hold the state Windows gives them (text colour black, background colour
// white, OPAQUE, the stock objects selected; a memory device context a 1 x 1 monochrome
// bitmap) and draw with it. A window's device context (GetDC, BeginPaint) has no pixels:
// what is drawn on it is recorded per window, and backend::WindowDrawing reads it back. A
// memory device context (CreateCompatibleDC) draws into the bitmap selected into it
// (bitmaps of 1, 24 or 32 bits a pixel): FillRect, DrawEdge (not BF_DIAGONAL), the frames of
// DrawFrameControl's push, caption and scroll buttons, BitBlt, SetPixel and ImageList_Draw
// put Wine's pixels there; DrawFocusRect inverts every other pixel of the outline, as Wine;
// the glyphs of a text (and of caption and scroll buttons) are marks of the text colour, a
// box inside each character's cell, on the text's background when OPAQUE (a mnemonic's
// underline is not drawn). Every font measures kTextCharWidth x kTextLineHeight pixels a
// character (below), Wine's default GUI font's average width and height, so that wrapping,
// centring and ellipses are the same on every run. DrawTextA knows DT_CENTER, DT_RIGHT,
// DT_VCENTER and DT_BOTTOM (one line), DT_SINGLELINE, DT_WORDBREAK (a word wider than the
// rectangle overflows it), DT_END_ELLIPSIS and DT_WORD_ELLIPSIS, DT_NOPREFIX, DT_EXPANDTABS,
// DT_NOCLIP and DT_CALCRECT; it answers the height of the text, from the rectangle's top.
//
// Owner-drawn buttons (BS_OWNERDRAW) send WM_DRAWITEM to their parent, as Wine's do: the
// whole button (ODA_DRAWENTIRE) on WM_PAINT, WM_PRINTCLIENT (on the device context given),
// WM_ENABLE and WM_SETTEXT, the pushed state (ODA_SELECT) on every BM_SETSTATE, the focus
// (ODA_FOCUS) on WM_SETFOCUS and WM_KILLFOCUS (which also invalidates the button);
// WM_CTLCOLORBTN goes to the parent first. They answer WM_GETDLGCODE with DLGC_BUTTON only,
// so the dialog keyboard never makes them the default button. The standard controls keep
// the font WM_SETFONT gives them (and redraw when its lParam asks) and answer it to
// WM_GETFONT.

using COLORREF = DWORD;
using HGDIOBJ = void*;
struct HFONT__;
using HFONT = HFONT__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HPEN__;
using HPEN = HPEN__*;

#define RGB(r, g, b)                                                                              \
  (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<DWORD>(static_cast<BYTE>(g)) << 8) | \
                         (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>(c))
#define GetGValue(c) (static_cast<BYTE>(static_cast<WORD>(c) >> 8))
#define GetBValue(c) (static_cast<BYTE>((c) >> 16))
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

// The Linux back end's text metric: every character of every font.
constexpr int kTextCharWidth = 6;
constexpr int kTextLineHeight = 13;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

// Messages.
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_PRINTCLIENT = 0x0318;
constexpr LPARAM PRF_CLIENT = 0x4;

// System colours.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawEdge.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = 0x0003;
constexpr UINT BDR_INNER = 0x000C;
constexpr UINT BDR_RAISED = 0x0005;
constexpr UINT BDR_SUNKEN = 0x000A;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr UINT BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_DIAGONAL = 0x0010;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;

// DrawFrameControl.
constexpr UINT DFC_CAPTION = 1;
constexpr UINT DFC_MENU = 2;
constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;
constexpr UINT DFCS_CAPTIONCLOSE = 0x0000;
constexpr UINT DFCS_CAPTIONMIN = 0x0001;
constexpr UINT DFCS_CAPTIONMAX = 0x0002;
constexpr UINT DFCS_CAPTIONRESTORE = 0x0003;
constexpr UINT DFCS_CAPTIONHELP = 0x0004;
constexpr UINT DFCS_SCROLLUP = 0x0000;
constexpr UINT DFCS_SCROLLDOWN = 0x0001;
constexpr UINT DFCS_SCROLLLEFT = 0x0002;
constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr UINT DFCS_SCROLLSIZEGRIP = 0x0008;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_TRANSPARENT = 0x0800;
constexpr UINT DFCS_HOT = 0x1000;
constexpr UINT DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_FLAT = 0x4000;
constexpr UINT DFCS_MONO = 0x8000;

// DrawTextA.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;

// BitBlt's raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Bitmaps.
constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr int BITSPIXEL = 12;

// Owner drawing.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_STATIC = 5;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_DEFAULT = 0x0020;
constexpr UINT ODS_NOACCEL = 0x0100;
constexpr UINT ODS_NOFOCUSRECT = 0x0200;

// Image lists and images.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_MASK = 0x0010;
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
constexpr LONG ERROR_INVALID_BITMAP = 1417;

extern "C" {

// Painting.
HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL WINAPI UpdateWindow(HWND hWnd);
BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);

// System colours; their brushes are stock objects (DeleteObject leaves them).
DWORD WINAPI GetSysColor(int nIndex);
HBRUSH WINAPI GetSysColorBrush(int nIndex);

// GDI objects and device contexts.
HGDIOBJ WINAPI GetStockObject(int i);
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
BOOL WINAPI DeleteObject(HGDIOBJ ho);
int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HDC WINAPI CreateCompatibleDC(HDC hdc);
BOOL WINAPI DeleteDC(HDC hdc);
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const void* lpBits);
HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset);
int WINAPI SetBkMode(HDC hdc, int mode);
int WINAPI GetBkMode(HDC hdc);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
COLORREF WINAPI GetTextColor(HDC hdc);
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
COLORREF WINAPI GetBkColor(HDC hdc);
COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);

// Drawing.
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
// Rectangle arithmetic: grown by dx, dy on every side (shrunk when negative), or moved.
BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);
BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState);
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);
BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc);
BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);

// Bitmap resources of the process's module (backend::SetModuleBitmaps).
HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);

// Image lists of pictures.
int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                             COLORREF rgbBk, COLORREF rgbFg, UINT fStyle);
BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);

}  // extern "C"

// --- List boxes, trackbars and ShellExecuteA ---
//
// The list box (class "ListBox") keeps a single selection among entries of ANSI bytes with
// item data, as Wine's user32 list box does. Entries are 16 pixels high and laid out from the
// top index down; the page is the number of whole entries the client area shows (a border
// takes a pixel on each side). Without LBS_NOINTEGRALHEIGHT the list shortens itself to whole
// entries. LBS_SORT places entries as CompareStringA sorts them (NORM_IGNORECASE, the default
// locale). LB_FINDSTRING and LB_SELECTSTRING match the start of an entry with ASCII letters
// compared without regard to case ("[" and "[-" before an entry are skipped, as for folder and
// drive names); LB_FINDSTRINGEXACT compares as the sort does. Both search from the entry after
// wParam to the end and go round; -1 (or an index past the end) searches from the top. A left
// button press on an entry takes the focus, selects it and holds the mouse capture (LBS_NOTIFY:
// WM_LBTRACKPOINT to the parent first); the release tells LBN_SELCHANGE (LBS_NOTIFY) whether or
// not the selection changed. Up, Down, Left, Right, Page Up, Page Down, Home and End move the
// selection from the caret (the entry last selected or moved to; a key with no entry selected
// selects the caret's), a character selects the next entry it begins with; each tells
// LBN_SELCHANGE (LBS_NOTIFY). LBN_SETFOCUS and LBN_KILLFOCUS go to the parent always. A
// selection made by a message tells nobody. LB_INITSTORAGE answers the room reserved, in
// steps of 16 entries; more than 0x10000000 entries is LB_ERRSPACE (and LBN_ERRSPACE).
// Several selections (LBS_MULTIPLESEL, LBS_EXTENDEDSEL) and owner-drawn entries are not
// modelled. Nothing is drawn.
//
// The trackbar (class TRACKBAR_CLASSA, always registered, as comctl32's) lies horizontally:
// its channel and thumb are placed as comctl32 places them (a thumb 21 pixels long, 11 wide;
// shorter in a trackbar lower than 21 pixels), and keys, clicks and drags move the position as
// comctl32's do, telling the parent through WM_HSCROLL (the code in the low word, the position
// in the high word of TB_THUMBTRACK and TB_THUMBPOSITION) and NM_RELEASEDCAPTURE when it lets
// go of the mouse. A press on the channel beside the thumb pages towards the press, again every
// 500 ms while the button is held. TBS_VERT and a tooltip window (TBS_TOOLTIPS) are not
// modelled. Nothing is drawn.
//
// ShellExecuteA runs nothing on the Linux back end: it records the call (backend.h) and
// answers 42, success, for a web address or any other name with a scheme ("mailto:...") and
// for a file that exists; a file that does not exist answers SE_ERR_FNF (2), with the last
// error ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when its folder is missing too.

constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;

// ShowWindow and ShellExecuteA.
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// ShellExecuteA's answers at or below 32: errors.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_NOASSOC = 31;

// List boxes (class "LISTBOX").
constexpr DWORD LBS_STANDARD = 0x00A00003u;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_WANTKEYBOARDINPUT = 0x0400;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr DWORD LBS_NOSEL = 0x4000;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200u;
constexpr LRESULT LB_OKAY = 0;
constexpr LRESULT LB_ERRSPACE = -2;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_SELECTSTRING = 0x018C;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr UINT LB_INITSTORAGE = 0x01A8;
constexpr int LBN_ERRSPACE = -2;
constexpr int LBN_DBLCLK = 2;
constexpr int LBN_SELCANCEL = 3;
constexpr int LBN_SETFOCUS = 4;
constexpr int LBN_KILLFOCUS = 5;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;

// Trackbars (class TRACKBAR_CLASSA).
constexpr DWORD TBS_VERT = 0x0002;
constexpr DWORD TBS_TOP = 0x0004;
constexpr DWORD TBS_BOTTOM = 0x0000;
constexpr DWORD TBS_BOTH = 0x0008;
constexpr DWORD TBS_NOTICKS = 0x0010;
constexpr DWORD TBS_ENABLESELRANGE = 0x0020;
constexpr DWORD TBS_FIXEDLENGTH = 0x0040;
constexpr DWORD TBS_NOTHUMB = 0x0080;
constexpr DWORD TBS_TOOLTIPS = 0x0100;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
constexpr UINT TBM_SETPAGESIZE = WM_USER + 21;
constexpr UINT TBM_GETPAGESIZE = WM_USER + 22;
constexpr UINT TBM_SETLINESIZE = WM_USER + 23;
constexpr UINT TBM_GETLINESIZE = WM_USER + 24;
constexpr UINT TBM_GETTHUMBRECT = WM_USER + 25;
constexpr UINT TBM_GETCHANNELRECT = WM_USER + 26;
constexpr UINT TBM_GETTHUMBLENGTH = WM_USER + 28;
constexpr UINT TBM_SETTOOLTIPS = WM_USER + 29;
constexpr UINT TBM_GETTOOLTIPS = WM_USER + 30;
// WM_HSCROLL's codes from a trackbar.
constexpr int TB_LINEUP = 0;
constexpr int TB_LINEDOWN = 1;
constexpr int TB_PAGEUP = 2;
constexpr int TB_PAGEDOWN = 3;
constexpr int TB_THUMBPOSITION = 4;
constexpr int TB_THUMBTRACK = 5;
constexpr int TB_TOP = 6;
constexpr int TB_BOTTOM = 7;
constexpr int TB_ENDTRACK = 8;
// Common notifications (WM_NOTIFY).
constexpr UINT NM_FIRST = 0U;
constexpr UINT NM_CUSTOMDRAW = NM_FIRST - 12;
constexpr UINT NM_RELEASEDCAPTURE = NM_FIRST - 16;

extern "C" {

// The shell: opens a file or a web address with its program (see above).
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);

}  // extern "C"
