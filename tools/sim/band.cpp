// The host and the user at the band's toolbar: showing and hiding it, asking its size,
// pressing its buttons and their arrows, and the keys the browser forwards to it.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "lexer.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "server/toolbar.h"

namespace scenario {
namespace {

// Bits of a key message's lParam: repeat count 1, the Alt key held (context code), the key
// down before, the key going up.
constexpr LPARAM kRepeatOnce = 1;
constexpr LPARAM kAltHeld = LPARAM{1} << 29;
constexpr LPARAM kWasDown = LPARAM{1} << 30;
constexpr LPARAM kGoingUp = static_cast<LPARAM>(std::uint32_t{1} << 31);

// Puts the menu chooser back to "no choice" when the command ends, however it ends.
class ChooserScope {
 public:
  explicit ChooserScope(std::function<UINT(HMENU, int, int, UINT)> chooser) {
    backend::SetMenuChooser(std::move(chooser));
  }
  ~ChooserScope() { backend::SetMenuChooser({}); }
  ChooserScope(const ChooserScope&) = delete;
  ChooserScope& operator=(const ChooserScope&) = delete;
};

// The caption and command id of each entry of `menu`, top to bottom; separators and
// entries that open a submenu are left out (none of them can be chosen).
std::vector<std::pair<std::string, UINT>> CommandEntries(HMENU menu) {
  std::vector<std::pair<std::string, UINT>> entries;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    const UINT at = static_cast<UINT>(position);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoA(menu, at, TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) || info.hSubMenu != nullptr) continue;
    const UINT id = info.wID;
    std::string caption;
    if (info.cch > 0) {
      std::vector<char> buffer(info.cch + 1);
      MENUITEMINFOA text{};
      text.cbSize = sizeof text;
      text.fMask = MIIM_STRING;
      text.dwTypeData = buffer.data();
      text.cch = static_cast<UINT>(buffer.size());
      if (GetMenuItemInfoA(menu, at, TRUE, &text)) caption.assign(buffer.data(), text.cch);
    }
    entries.emplace_back(caption, id);
  }
  return entries;
}

std::string CaptionsText(const std::vector<std::string>& captions) {
  std::string text;
  for (const std::string& caption : captions)
    text += (text.empty() ? "" : " ") + (caption == "-" ? caption : Quote(caption));
  return text;
}

// The band and its toolbar window, for a command a user acts out on the toolbar: the
// toolbar must exist and be shown.
Status NeedShownToolbar(Session& session, const Args& args, tarnivo::CToolbar** band,
                        HWND* toolbar) {
  if (Status need = session.NeedBand(args.What(), band); !need.ok()) return need;
  *toolbar = (*band)->ToolbarWindow();
  if (*toolbar == nullptr) return Status::Failure(args.What() + ": the band has no toolbar");
  if (!(*band)->Visible())
    return Status::Failure(args.What() + ": the toolbar is hidden (show yes first)");
  return Status::Ok();
}

Status CommandId(const Args& args, std::int32_t* id) {
  if (!ParseInt32(args.Text(0), id))
    return args.Error("a command id is expected, not " + Quote(args.Text(0)));
  return Status::Ok();
}

// True when the toolbar has a button with this command id.
bool HasButton(HWND toolbar, std::int32_t id) {
  return SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(static_cast<UINT>(id)), 0) >=
         0;
}

// MASK: a decimal number, or hexadecimal after 0x.
bool ParseMask(const std::string& text, std::uint32_t* mask) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 10) return false;
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      std::uint32_t digit = 0;
      if (c >= '0' && c <= '9')
        digit = static_cast<std::uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        digit = static_cast<std::uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        digit = static_cast<std::uint32_t>(c - 'A' + 10);
      else
        return false;
      value = value * 16 + digit;
    }
    *mask = value;
    return true;
  }
  if (!text.empty() && text[0] == '-') return false;
  return ParseDword(text, mask);
}

}  // namespace

std::string DescribeBandInfo(const tarnivo::CToolbar::BandInfo& info) {
  auto pair = [](std::int32_t x, std::int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
  };
  return "min=" + pair(info.minWidth, info.minHeight) +
         " max=" + pair(info.maxWidth, info.maxHeight) +
         " integral=" + pair(info.integralWidth, info.integralHeight) +
         " actual=" + pair(info.actualWidth, info.actualHeight) +
         " modeflags=" + std::to_string(info.modeFlags);
}

Status RunShow(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "yes") && !args.Is(0, "no"))
    return args.Error("expected yes or no, not " + Quote(args.Text(0)));
  const bool show = args.Is(0, "yes");
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  band->ShowDW(show);
  if (band->ToolbarWindow() == nullptr)
    session.Say(std::string("ShowDW(") + (show ? "TRUE" : "FALSE") + "): the band has no toolbar");
  else
    session.Say(band->Visible() ? "toolbar shown" : "toolbar hidden");
  return Status::Ok();
}

