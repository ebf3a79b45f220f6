#include "server/com/band.h"

#include <new>
#include <string>

#include "server/com/dispatch_object.h"
#include "server/com/interface_table.h"
#include "server/com/object_count.h"
#include "server/com/text.h"
#include "server/module.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo::com {

namespace {

// Band objects alive on this thread: the toolbar form serves them all.
thread_local int t_bands = 0;

// The full path of this module, as a wide string.
std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 6; ++attempt) {
    const DWORD length =
        GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return std::wstring();
}

}  // namespace

Band::Band() : toolbar_(std::make_unique<tarnivo::CToolbar>()) {
  AddModuleReference();
  ++t_bands;
}

Band::~Band() {
  try {
    toolbar_.reset();  // the browser's and the page's events stop here
  } catch (...) {
  }
  ClearSite();
  type_info_.Reset();
  --t_bands;
  // The browser closes a band (CloseDW) before it lets it go. When the last band of the
  // thread goes without that, the form goes too: its window and timers run code of this
  // module, which may be unloaded once no object is left.
  if (t_bands == 0) {
    try {
      frmToolbar::Unload();
    } catch (...) {
    }
  }
  ReleaseModuleReference();
}

HRESULT Band::Create(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  StartUserInterfaceThread();
  Ref<Band> band;
  try {
    band.Attach(new Band());
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return band->QueryInterface(riid, ppv);
}

void Band::ClearSite() {
  site_adapter_.reset();
  site_.Reset();
}

// --- IUnknown ---

STDMETHODIMP Band::QueryInterface(REFIID riid, void** ppv) {
  using Entry = InterfaceEntry<Band>;
  // The first entry is the band's identity (Identity()).
  static constexpr Entry kInterfaces[] = {
      Entry::Of<IDeskBand>(IID_IDeskBand),
      Entry::Of<IDeskBand>(IID_IOleWindow),
      Entry::Of<IDeskBand>(IID_IDockingWindow),
      Entry::Of<IObjectWithSite>(IID_IObjectWithSite),
      Entry::Of<IInputObject>(IID_IInputObject),
      Entry::Of<IPersistStream>(IID_IPersist),
      Entry::Of<IPersistStream>(IID_IPersistStream),
      Entry::Of<IOleControlSite>(IID_IOleControlSite),
      Entry::Of<ICToolbar>(IID_IDispatch),
      Entry::Of<ICToolbar>(IID_ICToolbar),
      Entry::Of<::ISubclass>(IID_ISubclass),
  };
  return QueryFromTable(this, kInterfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) Band::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) Band::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// --- IOleWindow, IDockingWindow, IDeskBand ---

STDMETHODIMP Band::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_INVALIDARG;
  // The band's window is its toolbar; none before the band is sited or after it is closed.
  *phwnd = toolbar_->ToolbarWindow();
  return S_OK;
}

STDMETHODIMP Band::ContextSensitiveHelp(BOOL) { return S_OK; }

