// The browser's navigation events: whether a javascript: link was just clicked, when the
// current navigation began, whether the page has finished loading, and which document the
// page-event hooks follow.
#include "engine/navigation.h"

#include <cmath>
#include <string>

#include "platform/win32.h"
#include "server/toolbar.h"
#include "store/settings.h"

namespace tarnivo {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

double SecondsSinceMidnight() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

std::int32_t WholeSecondsSinceMidnight() {
  return static_cast<std::int32_t>(std::nearbyint(SecondsSinceMidnight()));
}

double SecondsSince(std::int32_t start) {
  double elapsed = SecondsSinceMidnight() - start;
  // A navigation that began before midnight is not in the future.
  if (elapsed < -1.0) elapsed += kSecondsPerDay;
  return elapsed;
}

void CToolbar::m_oIE_BeforeNavigate2(const host::Value&, const std::string& URL) {
  ThreadShared& shared = Shared();
  shared.PageComplete = false;
  try {
    shared.NavigationStart = WholeSecondsSinceMidnight();
  } catch (...) {
  }
  const std::string url = UpperCase(URL);
  const bool script = url.compare(0, 10, "JAVASCRIPT") == 0;
  if (url.find("POPUP") != std::string::npos) {
    // A URL that names a popup never carries the user's credit.
    shared.UserActionFlag = false;
  } else if (shared.UserActionFlag && ScriptNavigationSeen != 1) {
    if (script) {
      ScriptNavigationSeen = 1;
    } else {
      shared.UserActionFlag = false;
    }
  } else if (script && GetAsyncKeyState(VK_LBUTTON) != 0) {
    shared.UserActionFlag = true;
  }
}

void CToolbar::m_oIE_CommandStateChange(std::int32_t, bool) {
  try {
    bool busy = true;
    if (m_oIE_ && m_oIE_->Busy(&busy) && !busy) {
      Shared().NavigationStart = WholeSecondsSinceMidnight();
    }
  } catch (...) {
  }
}

void CToolbar::m_oIE_DocumentComplete(const host::Value& pDisp, const std::string&) {
  Shared().PageComplete = true;
  try {
    if (!m_oIE_ || pDisp.kind != host::Value::Kind::Object || !pDisp.object) return;
    host::ObjectPtr browser = m_oIE_->AsObject();
    // Only the top-level page moves the page hooks; a frame's completion does not.
    if (browser && pDisp.object->Identity() == browser->Identity()) {
      SetIEdoc(m_oIE_->Document());
    }
  } catch (...) {
  }
}

void CToolbar::m_oIE_WindowClosing(bool, host::EventFlag*) {
  Shared().PageComplete = true;
  LetGoOfBrowserAndPage();
}

}  // namespace tarnivo
