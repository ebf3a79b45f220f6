// tarnivo-host.exe's side of playing a scenario: the real tarnivo.dll, sited on the host's
// COM stand-ins of a browser, driven through the system and the band's own COM interfaces.
// What cannot be driven or seen that way is answered Skipped, with the reason.
#pragma once

#include <ostream>
#include <string>

#include "play.h"
#include "session.h"

namespace host {

using scenario::Status;

class HostRunner : public scenario::Runner {
 public:
  HostRunner(Server& server, bool verbose, std::ostream& out) : session_(server, verbose, out) {}

  bool Begin(std::string* error) override { return session_.Begin(error); }
  void End() override { session_.End(); }
  void Say(const std::string& line) override { session_.Say(line); }
  std::string ExceptionText() const override { return "the host raised an exception"; }

  Status SetClock(const scenario::ClockCommand& clock) override;
  Status Wait(unsigned milliseconds) override;
  Status SwitchTimer(const std::string& what, int timer, bool on) override;

  Status Start(bool with_browser) override;
  Status Stop(const std::string& what) override;
  Status Closing(const std::string& what) override;
  Status ShowPage(const std::string& what, const scenario::PageCommand& page) override;
  Status Focus(const std::string& what, const std::string& tag) override;
  Status SetBusy(const std::string& what, bool busy) override;
  Status Navigate(const std::string& what, const std::string& url) override;
  Status Complete(const std::string& what, bool top) override;
  Status StateChange(const std::string& what) override;
  Status Popup(const std::string& what, scenario::PopupOutcome* outcome) override;
  Status ShownDocument(const std::string& what,
                       std::unique_ptr<scenario::PageDocument>* out) override;
  Status PageEvent(const std::string& what, const scenario::PageEventCommand& event) override;

  Status Cursor(const std::string& what, const std::string& window_class) override;
  Status Mouse(const std::string& what, bool down) override;
  Status Click(const std::string& what) override;
  Status CtrlKey(bool down) override;
  Status ScrollLock(const std::string& what, bool on) override;

  Status Show(const std::string& what, bool show) override;
  Status AskBandInfo(const std::string& what, std::uint32_t mask,
                     scenario::BandInfo* info) override;
  Status Button(const std::string& what, const scenario::ButtonCommand& button) override;
  Status DropDown(const std::string& what, const scenario::DropDownCommand& drop,
                  scenario::MenuOutcome* outcome) override;
  Status BandKey(const std::string& what, const scenario::KeyMessage& key,
                 const std::optional<scenario::MenuChoice>& choice,
                 scenario::MenuOutcome* outcome) override;

  Status ClickWindow(const std::string& what, HWND control) override;
  Status TypeText(const std::string& what, const std::string& text) override;
  Status PressKey(const std::string& what, int vk) override;
  Status PickEntry(const std::string& what, HWND control, tarnivo::forms::ControlKind kind,
                   int index) override;
  Status SlideTo(const std::string& what, HWND slider, int position) override;
  Status ClickOutside(const std::string& what) override;
  void SetInputWait(std::function<bool()> wait) override;

  Status Call(const std::string& what, const scenario::CallCommand& call,
              std::optional<std::string>* result) override;
  Status SetState(const std::string& what, const scenario::StateName& state,
                  const std::string& value) override;
  Status GetState(const std::string& what, const scenario::StateName& state,
                  std::string* value) override;
  Status ChangeList(const std::string& what, const scenario::ListCommand& change) override;
  Status ReadList(const std::string& what, const std::string& list,
                  std::vector<std::pair<std::string, std::int32_t>>* entries) override;

  Status Beeps(int* count) override;
  Status MessageBoxes(int* count, tarnivo::MessageBoxSeen* last) override;
  Status Shells(int* count, tarnivo::ShellSeen* last) override;
  Status Menus(int* shown, std::vector<std::string>* last) override;
  Status Redraws(const std::string& what, int* count) override;
  Status Images(const std::string& what, std::optional<std::vector<int>>* icons) override;
  Status TimerRunning(const std::string& what, int timer, bool* running,
                      std::string* note) override;
  Status Caption(const std::string& what, const std::string& name, std::string* text) override;

 private:
  // The toolbar of the current band, for a command a user acts out on it: it must exist and
  // be shown.
  Status NeedShownToolbar(const std::string& what, HWND* toolbar);

  Session session_;
};

}  // namespace host
