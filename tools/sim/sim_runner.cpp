#include "sim_runner.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "engine/activex_screen.h"
#include "engine/normalize_domain.h"
#include "lexer.h"
#include "machine.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "store/read_ini.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/toolbar/frm_toolbar.h"

namespace scenario {
namespace {

using tarnivo::CToolbar;
using tarnivo::Shared;
using tarnivo::sim::SimBrowser;
using tarnivo::sim::SimDocument;

// CommandStateChange carries a command and its state; the band reads neither. The one
// raised is the Back button's (CSC_NAVIGATEBACK) going grey.
constexpr std::int32_t kNavigateBack = 2;

// A document of the simulated page.
class SimPage : public PageDocument {
 public:
  explicit SimPage(std::shared_ptr<SimDocument> document) : document_(std::move(document)) {}

  std::size_t FrameCount() override { return static_cast<std::size_t>(document_->FrameCount()); }
  std::unique_ptr<PageDocument> Frame(std::size_t index) override {
    std::shared_ptr<SimDocument> frame = document_->Frame(static_cast<int>(index));
    if (!frame) return nullptr;
    return std::make_unique<SimPage>(std::move(frame));
  }
  void AddScript(const std::string& text, const std::string& src) override {
    document_->AddScript(text, src);
  }
  void AddFrame(bool readable) override { document_->AddFrame(readable); }
  void AddObject(const std::string& code_base) override { document_->AddObject(code_base); }
  std::vector<std::string> Scripts(bool src) override {
    std::vector<std::string> texts;
    for (const auto& script : document_->Scripts())
      texts.push_back(script->Text(src ? "src" : "text"));
    return texts;
  }
  std::vector<ObjectSeen> Objects() override {
    std::vector<ObjectSeen> objects;
    for (const auto& object : document_->Objects())
      objects.push_back({object->Text("codeBase"), object->Flag("disabled")});
    return objects;
  }

