#include "session.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/linux/backend.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace scenario {

const char* OutcomeName(PopupOutcome outcome) {
  switch (outcome) {
    case PopupOutcome::Blocked:
      return "blocked";
    case PopupOutcome::Allowed:
      return "allowed";
    case PopupOutcome::Passed:
      return "passed";
  }
  return "?";
}

Session::Session(bool verbose, std::ostream& out) : verbose_(verbose), out_(out) {}

Session::~Session() { End(); }

namespace {

void ResetThreadState() {
  backend::ResetInput();
  tarnivo::ResetShared();
  tarnivo::AllowedSites().Clear();
  tarnivo::BlockedActiveX().Clear();
}

}  // namespace

bool Session::Begin(std::string* error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  pattern += "/tarnivo-sim.XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    *error = "cannot make a root folder from " + pattern;
    return false;
  }
  root_ = buffer.data();
  backend::SetRoot(root_);
  ResetThreadState();
  if (verbose_) {
    backend::SetObserver([this](const std::string& line) {
      if (reporting_) Say(line);
    });
  } else {
    backend::SetObserver({});
  }
  return true;
}

void Session::End() {
  backend::SetObserver({});
  while (!windows_.empty()) CloseCurrent();
  ResetThreadState();
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    root_.clear();
  }
}

Window* Session::Current() { return windows_.empty() ? nullptr : windows_.back().get(); }

Window& Session::Open(bool with_browser) {
  auto window = std::make_unique<Window>();
  window->number = next_number_++;
  // The band object reads the settings when it is created, then the host sites it and
  // shows its toolbar.
  window->band = std::make_unique<tarnivo::CToolbar>();
  if (with_browser) window->browser = std::make_shared<tarnivo::sim::SimBrowser>();
  window->site = std::make_shared<tarnivo::sim::SimSite>(window->browser);
  window->band->SetSite(window->site);
  window->band->ShowDW(true);
  windows_.push_back(std::move(window));
  return *windows_.back();
}

void Session::CloseCurrent() {
  if (windows_.empty()) return;
  Window& window = *windows_.back();
  if (window.browser) window.browser->RaiseWindowClosing();
  window.band->ShowDW(false);
  window.band->SetSite(nullptr);
  window.band.reset();
  windows_.pop_back();
}

Status Session::NeedBand(const std::string& what, tarnivo::CToolbar** band) {
  Window* window = Current();
  if (window == nullptr) return Status::Error(what + ": no browser window is open (start first)");
  *band = window->band.get();
  return Status::Ok();
}

Status Session::NeedBrowser(const std::string& what, tarnivo::sim::SimBrowser** browser) {
  Window* window = Current();
  if (window == nullptr) return Status::Error(what + ": no browser window is open (start first)");
  if (!window->browser) return Status::Error(what + ": the current window has no browser");
  *browser = window->browser.get();
  return Status::Ok();
}

void Session::Say(const std::string& line) {
  if (verbose_) out_ << "    " << line << '\n';
}

std::vector<Session::BandView> Session::ViewBands() const {
  std::vector<BandView> views;
  for (const auto& window : windows_)
    views.push_back({window->number, window->band->Icone(), window->band->Redraws()});
  return views;
}

void Session::NoteBands() { noted_ = ViewBands(); }

void Session::SayBandChanges() {
  const std::vector<BandView> views = ViewBands();
  for (const BandView& now : views) {
    for (const BandView& then : noted_) {
      if (then.number != now.number) continue;
      const std::string who =
          windows_.size() > 1 ? "window " + std::to_string(now.number) + ": " : "";
      if (now.icone != then.icone)
        Say(who + "button image set " + std::to_string(now.icone) + " (was " +
            std::to_string(then.icone) + ")");
      if (now.redraws != then.redraws) {
        const int times = now.redraws - then.redraws;
        Say(who + "toolbar redrawn" + (times == 1 ? "" : " " + std::to_string(times) + " times"));
      }
    }
  }
  noted_ = views;
}

}  // namespace scenario
