// Receiving the events of a COM object: an IDispatch sink attached to one of its connection
// points, and the reading of event arguments.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win32.h"
#include "server/host.h"

#include <ocidl.h>

namespace tarnivo::com {

// An IDispatch that receives the events of one outgoing interface and passes them on to
// Raise while it is attached. Failures of Raise never reach the event source.
class EventSink : public IDispatch {
 public:
  explicit EventSink(const IID& events);
  EventSink(const EventSink&) = delete;
  EventSink& operator=(const EventSink&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override;

  // From now on events are ignored (the source may still hold the sink for a while).
  void Detach() { attached_ = false; }

 protected:
  virtual ~EventSink();
  // One event: its arguments as the source passed them, and where a result goes (may be null).
  virtual void Raise(DISPID id, DISPPARAMS& params, VARIANT* result) = 0;

 private:
  std::atomic<ULONG> references_{1};
  IID events_;
  bool attached_ = true;
};

// Attaches `sink` to the connection point `events` of `source` and takes over the caller's
// reference to the sink. Null when the source has no such connection point or refuses the
// sink. Destroying the connection detaches the sink and disconnects it.
std::unique_ptr<host::Connection> ConnectSink(IUnknown* source, const IID& events, EventSink* sink);

// Argument `index` of an event, counted in declaration order (DISPPARAMS holds them in
// reverse), with a by-reference VARIANT followed to the VARIANT it points to; null when the
// event has fewer arguments.
VARIANT* EventArgument(DISPPARAMS& params, UINT index);
// The Boolean that a by-reference argument points to (VT_BOOL | VT_BYREF, or a VARIANT
// holding VT_BOOL); null when the argument is not one.
VARIANT_BOOL* BooleanReference(DISPPARAMS& params, UINT index);

}  // namespace tarnivo::com
