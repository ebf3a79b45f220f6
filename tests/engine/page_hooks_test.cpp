// The page's own events: the right-click pass, leaving the page, Ctrl+F2.
#include <gtest/gtest.h>

#include "support/band_fixture.h"

namespace tarnivo {
namespace {

class PageHooksTest : public testing_support::BandTest {};

TEST_F(PageHooksTest, RightClickGrantsOnePopupAndLeavingThePageTakesItBack) {
  Start("1", "0");
  auto page = LoadedPage("news.example");
  EXPECT_TRUE(page->RaiseContextMenu()) << "the page's own menu still opens";
  EXPECT_EQ(Popup(), "allowed");
  EXPECT_EQ(Popup(), "blocked");

  page->RaiseContextMenu();
  Shared().UserActionFlag = true;
  page->RaiseFocusOut();
  EXPECT_FALSE(band->AllowNextPopup);
  EXPECT_FALSE(Shared().UserActionFlag);
  EXPECT_EQ(Popup(), "blocked");
}

TEST_F(PageHooksTest, MousePressAndMoveInThePageChangeNothing) {
  Start("1", "0");
  auto page = LoadedPage("news.example");
  page->RaiseMouseDown();
  page->RaiseMouseMove();
  EXPECT_FALSE(Shared().UserActionFlag);
  EXPECT_FALSE(band->AllowNextPopup);
  EXPECT_TRUE(page->RaiseClick());
}

TEST_F(PageHooksTest, CtrlF2AllowsTheSiteUntilTheNextReload) {
  Start("1", "1");
  auto page = LoadedPage("www.example.com");
  page->RaiseKeyDown(113, true);
  ASSERT_EQ(AllowedSites().Texts(), std::vector<std::string>{"*.example.com"});
  EXPECT_EQ(AllowedSites().Tag(0), TemporarySiteMark);
  EXPECT_EQ(Popup(), "allowed") << "even at Block All";

  page->RaiseKeyDown(113, true);
  EXPECT_EQ(AllowedSites().Count(), 1) << "pressed again, nothing more is added";

  SaveSiteLists();
  std::string content = "unread";
  HANDLE file = CreateFileA(SiteListFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[64];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  EXPECT_EQ(read, 0u) << "a temporary entry is never stored";
}

struct KeyCase {
  const char* domain;
  int key;
  bool ctrl;
  const char* existing;  // "" for an empty list
  std::vector<std::string> after;
};

TEST_F(PageHooksTest, CtrlF2Cases) {
  const KeyCase cases[] = {
      {"www.example.com", 113, false, "", {}},
      {"www.example.com", 114, true, "", {}},
      {"www.example.com", 113, true, "*.example.com.br", {"*.example.com.br"}},
      {"", 113, true, "", {"*."}},
      {"", 113, true, "*.news.example", {"*.news.example"}},
      {"news.example.co.uk", 113, true, "", {"*.example.co.uk"}},
  };
  for (const KeyCase& c : cases) {
    Reset();
    Start("1", "0");
    if (*c.existing) AllowedSites().Add(c.existing);
    auto page = LoadedPage(c.domain);
    page->RaiseKeyDown(c.key, c.ctrl);
    EXPECT_EQ(AllowedSites().Texts(), c.after) << c.domain << " key " << c.key;
  }
}

TEST_F(PageHooksTest, CtrlF2OnAPageWithoutReadableDomainAddsNothing) {
  Start("1", "0");
  auto page = LoadedPage("news.example");
  page->SetDomain("", false);
  page->RaiseKeyDown(113, true);
  EXPECT_EQ(AllowedSites().Count(), 0);
}

}  // namespace
}  // namespace tarnivo
