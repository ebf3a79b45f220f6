#include "com_objects.h"

#include <exdispid.h>
#include <olectl.h>

#include <algorithm>
#include <cwchar>

namespace host {
namespace {

constexpr DISPID kDomain = 1;
constexpr DISPID kActiveElement = 2;
constexpr DISPID kTagName = 3;

BSTR NewText(const std::string& text) {
  if (text.empty()) return SysAllocString(L"");
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (out != nullptr)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out, length);
  return out;
}

}  // namespace

// --- PageObject ---

PageObject* PageObject::Document(const std::string& domain, bool domain_readable,
                                 const std::string& focus) {
  auto* document = new PageObject();
  document->is_document_ = true;
  document->domain_ = domain;
  document->domain_readable_ = domain_readable;
  document->SetFocus(focus);
  return document;
}

PageObject* PageObject::Element(const std::string& tag) {
  auto* element = new PageObject();
  element->tag_ = tag;
  return element;
}

PageObject::~PageObject() {
  if (focus_ != nullptr) focus_->Release();
}

void PageObject::SetFocus(const std::string& tag) {
  if (focus_ != nullptr) focus_->Release();
  focus_ = tag.empty() ? nullptr : Element(tag);
}

STDMETHODIMP PageObject::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP PageObject::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo == nullptr) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP PageObject::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                       DISPID* rgDispId) {
  if (rgszNames == nullptr || rgDispId == nullptr || cNames == 0) return E_INVALIDARG;
  HRESULT result = S_OK;
  for (UINT i = 0; i < cNames; ++i) {
    const wchar_t* name = rgszNames[i];
    rgDispId[i] = DISPID_UNKNOWN;
    if (i > 0 || name == nullptr) {
      result = DISP_E_UNKNOWNNAME;
    } else if (is_document_ && _wcsicmp(name, L"domain") == 0) {
      rgDispId[i] = kDomain;
    } else if (is_document_ && _wcsicmp(name, L"activeElement") == 0) {
      rgDispId[i] = kActiveElement;
    } else if (!is_document_ && _wcsicmp(name, L"tagName") == 0) {
      rgDispId[i] = kTagName;
    } else {
      result = DISP_E_UNKNOWNNAME;
    }
  }
  return result;
}

STDMETHODIMP PageObject::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*,
                                VARIANT* pVarResult, EXCEPINFO*, UINT*) {
  if ((wFlags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
  if (pVarResult == nullptr) return E_POINTER;
  VariantInit(pVarResult);
  if (is_document_ && dispIdMember == kDomain) {
    if (!domain_readable_) return E_ACCESSDENIED;
    pVarResult->vt = VT_BSTR;
    pVarResult->bstrVal = NewText(domain_);
    return S_OK;
  }
  if (is_document_ && dispIdMember == kActiveElement) {
    pVarResult->vt = VT_DISPATCH;
    pVarResult->pdispVal = focus_;
    if (focus_ != nullptr) focus_->AddRef();
    return S_OK;
  }
  if (!is_document_ && dispIdMember == kTagName) {
    pVarResult->vt = VT_BSTR;
    pVarResult->bstrVal = NewText(tag_);
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

// --- Browser ---

Browser::~Browser() {
  DisconnectAll();
  if (document_ != nullptr) document_->Release();
}

STDMETHODIMP Browser::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, IID_IWebBrowser) || IsEqualIID(riid, IID_IWebBrowserApp) ||
      IsEqualIID(riid, IID_IWebBrowser2)) {
    *ppv = static_cast<IWebBrowser2*>(this);
  } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP Browser::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo == nullptr) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP Browser::get_Document(IDispatch** ppDisp) {
  if (ppDisp == nullptr) return E_POINTER;
  *ppDisp = document_;
  if (document_ != nullptr) document_->AddRef();
  return S_OK;
}

STDMETHODIMP Browser::get_Busy(VARIANT_BOOL* pBool) {
  if (pBool == nullptr) return E_POINTER;
  *pBool = busy ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP Browser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (ppCP == nullptr) return E_POINTER;
  if (!IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
    *ppCP = nullptr;
    return CONNECT_E_NOCONNECTION;
  }
  *ppCP = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP Browser::GetConnectionInterface(IID* pIID) {
  if (pIID == nullptr) return E_POINTER;
  *pIID = DIID_DWebBrowserEvents2;
  return S_OK;
}

STDMETHODIMP Browser::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (ppCPC == nullptr) return E_POINTER;
  *ppCPC = static_cast<IConnectionPointContainer*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP Browser::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (pUnkSink == nullptr || pdwCookie == nullptr) return E_POINTER;
  // The browser asks its sinks for the outgoing interface itself.
  IDispatch* sink = nullptr;
  if (FAILED(pUnkSink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&sink))) ||
      sink == nullptr)
    return CONNECT_E_CANNOTCONNECT;
  sinks_.push_back({next_cookie_, sink});
  *pdwCookie = next_cookie_++;
  return S_OK;
}

STDMETHODIMP Browser::Unadvise(DWORD dwCookie) {
  auto found = std::find_if(sinks_.begin(), sinks_.end(),
                            [&](const Sink& s) { return s.cookie == dwCookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  IDispatch* sink = found->sink;
  sinks_.erase(found);
  sink->Release();
  return S_OK;
}

void Browser::SetDocument(PageObject* document) {
  if (document != nullptr) document->AddRef();
  if (document_ != nullptr) document_->Release();
  document_ = document;
}

void Browser::Fire(DISPID id, std::vector<VARIANT> args) {
  std::reverse(args.begin(), args.end());
  // A sink may disconnect itself (or another) while it handles the event.
  std::vector<IDispatch*> sinks;
  for (const Sink& s : sinks_) {
    s.sink->AddRef();
    sinks.push_back(s.sink);
  }
  for (IDispatch* sink : sinks) {
    DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr,
                         static_cast<UINT>(args.size()), 0};
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                 nullptr);
    sink->Release();
  }
}

void Browser::DisconnectAll() {
  std::vector<Sink> sinks;
  sinks.swap(sinks_);
  for (const Sink& s : sinks) s.sink->Release();
}

// --- Site ---

Site::Site(Browser* browser, HWND window) : browser_(browser), window_(window) {
  if (browser_ != nullptr) browser_->AddRef();
}

Site::~Site() {
  if (browser_ != nullptr) browser_->Release();
}

STDMETHODIMP Site::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider)) {
    *ppv = static_cast<IServiceProvider*>(this);
  } else if (IsEqualIID(riid, IID_IInputObjectSite)) {
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

STDMETHODIMP Site::QueryService(REFGUID guidService, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (browser_ == nullptr || !IsEqualGUID(guidService, SID_SWebBrowserApp)) return E_NOINTERFACE;
  return browser_->QueryInterface(riid, ppv);
}

STDMETHODIMP Site::OnFocusChangeIS(IUnknown*, BOOL) { return S_OK; }

STDMETHODIMP Site::GetWindow(HWND* phwnd) {
  if (phwnd == nullptr) return E_POINTER;
  *phwnd = window_;
  return S_OK;
}

}  // namespace host
