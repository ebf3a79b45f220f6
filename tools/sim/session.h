// The state of one scenario file's run on the Linux back end: a fresh machine (its own root
// folder for the registry and the system directory), the browser windows with their bands,
// the windows the cursor is put over, and the transcript printed with -v.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "band_checks.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "status.h"
#include "view.h"

namespace scenario {

// One browser window with its band. `browser` is null for a site that offers none.
struct Window {
  int number = 0;
  std::shared_ptr<tarnivo::sim::SimBrowser> browser;
  tarnivo::host::SitePtr site;
  std::unique_ptr<tarnivo::CToolbar> band;
};

// The icon resource ids of the band's toolbar image list, main button first (empty for an
// empty list or none); nothing when the band has no toolbar. DescribeIcons (band_checks.h)
// writes them for messages.
std::optional<std::vector<int>> ToolbarIcons(const tarnivo::CToolbar& band);

class Session {
 public:
  Session(bool verbose, std::ostream& out);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Puts the machine in its fresh state: a new empty root folder, no key or button down,
  // Scroll Lock off, the clock at 08:00:00.000, the cursor over no window, the thread's
  // shared values and lists at their start. False with a message when the root folder
  // cannot be made.
  bool Begin(std::string* error);
  // Closes the windows still open, destroys the cursor's windows and removes the root folder.
  void End();

  // Windows, oldest first; the newest is the current one.
  Window* Current();
  const std::vector<std::unique_ptr<Window>>& Windows() const { return windows_; }
  Window& Open(bool with_browser);
  // Closes the current window as the host does: the browser raises WindowClosing, the host
  // closes the band (CloseDW), takes it off its site and releases it.
  void CloseCurrent();
  int OpenCount() const { return static_cast<int>(windows_.size()); }

  // The current band, or an error telling the scenario to `start` first.
  Status NeedBand(const std::string& what, tarnivo::CToolbar** band);
  // The current window's browser, or an error.
  Status NeedBrowser(const std::string& what, tarnivo::sim::SimBrowser** browser);

  // Puts the cursor over a visible top-level window of `window_class`, made the first time
  // the class is asked for in this file. False with a message when it cannot be made.
  bool PutCursorOver(const std::string& window_class, std::string* error);

  // Lets `milliseconds` pass; with -v, what changed is printed with its time in the wait.
  void Wait(unsigned milliseconds);

  // A line of what the system did, printed indented with -v.
  void Say(const std::string& line);
  bool Verbose() const { return verbose_; }
  // Whether the back end's reports are printed (off while the bench itself changes the
  // machine, so that the transcript shows only the system's answers).
  void SetReporting(bool on) { reporting_ = on; }

  // What the windows' bands show (image set, redraws), to print what changed: NoteBands
  // takes a view, SayBandChanges prints what differs from it and takes a new one.
  void NoteBands();
  void SayBandChanges();

  // The wider view of the system (user-action window, page state, timers, the About item,
  // the page's scripts and objects, the lists), with -v only: NoteView takes it,
  // SayViewChanges prints what differs (when `print`) and takes a new one.
  void NoteView();
  void SayViewChanges(bool print);

 private:
  // Prints a change of the About item's caption, run together with the changes right
  // before it while time passes; FlushCaptions prints what is held back.
  void SayCaption(const std::string& caption);
  void FlushCaptions();
  std::string TimePrefix() const;

  bool verbose_;
  bool reporting_ = true;
  std::ostream& out_;
  std::string root_;
  int next_number_ = 1;
  std::vector<std::unique_ptr<Window>> windows_;
  struct BandView {
    int number;
    std::int32_t icone;
    int redraws;
    std::optional<std::vector<int>> icons;
  };
  std::vector<BandView> ViewBands() const;
  std::vector<BandView> noted_;

  View view_;
  // Milliseconds into the wait in progress, if any.
  std::optional<unsigned> wait_offset_;
  // A run of About captions held back during a wait.
  struct CaptionRun {
    unsigned first_offset = 0;
    unsigned last_offset = 0;
    std::string first;
    std::string last;
    int changes = 0;
  };
  std::optional<CaptionRun> captions_;
  bool flushing_ = false;

  // The cursor's windows, by class, in the order they were made.
  struct CursorWindow {
    std::string window_class;
    HWND hwnd = nullptr;
    bool registered = false;
  };
  std::vector<CursorWindow> cursor_windows_;
};

}  // namespace scenario