 private:
  std::shared_ptr<SimDocument> document_;
};

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

// True when the toolbar has a button with this command id.
bool HasButton(HWND toolbar, std::int32_t id) {
  return SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(static_cast<UINT>(id)), 0) >=
         0;
}

std::string BoolText(bool value) { return value ? "true" : "false"; }

std::int32_t NumberOf(const std::string& value) {
  std::int32_t number = 0;
  ParseInt32(value, &number);
  return number;
}

// The shared values by name: how each is read and, unless the band binds it itself, set.
struct StateAccess {
  const char* name;
  bool on_band;  // a member of the current band rather than a value of the thread
  std::function<std::string(CToolbar*)> get;
  std::function<void(CToolbar*, const std::string&)> set;
};

const std::vector<StateAccess>& States() {
  static const std::vector<StateAccess> states = {
      {"Enabled", true, [](CToolbar* band) { return band->Enabled; },
       [](CToolbar* band, const std::string& v) { band->Enabled = v; }},
      {"EnabledSetting", false, [](CToolbar*) { return Shared().EnabledSetting; },
       [](CToolbar*, const std::string& v) { Shared().EnabledSetting = v; }},
      {"BlockLevel", false, [](CToolbar*) { return Shared().BlockLevel; },
       [](CToolbar*, const std::string& v) { Shared().BlockLevel = v; }},
      {"ActiveXFlag", false, [](CToolbar*) { return Shared().ActiveXFlag; },
       [](CToolbar*, const std::string& v) { Shared().ActiveXFlag = v; }},
      {"BlockedCount", false, [](CToolbar*) { return std::to_string(Shared().BlockedCount); },
       [](CToolbar*, const std::string& v) { Shared().BlockedCount = NumberOf(v); }},
      {"Icone", true, [](CToolbar* band) { return std::to_string(band->Icone()); },
       [](CToolbar* band, const std::string& v) { band->SetIcone(NumberOf(v)); }},
      {"UserActionFlag", false, [](CToolbar*) { return BoolText(Shared().UserActionFlag); },
       [](CToolbar*, const std::string& v) { Shared().UserActionFlag = v == "true"; }},
      {"AllowNextPopup", true, [](CToolbar* band) { return BoolText(band->AllowNextPopup); },
       [](CToolbar* band, const std::string& v) { band->AllowNextPopup = v == "true"; }},
      {"ScriptNavigationSeen", true,
       [](CToolbar* band) { return std::to_string(band->ScriptNavigationSeen); },
       [](CToolbar* band, const std::string& v) { band->ScriptNavigationSeen = v == "1" ? 1 : 0; }},
      {"PageComplete", false, [](CToolbar*) { return BoolText(Shared().PageComplete); },
       [](CToolbar*, const std::string& v) { Shared().PageComplete = v == "true"; }},
      {"NavigationStart", false, [](CToolbar*) { return std::to_string(Shared().NavigationStart); },
       [](CToolbar*, const std::string& v) { Shared().NavigationStart = NumberOf(v); }},
      {"ScanTicks", false, [](CToolbar*) { return std::to_string(Shared().ScanTicks); },
       [](CToolbar*, const std::string& v) { Shared().ScanTicks = NumberOf(v); }},
      {"m_oIE", true, [](CToolbar* band) { return band->m_oIE() ? "bound" : "none"; }, nullptr},
      {"IEdoc", true, [](CToolbar* band) { return band->IEdoc() ? "bound" : "none"; }, nullptr},
      {"CurrentLanguage", false, [](CToolbar*) { return tarnivo::Language().CurrentLanguage; },
       [](CToolbar*, const std::string& v) { tarnivo::Language().CurrentLanguage = v; }},
      {"LanguageFolder", false, [](CToolbar*) { return tarnivo::Language().LanguageFolder; },
       [](CToolbar*, const std::string& v) { tarnivo::Language().LanguageFolder = v; }},
  };
  return states;
}

const StateAccess* FindAccess(const StateName& state) {
  for (const StateAccess& access : States())
    if (std::string(access.name) == state.name) return &access;
  return nullptr;
}

tarnivo::SiteList* FindSiteList(const std::string& name) {
  if (name == "AllowedSites") return &tarnivo::AllowedSites();
  if (name == "BlockedActiveX") return &tarnivo::BlockedActiveX();
  return nullptr;
}

std::string EntriesText(int count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

}  // namespace

void SimRunner::BeforeCommand(const Command& command) {
  session_.NoteBands();
  session_.NoteView();
  session_.SetReporting(!command.bench);
}

void SimRunner::AfterCommand(const Command& command) {
  session_.SetReporting(true);
  session_.SayBandChanges();
  // What the bench changed itself is not the system's answer: only taken note of.
  session_.SayViewChanges(!command.bench);
}

// --- time ---

Status SimRunner::SetClock(const ClockCommand& clock) {
  backend::SetTimeOfDay(clock.hour, clock.minute, clock.second, 0);
  return Status::Ok();
}

Status SimRunner::Wait(unsigned milliseconds) {
  session_.Wait(milliseconds);
  return Status::Ok();
}

Status SimRunner::SwitchTimer(const std::string& what, int timer, bool on) {
  tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  if (form == nullptr)
    return Status::Error(what + ": the toolbar form is not loaded (start first)");
  form->SetTimerEnabled(timer, on);
  return Status::Ok();
}

// --- the browser and the page ---

Status SimRunner::Start(bool with_browser) {
  const Window& window = session_.Open(with_browser);
  const CToolbar& band = *window.band;
  const tarnivo::ThreadShared& shared = Shared();
  session_.Say("window " + std::to_string(window.number) + " opens: Enabled " +
               Quote(band.Enabled) + ", BlockLevel " + Quote(shared.BlockLevel) + ", count " +
               std::to_string(shared.BlockedCount) + ", m_oIE " +
               (band.m_oIE() ? "bound" : "none") + ", button image set " +
               std::to_string(band.Icone()) + " (" + DescribeIcons(ToolbarIcons(band)) + ")");
  return Status::Ok();
}

Status SimRunner::Stop(const std::string& what) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  const int number = session_.Current()->number;
  session_.CloseCurrent();
  const Window* now = session_.Current();
  session_.Say("window " + std::to_string(number) + " closed" +
               (now ? "; window " + std::to_string(now->number) + " is current" : ""));
  return Status::Ok();
}

Status SimRunner::Closing(const std::string& what) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->RaiseWindowClosing();
  return Status::Ok();
}

Status SimRunner::ShowPage(const std::string& what, const PageCommand& page) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (page.kind == PageCommand::Kind::None) {
    browser->SetDocument(nullptr);
    return Status::Ok();
  }
  auto document = std::make_shared<SimDocument>();
  if (page.kind == PageCommand::Kind::Unreadable)
    document->SetDomain("", false);
  else
    document->SetDomain(page.domain, true);
  document->SetFocus(page.focus);
  browser->SetDocument(document);
  return Status::Ok();
}

