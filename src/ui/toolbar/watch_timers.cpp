// The toolbar form's watch timers: the mouse watch that opens and closes the user-action
// window, and the page scan that runs while a page loads.
#include <string>

#include "engine/activex_screen.h"
#include "engine/navigation.h"
#include "engine/watch_timers.h"
#include "platform/win32.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"
#include "ui/toolbar/message_pump.h"

namespace tarnivo {

namespace {

constexpr const char* kAboutGap = "     ";

}  // namespace

void frmToolbar::Timer1_Timer() {
  std::string info;
  try {
    info = GetInfo();
  } catch (...) {
  }
  if (GetAsyncKeyState(VK_LBUTTON) == 0) return;
  if (IsPageWindowClass(info)) {
    Shared().UserActionFlag = true;
    SetTimerEnabled(2, true);
    SetTimerEnabled(1, false);
  } else {
    Shared().UserActionFlag = false;
  }
}

void frmToolbar::Timer2_Timer() {
  ThreadShared& shared = Shared();
  if (shared.UserActionFlag) shared.UserActionFlag = false;
  // Held down with no new press since the last look: the window stays closed and the
  // watch waits for the release.
  if (GetAsyncKeyState(VK_LBUTTON) != -32768) {
    SetTimerEnabled(1, true);
    SetTimerEnabled(2, false);
  }
}

void frmToolbar::Timer3_Timer() {
  try {
    ThreadShared& shared = Shared();
    ++shared.ScanTicks;
    ProcessPendingMessages();
    bool busy = false;
    if (!m_IE || !m_IE->Busy(&busy)) return;
    shared.PageComplete = !busy;
    if (shared.PageComplete) {
      SetCaption("mnuSOBRE", TextAbout + kAboutGap + "IDLE");
      shared.ScanTicks = 0;
    } else {
      SetCaption("mnuSOBRE", TextAbout + kAboutGap + std::to_string(shared.ScanTicks));
    }
    if (ScanTimeIsOver(shared.NavigationStart, SecondsSinceMidnight())) return;
    if (!m_IE) return;
    ScanActiveX(m_IE->Document());
    ProcessPendingMessages();
  } catch (...) {
    // A failing tick ends; the next one starts afresh.
  }
}

}  // namespace tarnivo
