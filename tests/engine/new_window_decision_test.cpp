// The new-window decision on its own: a table of inputs, the answer, and which of the lazy
// inputs were asked, in order. No band, browser or back end takes part.
#include "engine/new_window.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "store/site_list.h"

namespace tarnivo {
namespace {

// The answer in words: the verdict, then what else happens ("allow scrolllock-off",
// "block image seen=0 flag=0").
std::string Describe(const NewWindowAnswer& answer) {
  std::string text;
  switch (answer.verdict) {
    case NewWindowVerdict::Pass:
      text = "pass";
      break;
    case NewWindowVerdict::Allow:
      text = "allow";
      break;
    case NewWindowVerdict::Block:
      text = "block";
      break;
  }
  if (answer.showBlockedImage) text += " image";
  if (answer.switchScrollLockOff) text += " scrolllock-off";
  const CreditChange& credits = answer.credits;
  if (credits.ScriptNavigationSeen)
    text += " seen=" + std::to_string(*credits.ScriptNavigationSeen);
  if (credits.UserActionFlag) text += std::string(" flag=") + (*credits.UserActionFlag ? "1" : "0");
  if (credits.AllowNextPopup) text += std::string(" pass=") + (*credits.AllowNextPopup ? "1" : "0");
  return text;
}

// Answers the questions from fixed values (null: no answer) and notes each one asked.
class FixedAnswers : public NewWindowQuestions {
 public:
  FixedAnswers(const char* domain, bool ctrl, const char* tag, bool button)
      : domain_(domain), ctrl_(ctrl), tag_(tag), button_(button) {}

  std::optional<std::string> PageDomain() override {
    Note("domain");
    if (!domain_) return std::nullopt;
    return std::string(domain_);
  }
  bool CtrlIsDown() override {
    Note("ctrl");
    return ctrl_;
  }
  std::optional<std::string> FocusedTag() override {
    Note("tag");
    if (!tag_) return std::nullopt;
    return std::string(tag_);
  }
  bool LeftButtonPressed() override {
    Note("button");
    return button_;
  }

  // The questions asked, in order, separated by spaces.
  std::string asked;

 protected:
  void Note(const char* question) {
    if (!asked.empty()) asked += ' ';
    asked += question;
  }

