// Controls of the Linux back end for tests and the scenario runner: the parts of the
// machine a user or the test bench changes (keys, beeps, the root folder). The system's
// own code never includes this header.
#pragma once

#include <functional>
#include <string>

namespace backend {

// The folder that holds the registry file and the system directory: $TARNIVO_ROOT, or
// /var/lib/tarnivo when it is not set. SetRoot overrides it for this process.
std::string Root();
void SetRoot(const std::string& folder);

// Path of the registry file and of the system directory below the root.
std::string RegistryFile();
std::string SystemDirectory();

// Puts the machine state of this process back to its start: no key or button down,
// Scroll Lock off, no pending "pressed since the last query" bits, beep count 0.
// The registry and files are left alone (they live in the root folder).
void ResetInput();

// A user presses or releases a key or the left mouse button (virtual-key code).
void PressKey(int vk);
void ReleaseKey(int vk);
// Sets the Scroll Lock toggle state directly.
void SetScrollLock(bool on);

// Beeps sounded since the last ResetInput.
int BeepCount();

// Everything the back end does that a reader of a session log wants to see (registry
// writes and deletes, synthesised key events, beeps) is reported here, one line each.
// An empty function stops the reports.
void SetObserver(std::function<void(const std::string&)> observer);

// Bytes as a scenario file writes them inside quotes: \0 \r \n \t \" \\ and \xHH for the
// other control bytes (and for bytes from 0x80 up unless `keepHighBytes`).
std::string EscapeBytes(const std::string& bytes, bool keepHighBytes = false);

}  // namespace backend
