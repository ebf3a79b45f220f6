// modSubclass: lets objects that implement ISubclass receive chosen messages of any window
// of the process before (or instead of) that window's own procedure.
//
// Several clients may listen to the same message of the same window, and one client to
// several messages of several windows. The service keeps no table of its own: what it
// knows about a hooked window is stored on the window as properties, named from the
// window handle H and the message number M (both as signed 32-bit decimal text):
//
//   H          the window's previous procedure
//   "C" H      the number of (client, message) pairs hooked on the window
//   H#M C      the number of clients hooked to message M
//   H#M#I      the I-th such client (from 1), the address of its ISubclass
//
// Values are pointer-sized. The service holds no reference to a client: a client unhooks
// every pair it hooked before it goes away. Everything runs on the thread that owns the
// window.
#pragma once

#include "platform/win32.h"

namespace tarnivo {

class ISubclass {
 public:
  virtual ~ISubclass() = default;

  // The client's handler. Returns the message's result; setting Handled to true keeps the
  // window's own procedure from running after the clients (only the flag of the last
  // client called counts). The default does nothing and returns 0.
  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled);

 protected:
  ISubclass() = default;
  ISubclass(const ISubclass&) = default;
  ISubclass& operator=(const ISubclass&) = default;
};

namespace modSubclass {

// Starts routing `msg` of `hwnd` to `client`; the first pair hooked on a window replaces
// its procedure with SubclassProc. New clients go to the end of the message's list.
// Hooking a pair that is hooked already changes nothing.
void HookMessage(ISubclass* client, HWND hwnd, UINT msg);

// Stops routing `msg` of `hwnd` to `client`, keeping the order of the other clients;
// unhooking the window's last pair puts its previous procedure back. Unhooking a pair that
// is not hooked changes nothing.
void UnhookMessage(ISubclass* client, HWND hwnd, UINT msg);

// For a client inside its WindowProc: calls the previous procedure of the window whose
// message it is handling, and returns its result. Outside a client it calls nothing and
// returns 0.
LRESULT CallPreviousProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The window procedure that replaces a hooked window's own. Calls the message's clients in
// list order, then the previous procedure unless the last client called set Handled.
// A client unhooked while the list is being walked is not called any more; one hooked
// meanwhile waits for the next message. When a window that is still hooked is destroyed,
// its WM_NCDESTROY goes to the clients, then the window gets its own procedure back and
// loses the service's properties, then its own procedure hears WM_NCDESTROY.
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace modSubclass
}  // namespace tarnivo
