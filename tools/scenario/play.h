// Playing scenario files: what every runner shares (the line loop, the state one file's run
// keeps, every comparison and message of the expectations, the registry and the list file
// through the Win32 subset) and the small interface a runner implements for the rest: how it
// drives the browser, the page, the user and the band, and what it can read back.
//
// Every Runner call answers a Status: Ok; an Error or a Failure with its whole message
// ("what: ..."); or Skipped when the runner cannot run or observe that on the system it
// drives. A runner that cannot do something it has been asked returns Skipped, never Ok.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "band_checks.h"
#include "page_checks.h"
#include "platform/win32.h"
#include "popups_seen.h"
#include "status.h"
#include "ui/forms/form_layout.h"
#include "verbs.h"

namespace scenario {

enum class PopupOutcome { Blocked, Allowed, Passed };
const char* OutcomeName(PopupOutcome outcome);

// A document of the page as the runner's browser holds it.
class PageDocument {
 public:
  virtual ~PageDocument() = default;
  virtual std::size_t FrameCount() = 0;
  // The document of frame `index` (below FrameCount()); null when it cannot be read.
  virtual std::unique_ptr<PageDocument> Frame(std::size_t index) = 0;
  // Elements added at the end: a SCRIPT, a frame with an empty document of its own (from
  // another site when not `readable`), an OBJECT.
  virtual void AddScript(const std::string& text, const std::string& src) = 0;
  virtual void AddFrame(bool readable) = 0;
  virtual void AddObject(const std::string& code_base) = 0;
  // The text (or, with `src`, the address) of each SCRIPT, and each OBJECT, as the band left
  // them, in document order.
  virtual std::vector<std::string> Scripts(bool src) = 0;
  virtual std::vector<ObjectSeen> Objects() = 0;
};

// What the last menu the band showed was, and whether the choice asked for was made.
struct MenuOutcome {
  bool dropped = false;  // a menu dropped during the command
  bool chosen = false;   // the entry asked for was chosen from it
};

class Runner {
 public:
  virtual ~Runner() = default;

  // The fresh machine state of a file; false with a message when it cannot be made.
  virtual bool Begin(std::string* error) = 0;
  // Closes what is still open and leaves nothing of the file behind.
  virtual void End() = 0;
  // Around each command: the sim's transcript tells what the command changed.
  virtual void BeforeCommand(const Command& command) { (void)command; }
  virtual void AfterCommand(const Command& command) { (void)command; }
  // A line of what the system did, printed with -v.
  virtual void Say(const std::string& line) = 0;
  // The message of an exception that left a command ("the system raised an exception").
  virtual std::string ExceptionText() const = 0;

  // --- time ---
  virtual Status SetClock(const ClockCommand& clock) = 0;
  virtual Status Wait(unsigned milliseconds) = 0;
  virtual Status SwitchTimer(const std::string& what, int timer, bool on) = 0;

  // --- the browser and the page ---
  virtual Status Start(bool with_browser) = 0;
  virtual Status Stop(const std::string& what) = 0;
  virtual Status Closing(const std::string& what) = 0;
  virtual Status ShowPage(const std::string& what, const PageCommand& page) = 0;
  virtual Status Focus(const std::string& what, const std::string& tag) = 0;
  virtual Status SetBusy(const std::string& what, bool busy) = 0;
  virtual Status Navigate(const std::string& what, const std::string& url) = 0;
  virtual Status Complete(const std::string& what, bool top) = 0;
  virtual Status StateChange(const std::string& what) = 0;
  virtual Status Popup(const std::string& what, PopupOutcome* outcome) = 0;
  // The document the browser shows, for the page's content and its expectations; an Error
  // when there is no window, no browser or no document.
  virtual Status ShownDocument(const std::string& what, std::unique_ptr<PageDocument>* out) = 0;
  virtual Status PageEvent(const std::string& what, const PageEventCommand& event) = 0;

  // --- the user ---
  virtual Status Cursor(const std::string& what, const std::string& window_class) = 0;
  virtual Status Mouse(const std::string& what, bool down) = 0;
  virtual Status Click(const std::string& what) = 0;
  virtual Status CtrlKey(bool down) = 0;
  virtual Status ScrollLock(const std::string& what, bool on) = 0;

  // --- the band ---
  virtual Status Show(const std::string& what, bool show) = 0;
  virtual Status AskBandInfo(const std::string& what, std::uint32_t mask, BandInfo* info) = 0;
  virtual Status Button(const std::string& what, const ButtonCommand& button) = 0;
  // The arrow of a button, and the forwarded key: with a choice, that entry of the menu that
  // drops is chosen; without one the menu is dismissed.
  virtual Status DropDown(const std::string& what, const DropDownCommand& drop,
                          MenuOutcome* outcome) = 0;
  virtual Status BandKey(const std::string& what, const KeyMessage& key,
                         const std::optional<MenuChoice>& choice, MenuOutcome* outcome) = 0;

