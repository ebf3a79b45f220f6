// The host and the user at the band's toolbar: showing and hiding it, asking its size,
// pressing its buttons and their arrows, and the keys the browser forwards to it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "band_checks.h"
#include "commands.h"
#include "lexer.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "server/toolbar.h"

namespace scenario {
namespace {

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

// True when the toolbar has a button with this command id.
bool HasButton(HWND toolbar, std::int32_t id) {
  return SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(static_cast<UINT>(id)), 0) >=
         0;
}

}  // namespace

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
  if (Status read = ReadBandMask(args, &mask); !read.ok()) return read;
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  // The host hands over a zeroed DESKBANDINFO: what the band does not fill stays 0.
  BandInfo info;
  band->GetBandInfo(mask, info);
  session.last_band_info = info;
  session.Say("band info " + DescribeBandInfo(info));
  return Status::Ok();
}

Status RunButton(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::int32_t id = 0;
  if (Status read = ReadCommandId(args, &id); !read.ok()) return read;
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
  if (Status read = ReadCommandId(args, &id); !read.ok()) return read;
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
      const std::optional<UINT> entry = FindMenuCommand(menu, wanted);
      if (!entry) return 0;
      chosen = true;
      return *entry;
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
  return ChoiceMissed(args, choose->text, backend::MenusShown() != menus_before,
                      backend::LastMenuShown());
}

Status RunBandKey(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  KeyMessage key;
  if (Status read = ReadBandKey(args, &key); !read.ok()) return read;
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;

  MSG msg{};
  msg.hwnd = band->ToolbarWindow();
  msg.message = key.message;
  msg.wParam = key.wParam;
  msg.lParam = key.lParam;
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
