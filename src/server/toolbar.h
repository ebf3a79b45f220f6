// CToolbar: the band object. One per browser window; it binds the browser's and the page's
// events to the blocking engine and carries the toolbar's state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "server/host.h"

namespace tarnivo {

class CToolbar : public host::BrowserEvents, public host::DocumentEvents {
 public:
  // Reads the settings; on first run stores the first-run values.
  CToolbar();
  ~CToolbar() override;
  CToolbar(const CToolbar&) = delete;
  CToolbar& operator=(const CToolbar&) = delete;

  // Master switch, the band's copy of processNR ("1" = blocking on).
  std::string Enabled;
  // The next popup is let through once (a right click in the page).
  bool AllowNextPopup = false;
  // A javascript: navigation has followed a user press since the last decision (0 or 1).
  std::uint8_t ScriptNavigationSeen = 0;

  // The image set of the main button (103 on, 1 just blocked, 2 off).
  std::int32_t Icone() const { return icone_; }
  // Writing a different value reloads the toolbar images.
  void SetIcone(std::int32_t id);

  // Gives the band its site, or takes it away (null).
  void SetSite(host::SitePtr site);
  // Shows or hides the band's toolbar window (IDockingWindow::ShowDW).
  void ShowDW(bool show);
  // Closes the band's window (IDockingWindow::CloseDW): the toolbar goes and the toolbar
  // form unloads.
  void CloseDW();
  // Creates the settings key with its first-run values.
  void CriaChave();
  // Binds the page hooks to the browser's current document (the Docu property).
  void Docu(const host::BrowserPtr& Ie);

  // The band's size wishes, for the fields named in `mask` (DBIM_MINSIZE 1, DBIM_MAXSIZE 2,
  // DBIM_INTEGRAL 4, DBIM_ACTUAL 8, DBIM_MODEFLAGS 0x20); other fields are left as they are.
  struct BandInfo {
    std::int32_t minWidth = 0, minHeight = 0;
    std::int32_t maxWidth = 0, maxHeight = 0;
    std::int32_t integralWidth = 0, integralHeight = 0;
    std::int32_t actualWidth = 0, actualHeight = 0;
    std::uint32_t modeFlags = 0;
  };
  void GetBandInfo(std::uint32_t mask, BandInfo& info) const;

  // Loads image set `id` for the toolbar.
  void AddToolbarIcons(std::int32_t id);
  // Hides and shows the toolbar so that the host paints it again.
  void Redraw();

  // The bound browser and page document (null when none).
  const host::BrowserPtr& m_oIE() const { return m_oIE_; }
  const host::ObjectPtr& IEdoc() const { return IEdoc_; }

  // Until the toolbar window exists, its image loads and visibility are recorded here.
  int ImageLoads() const { return image_loads_; }
  bool Visible() const { return visible_; }
  // Times the toolbar was hidden and shown again to repaint it.
  int Redraws() const { return redraws_; }

  // The browser's events.
  void m_oIE_NewWindow2(host::Value* ppDisp, host::EventFlag* Cancel);
  void m_oIE_BeforeNavigate2(const host::Value& pDisp, const std::string& URL);
  void m_oIE_CommandStateChange(std::int32_t Command, bool Enable);
  void m_oIE_DocumentComplete(const host::Value& pDisp, const std::string& URL);
  void m_oIE_WindowClosing(bool IsChildWindow, host::EventFlag* Cancel);

  // The page document's events.
  bool IEDoc_onclick();
  bool IEdoc_oncontextmenu();
  void IEDoc_onfocusout();
  void IEdoc_onkeydown();
  void IEdoc_onmousedown();
  void IEDoc_onmousemove();

  // host::BrowserEvents
  void NewWindow2(host::Value* ppDisp, host::EventFlag* Cancel) override;
  void BeforeNavigate2(const host::Value& pDisp, const std::string& URL) override;
  void CommandStateChange(std::int32_t Command, bool Enable) override;
  void DocumentComplete(const host::Value& pDisp, const std::string& URL) override;
  void WindowClosing(bool IsChildWindow, host::EventFlag* Cancel) override;

  // host::DocumentEvents
  bool onclick() override { return IEDoc_onclick(); }
  bool oncontextmenu() override { return IEdoc_oncontextmenu(); }
  void onfocusout() override { IEDoc_onfocusout(); }
  void onkeydown() override { IEdoc_onkeydown(); }
  void onmousedown() override { IEdoc_onmousedown(); }
  void onmousemove() override { IEDoc_onmousemove(); }

 private:
  void BindBrowser(host::BrowserPtr browser);
  // Binds the page hooks to `document` (null: unbinds them), disconnecting the old one first.
  void SetIEdoc(host::ObjectPtr document);
  // Releases the browser and the page (their events stop) and clears the user's credits.
  void LetGoOfBrowserAndPage();
  void Block(host::EventFlag* Cancel);

  std::int32_t icone_ = 0;
  host::SitePtr site_;
  host::BrowserPtr m_oIE_;
  std::unique_ptr<host::Connection> browser_events_;
  host::ObjectPtr IEdoc_;
  std::unique_ptr<host::Connection> document_events_;
  bool toolbar_created_ = false;
  int image_loads_ = 0;
  bool visible_ = false;
  int redraws_ = 0;
};

// Scroll Lock: its toggle state, and switching it off with four synthesised key events.
bool ScrollLockIsOn();
void ScrollLockOff();

}  // namespace tarnivo
