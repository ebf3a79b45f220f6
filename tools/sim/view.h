// A view of what the system shows a reader of a session, taken before and after each
// command (and while time passes) so that -v can print what changed: the user-action
// window, the page state, the watch timers and the About item, each band's bindings and
// flags, the scripts and embedded objects of the pages, and the lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulated_browser.h"

namespace scenario {

class Session;

struct View {
  bool taken = false;
  bool user_action = false;
  bool page_complete = false;
  std::int32_t navigation_start = 0;

  bool form_loaded = false;
  bool timers[3] = {false, false, false};
  std::string about;

  struct Band {
    int number = 0;
    bool allow_next = false;
    int script_navigation = 0;
    bool browser_bound = false;
    const void* page = nullptr;  // the bound document's identity
    bool page_shown = false;     // the bound document is the one the browser shows
  };
  std::vector<Band> bands;

  // A script or embedded object of a page, held so that its identity stays valid.
  struct Element {
    std::string where;  // "window 2: frame 0: script 1"
    std::shared_ptr<tarnivo::sim::SimObject> object;
    bool script = false;
    std::string text;  // a script's text; an object's codeBase
    std::string src;
    bool disabled = false;
  };
  std::vector<Element> elements;

  // Lists: entries with their tags; patterns and tags of the ActiveX screen.
  bool with_lists = false;
  std::vector<std::pair<std::string, std::int32_t>> allowed_sites;
  std::vector<std::pair<std::string, std::int32_t>> blocked_activex;
  std::vector<std::string> patterns;
  std::vector<std::string> tags;
};

// The view as the system stands now; `with_lists` also copies the lists.
View TakeView(const Session& session, bool with_lists);

// The lines telling what differs from `before` to `after`, in reading order. The About
// caption is given apart (`about`, empty when unchanged) so that a run of its changes can
// be told in one line.
std::vector<std::string> DescribeChanges(const View& before, const View& after, std::string* about,
                                         bool* about_changed);

}  // namespace scenario
