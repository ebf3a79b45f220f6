// The band's handlers of the browser's events: they gather what the engine's steps need,
// ask them, and carry out what they answer.
#include <optional>
#include <string>

#include "engine/navigation.h"
#include "engine/new_window.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace tarnivo {

namespace {

bool LeftButtonIsPressed() { return GetAsyncKeyState(VK_LBUTTON) != 0; }

// The decision's questions, answered from the band's browser and the live keyboard and mouse.
// The browser's document is read once, at the first question about the page.
class NewWindowAnswers final : public NewWindowQuestions {
 public:
  explicit NewWindowAnswers(const host::BrowserPtr& browser) : browser_(browser) {}

  std::optional<std::string> PageDomain() override {
    std::string domain;
    const host::ObjectPtr& document = Document();
    if (!document || !host::GetTextProperty(*document, "domain", &domain)) return std::nullopt;
    return domain;
  }
  bool CtrlIsDown() override { return GetAsyncKeyState(VK_CONTROL) < 0; }
  std::optional<std::string> FocusedTag() override {
    const host::ObjectPtr& document = Document();
    if (!document) return std::nullopt;
    host::ObjectPtr active = host::GetObjectProperty(*document, "activeElement");
    std::string tag;
    if (!active || !host::GetTextProperty(*active, "tagName", &tag)) return std::nullopt;
    return tag;
  }
  bool LeftButtonPressed() override { return LeftButtonIsPressed(); }

 private:
  const host::ObjectPtr& Document() {
    if (!document_read_) {
      document_read_ = true;
      try {
        if (browser_) document_ = browser_->Document();
      } catch (...) {
      }
    }
    return document_;
  }

  const host::BrowserPtr& browser_;
  host::ObjectPtr document_;
  bool document_read_ = false;
};

class NavigationAnswers final : public NavigationQuestions {
 public:
  bool LeftButtonPressed() override { return LeftButtonIsPressed(); }
};

}  // namespace

void CToolbar::m_oIE_NewWindow2(host::Value*, host::EventFlag* Cancel) {
  try {
    const ThreadShared& shared = Shared();
    NewWindowAnswers ask(m_oIE_);
    const NewWindowInputs inputs{
        ScrollLockIsOn(),      Enabled, shared.BlockLevel, AllowedSites(), AllowNextPopup,
        shared.UserActionFlag, icone_};
    CarryOut(DecideNewWindow(inputs, ask), Cancel);
  } catch (...) {
    // The browser's event call never sees a failure of the decision.
  }
}

void CToolbar::CarryOut(const NewWindowAnswer& answer, host::EventFlag* Cancel) {
  switch (answer.verdict) {
    case NewWindowVerdict::Pass:
      break;
    case NewWindowVerdict::Allow:
      Cancel->Set(false);
      break;
    case NewWindowVerdict::Block:
      MessageBeep(MB_OK);
      try {
        if (answer.showBlockedImage) {
          AddToolbarIcons(1);
          Redraw();
        }
      } catch (...) {
      }
      Cancel->Set(true);
      try {
        IncrementBlockedCount();
      } catch (...) {
      }
      break;
  }
  if (answer.switchScrollLockOff) ScrollLockOff();
  Apply(answer.credits);
}

void CToolbar::Apply(const CreditChange& change) {
  if (change.UserActionFlag) Shared().UserActionFlag = *change.UserActionFlag;
  if (change.AllowNextPopup) AllowNextPopup = *change.AllowNextPopup;
  if (change.ScriptNavigationSeen) ScriptNavigationSeen = *change.ScriptNavigationSeen;
}

void CToolbar::Apply(const PageStateChange& change) {
  if (change.PageComplete) Shared().PageComplete = *change.PageComplete;
  if (change.startNavigationClock) {
    try {
      Shared().NavigationStart = WholeSecondsSinceMidnight();
    } catch (...) {
    }
  }
  if (change.followCurrentDocument) {
    try {
      SetIEdoc(m_oIE_ ? m_oIE_->Document() : nullptr);
    } catch (...) {
    }
  }
  if (change.letGoOfBrowserAndPage) LetGoOfBrowserAndPage();
}

void CToolbar::m_oIE_BeforeNavigate2(const host::Value&, const std::string& URL) {
  Apply(PageStateAtNavigation());
  try {
    NavigationAnswers ask;
    Apply(CreditsAfterNavigation(URL, Shared().UserActionFlag, ScriptNavigationSeen, ask));
  } catch (...) {
  }
}

void CToolbar::m_oIE_CommandStateChange(std::int32_t, bool) {
  try {
    std::optional<bool> busy;
    bool value = true;
    if (m_oIE_ && m_oIE_->Busy(&value)) busy = value;
    Apply(PageStateAtCommandStateChange(busy));
  } catch (...) {
  }
}

void CToolbar::m_oIE_DocumentComplete(const host::Value& pDisp, const std::string&) {
  bool topLevel = false;
  try {
    if (m_oIE_ && pDisp.kind == host::Value::Kind::Object && pDisp.object) {
      // The top-level page's event comes from the browser itself; a frame's does not.
      host::ObjectPtr browser = m_oIE_->AsObject();
      topLevel = browser && pDisp.object->Identity() == browser->Identity();
    }
  } catch (...) {
  }
  Apply(PageStateAtDocumentComplete(topLevel));
}

void CToolbar::m_oIE_WindowClosing(bool, host::EventFlag*) { Apply(PageStateAtWindowClosing()); }

}  // namespace tarnivo