Status SimRunner::Focus(const std::string& what, const std::string& tag) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (!browser->CurrentDocument())
    return Status::Error(what + ": the browser shows no document (page first)");
  browser->CurrentDocument()->SetFocus(tag);
  return Status::Ok();
}

Status SimRunner::SetBusy(const std::string& what, bool busy) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->SetBusy(busy);
  return Status::Ok();
}

Status SimRunner::Navigate(const std::string& what, const std::string& url) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->RaiseBeforeNavigate2(url);
  return Status::Ok();
}

Status SimRunner::Complete(const std::string& what, bool top) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->RaiseDocumentComplete(top, "");
  return Status::Ok();
}

Status SimRunner::StateChange(const std::string& what) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->RaiseCommandStateChange(kNavigateBack, false);
  return Status::Ok();
}

Status SimRunner::Popup(const std::string& what, PopupOutcome* outcome) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  switch (browser->RaiseNewWindow2()) {
    case SimBrowser::PopupOutcome::Blocked:
      *outcome = PopupOutcome::Blocked;
      break;
    case SimBrowser::PopupOutcome::Allowed:
      *outcome = PopupOutcome::Allowed;
      break;
    case SimBrowser::PopupOutcome::Passed:
      *outcome = PopupOutcome::Passed;
      break;
  }
  // What the band showed comes before the outcome in the transcript.
  session_.SayBandChanges();
  return Status::Ok();
}

Status SimRunner::ShownDocument(const std::string& what, std::unique_ptr<PageDocument>* out) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (!browser->CurrentDocument())
    return Status::Error(what + ": the browser shows no document (page first)");
  *out = std::make_unique<SimPage>(browser->CurrentDocument());
  return Status::Ok();
}

Status SimRunner::PageEvent(const std::string& what, const PageEventCommand& event) {
  SimBrowser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  // With no page shown the event reaches no handler; the transcript tells when nothing
  // listens.
  const std::shared_ptr<SimDocument> document = browser->CurrentDocument();
  if (!document) {
    session_.Say("the browser shows no page: the event reaches no handler");
    return Status::Ok();
  }
  if (document->Sinks().empty())
    session_.Say("nothing listens to this page's events: the event reaches no handler");
  switch (event.kind) {
    case PageEventCommand::Kind::ContextMenu:
      if (!document->RaiseContextMenu()) session_.Say("the context menu is cancelled");
      break;
    case PageEventCommand::Kind::FocusOut:
      document->RaiseFocusOut();
      break;
    case PageEventCommand::Kind::KeyDown:
      document->RaiseKeyDown(event.key_code, event.ctrl);
      break;
    case PageEventCommand::Kind::Click:
      if (!document->RaiseClick()) session_.Say("the click's default action is cancelled");
      break;
  }
  return Status::Ok();
}

// --- the user ---

Status SimRunner::Cursor(const std::string& what, const std::string& window_class) {
  std::string error;
  if (!session_.PutCursorOver(window_class, &error)) return Status::Failure(what + ": " + error);
  return Status::Ok();
}

Status SimRunner::Mouse(const std::string&, bool down) {
  if (down)
    backend::PressKey(VK_LBUTTON);
  else
    backend::ReleaseKey(VK_LBUTTON);
  return Status::Ok();
}

Status SimRunner::Click(const std::string&) {
  backend::PressKey(VK_LBUTTON);
  backend::ReleaseKey(VK_LBUTTON);
  return Status::Ok();
}

Status SimRunner::CtrlKey(bool down) {
  if (down)
    backend::PressKey(VK_CONTROL);
  else
    backend::ReleaseKey(VK_CONTROL);
  return Status::Ok();
}

Status SimRunner::ScrollLock(const std::string&, bool on) {
  backend::SetScrollLock(on);
  return Status::Ok();
}

// --- the band ---

Status SimRunner::NeedShownToolbar(const std::string& what, CToolbar** band, HWND* toolbar) {
  if (Status need = session_.NeedBand(what, band); !need.ok()) return need;
  *toolbar = (*band)->ToolbarWindow();
  if (*toolbar == nullptr) return Status::Failure(what + ": the band has no toolbar");
  if (!(*band)->Visible())
    return Status::Failure(what + ": the toolbar is hidden (show yes first)");
  return Status::Ok();
}

