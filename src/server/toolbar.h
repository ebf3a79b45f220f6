// CToolbar: the band object. One per browser window; it binds the browser's and the page's
// events to the blocking engine and carries the toolbar's state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/credits.h"
#include "engine/navigation.h"
#include "engine/new_window.h"
#include "platform/win32.h"
#include "server/host.h"
#include "ui/controls/mod_subclass.h"
#include "ui/toolbar/scroll_lock.h"
#include "ui/toolbar/toolbar_band.h"

namespace tarnivo {

class frmToolbar;

// The band's handlers of the browser's and the page's events gather what the engine's steps
// need, ask them, and carry out their answers. `Enabled`, the master switch, comes with
// ToolbarBand.
class CToolbar : public ToolbarBand,
                 public host::BrowserEvents,
                 public host::DocumentEvents,
                 public ISubclass {
 public:
  // Reads the settings; on first run stores the first-run values.
  CToolbar();
  ~CToolbar() override;
  CToolbar(const CToolbar&) = delete;
  CToolbar& operator=(const CToolbar&) = delete;

  // The next popup is let through once (a right click in the page).
  bool AllowNextPopup = false;
  // A javascript: navigation has followed a user press since the last decision (0 or 1).
  std::uint8_t ScriptNavigationSeen = 0;

  // The image set of the main button (103 on, 1 just blocked, 2 off).
  std::int32_t Icone() const override { return icone_; }
  // Writing a different value reloads the toolbar images.
  void SetIcone(std::int32_t id) override;

  // Gives the band its site, or takes it away (null).
  void SetSite(host::SitePtr site);
  // Shows or hides the band's toolbar window (IDockingWindow::ShowDW).
  void ShowDW(bool show) override;
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

  // The toolbar: created on the toolbar form's window when the band is sited, destroyed
  // when it closes.
  void CreateToolbar();
  void DestroyToolbar();
  // Loads image set `id` into a new image list for the toolbar.
  void AddToolbarIcons(std::int32_t id);
  void AddToolbarButtons();
  // The first index of the button table whose command id is `id`; 0 when none.
  std::int16_t ButtonIndex(std::int16_t id) const;
  // The rectangle of button `index` in the toolbar's client coordinates (zero when none).
  void GetButtonRect(int index, RECT& rect) const;
  static void RectToScreen(HWND hwnd, RECT& rect);
  std::int32_t ButtonCount() const;
  // Presses or releases the button at index |index| (callers pass a command id).
  void PressButton(std::int32_t index, bool pressed);
  // A button command; `index` is the negated command id.
  void HandleButtonCommand(std::int32_t index);
  // The drop-down of toolbar button `id`: the main menu (with the blocked count) or the
  // search menu, under the button.
  void ButtonDropDown(std::int32_t id);
  // Shows a dialog form modally, placed under the main button: its "left" and "tOp" (twips)
  // at the button's bottom-left corner, the slider of "frmSlider" set to the blocking level,
  // and every dialog but "frmSlider" and "frmLang" centred across the screen. Returns when
  // the dialog's "Show" returns. A member the form does not answer is skipped; a band
  // without a toolbar places the form at the top of the screen.
  void ShowForm(const host::ObjectPtr& frm) override;
  // Hides and shows the toolbar so that the host paints it again.
  void Redraw() override;
  HWND ToolbarWindow() const { return toolbar_window_; }

  // Focus and keys (IInputObject).
  void UIActivateIO(bool activate);
  bool HasFocusIO();
  void TranslateAcceleratorIO(const MSG& msg);
  // Tells the site that the band gained or lost the focus.
  void OnFocus(bool focused);
  // The form window's WM_COMMAND and WM_NOTIFY, hooked while the toolbar exists.
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

  // The bound browser and page document (null when none).
  const host::BrowserPtr& m_oIE() const { return m_oIE_; }
  const host::ObjectPtr& IEdoc() const { return IEdoc_; }

  // Image sets loaded so far, and whether the host last asked to show the toolbar.
  int ImageLoads() const { return image_loads_; }
  bool Visible() const { return toolbar_window_ != nullptr && shown_; }
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
  // Carries out the new-window decision's answer: the beep, the image and the redraw, Cancel,
  // the count; then Scroll Lock and the credits.
  void CarryOut(const NewWindowAnswer& answer, host::EventFlag* Cancel);
  // Carries out a change of the credits, or of the page state.
  void Apply(const CreditChange& change);
  void Apply(const PageStateChange& change);

  std::int32_t icone_ = 0;
  host::SitePtr site_;
  // The toolbar form this band initialised when it was sited; null before.
  frmToolbar* form_ = nullptr;
  host::BrowserPtr m_oIE_;
  std::unique_ptr<host::Connection> browser_events_;
  host::ObjectPtr IEdoc_;
  std::unique_ptr<host::Connection> document_events_;
  HWND form_window_ = nullptr;
  HWND toolbar_window_ = nullptr;
  HWND hooked_window_ = nullptr;  // the window whose messages the band hears
  HWND focus_window_ = nullptr;
  TBBUTTON buttons_[3] = {};
  HIMAGELIST image_list_ = nullptr;
  bool shown_ = false;
  int image_loads_ = 0;
  int redraws_ = 0;
};

}  // namespace tarnivo
