// Small COM objects that stand in for the browser around the band: an automation object
// answering names from tables, an event source with one connection point, a web browser and
// the band's site. Each counts its references so that a caller can check that the server lets
// go of what it was given. The COM server's tests and tarnivo-host.exe build on them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "server/com/com_ref.h"

#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>

namespace comfakes {

// A counted reference that releases on destruction: the COM server's own.
template <typename T>
using Ref = tarnivo::com::Ref<T>;

// Shared reference counting: objects start with one reference, held by their creator.
class Counted {
 public:
  virtual ~Counted() = default;
  ULONG References() const { return references_; }

 protected:
  ULONG AddReference() { return ++references_; }
  ULONG ReleaseReference() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG references_ = 1;
};

// One outgoing interface of an object: a container with a single connection point. Sinks
// must answer QueryInterface for the outgoing interface, as the browser requires.
class EventSource : public Counted, public IConnectionPointContainer, public IConnectionPoint {
 public:
  explicit EventSource(const IID& events) : events_(events) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  STDMETHODIMP GetConnectionInterface(IID* pIID) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  STDMETHODIMP Unadvise(DWORD dwCookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  std::size_t SinkCount() const { return sinks_.size(); }
  // Raises an event on every sink, in connection order. `args` are in declaration order;
  // they are passed in reverse, as DISPPARAMS holds them. The result of the last sink.
  HRESULT Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result = nullptr);
  // The same, with each sink's result handed to `each` (VT_EMPTY when the sink gave none;
  // with `each` empty, the sinks get no place for a result). What the last sink returned.
  HRESULT FireEach(DISPID id, std::vector<VARIANT> args,
                   const std::function<void(const VARIANT& result)>& each);
  // Lets go of every sink still connected (the source goes away).
  void DisconnectAll();
  // Refuse new sinks (Advise fails).
  bool refuse_sinks = false;
  // Keep calling disconnected sinks: Unadvise keeps them for FireUnadvised.
  bool keep_unadvised = false;
  HRESULT FireUnadvised(DISPID id, VARIANT* result);
  ~EventSource() override;

 private:
  IID events_;
  std::map<DWORD, IDispatch*> sinks_;
  std::vector<IDispatch*> unadvised_;
  DWORD next_cookie_ = 1;
};

// An automation object: properties and methods looked up by name without regard to case.
// A name that is neither a property nor a method is unknown (GetIDsOfNames fails).
class FakeObject : public Counted, public IDispatch {
 public:
  // A method: its arguments in declaration order, and where its result goes.
  using Method = std::function<HRESULT(const std::vector<VARIANT*>& args, VARIANT* result)>;
  // A property computed when it is read: its value goes to `result`; a failure is what the
  // caller gets.
  using Getter = std::function<HRESULT(VARIANT* result)>;
  // Told of each Put that was stored: the name as first given to the object, the value
  // before and after.
  using PutHook =
      std::function<void(const std::wstring& name, const VARIANT& before, const VARIANT& after)>;

  FakeObject() = default;
  ~FakeObject() override;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override;

  // A property; the VARIANT is copied.
  void Set(const std::wstring& name, const VARIANT& value);
  void SetText(const std::wstring& name, const std::wstring& text);
  void SetObject(const std::wstring& name, IDispatch* object);
  // A property's current value; null when there is none.
  const VARIANT* Property(const std::wstring& name) const;
  // A property that Put refuses.
  void SetReadOnly(const std::wstring& name);
  void SetMethod(const std::wstring& name, Method method);
  // A property read through `getter` (it wins over a stored value of the same name).
  void SetGetter(const std::wstring& name, Getter getter);
  void OnPut(PutHook hook) { on_put_ = std::move(hook); }
  // Gives the object an outgoing interface (QueryInterface answers IConnectionPointContainer).
  EventSource* AddEvents(const IID& events);
  EventSource* Events() const { return events_; }

  // The flags of the last Invoke.
  WORD last_flags = 0;

 private:
  DISPID IdOf(const std::wstring& name);

  std::map<std::wstring, DISPID> ids_;
  std::map<DISPID, std::wstring> names_;  // as first given
  std::map<DISPID, VARIANT> properties_;
  std::map<DISPID, Method> methods_;
  std::map<DISPID, Getter> getters_;
  PutHook on_put_;
  std::map<DISPID, bool> read_only_;
  DISPID next_id_ = 1;
  EventSource* events_ = nullptr;
};

// A web browser: its Busy flag and Document, and its DWebBrowserEvents2.
class FakeBrowser : public Counted, public IWebBrowser2 {
 public:
  FakeBrowser();
  ~FakeBrowser() override;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  // IWebBrowser
  STDMETHODIMP GoBack() override { return E_NOTIMPL; }
  STDMETHODIMP GoForward() override { return E_NOTIMPL; }
  STDMETHODIMP GoHome() override { return E_NOTIMPL; }
  STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
  STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Refresh() override { return E_NOTIMPL; }
  STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Stop() override { return E_NOTIMPL; }
  STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Container(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Document(IDispatch** ppDisp) override;
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Type(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Left(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Top(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Width(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Height(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationURL(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Busy(VARIANT_BOOL* pBool) override;
  // IWebBrowserApp
  STDMETHODIMP Quit() override { return E_NOTIMPL; }
  STDMETHODIMP ClientToWindow(int*, int*) override { return E_NOTIMPL; }
  STDMETHODIMP PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
  STDMETHODIMP GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_HWND(SHANDLE_PTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Path(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Visible(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusText(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_ToolBar(int*) override { return E_NOTIMPL; }
  STDMETHODIMP put_ToolBar(int) override { return E_NOTIMPL; }
  STDMETHODIMP get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
  // IWebBrowser2
  STDMETHODIMP Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
  STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_Silent(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

  // The document handed out by Document (the browser keeps a reference); null for none.
  void SetDocument(IDispatch* document);
  EventSource& Events() { return *events_; }

  bool busy = false;
  bool busy_fails = false;

 private:
  EventSource* events_;
  IDispatch* document_ = nullptr;
};

// The band's site: IServiceProvider (the web browser for SID_SWebBrowserApp, when it has
// one), IInputObjectSite (recording focus changes) and IOleWindow (`window`, or failing
// while it is null).
class FakeSite : public Counted,
                 public IServiceProvider,
                 public IInputObjectSite,
                 public IOleWindow {
 public:
  // `browser` may be null: QueryService then fails. `inputSite` false: the site does not
  // answer IInputObjectSite.
  explicit FakeSite(IWebBrowser2* browser = nullptr, bool inputSite = true);
  ~FakeSite() override;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  IUnknown* Unknown() { return static_cast<IServiceProvider*>(this); }

  STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;
  STDMETHODIMP OnFocusChangeIS(IUnknown* punkObj, BOOL fSetFocus) override;
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

  struct FocusChange {
    IUnknown* object;
    BOOL focused;
  };
  std::vector<FocusChange> focus_changes;
  // Services asked for: (service, interface).
  std::vector<std::pair<GUID, IID>> services_asked;
  // What GetWindow answers; null: GetWindow fails.
  HWND window = nullptr;

 private:
  IWebBrowser2* browser_;
  bool input_site_;
};

// VARIANT helpers for building event arguments.
VARIANT Text(const wchar_t* text);       // a new BSTR; the caller clears it
VARIANT Text(const std::wstring& text);  // the same, NULs within the text kept
VARIANT Bool(bool value);
VARIANT Int(LONG value);
VARIANT Dispatch(IDispatch* object);  // not counted: the caller's reference is lent
VARIANT ByRef(VARTYPE type, void* where);

}  // namespace comfakes
