#include "com_fakes.h"

#include <cwctype>

#include <olectl.h>

namespace comfakes {

namespace {

std::wstring Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

}  // namespace

// --- EventSource ---

STDMETHODIMP EventSource::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPointContainer)) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (IsEqualIID(riid, IID_IConnectionPoint)) {
    *ppv = static_cast<IConnectionPoint*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP EventSource::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  if (!IsEqualIID(riid, events_)) return CONNECT_E_NOCONNECTION;
  *ppCP = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP EventSource::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = events_;
  return S_OK;
}

STDMETHODIMP EventSource::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = static_cast<IConnectionPointContainer*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP EventSource::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (!pUnkSink || !pdwCookie) return E_POINTER;
  if (refuse_sinks) return CONNECT_E_ADVISELIMIT;
  IDispatch* sink = nullptr;
  if (FAILED(pUnkSink->QueryInterface(events_, reinterpret_cast<void**>(&sink))) || !sink) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *pdwCookie = next_cookie_++;
  sinks_[*pdwCookie] = sink;
  return S_OK;
}

STDMETHODIMP EventSource::Unadvise(DWORD dwCookie) {
  auto found = sinks_.find(dwCookie);
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  IDispatch* sink = found->second;
  sinks_.erase(found);
  if (keep_unadvised) {
    unadvised_.push_back(sink);
  } else {
    sink->Release();
  }
  return S_OK;
}

EventSource::~EventSource() {
  for (auto& entry : sinks_) entry.second->Release();
  for (IDispatch* sink : unadvised_) sink->Release();
}

HRESULT EventSource::FireUnadvised(DISPID id, VARIANT* result) {
  DISPPARAMS params = {nullptr, nullptr, 0, 0};
  HRESULT hr = S_OK;
  for (IDispatch* sink : unadvised_) {
    VariantInit(result);
    hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr,
                      nullptr);
  }
  return hr;
}

HRESULT EventSource::Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result) {
  if (!result) return FireEach(id, std::move(args), nullptr);
  VariantInit(result);
  return FireEach(id, std::move(args), [&](const VARIANT& each) {
    VariantClear(result);
    VariantCopy(result, const_cast<VARIANT*>(&each));
  });
}

HRESULT EventSource::FireEach(DISPID id, std::vector<VARIANT> args,
                              const std::function<void(const VARIANT& result)>& each) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                       static_cast<UINT>(reversed.size()), 0};
  HRESULT hr = S_OK;
  // A handler may disconnect sinks: walk a counted copy.
  std::vector<IDispatch*> sinks;
  for (auto& entry : sinks_) {
    entry.second->AddRef();
    sinks.push_back(entry.second);
  }
  for (IDispatch* sink : sinks) {
    VARIANT result;
    VariantInit(&result);
    // Without `each` the sinks are given nowhere to put a result.
    hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                      each ? &result : nullptr, nullptr, nullptr);
    if (each) each(result);
    VariantClear(&result);
    sink->Release();
  }
  return hr;
}

void EventSource::DisconnectAll() {
  std::map<DWORD, IDispatch*> sinks;
  sinks.swap(sinks_);
  for (auto& entry : sinks) entry.second->Release();
}

// --- FakeObject ---

FakeObject::~FakeObject() {
  for (auto& entry : properties_) VariantClear(&entry.second);
  if (events_) events_->Release();
}

