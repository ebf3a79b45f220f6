// The navigation step, Ctrl+F2 and the watch timers' tests on their own: tables of inputs,
// the answer, and which lazy inputs were asked.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/navigation.h"
#include "engine/page_hooks.h"
#include "engine/watch_timers.h"
#include "store/site_list.h"

namespace tarnivo {
namespace {

std::string Describe(const CreditChange& credits) {
  std::string text;
  if (credits.ScriptNavigationSeen)
    text += " seen=" + std::to_string(*credits.ScriptNavigationSeen);
  if (credits.UserActionFlag) text += std::string(" flag=") + (*credits.UserActionFlag ? "1" : "0");
  if (credits.AllowNextPopup) text += std::string(" pass=") + (*credits.AllowNextPopup ? "1" : "0");
  return text.empty() ? "none" : text.substr(1);
}

class FixedButton : public NavigationQuestions {
 public:
  explicit FixedButton(bool pressed) : pressed_(pressed) {}
  bool LeftButtonPressed() override {
    ++asked;
    return pressed_;
  }
  int asked = 0;

 private:
  bool pressed_;
};

struct NavigationCase {
  const char* url;
  bool credit;        // UserActionFlag before
  std::uint8_t seen;  // ScriptNavigationSeen before
  bool button;
  const char* change;
  bool buttonAsked;
};

TEST(NavigationStep, CreditsAfterNavigation) {
  const NavigationCase cases[] = {
      // A URL naming a popup takes the credit, and the button is not asked.
      {"http://ads.example/PopUp.html", true, 0, true, "flag=0", false},
      {"javascript:popup()", false, 0, true, "flag=0", false},
      // After a press, the first script navigation is marked; any other takes the credit.
      {"javascript:open()", true, 0, true, "seen=1", false},
      {"JAVASCRIPT:open()", true, 0, false, "seen=1", false},
      {"http://news.example/", true, 0, true, "flag=0", false},
      {" javascript:open()", true, 0, false, "flag=0", false},
      // Once marked, or without a credit: only a script navigation asks the button.
      {"http://news.example/", true, 1, true, "none", false},
      {"javascript:open()", true, 1, true, "flag=1", true},
      {"javascript:open()", false, 0, true, "flag=1", true},
      {"javascriptopen()", false, 0, true, "flag=1", true},  // the first ten letters count
      {"javascript:open()", false, 0, false, "none", true},
      {"http://news.example/", false, 0, true, "none", false},
      {"", false, 0, true, "none", false},
  };
  for (const NavigationCase& c : cases) {
    FixedButton ask(c.button);
    const CreditChange change = CreditsAfterNavigation(c.url, c.credit, c.seen, ask);
    EXPECT_EQ(Describe(change), c.change) << c.url << " credit " << c.credit << " seen " << +c.seen;
    EXPECT_EQ(ask.asked, c.buttonAsked ? 1 : 0) << c.url;
  }
}

// A key event's answers (null: no answer), noting each question asked.
class FixedKey : public KeyDownQuestions {
 public:
  FixedKey(std::optional<bool> ctrl, std::optional<std::int32_t> key, const char* domain)
      : ctrl_(ctrl), key_(key), domain_(domain) {}
  std::optional<bool> CtrlKey() override {
    Note("ctrl");
    return ctrl_;
  }
  std::optional<std::int32_t> KeyCode() override {
    Note("key");
    return key_;
  }
  std::optional<std::string> PageDomain() override {
    Note("domain");
    if (!domain_) return std::nullopt;
    return std::string(domain_);
  }
  std::string asked;

 private:
  void Note(const char* question) {
    if (!asked.empty()) asked += ' ';
    asked += question;
  }
  std::optional<bool> ctrl_;
  std::optional<std::int32_t> key_;
  const char* domain_;
};

struct KeyCase {
  std::optional<bool> ctrl;
  std::optional<std::int32_t> key;
  const char* domain;    // null: no readable domain
  const char* existing;  // "" for an empty list
  const char* added;     // "" for nothing
  const char* asked;
};

TEST(PageHookSteps, CtrlF2AddsTheSiteOnce) {
  const KeyCase cases[] = {
      {true, kKeyF2, "www.example.com", "", "*.example.com", "ctrl key domain"},
      {true, kKeyF2, "news.example.co.uk", "", "*.example.co.uk", "ctrl key domain"},
      // Already allowed, as the entry itself or as the beginning of one (any case).
      {true, kKeyF2, "www.example.com", "*.EXAMPLE.com", "", "ctrl key domain"},
      {true, kKeyF2, "www.example.com", "*.example.com.br", "", "ctrl key domain"},
      // An empty domain probes "*.", which any "*." entry begins with.
      {true, kKeyF2, "", "", "*.", "ctrl key domain"},
      {true, kKeyF2, "", "*.news.example", "", "ctrl key domain"},
      {true, kKeyF2, nullptr, "", "", "ctrl key domain"},
      // Any other key, or no Ctrl: the page's domain is not read.
      {true, 114, "www.example.com", "", "", "ctrl key"},
      {true, std::nullopt, "www.example.com", "", "", "ctrl key"},
      {false, kKeyF2, "www.example.com", "", "", "ctrl"},
      {std::nullopt, kKeyF2, "www.example.com", "", "", "ctrl"},
  };
  for (const KeyCase& c : cases) {
    SiteList allowed;
    if (*c.existing) allowed.Add(c.existing);
    FixedKey ask(c.ctrl, c.key, c.domain);
    const std::optional<std::string> added = TemporarySiteAtKeyDown(ask, allowed);
    const std::string row = std::string(c.domain ? c.domain : "no domain") + " with '" +
                            c.existing + "', key " + std::to_string(c.key.value_or(-1));
    EXPECT_EQ(added.value_or(""), c.added) << row;
    EXPECT_EQ(added.has_value(), *c.added != '\0') << row;
    EXPECT_EQ(ask.asked, c.asked) << row;
  }
}

TEST(WatchTimerSteps, PageWindowClasses) {
  const struct {
    const char* name;
    bool page;
  } cases[] = {
      {"Internet Explorer_Server", true},
      {"internet explorer_server", true},
      {"Shell DocObject View INTERNET", true},
      {"#32768", true},
      {"AtlAxWin80", true},
      {"atl:0045A2B8", true},
      {"MyATLControl", false},  // "ATL" counts only at the start
      {"Edit", false},
      {"", false},
  };
  for (const auto& c : cases) {
    // The name as GetInfo gives it: followed by filler up to 100 characters.
    std::string info(c.name);
    info.resize(100, '\0');
    EXPECT_EQ(IsPageWindowClass(info), c.page) << c.name;
  }
}

TEST(WatchTimerSteps, ScanTimeLimit) {
  const struct {
    std::int32_t start;
    double now;
    bool over;
  } cases[] = {
      {0, 80000.0, false},                      // never set: the scan always runs
      {100, 120.0, false},                      // exactly 20 seconds is not more
      {100, 120.5, true},  {100, 99.6, false},  // a start rounded up is not in the past
      {86390, 5.0, false},                      // across midnight: 15 seconds
      {86390, 30.5, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScanTimeIsOver(c.start, c.now), c.over) << c.start << " to " << c.now;
  }
}

}  // namespace
}  // namespace tarnivo
