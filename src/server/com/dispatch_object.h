// The browser host interface over COM automation: any IDispatch as a host::Object, and the
// conversion of values between VARIANTs and host::Value.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "server/com/com_ref.h"
#include "server/host.h"

#include <oaidl.h>

namespace tarnivo::com {

// The identifier of the page document's events (HTMLDocumentEvents).
extern const IID kHtmlDocumentEvents;

// An object of the browser reached through IDispatch: properties and methods by name (as
// the object matches them), its identity as its IUnknown, its document events through its
// connection points.
class DispatchObject : public host::Object {
 public:
  // Holds its own reference to `dispatch`, which must not be null.
  explicit DispatchObject(IDispatch* dispatch);
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // An object for `dispatch`; null for null.
  static host::ObjectPtr Wrap(IDispatch* dispatch);

  bool Get(const std::string& name, host::Value* out) override;
  bool Put(const std::string& name, const host::Value& value) override;
  bool Call(const std::string& name, const std::vector<host::Value>& args,
            host::Value* out) override;
  const void* Identity() const override { return identity_; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents* sink) override;

  IDispatch* Dispatch() const { return dispatch_.get(); }

 private:
  bool Invoke(const std::string& name, WORD flags, std::vector<host::Value> args, bool put,
              host::Value* out);

  Ref<IDispatch> dispatch_;
  const void* identity_;
};

// A VARIANT as a host value: text (in the ANSI code page), Boolean, whole number (32 bits),
// object, or nothing (VT_EMPTY, VT_NULL); a VARIANT held by reference is read through.
// False, `out` untouched, for kinds the browser host interface has no value for (and numbers
// outside 32 bits).
bool ValueFromVariant(const VARIANT& variant, host::Value* out);
// A host value as a new VARIANT (the caller clears it). An object can be passed only when it
// is itself an IDispatch (a DispatchObject) or none; false otherwise.
bool VariantFromValue(const host::Value& value, VARIANT* out);

}  // namespace tarnivo::com
