// tarnivo-site-editor.exe [--runs N] [--chars 40|250] [--dll PATH]
//
// The allowed-sites editor of the real DLL at the list's limit, timed from outside as a user
// meets it. The program writes a list file of 32,767 distinct host names (10 to 40 characters,
// or 250 each with --chars 250), loads tarnivo.dll (beside this program, or PATH), sites and
// shows its band on a stand-in browser, and finds the toolbar form's hidden window and the
// command id of its File menu's "Allowed URLs". Each run then:
//
//   open    posts that command to the form's window: the DLL runs the dialog's modal loop on
//           this thread, while a second thread watches for a shown window of class
//           "Tarnivo.frmSite" whose list box answers 32,767 entries (the list box answers
//           another thread only once its own thread waits for messages again);
//   add     (after one entry is selected and deleted with DEL, and ADD shows the entry row)
//           sets that entry in the text box (WM_SETTEXT) and clicks the entry row's OK
//           (BM_CLICK), until the click has been handled: the list box holds 32,767 again;
//   ok      clicks OK until the click has been handled (the list file saved, the list read
//           again, the dialog hidden);
//   return  from the OK click until the menu command returns on this thread (the toolbar then
//           reads both lists from the file again).
//
// Everything goes through window messages and the system: no back door into the DLL. The
// list file ends each run with the same entries it started with. The settings key and the
// list file are put back as they were after the run.
//
// Output: "run I open_ms=... add_ms=... ok_ms=... return_ms=..." per run, then "median ..."
// of each. Exit status 0 on success, 1 when a step fails, 2 for wrong arguments.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"

#include <ole2.h>

#include "../site_list_entries.h"
#include "loaded_band.h"
#include "machine.h"
#include "saved_machine.h"
#include "ui/dialogs/dialog_tables.h"
#include "ui/forms/form_layout.h"

namespace {

using winbench::Line;

constexpr int kEntries = 32767;
constexpr DWORD kPatience = 60000;  // ms a step may take before the run is given up

struct Options {
  int runs = 5;
  int chars = 40;
  std::string dll;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--runs" && has_value) {
      options->runs = std::atoi(argv[++i]);
      if (options->runs < 1 || options->runs > 1000) return false;
    } else if (arg == "--chars" && has_value) {
      options->chars = std::atoi(argv[++i]);
      if (options->chars != 40 && options->chars != 250) return false;
    } else if (arg == "--dll" && has_value) {
      options->dll = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

LONGLONG Ticks() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

double Milliseconds(LONGLONG from, LONGLONG to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The command id of the File menu's entry captioned `caption` in `form`'s menu bar; 0 for none.
UINT MenuCommand(HWND form, const std::string& caption) {
  HMENU file = GetSubMenu(GetMenu(form), 0);
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    char text[128] = {};
    GetMenuStringA(file, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (caption == text) return GetMenuItemID(file, i);
  }
  return 0;
}

// --- the dialog, as another thread finds it ---

using tarnivo::dialogs::kSiteForm;
using tarnivo::forms::ContainerOf;
using tarnivo::forms::ControlId;
using tarnivo::forms::FindControl;

struct Found {
  std::string class_name;
  HWND window = nullptr;
};

BOOL CALLBACK FindShownDialog(HWND window, LPARAM parameter) {
  auto* found = reinterpret_cast<Found*>(parameter);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (found->class_name != name || !IsWindowVisible(window)) return TRUE;
  found->window = window;
  return FALSE;
}

// The control `name` of the dialog `dialog`: a child of its container with its id.
HWND DialogControl(HWND dialog, const char* name) {
  const int index = FindControl(kSiteForm, name);
  if (index < 0) return nullptr;
  const int container = ContainerOf(kSiteForm, static_cast<std::size_t>(index));
  HWND parent =
      container < 0 ? dialog : GetDlgItem(dialog, ControlId(static_cast<std::size_t>(container)));
  return parent ? GetDlgItem(parent, ControlId(static_cast<std::size_t>(index))) : nullptr;
}

// A message to a window of the DLL's thread, answered when that thread reads its messages.
LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kPatience, &result)) return -1;
  return static_cast<LRESULT>(result);
}

