#include "server/toolbar.h"

#include "platform/win32.h"
#include "server/mod_trace.h"
#include "store/settings.h"
#include "store/text_number.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {

CToolbar::CToolbar() {
  try {
    ReadSettingsAtCreation(Enabled);
  } catch (...) {
    // A band that cannot read its settings still comes up, with blocking off.
  }
}

CToolbar::~CToolbar() {
  // The subclassing service keeps the band's address on the form window: a band that goes
  // without being closed must not stay there.
  try {
    DestroyToolbar();
  } catch (...) {
  }
  SetIEdoc(nullptr);
  browser_events_.reset();
  // The form must not keep a band that is gone.
  frmToolbar* form = frmToolbar::Loaded();
  if (form && form->m_Toolbar == this) form->m_Toolbar = nullptr;
}

void CToolbar::SetIcone(std::int32_t id) {
  if (id != icone_) AddToolbarIcons(id);
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

void CToolbar::SetIEdoc(host::ObjectPtr document) {
  document_events_.reset();  // the old document's events stop first
  IEdoc_ = std::move(document);
  if (IEdoc_) document_events_ = IEdoc_->ConnectDocumentEvents(this);
}

void CToolbar::LetGoOfBrowserAndPage() {
  try {
    BindBrowser(nullptr);
  } catch (...) {
  }
  Shared().UserActionFlag = false;
  AllowNextPopup = false;
  try {
    SetIEdoc(nullptr);
  } catch (...) {
  }
}

void CToolbar::Docu(const host::BrowserPtr& Ie) {
  try {
    SetIEdoc(Ie ? Ie->Document() : nullptr);
  } catch (...) {
  }
}

void CToolbar::SetSite(host::SitePtr site) {
  modTrace::Trace("Entered", "CToolbar", "IObjectWithSite_SetSite");
  site_ = std::move(site);
  if (!site_) {
    LetGoOfBrowserAndPage();
    return;
  }
  try {
    BindBrowser(site_->QueryWebBrowser());
  } catch (...) {
  }
  try {
    form_ = &frmToolbar::Instance();
    form_->Init(m_oIE_, this);
  } catch (...) {
  }
  try {
    if (toolbar_window_) DestroyToolbar();  // sited again: one toolbar only
    CreateToolbar();
  } catch (...) {
  }
}

void CToolbar::GetBandInfo(std::uint32_t mask, BandInfo& info) const {
  modTrace::Trace("Entered", "CToolbar", "IDeskBand_GetBandInfo");
  if (mask & 0x01) {
    info.minWidth = 200;
    info.minHeight = 22;
  }
  if (mask & 0x02) {
    info.maxWidth = -1;  // no limit
    info.maxHeight = -1;
  }
  if (mask & 0x04) {
    info.integralWidth = 1;
    info.integralHeight = 1;
  }
  if (mask & 0x08) {
    info.actualWidth = 200;
    info.actualHeight = 22;
  }
  if (mask & 0x20) info.modeFlags = 0;  // DBIMF_NORMAL
}

void CToolbar::ShowDW(bool show) {
  modTrace::Trace("Entered", "CToolbar", "IDockingWindow_ShowDW");
  shown_ = show;
  if (toolbar_window_) ShowWindow(toolbar_window_, show ? SW_SHOWNORMAL : SW_HIDE);
}

void CToolbar::CloseDW() {
  modTrace::Trace("Entered", "CToolbar", "IDockingWindow_CloseDW");
  try {
    DestroyToolbar();
  } catch (...) {
  }
  try {
    frmToolbar::Unload();
  } catch (...) {
  }
}

void CToolbar::Redraw() {
  ShowDW(false);
  ShowDW(true);
  // Before the toolbar exists there is nothing to paint.
  if (toolbar_window_) ++redraws_;
}

void CToolbar::NewWindow2(host::Value* ppDisp, host::EventFlag* Cancel) {
  m_oIE_NewWindow2(ppDisp, Cancel);
}

void CToolbar::BeforeNavigate2(const host::Value& pDisp, const std::string& URL) {
  m_oIE_BeforeNavigate2(pDisp, URL);
}

void CToolbar::CommandStateChange(std::int32_t Command, bool Enable) {
  m_oIE_CommandStateChange(Command, Enable);
}

void CToolbar::DocumentComplete(const host::Value& pDisp, const std::string& URL) {
  m_oIE_DocumentComplete(pDisp, URL);
}

void CToolbar::WindowClosing(bool IsChildWindow, host::EventFlag* Cancel) {
  m_oIE_WindowClosing(IsChildWindow, Cancel);
}

}  // namespace tarnivo
