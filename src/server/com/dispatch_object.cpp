#include "server/com/dispatch_object.h"

#include <climits>

#include <olectl.h>  // the stock event identifiers mshtmdid.h refers to
#include <mshtmdid.h>

#include "server/com/event_sink.h"
#include "server/com/text.h"
#include "store/text_number.h"

namespace tarnivo::com {

// {3050F260-98B5-11CF-BB82-00AA00BDCE0B}
const IID kHtmlDocumentEvents = {
    0x3050f260, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

namespace {

const void* IdentityOf(IDispatch* dispatch) {
  const Ref<IUnknown> unknown = Query<IUnknown>(dispatch, IID_IUnknown);
  if (!unknown) return dispatch;
  // The object's IUnknown stays the same while it lives, and this wrapper keeps it alive.
  return unknown.get();
}

void ClearExcepInfo(EXCEPINFO& info) {
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
}

bool NumberFrom(LONGLONG number, host::Value* out) {
  if (number < INT_MIN || number > INT_MAX) return false;
  *out = host::Value::Of(static_cast<std::int32_t>(number));
  return true;
}

// A floating-point number (a form's twips, say) as a whole number, halves to even; none
// outside 32 bits or not a number at all.
bool RealFrom(double number, host::Value* out) {
  const std::optional<std::int32_t> whole = RoundToInt32(number);
  if (!whole) return false;
  *out = host::Value::Of(*whole);
  return true;
}

bool UnsignedFrom(ULONGLONG number, host::Value* out) {
  if (number > static_cast<ULONGLONG>(INT_MAX)) return false;
  *out = host::Value::Of(static_cast<std::int32_t>(number));
  return true;
}

bool ObjectFrom(IDispatch* dispatch, host::Value* out) {
  *out = host::Value::Of(DispatchObject::Wrap(dispatch));
  return true;
}

bool ObjectFromUnknown(IUnknown* unknown, host::Value* out) {
  if (!unknown) return ObjectFrom(nullptr, out);
  const Ref<IDispatch> dispatch = Query<IDispatch>(unknown, IID_IDispatch);
  if (!dispatch) return false;
  host::ObjectPtr object = DispatchObject::Wrap(dispatch.get());
  *out = host::Value::Of(std::move(object));
  return true;
}

// The page document's events, passed on to the document's sink.
class DocumentEventSink : public EventSink {
 public:
  explicit DocumentEventSink(host::DocumentEvents* target)
      : EventSink(kHtmlDocumentEvents), target_(target) {}

 protected:
  void Raise(DISPID id, DISPPARAMS&, VARIANT* result) override {
    switch (id) {
      case DISPID_HTMLDOCUMENTEVENTS_ONCLICK:
        Answer(target_->onclick(), result);
        break;
      case DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU:
        Answer(target_->oncontextmenu(), result);
        break;
      case DISPID_HTMLDOCUMENTEVENTS_ONFOCUSOUT:
        target_->onfocusout();
        break;
      case DISPID_HTMLDOCUMENTEVENTS_ONKEYDOWN:
        target_->onkeydown();
        break;
      case DISPID_HTMLDOCUMENTEVENTS_ONMOUSEDOWN:
        target_->onmousedown();
        break;
      case DISPID_HTMLDOCUMENTEVENTS_ONMOUSEMOVE:
        target_->onmousemove();
        break;
      default:
        break;
    }
  }

 private:
  // The handler's answer: True lets the page's default action go on.
  static void Answer(bool goOn, VARIANT* result) {
    if (!result) return;
    VariantClear(result);
    result->vt = VT_BOOL;
    result->boolVal = goOn ? VARIANT_TRUE : VARIANT_FALSE;
  }

  host::DocumentEvents* target_;
};

}  // namespace

DispatchObject::DispatchObject(IDispatch* dispatch)
    : dispatch_(Ref<IDispatch>::Share(dispatch)), identity_(IdentityOf(dispatch)) {}

host::ObjectPtr DispatchObject::Wrap(IDispatch* dispatch) {
  if (!dispatch) return nullptr;
  return std::make_shared<DispatchObject>(dispatch);
}

bool DispatchObject::Get(const std::string& name, host::Value* out) {
  return Invoke(name, DISPATCH_PROPERTYGET, {}, false, out);
}

bool DispatchObject::Put(const std::string& name, const host::Value& value) {
  return Invoke(name, DISPATCH_PROPERTYPUT, {value}, true, nullptr);
}

bool DispatchObject::Call(const std::string& name, const std::vector<host::Value>& args,
                          host::Value* out) {
  // Collections answer item and tags as methods or as indexed properties.
  return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, false, out);
}

bool DispatchObject::Invoke(const std::string& name, WORD flags, std::vector<host::Value> args,
                            bool put, host::Value* out) {
  std::wstring wide = WideFromAnsi(name);
  LPOLESTR names[1] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return false;
  }

