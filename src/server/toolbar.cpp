#include "server/toolbar.h"

#include "platform/win32.h"
#include "store/settings.h"
#include "store/text_number.h"

namespace tarnivo {

CToolbar::CToolbar() {
  try {
    ReadSettingsAtCreation(Enabled);
  } catch (...) {
    // A band that cannot read its settings still comes up, with blocking off.
  }
}

CToolbar::~CToolbar() { browser_events_.reset(); }

void CToolbar::SetIcone(std::int32_t id) {
  if (id != icone_) AddToolbarIcons(id);
}

void CToolbar::AddToolbarIcons(std::int32_t id) {
  icone_ = id;
  ++image_loads_;
}

void CToolbar::CriaChave() {
  try {
    CreateFirstRunSettings(Enabled);
  } catch (...) {
  }
}

void CToolbar::BindBrowser(host::BrowserPtr browser) {
  browser_events_.reset();  // disconnect from the old browser first
  m_oIE_ = std::move(browser);
  if (m_oIE_) browser_events_ = m_oIE_->ConnectEvents(this);
}

void CToolbar::SetSite(host::SitePtr site) {
  site_ = std::move(site);
  if (!site_) {
    try {
      BindBrowser(nullptr);
    } catch (...) {
    }
    Shared().UserActionFlag = false;
    AllowNextPopup = false;
    return;
  }
  try {
    BindBrowser(site_->QueryWebBrowser());
  } catch (...) {
  }
  // The toolbar's first image set follows the master switch; a switch that is not a
  // number leaves the toolbar without images.
  std::optional<double> enabled = TextAsNumber(Enabled);
  if (enabled) AddToolbarIcons(*enabled == 1 ? 103 : 2);
  visible_ = true;
}

void CToolbar::ShowDW(bool show) { visible_ = show; }

void CToolbar::Redraw() {
  ShowDW(false);
  ShowDW(true);
  ++redraws_;
}

void CToolbar::NewWindow2(host::Value* ppDisp, host::EventFlag* Cancel) {
  m_oIE_NewWindow2(ppDisp, Cancel);
}

void CToolbar::BeforeNavigate2(const host::Value&, const std::string&) {}
void CToolbar::CommandStateChange(std::int32_t, bool) {}
void CToolbar::DocumentComplete(const host::Value&, const std::string&) {}
void CToolbar::WindowClosing(bool, host::EventFlag*) {}

}  // namespace tarnivo