STDMETHODIMP FakeObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  if (events_ && IsEqualIID(riid, IID_IConnectionPointContainer)) {
    return events_->QueryInterface(riid, ppv);
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP FakeObject::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

DISPID FakeObject::IdOf(const std::wstring& name) {
  auto found = ids_.find(Lower(name));
  if (found != ids_.end()) return found->second;
  const DISPID id = next_id_++;
  ids_[Lower(name)] = id;
  names_[id] = name;
  return id;
}

STDMETHODIMP FakeObject::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                       DISPID* rgDispId) {
  if (cNames != 1 || !rgszNames || !rgDispId) return E_INVALIDARG;
  auto found = ids_.find(Lower(rgszNames[0]));
  if (found == ids_.end()) {
    rgDispId[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  rgDispId[0] = found->second;
  return S_OK;
}

STDMETHODIMP FakeObject::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                UINT*) {
  last_flags = wFlags;
  if (!pDispParams) return E_INVALIDARG;
  auto property = properties_.find(dispIdMember);
  auto method = methods_.find(dispIdMember);
  if (wFlags & DISPATCH_PROPERTYPUT) {
    // A put names its single argument DISPID_PROPERTYPUT.
    if (pDispParams->cArgs != 1 || pDispParams->cNamedArgs != 1 ||
        pDispParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
    if (read_only_.count(dispIdMember)) return DISP_E_MEMBERNOTFOUND;
    VARIANT before;
    VariantInit(&before);
    VARIANT& slot = properties_[dispIdMember];
    VariantCopy(&before, &slot);
    VariantClear(&slot);
    const HRESULT hr = VariantCopyInd(&slot, &pDispParams->rgvarg[0]);
    // The hook may change the object: it gets copies.
    if (SUCCEEDED(hr) && on_put_) {
      VARIANT after;
      VariantInit(&after);
      VariantCopy(&after, &slot);
      const PutHook hook = on_put_;
      hook(names_[dispIdMember], before, after);
      VariantClear(&after);
    }
    VariantClear(&before);
    return hr;
  }
  if (method != methods_.end() && (wFlags & DISPATCH_METHOD)) {
    std::vector<VARIANT*> args;
    for (UINT i = pDispParams->cArgs; i > 0; --i) args.push_back(&pDispParams->rgvarg[i - 1]);
    VARIANT ignored;
    VariantInit(&ignored);
    HRESULT hr = method->second(args, pVarResult ? pVarResult : &ignored);
    VariantClear(&ignored);
    if (hr == DISP_E_EXCEPTION && pExcepInfo) {
      pExcepInfo->bstrSource = SysAllocString(L"FakeObject");
      pExcepInfo->bstrDescription = SysAllocString(L"the method failed");
      pExcepInfo->scode = E_FAIL;
    }
    return hr;
  }
  auto getter = getters_.find(dispIdMember);
  if (getter != getters_.end() && (wFlags & DISPATCH_PROPERTYGET)) {
    if (pDispParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    // A copy: the getter may replace itself while it runs.
    const Getter get = getter->second;
    const HRESULT hr = get(&value);
    if (SUCCEEDED(hr) && pVarResult) {
      VariantInit(pVarResult);
      *pVarResult = value;
    } else {
      VariantClear(&value);
    }
    return hr;
  }
  if (property != properties_.end() && (wFlags & DISPATCH_PROPERTYGET)) {
    if (pDispParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!pVarResult) return S_OK;
    VariantInit(pVarResult);
    return VariantCopy(pVarResult, &property->second);
  }
  return DISP_E_MEMBERNOTFOUND;
}

void FakeObject::Set(const std::wstring& name, const VARIANT& value) {
  VARIANT& slot = properties_[IdOf(name)];
  VariantClear(&slot);
  VariantCopy(&slot, const_cast<VARIANT*>(&value));
}

void FakeObject::SetText(const std::wstring& name, const std::wstring& text) {
  VARIANT value = Text(text);
  Set(name, value);
  VariantClear(&value);
}

void FakeObject::SetObject(const std::wstring& name, IDispatch* object) {
  Set(name, Dispatch(object));
}

const VARIANT* FakeObject::Property(const std::wstring& name) const {
  auto id = ids_.find(Lower(name));
  if (id == ids_.end()) return nullptr;
  auto found = properties_.find(id->second);
  return found == properties_.end() ? nullptr : &found->second;
}

void FakeObject::SetReadOnly(const std::wstring& name) { read_only_[IdOf(name)] = true; }

void FakeObject::SetMethod(const std::wstring& name, Method method) {
  methods_[IdOf(name)] = std::move(method);
}

void FakeObject::SetGetter(const std::wstring& name, Getter getter) {
  getters_[IdOf(name)] = std::move(getter);
}

EventSource* FakeObject::AddEvents(const IID& events) {
  if (!events_) events_ = new EventSource(events);
  return events_;
}

// --- FakeBrowser ---

FakeBrowser::FakeBrowser() : events_(new EventSource(DIID_DWebBrowserEvents2)) {}

FakeBrowser::~FakeBrowser() {
  if (document_) document_->Release();
  events_->Release();
}

STDMETHODIMP FakeBrowser::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, IID_IWebBrowser) || IsEqualIID(riid, IID_IWebBrowserApp) ||
      IsEqualIID(riid, IID_IWebBrowser2)) {
    *ppv = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
  }
  if (IsEqualIID(riid, IID_IConnectionPointContainer)) return events_->QueryInterface(riid, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP FakeBrowser::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP FakeBrowser::get_Document(IDispatch** ppDisp) {
  if (!ppDisp) return E_POINTER;
  *ppDisp = document_;
  if (document_) document_->AddRef();
  return S_OK;
}

STDMETHODIMP FakeBrowser::get_Busy(VARIANT_BOOL* pBool) {
  if (!pBool) return E_POINTER;
  if (busy_fails) return E_FAIL;
  *pBool = busy ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

void FakeBrowser::SetDocument(IDispatch* document) {
  if (document) document->AddRef();
  if (document_) document_->Release();
  document_ = document;
}

// --- FakeSite ---

FakeSite::FakeSite(IWebBrowser2* browser, bool inputSite)
    : browser_(browser), input_site_(inputSite) {
  if (browser_) browser_->AddRef();
}

FakeSite::~FakeSite() {
  if (browser_) browser_->Release();
}

STDMETHODIMP FakeSite::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider)) {
    *ppv = static_cast<IServiceProvider*>(this);
  } else if (input_site_ && IsEqualIID(riid, IID_IInputObjectSite)) {
    *ppv = static_cast<IInputObjectSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleWindow)) {
    *ppv = static_cast<IOleWindow*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP FakeSite::QueryService(REFGUID guidService, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  services_asked.emplace_back(guidService, riid);
  if (!browser_ || !IsEqualGUID(guidService, SID_SWebBrowserApp)) return E_NOINTERFACE;
  return browser_->QueryInterface(riid, ppv);
}

STDMETHODIMP FakeSite::OnFocusChangeIS(IUnknown* punkObj, BOOL fSetFocus) {
  focus_changes.push_back({punkObj, fSetFocus});
  return S_OK;
}

STDMETHODIMP FakeSite::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = window;
  return window ? S_OK : E_FAIL;
}

// --- VARIANT helpers ---

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

VARIANT Text(const std::wstring& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

VARIANT Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT Int(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT Dispatch(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  return v;
}

VARIANT ByRef(VARTYPE type, void* where) {
  VARIANT v;
  VariantInit(&v);
  v.vt = static_cast<VARTYPE>(type | VT_BYREF);
  v.byref = where;
  return v;
}

}  // namespace comfakes
