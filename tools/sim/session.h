// The state of one scenario file's run: a fresh machine (its own root folder for the
// registry and the system directory), the browser windows with their bands, what the last
// popup and call gave, and the transcript printed with -v.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "server/simulated_browser.h"
#include "server/toolbar.h"
#include "status.h"

namespace scenario {

// One browser window with its band. `browser` is null for a site that offers none.
struct Window {
  int number = 0;
  std::shared_ptr<tarnivo::sim::SimBrowser> browser;
  tarnivo::host::SitePtr site;
  std::unique_ptr<tarnivo::CToolbar> band;
};

using PopupOutcome = tarnivo::sim::SimBrowser::PopupOutcome;
const char* OutcomeName(PopupOutcome outcome);

class Session {
 public:
  Session(bool verbose, std::ostream& out);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Puts the machine in its fresh state: a new empty root folder, no key or button down,
  // Scroll Lock off, the thread's shared values and lists at their start. False with a
  // message when the root folder cannot be made.
  bool Begin(std::string* error);
  // Closes the windows still open and removes the root folder.
  void End();

  // Windows, oldest first; the newest is the current one.
  Window* Current();
  Window& Open(bool with_browser);
  // Closes the current window as the host does.
  void CloseCurrent();
  int OpenCount() const { return static_cast<int>(windows_.size()); }

  // The current band, or an error telling the scenario to `start` first.
  Status NeedBand(const std::string& what, tarnivo::CToolbar** band);
  // The current window's browser, or an error.
  Status NeedBrowser(const std::string& what, tarnivo::sim::SimBrowser** browser);

  std::optional<PopupOutcome> last_popup;
  std::optional<std::string> last_result;
  std::string cursor = "other";

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

 private:
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
  };
  std::vector<BandView> ViewBands() const;
  std::vector<BandView> noted_;
};

}  // namespace scenario