 private:
  const char* domain_;
  bool ctrl_;
  const char* tag_;
  bool button_;
};

struct DecisionCase {
  bool scrollLock;
  const char* enabled;
  const char* domain;  // null: no document, or no readable domain
  const char* site;    // the one allowed site; "" for none
  const char* level;
  bool allowNext;
  bool ctrl;
  const char* tag;  // null: no focused element
  bool credit;      // UserActionFlag
  bool button;
  const char* answer;
  const char* asked;
};

NewWindowAnswer Decide(const DecisionCase& c, NewWindowQuestions& ask, std::int32_t icone = 103) {
  SiteList allowed;
  if (*c.site) allowed.Add(c.site);
  const std::string enabled = c.enabled;
  const std::string level = c.level;
  const NewWindowInputs inputs{c.scrollLock, enabled, level, allowed, c.allowNext, c.credit, icone};
  return DecideNewWindow(inputs, ask);
}

TEST(NewWindowDecision, Cases) {
  const DecisionCase cases[] = {
      // Scroll Lock: one free pass whatever the rest says; nothing is asked.
      {true, "0", "ads.example", "", "1", false, false, "A", false, false, "allow scrolllock-off",
       ""},
      {true, "1", "ads.example", "", "1", false, false, "A", false, false, "allow scrolllock-off",
       ""},
      // The master switch is exactly "1": otherwise Cancel stays, nothing is asked or changed.
      {false, "0", "ads.example", "", "1", false, false, "A", false, false, "pass", ""},
      {false, "", "ads.example", "", "1", false, false, "A", false, false, "pass", ""},
      {false, "1.0", "ads.example", "", "1", false, false, "A", false, false, "pass", ""},
      // Allowed sites, even at Block All: "*." and the site, then the domain without "www.".
      {false, "1", "www.example.com", "*.example.com", "1", false, false, "A", false, false,
       "allow seen=0", "domain"},
      {false, "1", "ads.example.com", "*.example.com", "1", false, false, "A", false, false,
       "allow seen=0", "domain"},
      {false, "1", "example.com", "*.EXAMPLE.COM", "1", false, false, "A", false, false,
       "allow seen=0", "domain"},
      {false, "1", "www.example.com", "*.example.com.br", "1", false, false, "A", false, false,
       "allow seen=0", "domain"},
      {false, "1", "www.shop.example.co.uk", "shop.example.co.uk", "1", false, false, "A", false,
       false, "allow seen=0", "domain"},
      {false, "1", "www.example.com", "example.com", "1", false, false, "A", false, false,
       "allow seen=0", "domain"},
      {false, "1", "ads.example.com", "example.com", "1", false, false, "A", false, false,
       "block image seen=0", "domain"},
      // No domain, or an empty one, makes no probe: not even "*." matches.
      {false, "1", nullptr, "*.", "1", false, false, "A", false, false, "block image seen=0",
       "domain"},
      {false, "1", "", "*.", "1", false, false, "A", false, false, "block image seen=0", "domain"},
      // Block All ignores the pass, Ctrl and the user's press, and leaves their credits.
      {false, "1", "ads.example", "", "1", true, true, "A", true, false, "block image seen=0",
       "domain"},
      // A level that is no number, or the number 1 written otherwise, counts as Block All.
      {false, "1", "ads.example", "", "abc", false, false, "A", true, false, "block image seen=0",
       "domain"},
      {false, "1", "ads.example", "", "", false, false, "A", true, false, "block image seen=0",
       "domain"},
      {false, "1", "ads.example", "", "1.0", false, false, "A", true, false, "block image seen=0",
       "domain"},
      // Normal (any other number): the right-click pass is used up; Ctrl is not asked.
      {false, "1", "ads.example", "", "0", true, true, "A", false, false, "allow seen=0 pass=0",
       "domain"},
      {false, "1", "ads.example", "", "2", true, false, "A", false, false, "allow seen=0 pass=0",
       "domain"},
      // Ctrl held: Cancel stays, the credit stays, the page's element is not asked.
      {false, "1", "ads.example", "", "0", false, true, "A", true, false, "pass seen=0",
       "domain ctrl"},
      // The user's press, released, with the focus inside the page: allowed, the credit used.
      {false, "1", "ads.example", "", "0", false, false, "A", true, false, "allow seen=0 flag=0",
       "domain ctrl tag button"},
      {false, "1", "ads.example", "", "0", false, false, "a", true, false, "allow seen=0 flag=0",
       "domain ctrl tag button"},
      {false, "1", "ads.example", "", "0", false, false, "INPUT", true, false,
       "allow seen=0 flag=0", "domain ctrl tag button"},
      {false, "1", "ads.example", "", "0", false, false, nullptr, true, false,
       "allow seen=0 flag=0", "domain ctrl tag button"},
      // The focus on the page's body: blocked, though the button was asked first.
      {false, "1", "ads.example", "", "0", false, false, "BODY", true, false,
       "block image seen=0 flag=0", "domain ctrl tag button"},
      {false, "1", "ads.example", "", "0", false, false, "body", true, false,
       "block image seen=0 flag=0", "domain ctrl tag button"},
      // A frameset, or no credit: blocked, and the button is not asked.
      {false, "1", "ads.example", "", "0", false, false, "FRAMESET", true, false,
       "block image seen=0 flag=0", "domain ctrl tag"},
      {false, "1", "ads.example", "", "0", false, false, "frameset", true, true,
       "block image seen=0 flag=0", "domain ctrl tag"},
      {false, "1", "ads.example", "", "0", false, false, "A", false, false,
       "block image seen=0 flag=0", "domain ctrl tag"},
      // The button still held, or pressed since the last query: blocked.
      {false, "1", "ads.example", "", "0", false, false, "A", true, true,
       "block image seen=0 flag=0", "domain ctrl tag button"},
  };
  for (const DecisionCase& c : cases) {
    FixedAnswers ask(c.domain, c.ctrl, c.tag, c.button);
    const NewWindowAnswer answer = Decide(c, ask);
    const std::string row = std::string("enabled ") + c.enabled + ", domain " +
                            (c.domain ? c.domain : "none") + ", site " + c.site + ", level " +
                            c.level + ", tag " + (c.tag ? c.tag : "none");
    EXPECT_EQ(Describe(answer), c.answer) << row;
    EXPECT_EQ(ask.asked, c.asked) << row;
  }
}

TEST(NewWindowDecision, BlockedImageOnlyWhenAnotherIsShown) {
  const DecisionCase c = {false, "1", "ads.example", "",    "1", false,
                          false, "A", false,         false, "",  ""};
  for (std::int32_t icone : {103, 2, 0}) {
    FixedAnswers ask(c.domain, c.ctrl, c.tag, c.button);
    EXPECT_TRUE(Decide(c, ask, icone).showBlockedImage) << icone;
  }
  FixedAnswers ask(c.domain, c.ctrl, c.tag, c.button);
  EXPECT_EQ(Describe(Decide(c, ask, 1)), "block seen=0");
}

// Questions about the page that fail by throwing, as a broken adapter's might.
class FailingPage : public FixedAnswers {
 public:
  FailingPage() : FixedAnswers("ads.example", false, "BODY", false) {}
  std::optional<std::string> PageDomain() override {
    Note("domain");
    throw std::runtime_error("no domain");
  }
  std::optional<std::string> FocusedTag() override {
    Note("tag");
    throw std::runtime_error("no element");
  }
};

TEST(NewWindowDecision, FailedPageQuestionsCountAsNoAnswer) {
  // No domain: no allowed site, even "*."; no tag: not the body, so the credit lets it through.
  const DecisionCase c = {false, "1",     nullptr, "*.",  "0", false,
                          false, nullptr, true,    false, "",  ""};
  FailingPage ask;
  EXPECT_EQ(Describe(Decide(c, ask)), "allow seen=0 flag=0");
  EXPECT_EQ(ask.asked, "domain ctrl tag button");
}

}  // namespace
}  // namespace tarnivo
