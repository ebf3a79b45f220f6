// The allowed-sites editor (frmSite) at the list's limit, as a user meets it: the band is
// sited on the simulated browser, the list file holds 32,767 entries, and the dialog is
// opened by the toolbar form's File menu command, run modally by the dialog's own loop. The
// back end's input wait plays the user inside that loop and stops the clocks:
//
// - BM_SiteEditorOpen: from the menu command until the dialog first waits for input, its
//   list box filled;
// - BM_SiteEditorAdd: with one entry less in the file, from typing a new entry in the entry
//   row (after the ADD button showed it) and Enter, until the dialog waits again with the
//   entry in its list box;
// - BM_SiteEditorOkHandler: the OK handler called from the dialog's wait (the save of the
//   list file, the reload of the list, the dialog hidden);
// - BM_SiteEditorOkClick: a click on OK until the menu command returns (the handler and the
//   toolbar's own reload of both lists afterwards): the time the browser's thread is busy.
//
// Each runs with host names of 10 to 40 characters (arg chars=40) and of 250 (chars=250).
// The times are manual (only the measured span counts); the dialog is opened and closed
// around each one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "simulated_browser.h"
#include "site_list_entries.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/dialogs/frm_site.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFull = SiteList::kMaxEntries;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

std::vector<std::string> Entries(int count, int chars) {
  return chars >= 250 ? sitebench::HostNames(count, 250, 250)
                      : sitebench::HostNames(count, 10, chars);
}

void WriteListFile(const std::vector<std::string>& entries) {
  const std::string bytes = sitebench::ListFileBytes(entries);
  HANDLE file = CreateFileA(SiteListFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// The band on a simulated browser, the list file holding `entries`, and the command id of
// the File menu's "Allowed URLs".
class Bench {
 public:
  explicit Bench(const std::vector<std::string>& entries) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ResetShared();
    backend::ResetInput();
    backend::ResetShown();
    WriteListFile(entries);
    band_ = std::make_unique<CToolbar>();
    band_->SetSite(std::make_shared<sim::SimSite>(std::make_shared<sim::SimBrowser>()));
    frmToolbar* form = frmToolbar::Loaded();
    form_ = form != nullptr ? form->hWnd() : nullptr;
    HMENU file = GetSubMenu(GetMenu(form_), 0);
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
      char caption[64] = {};
      GetMenuStringA(file, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
      if (std::string(caption) == "Allowed URLs") command_ = GetMenuItemID(file, i);
    }
  }
  ~Bench() {
    backend::SetInputWait(nullptr);
    band_->CloseDW();
    band_->SetSite(nullptr);
    frmSite::Instance().reset();
  }
  bool Ready() const { return form_ != nullptr && command_ != 0; }

  // Chooses the menu entry and plays `steps`, one each time the dialog waits for input; the
  // dialog is taken off the screen if it is still there when they run out.
  void Open(std::vector<std::function<void()>> steps) {
    std::size_t next = 0;
    backend::SetInputWait([&] {
      if (next < steps.size()) {
        steps[next++]();
      } else {
        frmSite::Instance()->Hide();
      }
      return true;
    });
    SendMessageA(form_, WM_COMMAND, command_, 0);
    backend::SetInputWait(nullptr);
  }

  static int Shown() { return frmSite::Instance()->ListCount("lstSite"); }
  static HWND Control(const char* name) { return frmSite::Instance()->Item(name); }

 private:
  std::unique_ptr<CToolbar> band_;
  HWND form_ = nullptr;
  UINT command_ = 0;
};

void BM_SiteEditorOpen(benchmark::State& state) {
  Bench bench(Entries(kFull, static_cast<int>(state.range(0))));
  if (!bench.Ready()) return state.SkipWithError("no toolbar form or menu entry");
  int shown = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    Clock::time_point waiting = start;
    bench.Open({[&] {
      waiting = Clock::now();
      shown = Bench::Shown();
      backend::UserKey(VK_ESCAPE);
    }});
    state.SetIterationTime(Seconds(start, waiting));
  }
  if (shown != kFull) state.SkipWithError("the list box is not filled");
  state.counters["shown"] = shown;
}
BENCHMARK(BM_SiteEditorOpen)
    ->ArgName("chars")
    ->Arg(40)
    ->Arg(250)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_SiteEditorAdd(benchmark::State& state) {
  const int chars = static_cast<int>(state.range(0));
  std::vector<std::string> entries = Entries(kFull, chars);
  std::vector<std::string> added(entries.end() - 1, entries.end());
  entries.pop_back();
  Bench bench(entries);
  if (!bench.Ready()) return state.SkipWithError("no toolbar form or menu entry");
  int shown = 0;
  for (auto _ : state) {
    Clock::time_point start;
    Clock::time_point waiting;
    bench.Open({[&] { backend::UserClickWindow(Bench::Control("cmdAdi")); },
                [&] {
                  start = Clock::now();
                  backend::UserType(added.front());
                  backend::UserKey(VK_RETURN);
                },
                [&] {
                  waiting = Clock::now();
                  shown = Bench::Shown();
                  backend::UserKey(VK_ESCAPE);
                }});
    state.SetIterationTime(Seconds(start, waiting));
  }
  if (shown != kFull) state.SkipWithError("the entry did not reach the list box");
  state.counters["shown"] = shown;
}
BENCHMARK(BM_SiteEditorAdd)
    ->ArgName("chars")
    ->Arg(40)
    ->Arg(250)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_SiteEditorOkHandler(benchmark::State& state) {
  Bench bench(Entries(kFull, static_cast<int>(state.range(0))));
  if (!bench.Ready()) return state.SkipWithError("no toolbar form or menu entry");
  bool hidden = false;
  for (auto _ : state) {
    double spent = 0;
    bench.Open({[&] {
      const Clock::time_point start = Clock::now();
      frmSite::Instance()->cmdOK_Click();
      spent = Seconds(start, Clock::now());
      hidden = !IsWindowVisible(frmSite::Instance()->hWnd());
    }});
    state.SetIterationTime(spent);
  }
  if (!hidden || AllowedSites().Count() != kFull) state.SkipWithError("the OK did not round-trip");
}
BENCHMARK(BM_SiteEditorOkHandler)
    ->ArgName("chars")
    ->Arg(40)
    ->Arg(250)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_SiteEditorOkClick(benchmark::State& state) {
  Bench bench(Entries(kFull, static_cast<int>(state.range(0))));
  if (!bench.Ready()) return state.SkipWithError("no toolbar form or menu entry");
  for (auto _ : state) {
    Clock::time_point start;
    bench.Open({[&] {
      start = Clock::now();
      backend::UserClickWindow(Bench::Control("cmdOK"));
    }});
    state.SetIterationTime(Seconds(start, Clock::now()));
  }
  if (AllowedSites().Count() != kFull) state.SkipWithError("the OK did not round-trip");
}
BENCHMARK(BM_SiteEditorOkClick)
    ->ArgName("chars")
    ->Arg(40)
    ->Arg(250)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnivo
