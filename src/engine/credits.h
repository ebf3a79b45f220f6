// The user's credits that the blocking engine's steps give and take: the user-action flag
// of the thread, and the right-click pass and the script-navigation mark of a band.
#pragma once

#include <cstdint>
#include <optional>

namespace tarnivo {

// A change to the credits that a step answers and the band carries out: each field holds the
// new value, or nothing when the value stays as it is.
struct CreditChange {
  std::optional<bool> UserActionFlag;
  std::optional<bool> AllowNextPopup;
  std::optional<std::uint8_t> ScriptNavigationSeen;
};

}  // namespace tarnivo
