#include "intercept.h"

#include <commctrl.h>

#include <cstdint>
#include <map>
#include <utility>

#include "virtual_clock.h"

namespace host::intercept {
namespace {

using tarnivo::MessageBoxSeen;

struct Toolbar {
  bool hidden = false;  // the band hid it and has not shown it again yet
  int redraws = 0;
};

struct State {
  std::function<void(const std::string&)> observer;
  int beeps = 0;
  int boxes = 0;
  MessageBoxSeen last_box;
  int shells = 0;
  tarnivo::ShellSeen last_shell;
  int menus = 0;
  std::vector<std::string> last_menu;
  // The entry the next menu chooses, while a MenuChoice lives.
  std::optional<scenario::MenuChoice> choice;
  bool chosen = false;
  int host_calls = 0;
  std::map<HWND, Toolbar> toolbars;
  std::map<HICON, int> icons;
  std::map<HIMAGELIST, std::vector<int>> lists;
  // The runner's input wait, and whether it runs now.
  std::function<bool()> input_wait;
  bool waiting = false;
};

State& Seen() {
  // Never destroyed: the DLL's own objects may still call through the patched imports
  // (an image list destroyed at the module's detach) after the program's statics are gone.
  static State* const state = new State;
  return *state;
}

void Report(const std::string& line) {
  // A copy: the observer may set another while it runs.
  const std::function<void(const std::string&)> observer = Seen().observer;
  if (observer) observer(line);
}

// The system's own functions, as the import table named them before it was patched.
std::uintptr_t g_show_window = 0;
std::uintptr_t g_send_message = 0;
std::uintptr_t g_load_icon = 0;
std::uintptr_t g_create_toolbar = 0;
std::uintptr_t g_image_list_create = 0;
std::uintptr_t g_image_list_replace_icon = 0;
std::uintptr_t g_image_list_destroy = 0;

template <typename Function>
Function Original(std::uintptr_t address) {
  return reinterpret_cast<Function>(address);
}

// --- beeps and message boxes ---

BOOL WINAPI OnMessageBeep(UINT) {
  ++Seen().beeps;
  Report("beep");
  return TRUE;
}

int WINAPI OnMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (owner != nullptr && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  MessageBoxSeen box;
  box.text = text != nullptr ? text : "";
  box.caption = caption != nullptr ? caption : "Error";
  box.type = type;
  box.answer = tarnivo::MessageBoxAnswer(type);
  if (box.answer == 0) {
    SetLastError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  ++Seen().boxes;
  Seen().last_box = box;
  Report(tarnivo::MessageBoxLine(box));
  return box.answer;
}

// --- the shell: recorded, nothing started ---

HINSTANCE WINAPI OnShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT show) {
  tarnivo::ShellSeen call;
  call.verb = verb != nullptr ? verb : "";
  call.file = file != nullptr ? file : "";
  call.parameters = parameters != nullptr ? parameters : "";
  call.directory = directory != nullptr ? directory : "";
  call.show = show;
  ++Seen().shells;
  Seen().last_shell = call;
  Report(tarnivo::ShellLine(call));
  // Above 32: what the shell answers when it has started something.
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// --- pop-up menus ---

BOOL ShowMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  return tarnivo::TrackUnseenMenu(
      menu, flags, x, y, owner,
      [](HMENU shown, const std::vector<std::string>& captions) -> UINT {
        State& seen = Seen();
        seen.last_menu = captions;
        ++seen.menus;
        if (!seen.choice || seen.chosen) return 0;
        const std::optional<UINT> id = scenario::ChooseMenuEntry(shown, *seen.choice);
        if (!id) return 0;
        seen.chosen = true;
        return *id;
      },
      Report);
}

BOOL WINAPI OnTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return ShowMenu(menu, flags, x, y, owner);
}

BOOL WINAPI OnTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
  return ShowMenu(menu, flags, x, y, owner);
}

// --- the toolbars: redraws and images ---

std::optional<std::vector<int>> IconsOf(HIMAGELIST list) {
  if (list == nullptr) return std::vector<int>();
  const auto found = Seen().lists.find(list);
  if (found == Seen().lists.end()) return std::nullopt;
  return found->second;
}

HWND WINAPI OnCreateToolbarEx(HWND parent, DWORD style, UINT id, int bitmaps, HINSTANCE instance,
                              UINT_PTR bitmap_id, LPCTBBUTTON buttons, int button_count,
                              int button_width, int button_height, int bitmap_width,
                              int bitmap_height, UINT button_size) {
  using Function = HWND(WINAPI*)(HWND, DWORD, UINT, int, HINSTANCE, UINT_PTR, LPCTBBUTTON, int, int,
                                 int, int, int, UINT);
  const HWND toolbar = Original<Function>(g_create_toolbar)(
      parent, style, id, bitmaps, instance, bitmap_id, buttons, button_count, button_width,
      button_height, bitmap_width, bitmap_height, button_size);
  if (toolbar != nullptr) Seen().toolbars[toolbar] = Toolbar();
  return toolbar;
}