STDMETHODIMP Band::ShowDW(BOOL fShow) {
  try {
    toolbar_->ShowDW(fShow != FALSE);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::CloseDW(DWORD) {
  try {
    toolbar_->CloseDW();
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return S_OK; }

STDMETHODIMP Band::GetBandInfo(DWORD, DWORD, DESKBANDINFO* pdbi) {
  if (!pdbi) return E_INVALIDARG;
  try {
    const DWORD mask = pdbi->dwMask;
    tarnivo::CToolbar::BandInfo info;
    toolbar_->GetBandInfo(mask, info);
    // Only the fields asked for; the title and the background are the host's.
    if (mask & DBIM_MINSIZE) pdbi->ptMinSize = POINTL{info.minWidth, info.minHeight};
    if (mask & DBIM_MAXSIZE) pdbi->ptMaxSize = POINTL{info.maxWidth, info.maxHeight};
    if (mask & DBIM_INTEGRAL) pdbi->ptIntegral = POINTL{info.integralWidth, info.integralHeight};
    if (mask & DBIM_ACTUAL) pdbi->ptActual = POINTL{info.actualWidth, info.actualHeight};
    if (mask & DBIM_MODEFLAGS) pdbi->dwModeFlags = info.modeFlags;
  } catch (...) {
  }
  return S_OK;
}

// --- IObjectWithSite ---

STDMETHODIMP Band::SetSite(IUnknown* pUnkSite) {
  try {
    ClearSite();
    if (pUnkSite) {
      site_ = Ref<IUnknown>::Share(pUnkSite);
      site_adapter_ = std::make_shared<ComSite>(pUnkSite, Identity());
    }
  } catch (...) {
  }
  try {
    toolbar_->SetSite(site_adapter_);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::GetSite(REFIID riid, void** ppvSite) {
  if (!ppvSite) return E_POINTER;
  *ppvSite = nullptr;
  // No site: no interface, and a failure the caller can see.
  if (!site_) return E_FAIL;
  return site_->QueryInterface(riid, ppvSite);
}

// --- IInputObject ---

STDMETHODIMP Band::UIActivateIO(BOOL fActivate, MSG*) {
  try {
    toolbar_->UIActivateIO(fActivate != FALSE);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::HasFocusIO() {
  // The browser is told that the band has the focus, whatever the form answers.
  try {
    toolbar_->HasFocusIO();
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::TranslateAcceleratorIO(MSG* pMsg) {
  try {
    if (pMsg) toolbar_->TranslateAcceleratorIO(*pMsg);
  } catch (...) {
  }
  return S_OK;
}

// --- IPersist, IPersistStream: the band keeps nothing in the browser's stream ---

STDMETHODIMP Band::GetClassID(CLSID* pClassID) {
  if (!pClassID) return E_POINTER;
  if (FAILED(CLSIDFromProgID(L"tarnivo.CToolbar", pClassID))) {
    // Not registered (a host that creates the band without the registry): the class is
    // still this one.
    *pClassID = CLSID_CToolbar;
  }
  return S_OK;
}

STDMETHODIMP Band::IsDirty() { return S_OK; }

STDMETHODIMP Band::Load(IStream*) { return S_OK; }

STDMETHODIMP Band::Save(IStream*, BOOL) { return S_OK; }

STDMETHODIMP Band::GetSizeMax(ULARGE_INTEGER* pcbSize) {
  if (!pcbSize) return E_POINTER;
  pcbSize->QuadPart = 0;
  return S_OK;
}

// --- IOleControlSite ---

STDMETHODIMP Band::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP Band::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP Band::GetExtendedControl(IDispatch** ppDisp) {
  if (ppDisp) *ppDisp = nullptr;
  return S_OK;
}

STDMETHODIMP Band::TransformCoords(POINTL*, POINTF*, DWORD) { return S_OK; }

STDMETHODIMP Band::TranslateAccelerator(MSG*, DWORD) { return S_OK; }

STDMETHODIMP Band::OnFocus(BOOL) { return S_OK; }

STDMETHODIMP Band::ShowPropertyFrame() { return S_OK; }

// --- IDispatch ---

HRESULT Band::TypeInfo(ITypeInfo** info) {
  *info = nullptr;
  if (!type_info_) {
    std::wstring path;
    try {
      path = ModulePath();
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
    Ref<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out());
    if (FAILED(hr)) {
      library.release();  // a failed call hands out no reference
      return hr;
    }
    hr = library->GetTypeInfoOfGuid(IID_ICToolbar, type_info_.out());
    if (FAILED(hr)) {
      type_info_.release();
      return hr;
    }
  }
  *info = type_info_.get();
  return S_OK;
}

STDMETHODIMP Band::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

STDMETHODIMP Band::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = nullptr;
  const HRESULT hr = TypeInfo(&info);
  if (FAILED(hr)) return hr;
  info->AddRef();
  *ppTInfo = info;
  return S_OK;
}

STDMETHODIMP Band::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                 DISPID* rgDispId) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* info = nullptr;
  const HRESULT hr = TypeInfo(&info);
  if (FAILED(hr)) return hr;
  return info->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

STDMETHODIMP Band::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                          UINT* puArgErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* description = nullptr;
  const HRESULT hr = TypeInfo(&description);
  if (FAILED(hr)) return hr;
  // A member may outlive the band (ShowForm, when the host lets go of the band while the
  // dialog is up): the description stays until the call has returned.
  const Ref<ITypeInfo> info = Ref<ITypeInfo>::Share(description);
  return info->Invoke(static_cast<ICToolbar*>(this), dispIdMember, wFlags, pDispParams, pVarResult,
                      pExcepInfo, puArgErr);
}

// --- ICToolbar ---

STDMETHODIMP Band::put_Docu(IDispatch* Ie) {
  try {
    if (!Ie) {
      toolbar_->Docu(nullptr);
    } else if (host::BrowserPtr browser = ComBrowser::FromDispatch(Ie)) {
      toolbar_->Docu(browser);
    }
    // Another object has no document to bind: nothing changes.
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::get_Enabled(BSTR* EN) {
  if (!EN) return E_POINTER;
  *EN = nullptr;
  try {
    *EN = BstrFromAnsi(toolbar_->Enabled);
  } catch (...) {
  }
  return *EN ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP Band::put_Enabled(BSTR EN) {
  try {
    toolbar_->Enabled = AnsiFromBstr(EN);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP Band::get_Icone(LONG* id) {
  if (!id) return E_POINTER;
  *id = toolbar_->Icone();
  return S_OK;
}

STDMETHODIMP Band::put_Icone(LONG id) {
  try {
    toolbar_->SetIcone(id);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::ShowForm(IDispatch* frm) {
  // The dialog runs its own message loop, in which the host may let go of the band: the
  // band stays until the dialog has closed.
  const Ref<Band> keep = Ref<Band>::Share(this);
  try {
    if (host::ObjectPtr form = DispatchObject::Wrap(frm)) toolbar_->ShowForm(form);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::CriaChave() {
  try {
    toolbar_->CriaChave();
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP Band::OnFocus(VARIANT_BOOL Focused) {
  try {
    toolbar_->OnFocus(Focused != VARIANT_FALSE);
  } catch (...) {
  }
  return S_OK;
}

// --- ISubclass ---

STDMETHODIMP Band::WindowProc(LONG_PTR hwnd, LONG msg, LONG_PTR wParam, LONG_PTR lParam,
                              VARIANT_BOOL* Handled, LONG* result) {
  bool handled = Handled && *Handled != VARIANT_FALSE;
  LRESULT answer = 0;
  try {
    answer =
        toolbar_->WindowProc(reinterpret_cast<HWND>(hwnd), static_cast<UINT>(msg),
                             static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam), handled);
  } catch (...) {
  }
  if (Handled) *Handled = handled ? VARIANT_TRUE : VARIANT_FALSE;
  if (result) *result = static_cast<LONG>(answer);
  return S_OK;
}

}  // namespace tarnivo::com
