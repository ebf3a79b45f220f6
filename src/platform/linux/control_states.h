// The state of each window of one control class, kept beside the window under one lock:
// made at WM_NCCREATE, dropped at WM_NCDESTROY, and changed only through `With`, which runs
// a change under the lock (the control tells its parent afterwards, with the lock free).
#pragma once

#include <map>
#include <mutex>
#include <utility>

#include "platform/win32.h"

namespace backend::internal {

template <typename State>
class ControlStates {
 public:
  void Add(HWND window, State state) {
    std::lock_guard<std::mutex> lock(mutex_);
    states_[window] = std::move(state);
  }
  void Remove(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    states_.erase(window);
  }
  // Runs `change(state)` on the window's state under the lock; false when it has none.
  template <typename Change>
  bool With(HWND window, Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = states_.find(window);
    if (found == states_.end()) return false;
    change(found->second);
    return true;
  }
  // Runs `visit(window, state)` on every window's state under the lock until it answers true;
  // the window it stopped at, or null.
  template <typename Visit>
  HWND Find(Visit visit) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& entry : states_)
      if (visit(entry.first, entry.second)) return entry.first;
    return nullptr;
  }

 private:
  std::mutex mutex_;
  std::map<HWND, State> states_;
};

// The one table of `State`, never destroyed: a window may go after the program's statics.
template <typename State>
ControlStates<State>& StatesOf() {
  static auto* states = new ControlStates<State>;
  return *states;
}

}  // namespace backend::internal
