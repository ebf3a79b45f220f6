// The browser's host and the user at the band's toolbar, on the real DLL: showing and hiding
// the band (ShowDW), asking its size (GetBandInfo), pressing its buttons and their arrows on
// the real toolbar control, the keys the browser forwards (TranslateAcceleratorIO), and the
// expectations on what the band showed (menus, message boxes, beeps, redraws, images, the
// stored count, the captions of the toolbar form's menus).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <optional>
#include <string>

#include "band_checks.h"
#include "commands.h"
#include "intercept.h"
#include "lexer.h"

namespace host {
namespace {

using scenario::Args;
using scenario::Quote;
using scenario::Status;

// The band info the host last asked for. Each scenario file runs in a process of its own.
std::optional<scenario::BandInfo> g_last_band_info;

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

// The toolbar of the current band, for a command a user acts out on it: it must exist and
// be shown.
Status NeedShownToolbar(Session& session, const Args& args, HWND* toolbar) {
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  *toolbar = ToolbarOf(*window);
  if (*toolbar == nullptr) return Status::Failure(args.What() + ": the band has no toolbar");
  if (!Shown(*toolbar))
    return Status::Failure(args.What() + ": the toolbar is hidden (show yes first)");
  return Status::Ok();
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
void Click(HWND toolbar, POINT point) {
  POINT screen = point;
  ClientToScreen(toolbar, &screen);
  SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(point.x, point.y);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

// --- commands ---

Status Show(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  bool show = false;
  if (Status choice = Choice(args, 0, "yes", "no", &show); !choice.ok()) return choice;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  const auto docking = Query<IDockingWindow>(window->band, IID_IDockingWindow);
  if (!docking) return Status::Failure(args.What() + ": the band does not answer IDockingWindow");
  {
    intercept::HostCall host_call;
    docking->ShowDW(show ? TRUE : FALSE);
  }
  Session::Pump();
  const HWND toolbar = ToolbarOf(*window);
  if (toolbar == nullptr)
    session.Say(std::string("ShowDW(") + (show ? "TRUE" : "FALSE") + "): the band has no toolbar");
  else
    session.Say(Shown(toolbar) ? "toolbar shown" : "toolbar hidden");
  return Status::Ok();
}

Status BandInfo(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::uint32_t mask = 0;
  if (Status read = scenario::ReadBandMask(args, &mask); !read.ok()) return read;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  const auto desk_band = Query<IDeskBand>(window->band, IID_IDeskBand);
  if (!desk_band) return Status::Failure(args.What() + ": the band does not answer IDeskBand");
  // The host hands over a zeroed DESKBANDINFO: what the band does not fill stays 0.
  DESKBANDINFO answer{};
  answer.dwMask = mask;
  const HRESULT hr = desk_band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &answer);
  Session::Pump();
  if (FAILED(hr))
    return Status::Failure(args.What() + ": GetBandInfo failed (hr " + std::to_string(hr) + ")");
  scenario::BandInfo info;
  info.minWidth = answer.ptMinSize.x;
  info.minHeight = answer.ptMinSize.y;
  info.maxWidth = answer.ptMaxSize.x;
  info.maxHeight = answer.ptMaxSize.y;
  info.integralWidth = answer.ptIntegral.x;
  info.integralHeight = answer.ptIntegral.y;
  info.actualWidth = answer.ptActual.x;
  info.actualHeight = answer.ptActual.y;
  info.modeFlags = answer.dwModeFlags;
  g_last_band_info = info;
  session.Say("band info " + scenario::DescribeBandInfo(info));
  return Status::Ok();
}

Status Button(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::int32_t id = 0;
  if (Status read = scenario::ReadCommandId(args, &id); !read.ok()) return read;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(session, args, &toolbar); !need.ok()) return need;
  POINT point{};
  if (!ClickPoint(toolbar, id, false, &point))
    return Status::Failure(args.What() + ": the toolbar has no button " + args.Text(0));
  Click(toolbar, point);
  // What the press posted reaches its window.
  Session::Pump();
  return Status::Ok();
}

Status DropDown(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1, {"choose"}); !check.ok()) return check;
  std::int32_t id = 0;
  if (Status read = scenario::ReadCommandId(args, &id); !read.ok()) return read;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(session, args, &toolbar); !need.ok()) return need;
  if (ButtonIndex(toolbar, id) < 0)
    return Status::Failure(args.What() + ": the toolbar has no button " + args.Text(0));
  POINT point{};
  if (!ClickPoint(toolbar, id, true, &point))
    return Status::Failure(args.What() + ": toolbar button " + args.Text(0) +
                           " has no drop-down arrow");

  const scenario::Word* choose = args.Option("choose");
  const int menus_before = intercept::MenusShown();
  bool chosen = false;
  {
    intercept::MenuChoice choice(choose ? std::optional<std::string>(choose->text) : std::nullopt);
    Click(toolbar, point);
    chosen = choice.Chosen();
  }
  // The command chosen reaches the toolbar form as a posted WM_COMMAND.
  Session::Pump();
  if (choose == nullptr || chosen) return Status::Ok();
  return scenario::ChoiceMissed(args, choose->text, intercept::MenusShown() != menus_before,
                                intercept::LastMenu());
}

