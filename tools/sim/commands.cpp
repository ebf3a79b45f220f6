#include "commands.h"

#include <map>
#include <memory>

#include "cursor.h"
#include "machine.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "state.h"
#include "store/settings.h"

namespace scenario {
namespace {

using tarnivo::sim::SimBrowser;
using tarnivo::sim::SimDocument;

// A yes/no word: `yes`/`no`, `on`/`off`, `down`/`up` as the command takes it.
Status Choice(const Args& args, std::size_t i, const char* when_true, const char* when_false,
              bool* out) {
  if (args.Is(i, when_true)) {
    *out = true;
    return Status::Ok();
  }
  if (args.Is(i, when_false)) {
    *out = false;
    return Status::Ok();
  }
  return args.Error(std::string("expected ") + when_true + " or " + when_false + ", not " +
                    Quote(args.Text(i)));
}

// A tag word: unquoted `-` is no focused element.
std::string TagOf(const Word& word) { return !word.quoted && word.text == "-" ? "" : word.text; }

// --- machine state ---

Status Reg(Session&, const Args& args) {
  if (Status check = args.Check(1, 3); !check.ok()) return check;
  long result = 0;
  if (args.Is(0, "set")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    result = StoreString(args.Text(1), args.Text(2));
  } else if (args.Is(0, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    std::uint32_t value = 0;
    if (!ParseDword(args.Text(2), &value))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
    result = StoreDword(args.Text(1), value);
  } else if (args.Is(0, "delete")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    result = DeleteValue(args.Text(1));
  } else if (args.Is(0, "delete-key")) {
    if (Status check = args.Check(1, 1); !check.ok()) return check;
    result = DeleteSettingsKey();
  } else {
    return args.Error("expected set, dword, delete or delete-key, not " + Quote(args.Text(0)));
  }
  if (result != ERROR_SUCCESS)
    return Status::Failure(args.What() + ": the registry answered error " + std::to_string(result));
  return Status::Ok();
}

Status ListFile(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::string error;
  if (args.Is(0, "delete")) {
    if (!DeleteListFile(&error)) return Status::Failure(args.What() + ": " + error);
    return Status::Ok();
  }
  if (!args[0].quoted) return args.Error("expected \"BYTES\" or delete");
  if (!WriteListFile(args.Text(0), &error)) return Status::Failure(args.What() + ": " + error);
  return Status::Ok();
}

// --- the browser and the page ---

Status Start(Session& session, const Args& args) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "nobrowser"))
    return args.Error("expected nobrowser or nothing, not " + Quote(args.Text(0)));
  const Window& window = session.Open(args.Count() == 0);
  const tarnivo::CToolbar& band = *window.band;
  const tarnivo::ThreadShared& shared = tarnivo::Shared();
  session.Say("window " + std::to_string(window.number) + " opens: Enabled " + Quote(band.Enabled) +
              ", BlockLevel " + Quote(shared.BlockLevel) + ", count " +
              std::to_string(shared.BlockedCount) + ", m_oIE " + (band.m_oIE() ? "bound" : "none") +
              ", button image set " + std::to_string(band.Icone()) + " (" +
              DescribeIcons(ToolbarIcons(band)) + ")");
  return Status::Ok();
}

Status Stop(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  const int number = session.Current()->number;
  session.CloseCurrent();
  const Window* now = session.Current();
  session.Say("window " + std::to_string(number) + " closed" +
              (now ? "; window " + std::to_string(now->number) + " is current" : ""));
  return Status::Ok();
}

Status Page(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1, {"focus"}); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  const Word* focus = args.Option("focus");
  const bool dash = args.Is(0, "-");
  if (dash && focus == nullptr) {
    browser->SetDocument(nullptr);
    return Status::Ok();
  }
  auto document = std::make_shared<SimDocument>();
  if (dash)
    document->SetDomain("", false);
  else
    document->SetDomain(args.Text(0), true);
  document->SetFocus(focus ? TagOf(*focus) : "A");
  browser->SetDocument(document);
  return Status::Ok();
}

Status Focus(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  if (!browser->CurrentDocument()) return args.Error("the browser shows no document (page first)");
  browser->CurrentDocument()->SetFocus(TagOf(args[0]));
  return Status::Ok();
}

Status Busy(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  bool busy = false;
  if (Status choice = Choice(args, 0, "yes", "no", &busy); !choice.ok()) return choice;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->SetBusy(busy);
  return Status::Ok();
}

Status Popup(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  const PopupOutcome outcome = browser->RaiseNewWindow2();
  session.last_popup = outcome;
  session.SayBandChanges();
  session.Say(std::string("popup ") + OutcomeName(outcome));
  return Status::Ok();
}

