// The browser's host and the user at the band's toolbar, on the real DLL: showing and hiding
// the band (ShowDW), asking its size (GetBandInfo), pressing its buttons and their arrows on
// the real toolbar control, the keys the browser forwards (TranslateAcceleratorIO), and what
// the band showed (menus, message boxes, beeps, redraws, images, the captions and timers of
// the toolbar form).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <optional>
#include <string>

#include "band_checks.h"
#include "host_runner.h"
#include "intercept.h"
#include "lexer.h"
#include "virtual_clock.h"

namespace host {
namespace {

using scenario::Quote;

// The band's window, its toolbar, as IOleWindow gives it; null before the band is sited
// and after it is closed.
HWND ToolbarOf(const Window& window) {
  const auto ole_window = Query<IOleWindow>(window.band, IID_IOleWindow);
  if (!ole_window) return nullptr;
  HWND toolbar = nullptr;
  if (FAILED(ole_window->GetWindow(&toolbar))) toolbar = nullptr;
  return toolbar != nullptr && IsWindow(toolbar) ? toolbar : nullptr;
}

// Shown by the host: the toolbar window itself is visible (the form it sits on never is).
bool Shown(HWND toolbar) {
  return (GetWindowLongPtrA(toolbar, GWL_STYLE) & static_cast<LONG_PTR>(WS_VISIBLE)) != 0;
}

// The index of the button with command id `id`, or -1.
int ButtonIndex(HWND toolbar, std::int32_t id) {
  return static_cast<int>(
      SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(static_cast<UINT>(id)), 0));
}

// Where a user clicks button `id`: the middle of its face (left of a drop-down arrow drawn
// apart), or of its drop-down arrow (the whole button when the arrow is not drawn apart).
// False when the toolbar shows no such button, or, for the arrow, the button has none.
bool ClickPoint(HWND toolbar, std::int32_t id, bool arrow, POINT* point) {
  const int index = ButtonIndex(toolbar, id);
  if (index < 0) return false;
  TBBUTTON button{};
  if (!SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&button)))
    return false;
  if ((button.fsStyle & BTNS_SEP) || (button.fsState & TBSTATE_HIDDEN)) return false;
  RECT rect{};
  if (!SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&rect)))
    return false;
  const auto extended = static_cast<DWORD>(SendMessageA(toolbar, TB_GETEXTENDEDSTYLE, 0, 0));
  const bool drops = (button.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) != 0;
  const bool apart = (extended & TBSTYLE_EX_DRAWDDARROWS) != 0 &&
                     (button.fsStyle & BTNS_DROPDOWN) != 0 &&
                     (button.fsStyle & BTNS_WHOLEDROPDOWN) == 0;
  if (arrow && !drops) return false;
  LONG left = rect.left;
  LONG right = rect.right;
  if (apart) {
    // A toolbar that does not tell where the arrow starts (comctl32 before version 6.1, and
    // Wine's) is clicked a few pixels inside the button's right end for the arrow and inside
    // its left end for the face.
    constexpr LONG kEdge = 3;
    RECT arrow_rect{};
    if (SendMessageA(toolbar, TB_GETITEMDROPDOWNRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&arrow_rect))) {
      if (arrow)
        left = arrow_rect.left;
      else
        right = arrow_rect.left;
    } else if (arrow) {
      left = right = rect.right - kEdge;
    } else {
      left = right = rect.left + kEdge;
    }
  }
  *point = POINT{(left + right) / 2, (rect.top + rect.bottom) / 2};
  return true;
}

// The left button goes down and up at `point` of the toolbar, the cursor over it: the
// toolbar control answers as it answers a user (WM_COMMAND or TBN_DROPDOWN to its parent).
void ClickAt(HWND toolbar, POINT point) {
  POINT screen = point;
  ClientToScreen(toolbar, &screen);
  SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(point.x, point.y);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

// --- the toolbar form's menus and timers ---

// The window class of the form's timer controls, and the id of the timer each sets on its own
// window.
const char kTimerClass[] = "TarnivoTimer";
constexpr UINT_PTR kTimerId = 1;

// The form's window class: one hidden window per thread, its menu bar holding the menus.
const char kFormClass[] = "TarnivoToolbarForm";

BOOL CALLBACK FindForm(HWND window, LPARAM found) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, kFormClass) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// This thread's toolbar form, or null when it is not loaded.
HWND Form() {
  HWND form = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindForm, reinterpret_cast<LPARAM>(&form));
  return form;
}