// One run, shared by the program's thread and the watcher.
struct Run {
  DWORD thread = 0;                   // the DLL's (the program's own) thread
  std::string entry;                  // deleted and added again
  LONGLONG posted = 0;                // when the menu command was posted
  std::atomic<LONGLONG> returned{0};  // when its dispatch returned
  double open_ms = 0, add_ms = 0, ok_ms = 0, return_ms = 0;
  std::string error;
};

bool Fail(Run* run, const std::string& error) {
  run->error = error;
  return false;
}

bool PlayRun(Run* run) {
  // open: the shown dialog whose list holds every entry.
  Found found;
  found.class_name = std::string(tarnivo::forms::kFormClassPrefix) + kSiteForm.name;
  HWND list = nullptr;
  const LONGLONG start = Ticks();
  for (;;) {
    found.window = nullptr;
    EnumThreadWindows(run->thread, FindShownDialog, reinterpret_cast<LPARAM>(&found));
    if (found.window != nullptr) {
      list = DialogControl(found.window, "lstSite");
      if (list != nullptr && Send(list, LB_GETCOUNT, 0, 0) == kEntries) break;
    }
    if (Milliseconds(start, Ticks()) > kPatience) return Fail(run, "the dialog did not open");
    Sleep(0);
  }
  run->open_ms = Milliseconds(run->posted, Ticks());
  HWND dialog = found.window;

  // The entry goes, and the entry row is shown.
  const LRESULT index = Send(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(run->entry.c_str()));
  if (index < 0) return Fail(run, "the entry is not listed");
  Send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Send(DialogControl(dialog, "cmdExcluir"), BM_CLICK, 0, 0);
  if (Send(list, LB_GETCOUNT, 0, 0) != kEntries - 1) return Fail(run, "DEL removed nothing");
  Send(DialogControl(dialog, "cmdAdi"), BM_CLICK, 0, 0);
  if (!IsWindowVisible(DialogControl(dialog, "frameSite")))
    return Fail(run, "ADD did not show the entry row");

  // add
  LONGLONG from = Ticks();
  Send(DialogControl(dialog, "txtSite"), WM_SETTEXT, 0,
       reinterpret_cast<LPARAM>(run->entry.c_str()));
  Send(DialogControl(dialog, "cmdOKsite"), BM_CLICK, 0, 0);
  const LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
  run->add_ms = Milliseconds(from, Ticks());
  if (count != kEntries) return Fail(run, "the entry was not added");

  // ok, and the command's return
  from = Ticks();
  Send(DialogControl(dialog, "cmdOK"), BM_CLICK, 0, 0);
  run->ok_ms = Milliseconds(from, Ticks());
  if (IsWindowVisible(dialog)) return Fail(run, "OK left the dialog on the screen");
  while (run->returned == 0) {
    if (Milliseconds(from, Ticks()) > kPatience) return Fail(run, "the command did not return");
    Sleep(0);
  }
  run->return_ms = Milliseconds(from, run->returned.load());
  return true;
}

DWORD WINAPI Watch(LPVOID parameter) {
  auto* run = static_cast<Run*>(parameter);
  if (!PlayRun(run)) {
    // A dialog left open would hold the program's thread for good.
    Found found;
    found.class_name = std::string(tarnivo::forms::kFormClassPrefix) + kSiteForm.name;
    EnumThreadWindows(run->thread, FindShownDialog, reinterpret_cast<LPARAM>(&found));
    if (found.window) PostMessageA(found.window, WM_CLOSE, 0, 0);
  }
  return 0;
}

// Plays one run: posts the command and keeps this thread's messages going until the watcher
// is done.
bool OneRun(HWND form, UINT command, Run* run) {
  run->thread = GetCurrentThreadId();
  HANDLE watcher = CreateThread(nullptr, 0, Watch, run, 0, nullptr);
  if (watcher == nullptr) return Fail(run, "cannot start the watcher");
  run->posted = Ticks();
  PostMessageA(form, WM_COMMAND, command, 0);
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (msg.hwnd == form && msg.message == WM_COMMAND && msg.wParam == command)
        run->returned = Ticks();
    }
    if (MsgWaitForMultipleObjects(1, &watcher, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
      break;
  }
  CloseHandle(watcher);
  return run->error.empty();
}

