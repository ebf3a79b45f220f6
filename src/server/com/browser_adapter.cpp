#include "server/com/browser_adapter.h"

#include <exdispid.h>

#include "server/com/dispatch_object.h"
#include "server/com/event_sink.h"
#include "server/com/text.h"

namespace tarnivo::com {

namespace {

host::Value ArgumentValue(DISPPARAMS& params, UINT index) {
  host::Value value;
  if (VARIANT* argument = EventArgument(params, index)) ValueFromVariant(*argument, &value);
  return value;
}

std::string ArgumentText(DISPPARAMS& params, UINT index) {
  host::Value value = ArgumentValue(params, index);
  return value.kind == host::Value::Kind::String ? value.text : std::string();
}

bool ArgumentFlag(DISPPARAMS& params, UINT index) {
  host::Value value = ArgumentValue(params, index);
  return value.kind == host::Value::Kind::Bool && value.boolean;
}

// Runs a handler with the event's Cancel argument (index `index`) as an EventFlag, and
// writes the flag back when the handler set it.
template <typename Handler>
void WithCancel(DISPPARAMS& params, UINT index, Handler handler) {
  VARIANT_BOOL* cancel = BooleanReference(params, index);
  host::EventFlag flag;
  flag.value = cancel && *cancel != VARIANT_FALSE;
  handler(&flag);
  if (cancel && flag.written) *cancel = flag.value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The browser's events (DWebBrowserEvents2), passed on to the band's handlers.
class BrowserEventSink : public EventSink {
 public:
  explicit BrowserEventSink(host::BrowserEvents* target)
      : EventSink(DIID_DWebBrowserEvents2), target_(target) {}

 protected:
  void Raise(DISPID id, DISPPARAMS& params, VARIANT*) override {
    switch (id) {
      case DISPID_NEWWINDOW2:  // (ppDisp, Cancel)
        NewWindow2(params);
        break;
      case DISPID_BEFORENAVIGATE2:  // (pDisp, URL, Flags, TargetFrameName, PostData, ...)
        target_->BeforeNavigate2(ArgumentValue(params, 0), ArgumentText(params, 1));
        break;
      case DISPID_COMMANDSTATECHANGE: {  // (Command, Enable)
        host::Value command = ArgumentValue(params, 0);
        target_->CommandStateChange(command.kind == host::Value::Kind::Int ? command.number : 0,
                                    ArgumentFlag(params, 1));
        break;
      }
      case DISPID_DOCUMENTCOMPLETE:  // (pDisp, URL)
        target_->DocumentComplete(ArgumentValue(params, 0), ArgumentText(params, 1));
        break;
      case DISPID_WINDOWCLOSING: {  // (IsChildWindow, Cancel)
        const bool child = ArgumentFlag(params, 0);
        WithCancel(params, 1,
                   [&](host::EventFlag* cancel) { target_->WindowClosing(child, cancel); });
        break;
      }
      default:
        break;
    }
  }

 private:
  void NewWindow2(DISPPARAMS& params) {
    // ppDisp: where the browser takes a window object from, when a handler gives one.
    VARIANT* argument = EventArgument(params, 0);
    IDispatch** window =
        argument && argument->vt == (VT_BYREF | VT_DISPATCH) ? argument->ppdispVal : nullptr;
    host::Value ppDisp = ArgumentValue(params, 0);
    WithCancel(params, 1, [&](host::EventFlag* cancel) { target_->NewWindow2(&ppDisp, cancel); });
    if (!window || ppDisp.kind != host::Value::Kind::Object || !ppDisp.object) return;
    auto* given = dynamic_cast<DispatchObject*>(ppDisp.object.get());
    if (!given || given->Dispatch() == *window) return;
    given->Dispatch()->AddRef();
    if (*window) (*window)->Release();
    *window = given->Dispatch();
  }

  host::BrowserEvents* target_;
};

}  // namespace

ComBrowser::ComBrowser(IWebBrowser2* browser) : browser_(Ref<IWebBrowser2>::Share(browser)) {}

host::BrowserPtr ComBrowser::FromDispatch(IDispatch* dispatch) {
  if (!dispatch) return nullptr;
  const Ref<IWebBrowser2> browser = Query<IWebBrowser2>(dispatch, IID_IWebBrowser2);
  if (!browser) return nullptr;
  host::BrowserPtr result;
  try {
    result = std::make_shared<ComBrowser>(browser.get());
  } catch (...) {
  }
  return result;
}

bool ComBrowser::Busy(bool* out) {
  VARIANT_BOOL busy = VARIANT_FALSE;
  if (FAILED(browser_->get_Busy(&busy))) return false;
  *out = busy != VARIANT_FALSE;
  return true;
}

host::ObjectPtr ComBrowser::Document() {
  Ref<IDispatch> document;
  if (FAILED(browser_->get_Document(document.out()))) {
    document.release();  // a failed call hands out no reference
    return nullptr;
  }
  if (!document) return nullptr;
  host::ObjectPtr result;
  try {
    result = DispatchObject::Wrap(document.get());
  } catch (...) {
  }
  return result;
}

host::ObjectPtr ComBrowser::AsObject() { return DispatchObject::Wrap(browser_.get()); }

std::unique_ptr<host::Connection> ComBrowser::ConnectEvents(host::BrowserEvents* sink) {
  if (!sink) return nullptr;
  return ConnectSink(browser_.get(), DIID_DWebBrowserEvents2, new BrowserEventSink(sink));
}

ComSite::ComSite(IUnknown* site, IUnknown* band)
    : site_(Ref<IUnknown>::Share(site)),
      input_(Query<IInputObjectSite>(site, IID_IInputObjectSite)),
      band_(band) {}

host::BrowserPtr ComSite::QueryWebBrowser() {
  Ref<IServiceProvider> provider = Query<IServiceProvider>(site_.get(), IID_IServiceProvider);
  if (!provider) return nullptr;
  Ref<IWebBrowser2> browser;
  if (FAILED(provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser.void_out()))) {
    browser.release();  // a failed call hands out no reference
  }
  if (!browser) {
    // A host that hands out only IWebBrowserApp: ask that for IWebBrowser2.
    Ref<IWebBrowserApp> app;
    if (FAILED(provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowserApp, app.void_out()))) {
      app.release();
    }
    if (app) browser = Query<IWebBrowser2>(app.get(), IID_IWebBrowser2);
  }
  provider.Reset();
  if (!browser) return nullptr;
  host::BrowserPtr result;
  try {
    result = std::make_shared<ComBrowser>(browser.get());
  } catch (...) {
  }
  return result;
}

void ComSite::OnFocusChangeIS(bool focused) {
  // True goes as all bits set, as an automation Boolean.
  if (input_) input_->OnFocusChangeIS(band_, focused ? -1 : FALSE);
}

}  // namespace tarnivo::com