// The entries of the form's menus by name: the menu bar's two drop-downs, then each menu's
// entries top to bottom (positions 2 and 7 of the File menu are unnamed separators).
struct FormEntry {
  const char* name;
  int menu;  // -1: the menu bar; else the position of its drop-down on the bar
  int position;
};
constexpr FormEntry kFormEntries[] = {
    {"mnuFile", -1, 0},   {"mnuSearch", -1, 1}, {"tete", 0, 0},      {"mnuNivel", 0, 1},
    {"mnuLib", 0, 3},     {"mnuSites", 0, 4},   {"mnuAX", 0, 5},     {"mnuAXSite", 0, 6},
    {"mnuLang", 0, 8},    {"mnuSOBRE", 0, 9},   {"mnu_List", 0, 10}, {"mnuPops", 0, 11},
    {"mnuSite(0)", 1, 0}, {"mnuSite(1)", 1, 1},
};

// Runs `press` with the intercepted menus choosing `choice` from the menu that drops.
template <typename Press>
Status WithChoice(const std::optional<scenario::MenuChoice>& choice, scenario::MenuOutcome* outcome,
                  Press press) {
  const int menus_before = intercept::MenusShown();
  {
    intercept::MenuChoice chooser(choice);
    press();
    outcome->chosen = chooser.Chosen();
  }
  // The command chosen reaches the toolbar form as a posted WM_COMMAND.
  Session::Pump();
  outcome->dropped = intercept::MenusShown() != menus_before;
  return Status::Ok();
}

}  // namespace

Status HostRunner::NeedShownToolbar(const std::string& what, HWND* toolbar) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  *toolbar = ToolbarOf(*window);
  if (*toolbar == nullptr) return Status::Failure(what + ": the band has no toolbar");
  if (!Shown(*toolbar)) return Status::Failure(what + ": the toolbar is hidden (show yes first)");
  return Status::Ok();
}

Status HostRunner::Show(const std::string& what, bool show) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  const auto docking = Query<IDockingWindow>(window->band, IID_IDockingWindow);
  if (!docking) return Status::Failure(what + ": the band does not answer IDockingWindow");
  {
    intercept::HostCall host_call;
    docking->ShowDW(show ? TRUE : FALSE);
  }
  Session::Pump();
  const HWND toolbar = ToolbarOf(*window);
  if (toolbar == nullptr)
    session_.Say(std::string("ShowDW(") + (show ? "TRUE" : "FALSE") + "): the band has no toolbar");
  else
    session_.Say(Shown(toolbar) ? "toolbar shown" : "toolbar hidden");
  return Status::Ok();
}

Status HostRunner::AskBandInfo(const std::string& what, std::uint32_t mask,
                               scenario::BandInfo* info) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  const auto desk_band = Query<IDeskBand>(window->band, IID_IDeskBand);
  if (!desk_band) return Status::Failure(what + ": the band does not answer IDeskBand");
  // The host hands over a zeroed DESKBANDINFO: what the band does not fill stays 0.
  DESKBANDINFO answer{};
  answer.dwMask = mask;
  const HRESULT hr = desk_band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &answer);
  Session::Pump();
  if (FAILED(hr))
    return Status::Failure(what + ": GetBandInfo failed (hr " + std::to_string(hr) + ")");
  info->minWidth = answer.ptMinSize.x;
  info->minHeight = answer.ptMinSize.y;
  info->maxWidth = answer.ptMaxSize.x;
  info->maxHeight = answer.ptMaxSize.y;
  info->integralWidth = answer.ptIntegral.x;
  info->integralHeight = answer.ptIntegral.y;
  info->actualWidth = answer.ptActual.x;
  info->actualHeight = answer.ptActual.y;
  info->modeFlags = answer.dwModeFlags;
  return Status::Ok();
}

Status HostRunner::Button(const std::string& what, const scenario::ButtonCommand& button) {
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(what, &toolbar); !need.ok()) return need;
  POINT point{};
  if (!ClickPoint(toolbar, button.id, false, &point))
    return Status::Failure(what + ": the toolbar has no button " + button.written);
  ClickAt(toolbar, point);
  // What the press posted reaches its window.
  Session::Pump();
  return Status::Ok();
}

Status HostRunner::DropDown(const std::string& what, const scenario::DropDownCommand& drop,
                            scenario::MenuOutcome* outcome) {
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(what, &toolbar); !need.ok()) return need;
  if (ButtonIndex(toolbar, drop.id) < 0)
    return Status::Failure(what + ": the toolbar has no button " + drop.written);
  POINT point{};
  if (!ClickPoint(toolbar, drop.id, true, &point))
    return Status::Failure(what + ": toolbar button " + drop.written + " has no drop-down arrow");
  return WithChoice(drop.choice, outcome, [&] { ClickAt(toolbar, point); });
}

