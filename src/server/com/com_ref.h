// A counted COM reference that releases on destruction, and QueryInterface into one.
#pragma once

#include <utility>

#include "platform/win32.h"

#include <unknwn.h>

namespace tarnivo::com {

// One reference to a COM object, released when the Ref goes or is reset. Move-only.
template <typename T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference the caller owns.
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ~Ref() { Reset(); }

  // A reference of its own to an object the caller only lends (AddRef); empty for null.
  static Ref Share(T* p) {
    if (p) p->AddRef();
    return Ref(p);
  }

  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  // Takes over a reference the caller owns; the old one goes first.
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  // Gives the pointer up without releasing it: the caller owns the reference now. Also how a
  // pointer that a failed call left in out() is dropped, as it is no reference.
  T* release() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: the old reference goes first.
  T** out() {
    Reset();
    return &p_;
  }
  void** void_out() { return reinterpret_cast<void**>(out()); }

 private:
  T* p_ = nullptr;
};

// Interface `riid` of `object` (not null) as a T: empty when the object has none. What a failed
// call left in its out-parameter is not taken as a reference.
template <typename T, typename From>
Ref<T> Query(From* object, REFIID riid) {
  Ref<T> answer;
  if (FAILED(object->QueryInterface(riid, answer.void_out()))) answer.release();
  return answer;
}

}  // namespace tarnivo::com
