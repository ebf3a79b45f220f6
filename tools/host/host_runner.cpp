// The browser, the page and the user on the real DLL: the host's browser raises
// DWebBrowserEvents2 and its documents HTMLDocumentEvents through their connection points, the
// page's elements are read back as the band left them through IDispatch, the user's mouse and
// keys go through the system, and the band's own values are read and written through its dual
// interface.
#include "host_runner.h"

#include <exdispid.h>
#include <olectl.h>  // the stock event identifiers mshtmdid.h refers to
#include <mshtmdid.h>

#include <cstdint>
#include <string>

#include "hands.h"
#include "lexer.h"
#include "virtual_clock.h"

namespace host {
namespace {

using comfakes::Bool;
using comfakes::ByRef;
using comfakes::Dispatch;
using comfakes::Int;
using scenario::Quote;

// CommandStateChange carries a command and its state; the band reads neither. The one
// raised is the Back button's (CSC_NAVIGATEBACK) going grey.
constexpr LONG kNavigateBack = 2;

// A text passed by reference inside a VARIANT, as the browser passes its event arguments.
class TextArgument {
 public:
  explicit TextArgument(const std::string& text)
      : value_(comfakes::Text(tarnivo::com::WideFromAnsi(text))) {}
  ~TextArgument() { VariantClear(&value_); }
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;
  VARIANT ByReference() { return ByRef(VT_VARIANT, &value_); }

 private:
  VARIANT value_;
};

// A document of the host's page, held while a command works on it.
class HostPage : public scenario::PageDocument {
 public:
  explicit HostPage(PageObject* document) : document_(document) { document_->AddRef(); }

  std::size_t FrameCount() override { return document_->FrameCount(); }
  std::unique_ptr<scenario::PageDocument> Frame(std::size_t index) override {
    PageObject* frame = document_->Frame(index);
    if (frame == nullptr) return nullptr;
    return std::make_unique<HostPage>(frame);
  }
  void AddScript(const std::string& text, const std::string& src) override {
    document_->AddScript(text, src);
  }
  void AddFrame(bool readable) override { document_->AddFrame(readable); }
  void AddObject(const std::string& code_base) override { document_->AddObject(code_base); }
  std::vector<std::string> Scripts(bool src) override {
    std::vector<std::string> texts;
    for (const FakeObject* script : document_->Scripts())
      texts.push_back(TextOf(*script, src ? L"src" : L"text"));
    return texts;
  }
  std::vector<scenario::ObjectSeen> Objects() override {
    std::vector<scenario::ObjectSeen> objects;
    for (const FakeObject* object : document_->Objects())
      objects.push_back({TextOf(*object, L"codeBase"), FlagOf(*object, L"disabled")});
    return objects;
  }

 private:
  Ref<PageObject> document_;
};

// The members of the band's dual interface the host reads and writes by name.
bool BandDispatchId(IUnknown* band, const wchar_t* name, Ref<IDispatch>* dispatch, DISPID* id) {
  *dispatch = Query<IDispatch>(band, IID_IDispatch);
  if (!*dispatch) return false;
  auto* names = const_cast<LPOLESTR>(name);
  return SUCCEEDED((*dispatch)->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, id));
}

bool ReadBandProperty(IUnknown* band, const wchar_t* name, VARIANT* out) {
  Ref<IDispatch> dispatch;
  DISPID id = DISPID_UNKNOWN;
  if (!BandDispatchId(band, name, &dispatch, &id)) return false;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return SUCCEEDED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                    out, nullptr, nullptr));
}

bool WriteBandProperty(IUnknown* band, const wchar_t* name, VARIANT* value) {
  Ref<IDispatch> dispatch;
  DISPID id = DISPID_UNKNOWN;
  if (!BandDispatchId(band, name, &dispatch, &id)) return false;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {value, &named, 1, 1};
  return SUCCEEDED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                    &params, nullptr, nullptr, nullptr));
}

// The band's own values the host reaches through its dual interface; every other shared value
// lives inside the DLL.
bool OnDualInterface(const scenario::StateName& state) {
  const std::string name = state.name;
  return name == "Enabled" || name == "Icone";
}

Status Inside(const std::string& what, const std::string& name) {
  return Status::Skipped(what + ": the real DLL keeps " + name +
                         " inside, behind none of its interfaces");
}

}  // namespace

// --- time ---

Status HostRunner::SetClock(const scenario::ClockCommand& time) {
  clock::SetTimeOfDay(time.hour, time.minute, time.second, 0);
  return Status::Ok();
}