Status HostRunner::BandKey(const std::string& what, const scenario::KeyMessage& key,
                           const std::optional<scenario::MenuChoice>& choice,
                           scenario::MenuOutcome* outcome) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  const auto input = Query<IInputObject>(window->band, IID_IInputObject);
  if (!input) return Status::Failure(what + ": the band does not answer IInputObject");
  MSG msg{};
  msg.hwnd = ToolbarOf(*window);
  msg.message = key.message;
  msg.wParam = key.wParam;
  msg.lParam = key.lParam;
  msg.time = clock::GetTickCount();  // the time the DLL sees
  GetCursorPos(&msg.pt);
  return WithChoice(choice, outcome, [&] { input->TranslateAcceleratorIO(&msg); });
}

// --- what the band showed ---

Status HostRunner::Beeps(int* count) {
  *count = intercept::Beeps();
  return Status::Ok();
}

Status HostRunner::MessageBoxes(int* count, tarnivo::MessageBoxSeen* last) {
  *count = intercept::MessageBoxes();
  *last = intercept::LastMessageBox();
  return Status::Ok();
}

Status HostRunner::Shells(int* count, tarnivo::ShellSeen* last) {
  *count = intercept::Shells();
  *last = intercept::LastShell();
  return Status::Ok();
}

Status HostRunner::Menus(int* shown, std::vector<std::string>* last) {
  *shown = intercept::MenusShown();
  *last = intercept::LastMenu();
  return Status::Ok();
}

Status HostRunner::Redraws(const std::string& what, int* count) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  const HWND toolbar = ToolbarOf(*window);
  *count = toolbar != nullptr ? intercept::Redraws(toolbar) : 0;
  return Status::Ok();
}

Status HostRunner::Images(const std::string& what, std::optional<std::vector<int>>* icons) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  icons->reset();
  if (const HWND toolbar = ToolbarOf(*window)) {
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    *icons = intercept::ImageListIcons(list);
    if (!*icons)
      return Status::Failure(what + ": the toolbar shows an image list the DLL did not " +
                             "build through the calls the host watches");
  }
  return Status::Ok();
}

// The form's watch timers are its timer controls Timer1 to Timer3, child windows found by
// their names; each runs its own window timer, seen as the DLL sets and kills it.
static HWND FormTimerControl(HWND form, int timer) {
  if (form == nullptr) return nullptr;
  const std::string name = "Timer" + std::to_string(timer);
  return FindWindowExA(form, nullptr, kTimerClass, name.c_str());
}

Status HostRunner::TimerRunning(const std::string&, int timer, bool* running, std::string* note) {
  // The settings timer is the DLL's one thread timer, held by the host's clock.
  if (timer == scenario::kSettingsPollTimer) {
    *running = clock::ThreadTimerRunning();
    return Status::Ok();
  }
  // A form that is not loaded runs no timer.
  const HWND form = Form();
  const HWND control = FormTimerControl(form, timer);
  *running = control != nullptr && intercept::TimerRunning(control, kTimerId);
  if (form == nullptr) *note = " (the toolbar form is not loaded)";
  return Status::Ok();
}

// A timer control is switched by its enabled state, which the system holds: enabling it makes
// the DLL's own code set its timer, as the form's code does when it switches the timer.
Status HostRunner::SwitchTimer(const std::string& what, int timer, bool on) {
  const HWND form = Form();
  if (form == nullptr)
    return Status::Error(what + ": the toolbar form is not loaded (start first)");
  const HWND control = FormTimerControl(form, timer);
  if (control == nullptr)
    return Status::Failure(what + ": the toolbar form has no timer control Timer" +
                           std::to_string(timer));
  EnableWindow(control, on ? TRUE : FALSE);
  Session::Pump();
  return Status::Ok();
}

Status HostRunner::Caption(const std::string& what, const std::string& name, std::string* text) {
  const HWND form = Form();
  if (form == nullptr)
    return Status::Error(what + ": the toolbar form is not loaded (start first)");
  const FormEntry* entry = nullptr;
  for (const FormEntry& known : kFormEntries)
    if (name == known.name) entry = &known;
  if (entry == nullptr)
    return Status::Error(what + ": no menu entry or control named " + Quote(name) +
                         " on the toolbar form");
  HMENU menu = GetMenu(form);
  if (menu != nullptr && entry->menu >= 0) menu = GetSubMenu(menu, entry->menu);
  const std::vector<tarnivo::MenuEntry> entries =
      menu != nullptr ? tarnivo::ReadMenu(menu) : std::vector<tarnivo::MenuEntry>();
  const auto position = static_cast<std::size_t>(entry->position);
  if (position >= entries.size())
    return Status::Failure(what + ": the toolbar form's menus have no entry " + Quote(name));
  *text = entries[position].separator ? "-" : entries[position].caption;
  return Status::Ok();
}

}  // namespace host