// An entry from the middle of the sorted list that no other entry begins with, so that the
// entry row's check (an entry beginning with the text is a duplicate) lets it in again.
std::string EntryToReAdd(std::vector<std::string> entries) {
  std::sort(entries.begin(), entries.end());
  for (std::size_t i = entries.size() / 2; i + 1 < entries.size(); ++i) {
    if (entries[i + 1].compare(0, entries[i].size(), entries[i]) != 0) return entries[i];
  }
  return entries.back();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Figure(const char* name, double ms) {
  char text[64];
  std::snprintf(text, sizeof text, " %s=%.1f", name, ms);
  return text;
}

int Bench(const Options& options) {
  const std::vector<std::string> entries = options.chars == 250
                                               ? sitebench::HostNames(kEntries, 250, 250)
                                               : sitebench::HostNames(kEntries, 10, 40);
  std::string error;
  if (!scenario::WriteListFile(sitebench::ListFileBytes(entries), &error)) {
    std::fprintf(stderr, "tarnivo-site-editor: cannot write the list file: %s\n", error.c_str());
    return 1;
  }
  HWND frame = winbench::MakeFrame("TarnivoSiteEditorFrame", "Tarnivo site editor bench", 800, 600);
  if (frame == nullptr) {
    std::fprintf(stderr, "tarnivo-site-editor: cannot create the frame window\n");
    return 1;
  }
  const std::string path = options.dll.empty() ? winbench::DllBesideProgram() : options.dll;
  winbench::LoadedBand band;
  if (!band.Open(path, frame, &error)) {
    std::fprintf(stderr, "tarnivo-site-editor: %s\n", error.c_str());
    DestroyWindow(frame);
    return 1;
  }
  HWND form = winbench::ToolbarForm();
  const UINT command = form ? MenuCommand(form, "Allowed URLs") : 0;
  int status = 0;
  if (command == 0) {
    std::fprintf(stderr, "tarnivo-site-editor: no toolbar form or no \"Allowed URLs\" entry\n");
    status = 1;
  }
  Line("note " + path + ": " + std::to_string(kEntries) + " entries of " +
       (options.chars == 250 ? "250" : "10 to 40") + " characters");
  std::vector<double> open, add, ok, back;
  for (int i = 1; status == 0 && i <= options.runs; ++i) {
    Run run;
    run.entry = EntryToReAdd(entries);
    if (!OneRun(form, command, &run)) {
      std::fprintf(stderr, "tarnivo-site-editor: run %d: %s\n", i, run.error.c_str());
      status = 1;
      break;
    }
    open.push_back(run.open_ms);
    add.push_back(run.add_ms);
    ok.push_back(run.ok_ms);
    back.push_back(run.return_ms);
    Line("run " + std::to_string(i) + Figure("open_ms", run.open_ms) +
         Figure("add_ms", run.add_ms) + Figure("ok_ms", run.ok_ms) +
         Figure("return_ms", run.return_ms));
  }
  if (status == 0) {
    Line("median" + Figure("open_ms", Median(open)) + Figure("add_ms", Median(add)) +
         Figure("ok_ms", Median(ok)) + Figure("return_ms", Median(back)));
  }
  band.Close();
  DestroyWindow(frame);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: tarnivo-site-editor [--runs N] [--chars 40|250] [--dll PATH]\n");
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) {
    std::fprintf(stderr, "tarnivo-site-editor: OleInitialize failed\n");
    return 1;
  }
  const scenario::SavedMachine saved = scenario::SaveMachine();
  int status = 1;
  if (!winbench::KnownSettings())
    std::fprintf(stderr, "tarnivo-site-editor: cannot set the settings key\n");
  else
    status = Bench(options);
  scenario::RestoreMachine(saved);
  OleUninitialize();
  return status;
}
