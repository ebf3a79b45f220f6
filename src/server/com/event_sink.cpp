#include "server/com/event_sink.h"

#include <utility>

#include "server/com/com_ref.h"
#include "server/com/interface_table.h"
#include "server/com/object_count.h"

namespace tarnivo::com {

EventSink::EventSink(const IID& events) : events_(events) { AddModuleReference(); }

EventSink::~EventSink() { ReleaseModuleReference(); }

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv) {
  using Entry = InterfaceEntry<EventSink>;
  static constexpr Entry kInterfaces[] = {Entry::Of<IDispatch>(IID_IDispatch)};
  // The outgoing interface, known only at run time, is this IDispatch too.
  return QueryFromTable(this, kInterfaces, IsEqualIID(riid, events_) ? IID_IDispatch : riid, ppv);
}

STDMETHODIMP_(ULONG) EventSink::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) EventSink::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP EventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams,
                               VARIANT* pVarResult, EXCEPINFO*, UINT*) {
  if (!attached_) return S_OK;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  DISPPARAMS& params = pDispParams ? *pDispParams : none;
  if (params.cArgs > 0 && !params.rgvarg) return S_OK;
  const Ref<EventSink> keep = Ref<EventSink>::Share(this);  // a handler may disconnect this sink
  try {
    Raise(dispIdMember, params, pVarResult);
  } catch (...) {
    // The event source never sees a handler's failure.
  }
  return S_OK;
}

namespace {

class SinkConnection : public host::Connection {
 public:
  SinkConnection(Ref<IConnectionPoint> point, DWORD cookie, Ref<EventSink> sink)
      : point_(std::move(point)), cookie_(cookie), sink_(std::move(sink)) {}
  SinkConnection(const SinkConnection&) = delete;
  SinkConnection& operator=(const SinkConnection&) = delete;
  ~SinkConnection() override {
    sink_->Detach();
    point_->Unadvise(cookie_);
    point_.Reset();
    sink_.Reset();
  }

 private:
  Ref<IConnectionPoint> point_;
  DWORD cookie_;
  Ref<EventSink> sink_;
};

}  // namespace

std::unique_ptr<host::Connection> ConnectSink(IUnknown* source, const IID& events,
                                              EventSink* taken) {
  Ref<EventSink> sink(taken);
  if (!sink) return nullptr;
  Ref<IConnectionPoint> point;
  DWORD cookie = 0;
  bool connected = false;
  if (source) {
    if (Ref<IConnectionPointContainer> container =
            Query<IConnectionPointContainer>(source, IID_IConnectionPointContainer)) {
      if (SUCCEEDED(container->FindConnectionPoint(events, point.out())) && point) {
        connected = SUCCEEDED(point->Advise(static_cast<IDispatch*>(sink.get()), &cookie));
      }
    }
  }
  if (!connected) {
    point.Reset();
    sink->Detach();
    return nullptr;
  }
  try {
    return std::make_unique<SinkConnection>(std::move(point), cookie, std::move(sink));
  } catch (...) {
    // No connection was made: the point and the sink are still held here.
    sink->Detach();
    point->Unadvise(cookie);
    return nullptr;
  }
}

VARIANT* EventArgument(DISPPARAMS& params, UINT index) {
  if (!params.rgvarg || index >= params.cArgs) return nullptr;
  VARIANT* argument = &params.rgvarg[params.cArgs - 1 - index];
  // A VARIANT by reference: follow it (a chain of them, to a fixed depth).
  for (int depth = 0; depth < 4 && argument->vt == (VT_BYREF | VT_VARIANT); ++depth) {
    if (!argument->pvarVal) return nullptr;
    argument = argument->pvarVal;
  }
  return argument;
}

VARIANT_BOOL* BooleanReference(DISPPARAMS& params, UINT index) {
  VARIANT* argument = EventArgument(params, index);
  if (!argument) return nullptr;
  if (argument->vt == (VT_BYREF | VT_BOOL)) return argument->pboolVal;
  // Reached through a VARIANT by reference: the Boolean held there.
  if (argument->vt == VT_BOOL && argument != &params.rgvarg[params.cArgs - 1 - index]) {
    return &argument->boolVal;
  }
  return nullptr;
}

}  // namespace tarnivo::com
