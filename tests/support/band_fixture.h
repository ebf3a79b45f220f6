// A browser window with the band on the Linux back end: fresh settings, lists, input state
// and clock for each test, and helpers to store settings and show pages.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo::testing_support {

class BandTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    Close();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    DeleteFileA(SiteListFile().c_str());
  }

  // Everything back to a machine that has never run the band.
  void Reset() {
    Close();
    frmToolbar::Unload();  // a form left loaded by an earlier test
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    DeleteFileA(SiteListFile().c_str());
    backend::ResetInput();
    backend::ResetShown();
    backend::SetMenuChooser(nullptr);
    backend::SetModuleIcons({101, 102, 103, 104, 105});
    backend::SetTimeOfDay(8, 0, 0, 0);
    ResetShared();
    AllowedSites().Clear();
    BlockedActiveX().Clear();
  }

  // Stores the four settings as the menu commands would.
  static void Store(const std::string& enabled, const std::string& level,
                    const std::string& count = "0", const std::string& activex = "0") {
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    ModReg::SetKeyValue(kSettingsKey, "processNR", enabled, REG_SZ);
    ModReg::SetKeyValue(kSettingsKey, "processNL", level, REG_SZ);
    ModReg::SetKeyValue(kSettingsKey, "processNC", count, REG_SZ);
    ModReg::SetKeyValue(kSettingsKey, "processAX", activex, REG_SZ);
  }

  // Opens a browser window with the band, with these settings stored first.
  void Start(const std::string& enabled, const std::string& level, const std::string& count = "0") {
    Store(enabled, level, count);
    band = std::make_unique<CToolbar>();
    browser = std::make_shared<sim::SimBrowser>();
    band->SetSite(std::make_shared<sim::SimSite>(browser));
  }

  // The window goes, as the browser lets go of the band.
  void Close() {
    if (!band) return;
    if (browser) browser->RaiseWindowClosing();
    band->CloseDW();
    band->SetSite(nullptr);
    band.reset();
  }

  // The browser now shows a page of `domain` with the focus on an element of tag `focus`.
  std::shared_ptr<sim::SimDocument> Page(const std::string& domain,
                                         const std::string& focus = "A") {
    auto document = std::make_shared<sim::SimDocument>();
    document->SetDomain(domain);
    document->SetFocus(focus);
    browser->SetDocument(document);
    return document;
  }

  // A page that has finished loading: the band's page hooks follow it.
  std::shared_ptr<sim::SimDocument> LoadedPage(const std::string& domain) {
    auto document = Page(domain);
    browser->RaiseDocumentComplete(true, "http://" + domain + "/");
    return document;
  }

  std::string Popup() {
    switch (browser->RaiseNewWindow2()) {
      case sim::SimBrowser::PopupOutcome::Blocked:
        return "blocked";
      case sim::SimBrowser::PopupOutcome::Allowed:
        return "allowed";
      case sim::SimBrowser::PopupOutcome::Passed:
        return "passed";
    }
    return "?";
  }

  static std::int32_t StoredCount() {
    return StoredNumber(ModReg::QueryValue(kSettingsKey, "processNC"));
  }

  std::unique_ptr<CToolbar> band;
  std::shared_ptr<sim::SimBrowser> browser;
};

}  // namespace tarnivo::testing_support