template <typename Press>
Status SimRunner::WithChoice(const std::optional<MenuChoice>& choice, MenuOutcome* outcome,
                             Press press) {
  const int menus_before = backend::MenusShown();
  bool chosen = false;
  std::function<UINT(HMENU, int, int, UINT)> chooser;
  if (choice) {
    const MenuChoice wanted = *choice;
    // The user picks the entry named in the menu that drops.
    chooser = [wanted, &chosen](HMENU menu, int, int, UINT) -> UINT {
      if (chosen) return 0;
      const std::optional<UINT> entry = ChooseMenuEntry(menu, wanted);
      if (!entry) return 0;
      chosen = true;
      return *entry;
    };
  }
  Status pressed;
  {
    ChooserScope scope(std::move(chooser));
    pressed = press();
  }
  if (!pressed.ok()) return pressed;
  // The command chosen reaches the toolbar form as a posted WM_COMMAND.
  backend::RunPending();
  outcome->dropped = backend::MenusShown() != menus_before;
  outcome->chosen = chosen;
  return Status::Ok();
}

Status SimRunner::Show(const std::string& what, bool show) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  band->ShowDW(show);
  if (band->ToolbarWindow() == nullptr)
    session_.Say(std::string("ShowDW(") + (show ? "TRUE" : "FALSE") + "): the band has no toolbar");
  else
    session_.Say(band->Visible() ? "toolbar shown" : "toolbar hidden");
  return Status::Ok();
}

Status SimRunner::AskBandInfo(const std::string& what, std::uint32_t mask, BandInfo* info) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  // The host hands over a zeroed DESKBANDINFO: what the band does not fill stays 0.
  *info = BandInfo();
  band->GetBandInfo(mask, *info);
  return Status::Ok();
}

Status SimRunner::Button(const std::string& what, const ButtonCommand& button) {
  CToolbar* band = nullptr;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(what, &band, &toolbar); !need.ok()) return need;
  if (!backend::ClickToolbarButton(toolbar, button.id))
    return Status::Failure(what + ": the toolbar has no button " + button.written);
  // What the press posted reaches its window.
  backend::RunPending();
  return Status::Ok();
}

Status SimRunner::DropDown(const std::string& what, const DropDownCommand& drop,
                           MenuOutcome* outcome) {
  CToolbar* band = nullptr;
  HWND toolbar = nullptr;
  if (Status need = NeedShownToolbar(what, &band, &toolbar); !need.ok()) return need;
  if (!HasButton(toolbar, drop.id))
    return Status::Failure(what + ": the toolbar has no button " + drop.written);
  return WithChoice(drop.choice, outcome, [&]() {
    if (!backend::ClickToolbarArrow(toolbar, drop.id))
      return Status::Failure(what + ": toolbar button " + drop.written + " has no drop-down arrow");
    return Status::Ok();
  });
}

Status SimRunner::BandKey(const std::string& what, const KeyMessage& key,
                          const std::optional<MenuChoice>& choice, MenuOutcome* outcome) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  MSG msg{};
  msg.hwnd = band->ToolbarWindow();
  msg.message = key.message;
  msg.wParam = key.wParam;
  msg.lParam = key.lParam;
  msg.time = GetTickCount();
  GetCursorPos(&msg.pt);
  return WithChoice(choice, outcome, [&]() {
    band->TranslateAcceleratorIO(msg);
    return Status::Ok();
  });
}

// --- calling the system directly ---

Status SimRunner::Call(const std::string& what, const CallCommand& call,
                       std::optional<std::string>* result) {
  const std::string& name = call.name;
  bool lists_changed = false;
  if (name == "NormalizeDomain") {
    *result = tarnivo::NormalizeDomain(call.args[0]);
  } else if (name == "SaveSiteLists") {
    tarnivo::SaveSiteLists();
  } else if (name == "LoadSiteLists") {
    tarnivo::LoadSiteLists();
    lists_changed = true;
  } else if (name == "AppendSiteEntry") {
    tarnivo::AppendSiteEntry(call.args[0]);
    lists_changed = true;
  } else if (name == "CriaChave") {
    CToolbar* band = nullptr;
    if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
    band->CriaChave();
  } else if (name == "SettingsPoll" || name == "ResetDefaults") {
    tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
    if (form == nullptr)
      return Status::Error(what + ": the toolbar form is not loaded (start first)");
    if (name == "SettingsPoll") {
      form->SettingsTick();
    } else {
      form->ResetDefaults();
    }
  } else if (name == "ReadIniValue") {
    *result = tarnivo::ReadIniValue(LanguageFolder() + call.args[0], call.args[1], call.args[2]);
  } else if (name == "BuildActiveXPatterns") {
    tarnivo::BuildActiveXPatterns();
  } else if (name == "ScanActiveX") {
    // The scan of the current window's browser's current document (none: nothing to scan).
    SimBrowser* browser = nullptr;
    if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
    tarnivo::ScanActiveX(browser->Document());
  } else {
    return Status::Error(what + ": this build cannot call it");
  }
  // After a call that changes the lists, the transcript shows how many entries they hold.
  if (lists_changed)
    session_.Say("AllowedSites " + EntriesText(tarnivo::AllowedSites().Count()) +
                 ", BlockedActiveX " + EntriesText(tarnivo::BlockedActiveX().Count()));
  return Status::Ok();
}