  // --- the user in the dialog on screen (the player finds the control by its name) ---
  // A click in the middle of the control's window.
  virtual Status ClickWindow(const std::string& what, HWND control) = 0;
  // Text typed on the keyboard (bytes of the ANSI code page), into the window with the focus.
  virtual Status TypeText(const std::string& what, const std::string& text) = 0;
  // A key pressed and released: VK_RETURN, VK_ESCAPE or VK_TAB.
  virtual Status PressKey(const std::string& what, int vk) = 0;
  // Entry `index` of a list or combo box picked as a user picks it.
  virtual Status PickEntry(const std::string& what, HWND control, tarnivo::forms::ControlKind kind,
                           int index) = 0;
  // A slider moved to `position`.
  virtual Status SlideTo(const std::string& what, HWND slider, int position) = 0;
  // A click on no window of this program: the dialog loses the activation.
  virtual Status ClickOutside(const std::string& what) = 0;
  // While a file plays, `wait` is set: the runner calls it whenever the system waits for the
  // user's next action inside a loop of its own (a modal dialog on screen). It plays the
  // file's next line, or closes the dialogs once the file has ended or stopped, and answers
  // true; false when it has nothing to do. Set to an empty function when the file ends.
  virtual void SetInputWait(std::function<bool()> wait) = 0;

  // --- calling the system directly ---
  virtual Status Call(const std::string& what, const CallCommand& call,
                      std::optional<std::string>* result) = 0;
  virtual Status SetState(const std::string& what, const StateName& state,
                          const std::string& value) = 0;
  virtual Status GetState(const std::string& what, const StateName& state, std::string* value) = 0;
  virtual Status ChangeList(const std::string& what, const ListCommand& change) = 0;
  // A list's entries with their tags (the built lists have tags 0).
  virtual Status ReadList(const std::string& what, const std::string& list,
                          std::vector<std::pair<std::string, std::int32_t>>* entries) = 0;

  // --- what the system showed ---
  virtual Status Beeps(int* count) = 0;
  virtual Status MessageBoxes(int* count, tarnivo::MessageBoxSeen* last) = 0;
  // ShellExecuteA calls since the start of the file, and the last one.
  virtual Status Shells(int* count, tarnivo::ShellSeen* last) = 0;
  virtual Status Menus(int* shown, std::vector<std::string>* last) = 0;
  virtual Status Redraws(const std::string& what, int* count) = 0;
  // The icon resource ids of the toolbar's image list; nothing when the band has no toolbar.
  virtual Status Images(const std::string& what, std::optional<std::vector<int>>* icons) = 0;
  // Whether the watch timer runs; `note` tells why it cannot ("the toolbar form is not
  // loaded").
  virtual Status TimerRunning(const std::string& what, int timer, bool* running,
                              std::string* note) = 0;
  // The caption of a menu entry of the toolbar form, by its name.
  virtual Status Caption(const std::string& what, const std::string& name, std::string* text) = 0;
};

// What one file's run keeps from line to line.
struct Play {
  std::optional<PopupOutcome> last_popup;
  std::optional<BandInfo> last_band_info;
  std::optional<std::string> last_result;
};

// Runs one command on `runner`.
Status PlayCommand(Runner& runner, Play& play, const Command& command);

struct FileOutcome {
  enum class Result {
    Passed = 0,   // no line failed, and an expectation ran unless none was skipped
    Failed = 1,   // an expectation did not hold
    Error = 2,    // a line could not be parsed, or named a command this build does not know
    Skipped = 3,  // no line failed, but every expectation of the file was skipped
  };
  Result result = Result::Passed;
  int skipped_lines = 0;
};

// Runs one scenario file line by line, stopping at the first line that fails or cannot be
// run. A line that opens a modal dialog returns only when the dialog has closed: the lines
// after it are played inside the dialog's loop, whenever the system waits for input there,
// until it closes; a file that ends or stops with a dialog open closes it. `out` takes the
// transcript (with `verbose`), `err` the message of the line that stopped the run, as "FILE:LINE:
// message". Lines the runner skips are told with -v; once a command that changes the session was
// skipped, the file's later expectations are skipped too, since they would judge a session the file
// did not describe.
FileOutcome RunFile(Runner& runner, const std::string& path, bool verbose, std::ostream& out,
                    std::ostream& err);

}  // namespace scenario