Status HostRunner::Wait(unsigned milliseconds) {
  session_.Wait(milliseconds);
  return Status::Ok();
}

// --- the browser and the page ---

Status HostRunner::Start(bool with_browser) { return session_.Open(with_browser); }

Status HostRunner::Stop(const std::string& what) {
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(what, &window); !need.ok()) return need;
  session_.CloseCurrent();
  return Status::Ok();
}

Status HostRunner::Closing(const std::string& what) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  session_.RaiseClosing(*session_.Current());
  return Status::Ok();
}

Status HostRunner::ShowPage(const std::string& what, const scenario::PageCommand& page) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (page.kind == scenario::PageCommand::Kind::None) {
    browser->SetDocument(nullptr);
    return Status::Ok();
  }
  PageObject* document = PageObject::Document(
      page.domain, page.kind == scenario::PageCommand::Kind::Domain, page.focus);
  browser->SetDocument(document);
  document->Release();
  return Status::Ok();
}

Status HostRunner::Focus(const std::string& what, const std::string& tag) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (browser->Document() == nullptr)
    return Status::Error(what + ": the browser shows no document (page first)");
  browser->Document()->SetFocus(tag);
  return Status::Ok();
}

Status HostRunner::SetBusy(const std::string& what, bool busy) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->busy = busy;
  return Status::Ok();
}

Status HostRunner::Navigate(const std::string& what, const std::string& url) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
  TextArgument address(url);
  VARIANT flags = Int(0);
  TextArgument target("");
  VARIANT post_data;
  VariantInit(&post_data);
  TextArgument headers("");
  VARIANT_BOOL cancel = VARIANT_FALSE;
  browser->Fire(DISPID_BEFORENAVIGATE2,
                {Dispatch(browser->AsDispatch()), address.ByReference(), ByRef(VT_VARIANT, &flags),
                 target.ByReference(), ByRef(VT_VARIANT, &post_data), headers.ByReference(),
                 ByRef(VT_BOOL, &cancel)});
  Session::Pump();
  if (cancel != VARIANT_FALSE) session_.Say("the navigation is cancelled");
  return Status::Ok();
}

Status HostRunner::Complete(const std::string& what, bool top) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  // The top page names the browser itself; a frame names its own browser object.
  Ref<FakeObject> frame;
  IDispatch* completed = browser->AsDispatch();
  if (!top) {
    frame = Ref<FakeObject>(new FakeObject());
    completed = frame.get();
  }
  Ref<PageObject> shown;
  if (browser->Document() != nullptr) {
    browser->Document()->AddRef();
    shown = Ref<PageObject>(browser->Document());
  }
  const std::size_t before = shown ? shown->Listeners() : 0;
  TextArgument url("");
  browser->Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(completed), url.ByReference()});
  Session::Pump();
  const std::size_t after = shown ? shown->Listeners() : 0;
  if (after > before)
    session_.Say("page hooks bound to the page shown");
  else if (after < before)
    session_.Say("page hooks released from the page shown");
  return Status::Ok();
}

Status HostRunner::StateChange(const std::string& what) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  browser->Fire(DISPID_COMMANDSTATECHANGE, {Int(kNavigateBack), Bool(false)});
  Session::Pump();
  return Status::Ok();
}

Status HostRunner::Popup(const std::string& what, scenario::PopupOutcome* outcome) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  *outcome = session_.RaisePopup(*browser);
  return Status::Ok();
}

Status HostRunner::ShownDocument(const std::string& what,
                                 std::unique_ptr<scenario::PageDocument>* out) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  if (browser->Document() == nullptr)
    return Status::Error(what + ": the browser shows no document (page first)");
  *out = std::make_unique<HostPage>(browser->Document());
  return Status::Ok();
}