BOOL WINAPI OnShowWindow(HWND window, int command) {
  using Function = BOOL(WINAPI*)(HWND, int);
  const BOOL result = Original<Function>(g_show_window)(window, command);
  State& seen = Seen();
  const auto found = seen.toolbars.find(window);
  if (found == seen.toolbars.end() || seen.host_calls > 0) return result;
  Toolbar& toolbar = found->second;
  if (command == SW_HIDE) {
    toolbar.hidden = true;
  } else if (toolbar.hidden) {
    toolbar.hidden = false;
    ++toolbar.redraws;
    Report("toolbar redrawn");
  }
  return result;
}

LRESULT WINAPI OnSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  using Function = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  const LRESULT result = Original<Function>(g_send_message)(window, message, wParam, lParam);
  if (message == TB_SETIMAGELIST && Seen().toolbars.count(window) != 0)
    Report("toolbar images: " +
           scenario::DescribeIcons(IconsOf(reinterpret_cast<HIMAGELIST>(lParam))));
  return result;
}

HICON WINAPI OnLoadIconA(HINSTANCE instance, LPCSTR name) {
  using Function = HICON(WINAPI*)(HINSTANCE, LPCSTR);
  const HICON icon = Original<Function>(g_load_icon)(instance, name);
  if (icon != nullptr && IS_INTRESOURCE(name))
    Seen().icons[icon] = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  return icon;
}

HIMAGELIST WINAPI OnImageListCreate(int width, int height, UINT flags, int initial, int grow) {
  using Function = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
  const HIMAGELIST list =
      Original<Function>(g_image_list_create)(width, height, flags, initial, grow);
  if (list != nullptr) Seen().lists[list].clear();
  return list;
}

int WINAPI OnImageListReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  using Function = int(WINAPI*)(HIMAGELIST, int, HICON);
  const int at = Original<Function>(g_image_list_replace_icon)(list, index, icon);
  State& seen = Seen();
  const auto images = seen.lists.find(list);
  if (at < 0 || images == seen.lists.end()) return at;
  const auto known = seen.icons.find(icon);
  const int id = known != seen.icons.end() ? known->second : 0;
  std::vector<int>& ids = images->second;
  const auto position = static_cast<std::size_t>(at);
  if (position >= ids.size()) ids.resize(position + 1, 0);
  ids[position] = id;
  return at;
}

BOOL WINAPI OnImageListDestroy(HIMAGELIST list) {
  using Function = BOOL(WINAPI*)(HIMAGELIST);
  Seen().lists.erase(list);
  return Original<Function>(g_image_list_destroy)(list);
}

// --- the DLL's own message loops ---

// The DLL's loop asks for its next message. What waits is taken first; with nothing
// waiting, the runner plays the user's next action (once at a time), and only when it has
// nothing more to play does the call wait for the system.
BOOL WINAPI OnGetMessageA(LPMSG message, HWND window, UINT low, UINT high) {
  State& seen = Seen();
  for (;;) {
    if (PeekMessageA(message, window, low, high, PM_REMOVE))
      return message->message == WM_QUIT ? 0 : 1;
    if (!seen.input_wait || seen.waiting) break;
    const std::function<bool()> wait = seen.input_wait;
    seen.waiting = true;
    const bool more = wait();
    seen.waiting = false;
    if (!more) break;
  }
  return GetMessageA(message, window, low, high);
}

// --- the import table ---

template <typename Function>
std::uintptr_t Address(Function function) {
  return reinterpret_cast<std::uintptr_t>(function);
}

struct Hook {
  const char* dll;
  const char* name;
  std::uintptr_t replacement;
  std::uintptr_t* original;  // null: the system's function is never called
};

