// QueryInterface answered from a table of the interfaces an object has.
#pragma once

#include <cstddef>

#include "platform/win32.h"

#include <unknwn.h>

namespace tarnivo::com {

// One interface of a `Class` object: its identifier and the object's pointer for it.
template <typename Class>
struct InterfaceEntry {
  // The entry for `iid`, answered with the object as its base `Interface`.
  template <typename Interface>
  static constexpr InterfaceEntry Of(const IID& iid) {
    return {&iid, &As<Interface>};
  }

  template <typename Interface>
  static IUnknown* As(Class* object) {
    return static_cast<Interface*>(object);
  }

  const IID* iid;
  IUnknown* (*pointer)(Class* object);
};

// QueryInterface for `object` from its `table`. IID_IUnknown is answered with the pointer of
// the table's first entry, the object's identity, whichever interface it is asked through.
// Null `ppv`: E_POINTER; an interface not in the table: E_NOINTERFACE with *ppv null; one
// that is: S_OK, *ppv counted (AddRef).
template <typename Class, std::size_t N>
HRESULT QueryFromTable(Class* object, const InterfaceEntry<Class> (&table)[N], REFIID riid,
                       void** ppv) {
  static_assert(N > 0, "the first entry is the object's identity");
  if (!ppv) return E_POINTER;
  IUnknown* answer = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    answer = table[0].pointer(object);
  } else {
    for (const InterfaceEntry<Class>& entry : table) {
      if (IsEqualIID(riid, *entry.iid)) {
        answer = entry.pointer(object);
        break;
      }
    }
  }
  *ppv = answer;
  if (!answer) return E_NOINTERFACE;
  answer->AddRef();
  return S_OK;
}

}  // namespace tarnivo::com
