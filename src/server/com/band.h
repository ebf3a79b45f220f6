// The band object as a COM object: CToolbar with the interfaces the browser hosts a band
// through (IDeskBand, IObjectWithSite, IInputObject, IPersistStream, IOleControlSite), its
// default interface ICToolbar, whose IDispatch runs through the type library, and the
// message handler ISubclass of the type library.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win32.h"

#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>

#include "server/com/browser_adapter.h"
#include "server/com/com_ref.h"
#include "server/toolbar.h"
#include "tarnivo_idl.h"

namespace tarnivo::com {

class Band final : public IDeskBand,
                   public IObjectWithSite,
                   public IInputObject,
                   public IPersistStream,
                   public IOleControlSite,
                   public ICToolbar,
                   public ::ISubclass {
 public:
  // A new band, asked for `riid` (the class factory's CreateInstance).
  static HRESULT Create(REFIID riid, void** ppv);

  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
  // IDockingWindow
  STDMETHODIMP ShowDW(BOOL fShow) override;
  STDMETHODIMP CloseDW(DWORD dwReserved) override;
  STDMETHODIMP ResizeBorderDW(LPCRECT prcBorder, IUnknown* punkToolbarSite,
                              BOOL fReserved) override;
  // IDeskBand
  STDMETHODIMP GetBandInfo(DWORD dwBandID, DWORD dwViewMode, DESKBANDINFO* pdbi) override;

  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* pUnkSite) override;
  STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

  // IInputObject
  STDMETHODIMP UIActivateIO(BOOL fActivate, MSG* pMsg) override;
  STDMETHODIMP HasFocusIO() override;
  STDMETHODIMP TranslateAcceleratorIO(MSG* pMsg) override;

  // IPersist, IPersistStream
  STDMETHODIMP GetClassID(CLSID* pClassID) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(IStream* pStm) override;
  STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL fLock) override;
  STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override;
  STDMETHODIMP TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override;
  STDMETHODIMP TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) override;
  STDMETHODIMP OnFocus(BOOL fGotFocus) override;
  STDMETHODIMP ShowPropertyFrame() override;

  // IDispatch, through the type library's description of ICToolbar
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override;

  // ICToolbar
  STDMETHODIMP put_Docu(IDispatch* Ie) override;
  STDMETHODIMP get_Enabled(BSTR* EN) override;
  STDMETHODIMP put_Enabled(BSTR EN) override;
  STDMETHODIMP get_Icone(LONG* id) override;
  STDMETHODIMP put_Icone(LONG id) override;
  STDMETHODIMP ShowForm(IDispatch* frm) override;
  STDMETHODIMP CriaChave() override;
  STDMETHODIMP OnFocus(VARIANT_BOOL Focused) override;

  // ISubclass (the COM interface): the band's handler of the toolbar form's messages.
  STDMETHODIMP WindowProc(LONG_PTR hwnd, LONG msg, LONG_PTR wParam, LONG_PTR lParam,
                          VARIANT_BOOL* Handled, LONG* result) override;

 private:
  Band();
  ~Band();

  // The band's own IUnknown: the one every interface answers for IID_IUnknown.
  IUnknown* Identity() { return static_cast<IDeskBand*>(this); }
  // The description of ICToolbar, loaded from this module's type library on first use.
  HRESULT TypeInfo(ITypeInfo** info);
  // Lets go of the site and its adapter.
  void ClearSite();

  std::atomic<ULONG> references_{1};
  std::unique_ptr<tarnivo::CToolbar> toolbar_;
  Ref<IUnknown> site_;
  std::shared_ptr<ComSite> site_adapter_;
  Ref<ITypeInfo> type_info_;
};

}  // namespace tarnivo::com
