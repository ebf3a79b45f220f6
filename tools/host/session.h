// The state of one scenario file's run against the real tarnivo.dll: the browser windows
// the host opened, each with its band, its site and its browser, and what the last popup
// gave.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <windows.h>

#include "com_objects.h"
#include "play.h"
#include "status.h"

namespace host {

// tarnivo.dll, loaded from beside the runner, and the class factory of its band object.
class Server {
 public:
  // False with a message when the DLL or its class factory cannot be had.
  bool Load(std::string* error);
  // A new band object (its IUnknown), or null.
  IUnknown* CreateBand();
  ~Server();

 private:
  HMODULE module_ = nullptr;
  IClassFactory* factory_ = nullptr;
};

// The path of this program (tarnivo-host.exe); false when it cannot be read.
bool RunnerPath(std::string* path);

// CreateProcessA of `command`, tried a few times: under a loaded machine Wine now and then
// fails a process start with an internal error (1359). False, with the last error set, when
// every try failed.
bool StartProcess(std::string& command, bool inherit_handles, STARTUPINFOA& startup,
                  PROCESS_INFORMATION* process);

// One of `object`'s interfaces, released when the reference goes; empty when it has none.
template <typename Interface>
comfakes::Ref<Interface> Query(IUnknown* object, REFIID iid) {
  comfakes::Ref<Interface> out;
  if (object == nullptr || FAILED(object->QueryInterface(iid, out.void_out()))) out.Reset();
  return out;
}

// The browser frames the host opens stand at (0, 0) with this size.
constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

// One browser window with its band. `browser` is null for a site that offers none.
struct Window {
  int number = 0;
  HWND frame = nullptr;
  Browser* browser = nullptr;
  Site* site = nullptr;
  IUnknown* band = nullptr;
};

// The windows the cursor was put over in one session (user_commands.cpp).
class Pointer;

class Session {
 public:
  Session(Server& server, bool verbose, std::ostream& out);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The fresh state of a file: no settings key, no list file, no key down, Scroll Lock off.
  bool Begin(std::string* error);
  // Closes the windows still open and leaves no settings key and no list file behind.
  void End();

  Window* Current() { return windows_.empty() ? nullptr : windows_.back().get(); }
  // Opens a window: the band is created, sited (on a browser when `with_browser`) and shown.
  scenario::Status Open(bool with_browser);
  // The browser raises WindowClosing, the host closes the band (CloseDW), takes it off its
  // site and releases it.
  void CloseCurrent();
  // Raises WindowClosing only.
  void RaiseClosing(Window& window);
  // NewWindow2 with Cancel coming in False; the outcome.
  scenario::PopupOutcome RaisePopup(Browser& browser);

  scenario::Status NeedWindow(const std::string& what, Window** window);
  scenario::Status NeedBrowser(const std::string& what, Browser** browser);

  // Lets `milliseconds` pass on the DLL's virtual clock: its due timers fire in due order, and
  // the host runs its messages before each and at the end.
  void Wait(unsigned milliseconds);
  // Runs the messages waiting in the queue.
  static void Pump();

  // Made by the first `cursor`; it goes, with its windows, when the session ends.
  std::shared_ptr<Pointer> pointer;

  void Say(const std::string& line);

 private:
  Server& server_;
  bool verbose_;
  std::ostream& out_;
  int next_number_ = 1;
  std::vector<std::unique_ptr<Window>> windows_;
};

// Sets the Scroll Lock toggle with keyboard events until the system reports it; false when
// it does not follow.
bool SetScrollLock(bool on);
bool ScrollLockOn();

// The fresh state of the mouse: the left button up, no press an earlier run left unread, the
// cursor over no window of the host. False with a message when the system does not follow.
bool ResetMouse(std::string* error);

// `tarnivo-host.exe --menu X Y PARENT`: keeps a popup menu open at X,Y for `cursor menu` until
// asked to close or until process PARENT ends.
int RunMenuWindow(int argc, char** argv);

}  // namespace host