Status BandKey(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  scenario::KeyMessage key;
  if (Status read = scenario::ReadBandKey(args, &key); !read.ok()) return read;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  const auto input = Query<IInputObject>(window->band, IID_IInputObject);
  if (!input) return Status::Failure(args.What() + ": the band does not answer IInputObject");
  MSG msg{};
  msg.hwnd = ToolbarOf(*window);
  msg.message = key.message;
  msg.wParam = key.wParam;
  msg.lParam = key.lParam;
  msg.time = GetTickCount();
  GetCursorPos(&msg.pt);
  {
    // The format gives no way to choose from a menu a key opens: it is dismissed.
    intercept::MenuChoice none(std::nullopt);
    input->TranslateAcceleratorIO(&msg);
  }
  Session::Pump();
  return Status::Ok();
}

// --- expectations ---

Status ExpectBandInfo(Session&, const Args& args) {
  return scenario::ExpectBandInfo(args, g_last_band_info);
}

Status ExpectImages(Session& session, const Args& args) {
  std::vector<int> want;
  if (Status read = scenario::ReadImages(args, &want); !read.ok()) return read;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  std::optional<std::vector<int>> got;
  if (const HWND toolbar = ToolbarOf(*window)) {
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    got = intercept::ImageListIcons(list);
    if (!got)
      return Status::Failure(args.What() + ": the toolbar shows an image list the DLL did not " +
                             "build through the calls the host watches");
  }
  return scenario::CompareImages(want, got);
}

Status ExpectMenu(Session&, const Args& args) {
  return scenario::ExpectMenu(args, intercept::MenusShown(), intercept::LastMenu());
}

Status ExpectMsgBox(Session&, const Args& args) {
  return scenario::ExpectMsgBox(args, intercept::MessageBoxes(), intercept::LastMessageBox());
}

Status ExpectMsgBoxes(Session&, const Args& args) {
  return scenario::ExpectNumber(args, "msgboxes", intercept::MessageBoxes());
}

Status ExpectBeeps(Session&, const Args& args) {
  return scenario::ExpectNumber(args, "beeps", intercept::Beeps());
}

Status ExpectRedraws(Session& session, const Args& args) {
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  const HWND toolbar = ToolbarOf(*window);
  return scenario::ExpectNumber(args, "redraws",
                                toolbar != nullptr ? intercept::Redraws(toolbar) : 0);
}

Status ExpectCount(Session&, const Args& args) { return scenario::ExpectCount(args); }

// --- the toolbar form's menus ---

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

// `expect timer NAME on|off`: the form's watch timers are its timer controls Timer1 to
// Timer3, child windows found by their names; each runs its own window timer, seen as the
// DLL sets and kills it. The settings poll is not part of this DLL yet.
Status ExpectTimer(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const std::string& name = args.Text(0);
  const bool known = name == "Timer1" || name == "Timer2" || name == "Timer3";
  if (!known && name == "SettingsPoll") return NotYet("expect timer SettingsPoll");
  if (!known)
    return args.Error("unknown timer " + Quote(name) + " (Timer1, Timer2, Timer3 or SettingsPoll)");
  bool on = false;
  if (Status choice = Choice(args, 1, "on", "off", &on); !choice.ok()) return choice;
  // The window class of the form's timer controls, and the id of the timer each sets on
  // its own window.
  static const char kTimerClass[] = "TarnivoTimer";
  constexpr UINT_PTR kTimerId = 1;
  // A form that is not loaded runs no timer.
  const HWND form = Form();
  const HWND control =
      form != nullptr ? FindWindowExA(form, nullptr, kTimerClass, name.c_str()) : nullptr;
  const bool running = control != nullptr && intercept::TimerRunning(control, kTimerId);
  if (running == on) return Status::Ok();
  return Status::Expected("timer " + name + " " + args.Text(1),
                          std::string(running ? "on" : "off") +
                              (form == nullptr ? " (the toolbar form is not loaded)" : ""));
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

Status ExpectCaption(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const HWND form = Form();
  if (form == nullptr) return args.Error("the toolbar form is not loaded (start first)");
  const std::string& name = args.Text(0);
  const FormEntry* entry = nullptr;
  for (const FormEntry& known : kFormEntries)
    if (name == known.name) entry = &known;
  if (entry == nullptr)
    return args.Error("no menu entry or control named " + Quote(name) + " on the toolbar form");
  const std::string expected = "caption " + name + " " + Quote(args.Text(1));
  HMENU menu = GetMenu(form);
  if (menu != nullptr && entry->menu >= 0) menu = GetSubMenu(menu, entry->menu);
  const std::vector<tarnivo::MenuEntry> entries =
      menu != nullptr ? tarnivo::ReadMenu(menu) : std::vector<tarnivo::MenuEntry>();
  const auto position = static_cast<std::size_t>(entry->position);
  if (position >= entries.size())
    return Status::Expected(expected, "no such entry on the toolbar form's menus");
  const std::string got = entries[position].separator ? "-" : entries[position].caption;
  if (got == args.Text(1)) return Status::Ok();
  return Status::Expected(expected, Quote(got));
}

}  // namespace

void AddBandCommands(CommandTable& table) {
  table.commands["show"] = Show;
  table.commands["bandinfo"] = BandInfo;
  table.commands["button"] = Button;
  table.commands["dropdown"] = DropDown;
  table.commands["bandkey"] = BandKey;
  table.expectations["bandinfo"] = ExpectBandInfo;
  table.expectations["images"] = ExpectImages;
  table.expectations["menu"] = ExpectMenu;
  table.expectations["msgbox"] = ExpectMsgBox;
  table.expectations["msgboxes"] = ExpectMsgBoxes;
  table.expectations["beeps"] = ExpectBeeps;
  table.expectations["redraws"] = ExpectRedraws;
  table.expectations["count"] = ExpectCount;
  table.expectations["caption"] = ExpectCaption;
  table.expectations["timer"] = ExpectTimer;
}

}  // namespace host