Status SimRunner::SetState(const std::string& what, const StateName& state,
                           const std::string& value) {
  const StateAccess* access = FindAccess(state);
  if (access == nullptr || !access->set)
    return Status::Error(what + ": " + state.name + " cannot be set");
  CToolbar* band = nullptr;
  if (access->on_band) {
    if (Status need = session_.NeedBand(state.name, &band); !need.ok()) return need;
  }
  access->set(band, value);
  return Status::Ok();
}

Status SimRunner::GetState(const std::string& what, const StateName& state, std::string* value) {
  const StateAccess* access = FindAccess(state);
  if (access == nullptr) return Status::Error(what + ": " + state.name + " cannot be read");
  CToolbar* band = nullptr;
  if (access->on_band) {
    if (Status need = session_.NeedBand(state.name, &band); !need.ok()) return need;
  }
  *value = access->get(band);
  return Status::Ok();
}

Status SimRunner::ChangeList(const std::string& what, const ListCommand& change) {
  tarnivo::SiteList* list = FindSiteList(change.list);
  if (list == nullptr) return Status::Error(what + ": unknown list " + Quote(change.list));
  if (change.clear) {
    list->Clear();
    return Status::Ok();
  }
  if (list->Add(change.text, change.tag) < 0)
    return Status::Failure(what + ": the list refused " + Quote(change.text));
  return Status::Ok();
}

Status SimRunner::ReadList(const std::string& what, const std::string& name,
                           std::vector<std::pair<std::string, std::int32_t>>* entries) {
  entries->clear();
  if (name == "ActiveXPatterns" || name == "ActiveXTags") {
    for (const std::string& text :
         name == "ActiveXPatterns" ? Shared().ActiveXPatterns : Shared().ActiveXTags)
      entries->emplace_back(text, 0);
    return Status::Ok();
  }
  const tarnivo::SiteList* list = FindSiteList(name);
  if (list == nullptr) return Status::Error(what + ": unknown list " + Quote(name));
  for (int i = 0; i < list->Count(); ++i) entries->emplace_back(list->Text(i), list->Tag(i));
  return Status::Ok();
}

// --- what the system showed ---

Status SimRunner::Beeps(int* count) {
  *count = backend::BeepCount();
  return Status::Ok();
}

Status SimRunner::MessageBoxes(int* count, tarnivo::MessageBoxSeen* last) {
  *count = backend::MessageBoxes();
  *last = backend::LastMessageBox();
  return Status::Ok();
}

Status SimRunner::Menus(int* shown, std::vector<std::string>* last) {
  *shown = backend::MenusShown();
  *last = backend::LastMenuShown();
  return Status::Ok();
}

Status SimRunner::Redraws(const std::string& what, int* count) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  *count = band->Redraws();
  return Status::Ok();
}

Status SimRunner::Images(const std::string& what, std::optional<std::vector<int>>* icons) {
  CToolbar* band = nullptr;
  if (Status need = session_.NeedBand(what, &band); !need.ok()) return need;
  *icons = ToolbarIcons(*band);
  return Status::Ok();
}

Status SimRunner::TimerRunning(const std::string&, int timer, bool* running, std::string* note) {
  // A form that is not loaded runs no timer.
  const tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  *running = form != nullptr && (timer == kSettingsPollTimer ? form->SettingsTimerRunning()
                                                             : form->TimerEnabled(timer));
  if (form == nullptr) *note = " (the toolbar form is not loaded)";
  return Status::Ok();
}

Status SimRunner::Caption(const std::string& what, const std::string& name, std::string* text) {
  const tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  if (form == nullptr)
    return Status::Error(what + ": the toolbar form is not loaded (start first)");
  if (!form->HasEntry(name))
    return Status::Error(what + ": no menu entry or control named " + Quote(name) +
                         " on the toolbar form");
  *text = form->Caption(name);
  return Status::Ok();
}

}  // namespace scenario
