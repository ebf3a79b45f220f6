// The band object's creation and site binding.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

class ToolbarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    backend::ResetInput();
    ResetShared();
  }
  void TearDown() override {
    frmToolbar::Unload();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  }

  static void Store(const char* name, const std::string& value) {
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    ModReg::SetKeyValue(kSettingsKey, name, value, REG_SZ);
  }
};

TEST_F(ToolbarTest, FirstRunStoresZerosButStartsWithOnes) {
  CToolbar band;
  EXPECT_EQ(band.Enabled, "1");
  EXPECT_EQ(Shared().BlockLevel, "1");
  EXPECT_EQ(Shared().ActiveXFlag, "1");
  EXPECT_EQ(Shared().BlockedCount, 0);
  for (const char* name : {"processNR", "processNL", "processNC", "processAX"}) {
    EXPECT_EQ(ModReg::QueryValue(kSettingsKey, name), std::string("0\0", 2)) << name;
  }
  // The next band reads the stored values.
  CToolbar next;
  EXPECT_EQ(next.Enabled, "0");
  EXPECT_EQ(Shared().BlockLevel, "0");
}

TEST_F(ToolbarTest, SwitchesAreCutToTheirFirstCharacter) {
  Store("processNR", "1");
  Store("processNL", "0");
  Store("processAX", "1");
  Store("processNC", "12");
  CToolbar band;
  EXPECT_EQ(band.Enabled, "1");
  EXPECT_EQ(Shared().BlockLevel, "0");
  EXPECT_EQ(Shared().ActiveXFlag, "1");
  EXPECT_EQ(Shared().BlockedCount, 12);
}

TEST_F(ToolbarTest, FirstImageSetFollowsTheMasterSwitch) {
  struct Case {
    const char* enabled;
    std::int32_t icone;
  } cases[] = {{"1", 103}, {"0", 2}, {"x", 0}};
  for (const Case& c : cases) {
    Store("processNR", c.enabled);
    CToolbar band;
    auto browser = std::make_shared<sim::SimBrowser>();
    band.SetSite(std::make_shared<sim::SimSite>(browser));
    EXPECT_EQ(band.Icone(), c.icone) << "processNR " << c.enabled;
    band.SetSite(nullptr);
  }
}

TEST_F(ToolbarTest, SiteWithoutBrowserLeavesTheBandUnbound) {
  CToolbar band;
  band.SetSite(std::make_shared<sim::SimSite>(nullptr));
  EXPECT_EQ(band.m_oIE(), nullptr);
  EXPECT_EQ(band.Icone(), 103);
  band.SetSite(nullptr);
}

TEST_F(ToolbarTest, SettingIconeAgainLoadsNothing) {
  CToolbar band;
  band.SetIcone(1);
  band.SetIcone(1);
  EXPECT_EQ(band.ImageLoads(), 1);
}

TEST_F(ToolbarTest, ReleasedBandDisconnectsFromItsBrowser) {
  auto browser = std::make_shared<sim::SimBrowser>();
  {
    CToolbar band;
    band.SetSite(std::make_shared<sim::SimSite>(browser));
    EXPECT_EQ(browser->ConnectedSinks(), 1);
    band.SetSite(std::make_shared<sim::SimSite>(browser));
    EXPECT_EQ(browser->ConnectedSinks(), 1) << "binding again replaces the connection";
  }
  EXPECT_EQ(browser->ConnectedSinks(), 0);
  EXPECT_EQ(browser->RaiseNewWindow2(), sim::SimBrowser::PopupOutcome::Passed);
}

TEST_F(ToolbarTest, BandInfoFillsOnlyTheAskedFields) {
  CToolbar band;
  CToolbar::BandInfo info;
  info.minWidth = info.maxWidth = info.integralWidth = info.actualWidth = 7;
  info.modeFlags = 7;
  band.GetBandInfo(0, info);
  EXPECT_EQ(info.minWidth, 7);
  EXPECT_EQ(info.modeFlags, 7u);

  band.GetBandInfo(0x7F, info);
  EXPECT_EQ(std::make_pair(info.minWidth, info.minHeight), std::make_pair(200, 22));
  EXPECT_EQ(std::make_pair(info.maxWidth, info.maxHeight), std::make_pair(-1, -1));
  EXPECT_EQ(std::make_pair(info.integralWidth, info.integralHeight), std::make_pair(1, 1));
  EXPECT_EQ(std::make_pair(info.actualWidth, info.actualHeight), std::make_pair(200, 22));
  EXPECT_EQ(info.modeFlags, 0u);
}

}  // namespace
}  // namespace tarnivo