  // The arguments go last to first.
  std::vector<VARIANT> variants(args.size());
  for (VARIANT& variant : variants) VariantInit(&variant);
  bool converted = true;
  for (std::size_t i = 0; i < args.size() && converted; ++i) {
    converted = VariantFromValue(args[i], &variants[args.size() - 1 - i]);
  }
  HRESULT hr = E_FAIL;
  VARIANT result;
  VariantInit(&result);
  if (converted) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {variants.empty() ? nullptr : variants.data(), put ? &named : nullptr,
                         static_cast<UINT>(variants.size()), put ? 1u : 0u};
    EXCEPINFO exception = {};
    UINT argError = 0;
    hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                           put ? nullptr : &result, &exception, &argError);
    ClearExcepInfo(exception);
  }
  for (VARIANT& variant : variants) VariantClear(&variant);

  bool ok = SUCCEEDED(hr);
  if (ok && out) {
    try {
      ok = ValueFromVariant(result, out);
    } catch (...) {
      ok = false;
    }
  }
  VariantClear(&result);
  return ok;
}

std::unique_ptr<host::Connection> DispatchObject::ConnectDocumentEvents(
    host::DocumentEvents* sink) {
  if (!sink) return nullptr;
  return ConnectSink(dispatch_.get(), kHtmlDocumentEvents, new DocumentEventSink(sink));
}

namespace {

bool ValueAt(const VARIANT& variant, host::Value* out, int depth) {
  const bool byRef = (variant.vt & VT_BYREF) != 0;
  if (byRef && !variant.byref) return false;
  switch (variant.vt & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_NULL:
      if (byRef) return false;
      *out = host::Value();
      return true;
    case VT_BSTR:
      *out = host::Value::Of(AnsiFromBstr(byRef ? *variant.pbstrVal : variant.bstrVal));
      return true;
    case VT_BOOL:
      *out = host::Value::Of((byRef ? *variant.pboolVal : variant.boolVal) != VARIANT_FALSE);
      return true;
    case VT_I1:
      return NumberFrom(byRef ? *variant.pcVal : variant.cVal, out);
    case VT_UI1:
      return NumberFrom(byRef ? *variant.pbVal : variant.bVal, out);
    case VT_I2:
      return NumberFrom(byRef ? *variant.piVal : variant.iVal, out);
    case VT_UI2:
      return NumberFrom(byRef ? *variant.puiVal : variant.uiVal, out);
    case VT_I4:
      return NumberFrom(byRef ? *variant.plVal : variant.lVal, out);
    case VT_UI4:
      return UnsignedFrom(byRef ? *variant.pulVal : variant.ulVal, out);
    case VT_INT:
      return NumberFrom(byRef ? *variant.pintVal : variant.intVal, out);
    case VT_UINT:
      return UnsignedFrom(byRef ? *variant.puintVal : variant.uintVal, out);
    case VT_I8:
      return NumberFrom(byRef ? *variant.pllVal : variant.llVal, out);
    case VT_UI8:
      return UnsignedFrom(byRef ? *variant.pullVal : variant.ullVal, out);
    case VT_R4:
      return RealFrom(byRef ? *variant.pfltVal : variant.fltVal, out);
    case VT_R8:
      return RealFrom(byRef ? *variant.pdblVal : variant.dblVal, out);
    case VT_DISPATCH:
      return ObjectFrom(byRef ? *variant.ppdispVal : variant.pdispVal, out);
    case VT_UNKNOWN:
      return ObjectFromUnknown(byRef ? *variant.ppunkVal : variant.punkVal, out);
    case VT_VARIANT:
      // A VARIANT by reference: read through, to a fixed depth (a chain may loop).
      if (!byRef || depth >= 4) return false;
      return ValueAt(*variant.pvarVal, out, depth + 1);
    default:
      return false;
  }
}

}  // namespace

bool ValueFromVariant(const VARIANT& variant, host::Value* out) { return ValueAt(variant, out, 0); }

bool VariantFromValue(const host::Value& value, VARIANT* out) {
  VariantInit(out);
  switch (value.kind) {
    case host::Value::Kind::Empty:
      return true;
    case host::Value::Kind::Bool:
      out->vt = VT_BOOL;
      out->boolVal = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case host::Value::Kind::Int:
      out->vt = VT_I4;
      out->lVal = value.number;
      return true;
    case host::Value::Kind::String: {
      BSTR text = BstrFromAnsi(value.text);
      if (!text) return false;
      out->vt = VT_BSTR;
      out->bstrVal = text;
      return true;
    }
    case host::Value::Kind::Object: {
      IDispatch* dispatch = nullptr;
      if (value.object) {
        auto* object = dynamic_cast<DispatchObject*>(value.object.get());
        if (!object) return false;
        dispatch = object->Dispatch();
        dispatch->AddRef();
      }
      out->vt = VT_DISPATCH;
      out->pdispVal = dispatch;
      return true;
    }
  }
  return false;
}

}  // namespace tarnivo::com
