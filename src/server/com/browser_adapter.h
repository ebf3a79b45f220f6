// The browser host interface over Internet Explorer: the web browser (IWebBrowser2 with its
// DWebBrowserEvents2) and the band's site (IServiceProvider, IInputObjectSite).
#pragma once

#include "platform/win32.h"
#include "server/com/com_ref.h"
#include "server/host.h"

#include <exdisp.h>
#include <shlobj.h>

namespace tarnivo::com {

class ComBrowser : public host::Browser {
 public:
  // Holds its own reference to `browser`, which must not be null.
  explicit ComBrowser(IWebBrowser2* browser);
  ComBrowser(const ComBrowser&) = delete;
  ComBrowser& operator=(const ComBrowser&) = delete;

  // A browser for `dispatch` when it is one (IWebBrowser2); null otherwise.
  static host::BrowserPtr FromDispatch(IDispatch* dispatch);

  bool Busy(bool* out) override;
  host::ObjectPtr Document() override;
  host::ObjectPtr AsObject() override;
  std::unique_ptr<host::Connection> ConnectEvents(host::BrowserEvents* sink) override;

  IWebBrowser2* WebBrowser() const { return browser_.get(); }

 private:
  Ref<IWebBrowser2> browser_;
};

// The site the browser gives the band. `band` is the band's own IUnknown, named when focus
// changes are reported; the band outlives its site adapter, so it is not counted.
class ComSite : public host::Site {
 public:
  // `site` must not be null.
  ComSite(IUnknown* site, IUnknown* band);
  ComSite(const ComSite&) = delete;
  ComSite& operator=(const ComSite&) = delete;

  // QueryService(SID_SWebBrowserApp) for IWebBrowser2.
  host::BrowserPtr QueryWebBrowser() override;
  // IInputObjectSite::OnFocusChangeIS(band, focused); nothing when the site lacks it.
  void OnFocusChangeIS(bool focused) override;

  IInputObjectSite* InputObjectSite() const { return input_.get(); }

 private:
  Ref<IUnknown> site_;
  Ref<IInputObjectSite> input_;
  IUnknown* band_;
};

}  // namespace tarnivo::com
