// The host's hands on the system for the user's part of a scenario: the real cursor over real
// windows, and the real left button through the system's input queue (pointer.cpp).
#pragma once

#include <string>

#include "session.h"
#include "status.h"

namespace host {

// Puts the real cursor over a window of `window_class` (made the first time the session asks
// for the class; a real popup menu for "#32768"), and checks that the system sees it there.
scenario::Status PutCursorOver(Session& session, const std::string& window_class,
                               const std::string& what);

// Sends the left button down or up and waits until the system shows it.
scenario::Status PressLeftButton(bool down, const std::string& what);

}  // namespace host
