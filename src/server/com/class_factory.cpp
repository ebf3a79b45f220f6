// The class factory of CToolbar and the exports that hand it out and tell whether the DLL
// may be unloaded.
#include <atomic>
#include <new>

#include "platform/win32.h"

#include <objbase.h>

#include "server/com/band.h"
#include "server/com/com_ref.h"
#include "server/com/interface_table.h"
#include "server/com/object_count.h"

namespace tarnivo::com {

namespace {

class ClassFactory final : public IClassFactory {
 public:
  ClassFactory() { AddModuleReference(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    using Entry = InterfaceEntry<ClassFactory>;
    static constexpr Entry kInterfaces[] = {Entry::Of<IClassFactory>(IID_IClassFactory)};
    return QueryFromTable(this, kInterfaces, riid, ppv);
  }

  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }

  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    try {
      return Band::Create(riid, ppv);
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  STDMETHODIMP LockServer(BOOL fLock) override {
    if (fLock) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }

 private:
  ~ClassFactory() { ReleaseModuleReference(); }

  std::atomic<ULONG> references_{1};
};

}  // namespace

}  // namespace tarnivo::com

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, CLSID_CToolbar)) return CLASS_E_CLASSNOTAVAILABLE;
  tarnivo::com::Ref<tarnivo::com::ClassFactory> factory(new (std::nothrow)
                                                            tarnivo::com::ClassFactory());
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return tarnivo::com::ModuleReferences() == 0 ? S_OK : S_FALSE;
}
