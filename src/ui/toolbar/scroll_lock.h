// Scroll Lock: its toggle state, and switching it off.
#pragma once

namespace tarnivo {

// True when the Scroll Lock toggle is on (bit 0 of GetKeyState(VK_SCROLL)).
bool ScrollLockIsOn();
// Four synthesised key events: up, down, down, up. Called while the toggle is on, it leaves
// it off.
void ScrollLockOff();

}  // namespace tarnivo
