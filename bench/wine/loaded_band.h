// What the benchmark programs under Wine share: the output lines, the settings key in a known
// state, and the real band loaded from tarnivo.dll, created through its class factory, sited
// on a stand-in browser (tools/comfakes) in a frame window of the program and shown.
#pragma once

#include <string>

#include "platform/win32.h"

#include <ole2.h>
#include <shlobj.h>

namespace comfakes {
class FakeBrowser;
class FakeSite;
}  // namespace comfakes

namespace winbench {

// One line on stdout, flushed at once.
void Line(const std::string& text);

// The settings as a first run leaves them: the switch on, the ActiveX screen on, no level.
bool KnownSettings();

// tarnivo.dll beside this program.
std::string DllBesideProgram();

// A visible top-level window of class `class_name`, the browser's frame.
HWND MakeFrame(const char* class_name, const char* title, int width, int height);

class LoadedBand {
 public:
  LoadedBand() = default;
  ~LoadedBand() { Close(); }
  LoadedBand(const LoadedBand&) = delete;
  LoadedBand& operator=(const LoadedBand&) = delete;

  // Loads the DLL at `path` and sites and shows its band in `frame`; false with `error` set
  // when a step fails.
  bool Open(const std::string& path, HWND frame, std::string* error);
  // Closes the band, takes it off its site and lets go of everything (the module stays).
  void Close();
  // The DLL's own DllCanUnloadNow: "yes", "no", or "" when it has none.
  std::string CanUnloadNow() const;

 private:
  HMODULE module_ = nullptr;
  IClassFactory* factory_ = nullptr;
  IUnknown* band_ = nullptr;
  comfakes::FakeBrowser* browser_ = nullptr;
  comfakes::FakeSite* site_ = nullptr;
  IObjectWithSite* with_site_ = nullptr;
  IDockingWindow* docking_ = nullptr;
};

// The toolbar form's hidden window on the calling thread (class "TarnivoToolbarForm"), or null.
HWND ToolbarForm();

}  // namespace winbench