// --- the user ---

Status Cursor(Session& session, const Args& args) {
  std::string window_class;
  if (Status named = scenario::CursorClass(args, &window_class); !named.ok()) return named;
  std::string error;
  if (!session.PutCursorOver(window_class, &error))
    return Status::Failure(args.What() + ": " + error);
  return Status::Ok();
}

Status Mouse(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  bool down = false;
  if (Status choice = Choice(args, 0, "down", "up", &down); !choice.ok()) return choice;
  if (down)
    backend::PressKey(VK_LBUTTON);
  else
    backend::ReleaseKey(VK_LBUTTON);
  return Status::Ok();
}

Status Click(Session&, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  backend::PressKey(VK_LBUTTON);
  backend::ReleaseKey(VK_LBUTTON);
  return Status::Ok();
}

Status Key(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  bool down = false;
  if (Status choice = Choice(args, 0, "down", "up", &down); !choice.ok()) return choice;
  if (!args.Is(1, "ctrl")) return args.Error("expected ctrl, not " + Quote(args.Text(1)));
  if (down)
    backend::PressKey(VK_CONTROL);
  else
    backend::ReleaseKey(VK_CONTROL);
  return Status::Ok();
}

Status ScrollLock(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  bool on = false;
  if (Status choice = Choice(args, 0, "on", "off", &on); !choice.ok()) return choice;
  backend::SetScrollLock(on);
  return Status::Ok();
}

// --- the lists in memory ---

Status List(Session&, const Args& args) {
  if (Status check = args.Check(2, 3, {"tag"}); !check.ok()) return check;
  tarnivo::SiteList* list = nullptr;
  if (Status found = FindList(args, args.Text(0), &list); !found.ok()) return found;
  if (args.Is(1, "clear")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    list->Clear();
    return Status::Ok();
  }
  if (!args.Is(1, "add")) return args.Error("expected clear or add, not " + Quote(args.Text(1)));
  if (Status check = args.Check(3, 3, {"tag"}); !check.ok()) return check;
  std::int32_t tag = 0;
  if (const Word* option = args.Option("tag"); option && !ParseInt32(option->text, &tag))
    return args.Error("tag takes a 32-bit number, not " + Quote(option->text));
  if (list->Add(args.Text(2), tag) < 0)
    return Status::Failure(args.What() + ": the list refused " + Quote(args.Text(2)));
  return Status::Ok();
}

const std::map<std::string, CommandEntry>& Table() {
  static const std::map<std::string, CommandEntry> table = {
      {"reg", {Reg, true}},
      {"listfile", {ListFile, true}},
      {"clock", {RunClock, true}},
      {"wait", {RunWait, false}},
      {"timer", {RunTimer, true}},
      {"start", {Start, false}},
      {"stop", {Stop, false}},
      {"closing", {RunClosing, false}},
      {"page", {Page, false}},
      {"focus", {Focus, false}},
      {"busy", {Busy, false}},
      {"navigate", {RunNavigate, false}},
      {"complete", {RunComplete, false}},
      {"statechange", {RunStateChange, false}},
      {"popup", {Popup, false}},
      {"script", {RunScript, true}},
      {"frame", {RunFrame, true}},
      {"in", {RunIn, true}},
      {"object", {RunObject, true}},
      {"cursor", {Cursor, true}},
      {"mouse", {Mouse, true}},
      {"click", {Click, true}},
      {"key", {Key, true}},
      {"scrolllock", {ScrollLock, true}},
      {"contextmenu", {RunContextMenu, false}},
      {"focusout", {RunFocusOut, false}},
      {"pagekey", {RunPageKey, false}},
      {"pageclick", {RunPageClick, false}},
      {"bandkey", {RunBandKey, false}},
      {"show", {RunShow, false}},
      {"bandinfo", {RunBandInfo, false}},
      {"button", {RunButton, false}},
      {"dropdown", {RunDropDown, false}},
      {"call", {RunCall, false}},
      {"set", {RunSet, true}},
      {"list", {List, true}},
      {"expect", {RunExpect, true}},
  };
  return table;
}

// Commands of the format that this build does not run yet.
const char* const kLater[] = {"langfile", "dialog"};

}  // namespace

const CommandEntry* FindCommand(const std::string& word) {
  const auto& table = Table();
  const auto found = table.find(word);
  return found == table.end() ? nullptr : &found->second;
}

bool IsLaterCommand(const std::string& word) {
  for (const char* later : kLater)
    if (word == later) return true;
  return false;
}

}  // namespace scenario