Status HostRunner::PageEvent(const std::string& what, const scenario::PageEventCommand& event) {
  Browser* browser = nullptr;
  if (Status need = session_.NeedBrowser(what, &browser); !need.ok()) return need;
  // With no page shown the event reaches no handler; the transcript tells when nothing
  // listens.
  PageObject* document = browser->Document();
  if (document == nullptr) {
    session_.Say("the browser shows no page: the event reaches no handler");
    Session::Pump();
    return Status::Ok();
  }
  if (document->Listeners() == 0)
    session_.Say("nothing listens to this page's events: the event reaches no handler");
  switch (event.kind) {
    case scenario::PageEventCommand::Kind::ContextMenu:
      if (!document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU, "contextmenu"))
        session_.Say("the context menu is cancelled");
      break;
    case scenario::PageEventCommand::Kind::FocusOut:
      document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONFOCUSOUT, "focusout");
      break;
    case scenario::PageEventCommand::Kind::KeyDown:
      document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONKEYDOWN, "keydown", event.key_code, event.ctrl);
      break;
    case scenario::PageEventCommand::Kind::Click:
      if (!document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONCLICK, "click"))
        session_.Say("the click's default action is cancelled");
      break;
  }
  Session::Pump();
  return Status::Ok();
}

// --- the user ---

Status HostRunner::Cursor(const std::string& what, const std::string& window_class) {
  return PutCursorOver(session_, window_class, what);
}

Status HostRunner::Mouse(const std::string& what, bool down) {
  if (Status pressed = PressLeftButton(down, what + (down ? " down" : " up")); !pressed.ok())
    return pressed;
  session_.Say(std::string("left button ") + (down ? "down" : "up"));
  return Status::Ok();
}

Status HostRunner::Click(const std::string& what) {
  if (Status pressed = PressLeftButton(true, what); !pressed.ok()) return pressed;
  if (Status released = PressLeftButton(false, what); !released.ok()) return released;
  session_.Say("left button down and up");
  return Status::Ok();
}

Status HostRunner::CtrlKey(bool down) {
  keybd_event(VK_CONTROL, 0x1D, down ? 0 : KEYEVENTF_KEYUP, 0);
  Session::Pump();
  return Status::Ok();
}

Status HostRunner::ScrollLock(const std::string& what, bool on) {
  if (!SetScrollLock(on)) return Status::Failure(what + ": the toggle did not follow");
  return Status::Ok();
}

// --- calling the system directly ---

Status HostRunner::Call(const std::string& what, const scenario::CallCommand& call,
                        std::optional<std::string>*) {
  // One tick of the settings timer: the DLL's own timer procedure, as its due time would call
  // it.
  if (call.name == "SettingsPoll") {
    clock::FireThreadTimers();
    Session::Pump();
    return Status::Ok();
  }
  return Status::Skipped(what + ": the real DLL offers this operation to no caller outside it");
}

Status HostRunner::SetState(const std::string& what, const scenario::StateName& state,
                            const std::string& value) {
  if (!OnDualInterface(state)) return Inside(what, state.name);
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(state.name, &window); !need.ok()) return need;
  VARIANT written;
  VariantInit(&written);
  if (state.form == scenario::ValueForm::Text) {
    written.vt = VT_BSTR;
    written.bstrVal = tarnivo::com::BstrFromAnsi(value);
  } else {
    std::int32_t number = 0;
    scenario::ParseInt32(value, &number);
    written.vt = VT_I4;
    written.lVal = number;
  }
  const bool done = WriteBandProperty(
      window->band, state.form == scenario::ValueForm::Text ? L"Enabled" : L"Icone", &written);
  VariantClear(&written);
  Session::Pump();
  if (!done) return Status::Failure(what + ": the band does not take " + state.name);
  return Status::Ok();
}

Status HostRunner::GetState(const std::string& what, const scenario::StateName& state,
                            std::string* value) {
  if (!OnDualInterface(state)) return Inside(what, state.name);
  Window* window = nullptr;
  if (Status need = session_.NeedWindow(state.name, &window); !need.ok()) return need;
  const bool text = state.form == scenario::ValueForm::Text;
  VARIANT read;
  VariantInit(&read);
  if (!ReadBandProperty(window->band, text ? L"Enabled" : L"Icone", &read))
    return Status::Failure(what + ": the band does not answer " + state.name);
  Status status;
  if (text && read.vt == VT_BSTR)
    *value = tarnivo::com::AnsiFromBstr(read.bstrVal);
  else if (!text && read.vt == VT_I4)
    *value = std::to_string(read.lVal);
  else
    status = Status::Failure(what + ": the band answers " + state.name + " with a value of type " +
                             std::to_string(read.vt));
  VariantClear(&read);
  return status;
}

Status HostRunner::ChangeList(const std::string& what, const scenario::ListCommand& change) {
  return Inside(what, change.list);
}

Status HostRunner::ReadList(const std::string& what, const std::string& list,
                            std::vector<std::pair<std::string, std::int32_t>>*) {
  return Inside(what, list);
}

}  // namespace host
