#include "server/host.h"

namespace tarnivo::host {

Value Value::Of(bool b) {
  Value v;
  v.kind = Kind::Bool;
  v.boolean = b;
  return v;
}

Value Value::Of(std::int32_t n) {
  Value v;
  v.kind = Kind::Int;
  v.number = n;
  return v;
}

Value Value::Of(const std::string& s) {
  Value v;
  v.kind = Kind::String;
  v.text = s;
  return v;
}

Value Value::Of(const char* s) { return Of(std::string(s ? s : "")); }

Value Value::Of(ObjectPtr o) {
  Value v;
  v.kind = Kind::Object;
  v.object = std::move(o);
  return v;
}

bool GetTextProperty(Object& object, const std::string& name, std::string* out) {
  Value value;
  if (!object.Get(name, &value) || value.kind != Value::Kind::String) return false;
  *out = value.text;
  return true;
}

ObjectPtr GetObjectProperty(Object& object, const std::string& name) {
  Value value;
  if (!object.Get(name, &value) || value.kind != Value::Kind::Object) return nullptr;
  return value.object;
}

}  // namespace tarnivo::host
