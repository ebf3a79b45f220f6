// tarnivo-sim's side of playing a scenario: the session on the Linux back end (the simulated
// browser, the band and the toolbar form in this process) and what each command does to it.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "play.h"
#include "session.h"

namespace scenario {

class SimRunner : public Runner {
 public:
  SimRunner(bool verbose, std::ostream& out) : session_(verbose, out) {}

  bool Begin(std::string* error) override { return session_.Begin(error); }
  void End() override { session_.End(); }
  void BeforeCommand(const Command& command) override;
  void AfterCommand(const Command& command) override;
  void Say(const std::string& line) override { session_.Say(line); }
  std::string ExceptionText() const override { return "the system raised an exception"; }

  Status SetClock(const ClockCommand& clock) override;
  Status Wait(unsigned milliseconds) override;
  Status SwitchTimer(const std::string& what, int timer, bool on) override;

  Status Start(bool with_browser) override;
  Status Stop(const std::string& what) override;
  Status Closing(const std::string& what) override;
  Status ShowPage(const std::string& what, const PageCommand& page) override;
  Status Focus(const std::string& what, const std::string& tag) override;
  Status SetBusy(const std::string& what, bool busy) override;
  Status Navigate(const std::string& what, const std::string& url) override;
  Status Complete(const std::string& what, bool top) override;
  Status StateChange(const std::string& what) override;
  Status Popup(const std::string& what, PopupOutcome* outcome) override;
  Status ShownDocument(const std::string& what, std::unique_ptr<PageDocument>* out) override;
  Status PageEvent(const std::string& what, const PageEventCommand& event) override;

  Status Cursor(const std::string& what, const std::string& window_class) override;
  Status Mouse(const std::string& what, bool down) override;
  Status Click(const std::string& what) override;
  Status CtrlKey(bool down) override;
  Status ScrollLock(const std::string& what, bool on) override;

  Status Show(const std::string& what, bool show) override;
  Status AskBandInfo(const std::string& what, std::uint32_t mask, BandInfo* info) override;
  Status Button(const std::string& what, const ButtonCommand& button) override;
  Status DropDown(const std::string& what, const DropDownCommand& drop,
                  MenuOutcome* outcome) override;
  Status BandKey(const std::string& what, const KeyMessage& key,
                 const std::optional<MenuChoice>& choice, MenuOutcome* outcome) override;

  Status ClickWindow(const std::string& what, HWND control) override;
  Status TypeText(const std::string& what, const std::string& text) override;
  Status PressKey(const std::string& what, int vk) override;
  Status PickEntry(const std::string& what, HWND control, tarnivo::forms::ControlKind kind,
                   int index) override;
  Status SlideTo(const std::string& what, HWND slider, int position) override;
  Status ClickOutside(const std::string& what) override;
  void SetInputWait(std::function<bool()> wait) override;

  Status Call(const std::string& what, const CallCommand& call,
              std::optional<std::string>* result) override;
  Status SetState(const std::string& what, const StateName& state,
                  const std::string& value) override;
  Status GetState(const std::string& what, const StateName& state, std::string* value) override;
  Status ChangeList(const std::string& what, const ListCommand& change) override;
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
  Status NeedShownToolbar(const std::string& what, tarnivo::CToolbar** band, HWND* toolbar);
  // Runs `press` with a menu chooser that takes `choice` from the menu that drops.
  template <typename Press>
  Status WithChoice(const std::optional<MenuChoice>& choice, MenuOutcome* outcome, Press press);

  // The user's input posted by a command: run at once, unless the command plays inside one
  // of the system's loops, which takes it.
  Status Settled(Status status);

  Session session_;
  int waiting_ = 0;  // the input wait runs (the system's loop waits for the user)
};

}  // namespace scenario
