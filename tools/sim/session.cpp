#include "session.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "lexer.h"
#include "platform/linux/backend.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "ui/toolbar/frm_toolbar.h"

namespace scenario {

std::optional<std::vector<int>> ToolbarIcons(const tarnivo::CToolbar& band) {
  HWND toolbar = band.ToolbarWindow();
  if (toolbar == nullptr) return std::nullopt;
  const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
  return backend::ImageListIconIds(list);
}

Session::Session(bool verbose, std::ostream& out) : verbose_(verbose), out_(out) {}

Session::~Session() { End(); }

namespace {

// The cursor's windows stand side by side along the bottom of the 1024 x 768 screen, each
// in a place of its own, so that the cursor over one is over it alone whatever the order
// they were made in.
constexpr int kCursorWindowSize = 40;
constexpr int kCursorWindowStep = 50;
constexpr int kCursorWindowsPerRow = 20;
constexpr int kCursorWindowRows = 10;
constexpr int kCursorWindowLeft = 8;
constexpr int kCursorWindowBottomRow = 718;
// The screen's last point, where none of them stands.
constexpr int kParkX = 1023;
constexpr int kParkY = 767;

// The icon resources the band's module holds: its image sets are made of them.
const std::vector<int> kModuleIcons = {101, 102, 103, 104, 105};

void ResetThreadState() {
  backend::ResetInput();
  backend::SetModuleIcons(kModuleIcons);
  backend::ResetShown();
  backend::ResetShellExecutes();
  backend::SetMenuChooser({});
  tarnivo::ResetShared();
  tarnivo::AllowedSites().Clear();
  tarnivo::BlockedActiveX().Clear();
}

// A point where no window of the session stands: the cursor over no window.
void ParkCursor() { SetCursorPos(kParkX, kParkY); }

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
  backend::ResetClock();
  backend::SetTimeOfDay(8, 0, 0, 0);
  ParkCursor();
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
  // A band's form may outlive its windows (a band closed without its form): none is left.
  tarnivo::frmToolbar::Unload();
  for (const CursorWindow& window : cursor_windows_) {
    if (window.hwnd != nullptr) DestroyWindow(window.hwnd);
    if (window.registered) UnregisterClassA(window.window_class.c_str(), GetModuleHandleA(nullptr));
  }
  cursor_windows_.clear();
  ParkCursor();
  view_ = View();
  noted_.clear();
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
  // The band object reads the settings when it is created, then the host sites it (which
  // initialises the toolbar form) and shows its toolbar.
  window->band = std::make_unique<tarnivo::CToolbar>();
  if (with_browser) window->browser = std::make_shared<tarnivo::sim::SimBrowser>();
  window->site = std::make_shared<tarnivo::sim::SimSite>(window->browser);
  windows_.push_back(std::move(window));
  Window& opened = *windows_.back();
  opened.band->SetSite(opened.site);
  opened.band->ShowDW(true);
  return opened;
}

void Session::CloseCurrent() {
  if (windows_.empty()) return;
  Window& window = *windows_.back();
  if (window.browser) window.browser->RaiseWindowClosing();
  window.band->CloseDW();
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

bool Session::PutCursorOver(const std::string& window_class, std::string* error) {
  HWND hwnd = nullptr;
  for (const CursorWindow& window : cursor_windows_)
    if (window.window_class == window_class) hwnd = window.hwnd;
  if (hwnd == nullptr) {
    const int slot = static_cast<int>(cursor_windows_.size());
    if (slot >= kCursorWindowsPerRow * kCursorWindowRows) {
      *error = "too many window classes under the cursor in one file";
      return false;
    }
    CursorWindow window;
    window.window_class = window_class;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = window_class.c_str();
    // A class the machine already knows (a menu's, say) is used as it is.
    window.registered = RegisterClassA(&wc) != 0;
    const int left = kCursorWindowLeft + kCursorWindowStep * (slot % kCursorWindowsPerRow);
    const int top = kCursorWindowBottomRow - kCursorWindowStep * (slot / kCursorWindowsPerRow);
    window.hwnd = CreateWindowExA(0, window_class.c_str(), window_class.c_str(),
                                  WS_POPUP | WS_VISIBLE, left, top, kCursorWindowSize,
                                  kCursorWindowSize, nullptr, nullptr, wc.hInstance, nullptr);
    if (window.hwnd == nullptr) {
      if (window.registered) UnregisterClassA(window_class.c_str(), wc.hInstance);
      *error = "cannot make a window of class " + Quote(window_class);
      return false;
    }
    hwnd = window.hwnd;
    cursor_windows_.push_back(std::move(window));
  }
  backend::MoveCursorOver(hwnd);
  return true;
}

std::string Session::TimePrefix() const {
  return wait_offset_ ? "at +" + std::to_string(*wait_offset_) + " ms: " : "";
}

void Session::Say(const std::string& line) {
  if (!verbose_) return;
  FlushCaptions();
  out_ << "    " << TimePrefix() << line << '\n';
}

void Session::SayCaption(const std::string& caption) {
  const unsigned offset = wait_offset_ ? *wait_offset_ : 0;
  if (!wait_offset_) {
    Say("About item reads " + Quote(caption));
    return;
  }
  if (!captions_) {
    captions_ = CaptionRun{offset, offset, caption, caption, 1};
    return;
  }
  captions_->last_offset = offset;
  captions_->last = caption;
  ++captions_->changes;
}

void Session::FlushCaptions() {
  if (!captions_ || flushing_) return;
  flushing_ = true;
  const CaptionRun run = *captions_;
  captions_.reset();
  if (run.changes == 1) {
    out_ << "    at +" << run.first_offset << " ms: About item reads " << Quote(run.first) << '\n';
  } else {
    out_ << "    from +" << run.first_offset << " to +" << run.last_offset
         << " ms: About item reads " << Quote(run.first) << " ... " << Quote(run.last) << " ("
         << run.changes << " changes)\n";
  }
  flushing_ = false;
}

void Session::Wait(unsigned milliseconds) {
  if (!verbose_) {
    backend::RunFor(milliseconds);
    return;
  }
  // Millisecond by millisecond, so that every change is told with its time.
  for (unsigned passed = 1; passed <= milliseconds; ++passed) {
    wait_offset_ = passed;
    backend::RunFor(1);
    SayBandChanges();
    SayViewChanges(true);
  }
  FlushCaptions();
  wait_offset_.reset();
}

std::vector<Session::BandView> Session::ViewBands() const {
  std::vector<BandView> views;
  for (const auto& window : windows_)
    views.push_back({window->number, window->band->Icone(), window->band->Redraws(),
                     ToolbarIcons(*window->band)});
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
            std::to_string(then.icone) + "): " + DescribeIcons(now.icons));
      else if (now.icons != then.icons)
        Say(who + "toolbar images: " + DescribeIcons(now.icons));
      if (now.redraws != then.redraws) {
        const int times = now.redraws - then.redraws;
        Say(who + "toolbar redrawn" + (times == 1 ? "" : " " + std::to_string(times) + " times"));
      }
    }
  }
  noted_ = views;
}

void Session::NoteView() {
  if (verbose_) view_ = TakeView(*this, true);
}

void Session::SayViewChanges(bool print) {
  if (!verbose_) return;
  // While time passes the lists stay as they were noted: they change only by commands.
  View now = TakeView(*this, !wait_offset_);
  if (wait_offset_) {
    now.with_lists = view_.with_lists;
    now.allowed_sites.swap(view_.allowed_sites);
    now.blocked_activex.swap(view_.blocked_activex);
    now.patterns.swap(view_.patterns);
    now.tags.swap(view_.tags);
    view_.with_lists = false;
  }
  if (print) {
    std::string about;
    bool about_changed = false;
    const std::vector<std::string> lines = DescribeChanges(view_, now, &about, &about_changed);
    if (about_changed) SayCaption(about);
    for (const std::string& line : lines) Say(line);
  }
  view_ = std::move(now);
}

}  // namespace scenario