Status RunBandInfo(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::uint32_t mask = 0;
  if (!ParseMask(args.Text(0), &mask))
    return args.Error("a mask (a number, or hexadecimal after 0x) is expected, not " +
                      Quote(args.Text(0)));
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  // The host hands over a zeroed DESKBANDINFO: what the band does not fill stays 0.
  tarnivo::CToolbar::BandInfo info;
  band->GetBandInfo(mask, info);
  session.last_band_info = info;
  session.Say("band info " + DescribeBandInfo(info));
  return Status::Ok();
}

Status RunButton(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::int32_t id = 0;
  if (Status parsed = CommandId(args, &id); !parsed.ok()) return parsed;
  tarnivo::CToolbar* band = nullptr;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(session, args, &band, &toolbar); !need.ok()) return need;
  if (!backend::ClickToolbarButton(toolbar, id))
    return Status::Failure(args.What() + ": the toolbar has no button " + args.Text(0));
  // What the press posted reaches its window.
  backend::RunPending();
  return Status::Ok();
}

Status RunDropDown(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1, {"choose"}); !check.ok()) return check;
  std::int32_t id = 0;
  if (Status parsed = CommandId(args, &id); !parsed.ok()) return parsed;
  tarnivo::CToolbar* band = nullptr;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(session, args, &band, &toolbar); !need.ok()) return need;
  if (!HasButton(toolbar, id))
    return Status::Failure(args.What() + ": the toolbar has no button " + args.Text(0));

  const Word* choose = args.Option("choose");
  const int menus_before = backend::MenusShown();
  bool chosen = false;
  std::function<UINT(HMENU, int, int, UINT)> chooser;
  if (choose != nullptr) {
    const std::string wanted = choose->text;
    // The user picks the first entry with exactly this caption in the menu that drops.
    chooser = [wanted, &chosen](HMENU menu, int, int, UINT) -> UINT {
      if (chosen) return 0;
      for (const auto& entry : CommandEntries(menu)) {
        if (entry.first != wanted) continue;
        chosen = true;
        return entry.second;
      }
      return 0;
    };
  }
  {
    ChooserScope scope(std::move(chooser));
    if (!backend::ClickToolbarArrow(toolbar, id))
      return Status::Failure(args.What() + ": toolbar button " + args.Text(0) +
                             " has no drop-down arrow");
  }
  // The command chosen reaches the toolbar form as a posted WM_COMMAND.
  backend::RunPending();
  if (choose == nullptr || chosen) return Status::Ok();
  if (backend::MenusShown() == menus_before)
    return Status::Failure(args.What() + ": no menu dropped, so " + Quote(choose->text) +
                           " could not be chosen");
  return Status::Failure(args.What() + ": the menu that dropped has no entry " +
                         Quote(choose->text) + " (it shows " +
                         CaptionsText(backend::LastMenuShown()) + ")");
}

Status RunBandKey(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  struct KeyMessage {
    const char* word;
    UINT message;
    LPARAM flags;
  };
  static const KeyMessage kMessages[] = {
      {"down", WM_KEYDOWN, kRepeatOnce},
      {"up", WM_KEYUP, kRepeatOnce | kWasDown | kGoingUp},
      {"char", WM_CHAR, kRepeatOnce},
      {"sysdown", WM_SYSKEYDOWN, kRepeatOnce | kAltHeld},
      {"sysup", WM_SYSKEYUP, kRepeatOnce | kAltHeld | kWasDown | kGoingUp},
  };
  const KeyMessage* kind = nullptr;
  for (const KeyMessage& entry : kMessages)
    if (args.Is(0, entry.word)) kind = &entry;
  if (kind == nullptr)
    return args.Error("expected down, up, char, sysdown or sysup, not " + Quote(args.Text(0)));
  int code = 0;
  if (!ParseCount(args.Text(1), &code) || code > 0xFFFF)
    return args.Error("a key code (0 to 65535) is expected, not " + Quote(args.Text(1)));
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;

  MSG msg{};
  msg.hwnd = band->ToolbarWindow();
  msg.message = kind->message;
  msg.wParam = static_cast<WPARAM>(code);
  msg.lParam = kind->flags;
  msg.time = GetTickCount();
  GetCursorPos(&msg.pt);
  {
    // The format gives no way to choose from a menu a key opens: it is dismissed.
    ChooserScope scope({});
    band->TranslateAcceleratorIO(msg);
  }
  backend::RunPending();
  return Status::Ok();
}

}  // namespace scenario