const Hook* FindHook(const char* dll, const char* name) {
  static const Hook kHooks[] = {
      {"user32.dll", "MessageBeep", Address(OnMessageBeep), nullptr},
      {"user32.dll", "MessageBoxA", Address(OnMessageBoxA), nullptr},
      {"user32.dll", "TrackPopupMenu", Address(OnTrackPopupMenu), nullptr},
      {"user32.dll", "TrackPopupMenuEx", Address(OnTrackPopupMenuEx), nullptr},
      {"user32.dll", "GetMessageA", Address(OnGetMessageA), nullptr},
      {"shell32.dll", "ShellExecuteA", Address(OnShellExecuteA), nullptr},
      {"user32.dll", "ShowWindow", Address(OnShowWindow), &g_show_window},
      {"user32.dll", "SendMessageA", Address(OnSendMessageA), &g_send_message},
      {"user32.dll", "LoadIconA", Address(OnLoadIconA), &g_load_icon},
      {"comctl32.dll", "CreateToolbarEx", Address(OnCreateToolbarEx), &g_create_toolbar},
      {"comctl32.dll", "ImageList_Create", Address(OnImageListCreate), &g_image_list_create},
      {"comctl32.dll", "ImageList_ReplaceIcon", Address(OnImageListReplaceIcon),
       &g_image_list_replace_icon},
      {"comctl32.dll", "ImageList_Destroy", Address(OnImageListDestroy), &g_image_list_destroy},
      // Time: the host's virtual clock answers; the system's clock is never read.
      {"user32.dll", "SetTimer", Address(clock::SetTimer), nullptr},
      {"user32.dll", "KillTimer", Address(clock::KillTimer), nullptr},
      {"kernel32.dll", "GetTickCount", Address(clock::GetTickCount), nullptr},
      {"kernel32.dll", "GetTickCount64", Address(clock::GetTickCount64), nullptr},
      {"kernel32.dll", "GetLocalTime", Address(clock::GetLocalTime), nullptr},
      {"kernel32.dll", "GetSystemTime", Address(clock::GetSystemTime), nullptr},
      {"kernel32.dll", "GetSystemTimeAsFileTime", Address(clock::GetSystemTimeAsFileTime), nullptr},
      {"kernel32.dll", "GetSystemTimePreciseAsFileTime", Address(clock::GetSystemTimeAsFileTime),
       nullptr},
  };
  for (const Hook& hook : kHooks)
    if (lstrcmpiA(hook.dll, dll) == 0 && lstrcmpA(hook.name, name) == 0) return &hook;
  return nullptr;
}

bool Patch(IMAGE_THUNK_DATA* slot, const Hook& hook, std::string* error) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
    *error = std::string("cannot write the import of ") + hook.name + " (error " +
             std::to_string(GetLastError()) + ")";
    return false;
  }
  if (hook.original != nullptr) *hook.original = static_cast<std::uintptr_t>(slot->u1.Function);
  slot->u1.Function = hook.replacement;
  VirtualProtect(slot, sizeof *slot, old, &old);
  FlushInstructionCache(GetCurrentProcess(), slot, sizeof *slot);
  return true;
}

}  // namespace

bool Install(HMODULE module, std::string* error) {
  auto* const base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
    *error = "the DLL's image has no DOS header";
    return false;
  }
  // IMAGE_NT_HEADERS is PE32+ in a 64-bit build and PE32 in a 32-bit one: the DLL loaded
  // into this process is of the same kind.
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
    *error = "the DLL's image is not a PE image of this runner's kind";
    return false;
  }
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return true;
  for (const auto* descriptor =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    // Without the table of names the bound addresses cannot be told apart.
    if (descriptor->OriginalFirstThunk == 0) continue;
    const char* dll = reinterpret_cast<const char*>(base + descriptor->Name);
    const auto* names =
        reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      const Hook* hook = FindHook(dll, reinterpret_cast<const char*>(by_name->Name));
      if (hook != nullptr && !Patch(slots, *hook, error)) return false;
    }
  }
  return true;
}

void SetObserver(std::function<void(const std::string&)> observer) {
  Seen().observer = std::move(observer);
}

int Beeps() { return Seen().beeps; }
int MessageBoxes() { return Seen().boxes; }
MessageBoxSeen LastMessageBox() { return Seen().last_box; }
int Shells() { return Seen().shells; }
tarnivo::ShellSeen LastShell() { return Seen().last_shell; }
int MenusShown() { return Seen().menus; }
std::vector<std::string> LastMenu() { return Seen().last_menu; }

MenuChoice::MenuChoice(std::optional<scenario::MenuChoice> choice) {
  Seen().choice = std::move(choice);
  Seen().chosen = false;
}

MenuChoice::~MenuChoice() {
  Seen().choice.reset();
  Seen().chosen = false;
}

bool MenuChoice::Chosen() const { return Seen().chosen; }

HostCall::HostCall() { ++Seen().host_calls; }
HostCall::~HostCall() { --Seen().host_calls; }

int Redraws(HWND toolbar) {
  const auto found = Seen().toolbars.find(toolbar);
  return found == Seen().toolbars.end() ? 0 : found->second.redraws;
}

std::optional<std::vector<int>> ImageListIcons(HIMAGELIST list) { return IconsOf(list); }

bool TimerRunning(HWND window, UINT_PTR id) { return clock::TimerRunning(window, id); }

void SetInputWait(std::function<bool()> wait) { Seen().input_wait = std::move(wait); }

bool InInputWait() { return Seen().waiting; }

}  // namespace host::intercept
