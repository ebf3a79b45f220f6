// The browser's navigation events and the page state they keep.
#include <gtest/gtest.h>

#include "engine/navigation.h"
#include "support/band_fixture.h"

namespace tarnivo {
namespace {

class NavigationTest : public testing_support::BandTest {};

struct NavigateCase {
  const char* url;
  bool credit;        // UserActionFlag before
  std::uint8_t seen;  // ScriptNavigationSeen before
  bool buttonDown;
  bool creditAfter;
  std::uint8_t seenAfter;
};

TEST_F(NavigationTest, BeforeNavigate2KeepsOrTakesTheUserCredit) {
  const NavigateCase cases[] = {
      // A URL naming a popup never carries the credit, whatever else holds.
      {"http://ads.example/popup.html", true, 0, true, false, 0},
      {"javascript:openPopUp()", true, 0, false, false, 0},
      // After a press: the first script navigation keeps the credit and is remembered...
      {"javascript:open()", true, 0, false, true, 1},
      {"JavaScript:void(0)", true, 0, false, true, 1},
      // ...an ordinary navigation uses it up.
      {"http://news.example/", true, 0, false, false, 0},
      // Once a script navigation was seen, later ones change nothing.
      {"http://news.example/", true, 1, false, true, 1},
      // Without a credit, a javascript: link clicked with the button down earns one.
      {"javascript:open()", false, 0, true, true, 0},
      {"javascript:open()", false, 0, false, false, 0},
      {"http://news.example/", false, 0, true, false, 0},
  };
  Start("1", "0");
  for (const NavigateCase& c : cases) {
    Shared().UserActionFlag = c.credit;
    band->ScriptNavigationSeen = c.seen;
    backend::ResetInput();
    if (c.buttonDown) backend::PressKey(VK_LBUTTON);
    browser->RaiseBeforeNavigate2(c.url);
    EXPECT_EQ(Shared().UserActionFlag, c.creditAfter) << c.url;
    EXPECT_EQ(band->ScriptNavigationSeen, c.seenAfter) << c.url;
  }
}

TEST_F(NavigationTest, NavigationStartIsTheRoundedSecondOfTheDay) {
  Start("1", "0");
  backend::SetTimeOfDay(9, 30, 15, 600);
  Shared().PageComplete = true;
  browser->RaiseBeforeNavigate2("http://news.example/");
  EXPECT_FALSE(Shared().PageComplete);
  EXPECT_EQ(Shared().NavigationStart, 9 * 3600 + 30 * 60 + 16);
}

TEST_F(NavigationTest, CommandStateChangeCountsOnlyWhileIdle) {
  Start("1", "0");
  backend::SetTimeOfDay(10, 0, 0);
  browser->SetBusy(true);
  browser->RaiseCommandStateChange(1, true);
  EXPECT_EQ(Shared().NavigationStart, 0);
  browser->SetBusy(false);
  browser->RaiseCommandStateChange(1, true);
  EXPECT_EQ(Shared().NavigationStart, 36000);
}

TEST_F(NavigationTest, OnlyTheTopPageMovesThePageHooks) {
  Start("1", "0");
  auto top = LoadedPage("news.example");
  EXPECT_TRUE(Shared().PageComplete);
  EXPECT_EQ(band->IEdoc(), top);
  EXPECT_EQ(top->Sinks().size(), 1u);

  Shared().PageComplete = false;
  auto next = Page("other.example");
  browser->RaiseDocumentComplete(false, "http://frame.example/");
  EXPECT_TRUE(Shared().PageComplete);
  EXPECT_EQ(band->IEdoc(), top) << "a frame leaves the hooks on the top page";

  browser->RaiseDocumentComplete(true, "http://other.example/");
  EXPECT_EQ(band->IEdoc(), next);
  EXPECT_TRUE(top->Sinks().empty()) << "the old page's events are disconnected";
  EXPECT_EQ(next->Sinks().size(), 1u);
}

TEST_F(NavigationTest, WindowClosingLetsGoOfBrowserPageAndCredits) {
  Start("1", "0");
  auto page = LoadedPage("news.example");
  Shared().PageComplete = false;
  Shared().UserActionFlag = true;
  band->AllowNextPopup = true;
  browser->RaiseWindowClosing();
  EXPECT_TRUE(Shared().PageComplete);
  EXPECT_EQ(band->m_oIE(), nullptr);
  EXPECT_EQ(band->IEdoc(), nullptr);
  EXPECT_FALSE(Shared().UserActionFlag);
  EXPECT_FALSE(band->AllowNextPopup);
  EXPECT_EQ(browser->ConnectedSinks(), 0);
  EXPECT_TRUE(page->Sinks().empty());
}

TEST_F(NavigationTest, UnsitingDisconnectsBothEventSources) {
  Start("1", "0");
  auto page = LoadedPage("news.example");
  band->SetSite(nullptr);
  EXPECT_EQ(browser->ConnectedSinks(), 0);
  EXPECT_TRUE(page->Sinks().empty());
  Shared().UserActionFlag = true;
  browser->RaiseBeforeNavigate2("http://news.example/");
  EXPECT_TRUE(Shared().UserActionFlag) << "no handler hears the navigation";
}

TEST_F(NavigationTest, DocuBindsTheBrowsersCurrentDocument) {
  Start("1", "0");
  auto page = Page("news.example");
  band->Docu(browser);
  EXPECT_EQ(band->IEdoc(), page);
  band->Docu(nullptr);
  EXPECT_EQ(band->IEdoc(), nullptr);
  EXPECT_TRUE(page->Sinks().empty());
}

TEST(SecondsSinceTest, CountsAcrossMidnight) {
  backend::SetTimeOfDay(0, 0, 5);
  EXPECT_NEAR(SecondsSince(86390), 15.0, 0.001);
  backend::SetTimeOfDay(12, 0, 30);
  EXPECT_NEAR(SecondsSince(43200), 30.0, 0.001);
  backend::SetTimeOfDay(8, 0, 0);
}

}  // namespace
}  // namespace tarnivo
