// Letting the user-interface thread process its pending messages once, from inside a handler.
#pragma once

namespace tarnivo {

// Dispatches every message waiting for this thread (timer ticks among them), then returns.
void ProcessPendingMessages();

}  // namespace tarnivo
