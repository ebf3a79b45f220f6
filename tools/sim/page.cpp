// The browser's events, the page's content and events, and time: the commands a page and
// its user drive, as the browser raises them.
#include <cstdint>
#include <memory>
#include <string>

#include "commands.h"
#include "in_frame.h"
#include "lexer.h"
#include "platform/linux/backend.h"
#include "ui/toolbar/frm_toolbar.h"

namespace scenario {
namespace {

using tarnivo::sim::SimBrowser;
using tarnivo::sim::SimDocument;

// The longest wait one line may ask for: a day.
constexpr int kMaxWait = 24 * 60 * 60 * 1000;
// CommandStateChange carries a command and its state; the band reads neither. The one
// raised is the Back button's (CSC_NAVIGATEBACK) going grey.
constexpr std::int32_t kNavigateBack = 2;

// The document the browser shows, for the page's own events: null when it shows none, and
// then the event reaches no handler. The transcript tells when nothing listens.
Status ShownDocument(Session& session, const Args& args, std::shared_ptr<SimDocument>* document) {
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  *document = browser->CurrentDocument();
  if (!*document)
    session.Say("the browser shows no page: the event reaches no handler");
  else if ((*document)->Sinks().empty())
    session.Say("nothing listens to this page's events: the event reaches no handler");
  return Status::Ok();
}

// "HH:MM:SS", two digits each.
bool ParseClock(const std::string& text, int* hour, int* minute, int* second) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  int parts[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const char high = text[static_cast<std::size_t>(i * 3)];
    const char low = text[static_cast<std::size_t>(i * 3 + 1)];
    if (high < '0' || high > '9' || low < '0' || low > '9') return false;
    parts[i] = (high - '0') * 10 + (low - '0');
  }
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  *hour = parts[0];
  *minute = parts[1];
  *second = parts[2];
  return true;
}

// Clears the frame a leading `in frame ...` named once its command has run.
class FrameScope {
 public:
  FrameScope(Session& session, std::shared_ptr<SimDocument> document, std::string path)
      : session_(session) {
    session_.frame_document = std::move(document);
    session_.frame_path = std::move(path);
  }
  ~FrameScope() {
    session_.frame_document.reset();
    session_.frame_path.clear();
  }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  Session& session_;
};

}  // namespace

Status TargetDocument(Session& session, const Args& args, std::shared_ptr<SimDocument>* document) {
  if (session.frame_document) {
    *document = session.frame_document;
    return Status::Ok();
  }
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  if (!browser->CurrentDocument()) return args.Error("the browser shows no document (page first)");
  *document = browser->CurrentDocument();
  return Status::Ok();
}

Status TimerNumber(const Args& args, const std::string& name, int* number) {
  for (int timer = 1; timer <= tarnivo::frmToolbar::kTimerCount; ++timer) {
    if (name == "Timer" + std::to_string(timer)) {
      *number = timer;
      return Status::Ok();
    }
  }
  if (name == "SettingsPoll")
    return args.Error("the timer SettingsPoll is not known to this build yet");
  return args.Error("unknown timer " + Quote(name) + " (Timer1, Timer2, Timer3 or SettingsPoll)");
}

// --- the browser's events ---

Status RunNavigate(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->RaiseBeforeNavigate2(args.Text(0));
  return Status::Ok();
}

Status RunComplete(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "top") && !args.Is(0, "frame"))
    return args.Error("expected top or frame, not " + Quote(args.Text(0)));
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->RaiseDocumentComplete(args.Is(0, "top"), "");
  return Status::Ok();
}

Status RunStateChange(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->RaiseCommandStateChange(kNavigateBack, false);
  return Status::Ok();
}

Status RunClosing(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->RaiseWindowClosing();
  return Status::Ok();
}

// --- the page's content ---

Status RunScript(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0, {"text", "src"}); !check.ok()) return check;
  std::shared_ptr<SimDocument> document;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  const Word* text = args.Option("text");
  const Word* src = args.Option("src");
  document->AddScript(text ? text->text : "", src ? src->text : "");
  return Status::Ok();
}

Status RunFrame(Session& session, const Args& args) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "unreadable"))
    return args.Error("expected unreadable or nothing, not " + Quote(args.Text(0)));
  std::shared_ptr<SimDocument> document;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  document->AddFrame(args.Count() == 0);
  return Status::Ok();
}

Status RunObject(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0, {"codebase"}); !check.ok()) return check;
  const Word* code_base = args.Option("codebase");
  if (code_base == nullptr) return args.Error("codebase=\"...\" is expected");
  std::shared_ptr<SimDocument> document;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  document->AddObject(code_base->text);
  return Status::Ok();
}

Status RunIn(Session& session, const Args& args) {
  SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  std::shared_ptr<SimDocument> document = browser->CurrentDocument();
  if (!document) return args.Error("the browser shows no document (page first)");
  // `frame N` pairs name the document; the words after them are the command.
  const std::size_t pairs = scenario::FramePairs(args);
  std::string path;
  if (Status walk = scenario::WalkFrames(args, pairs, &document, &path); !walk.ok()) return walk;
  scenario::InFrameCommand command{};
  std::string what;
  if (Status read = scenario::ReadInFrameCommand(args, pairs, path, &command, &what); !read.ok())
    return read;
  FrameScope scope(session, document, path);
  const std::size_t next = pairs * 2 + 1;
  switch (command) {
    case scenario::InFrameCommand::Script:
      return RunScript(session, args.Rest(next, what));
    case scenario::InFrameCommand::Frame:
      return RunFrame(session, args.Rest(next, what));
    case scenario::InFrameCommand::Object:
      return RunObject(session, args.Rest(next, what));
    case scenario::InFrameCommand::ExpectScript:
    case scenario::InFrameCommand::ExpectObject:
      return RunExpect(session, args.Rest(next, what));
  }
  return Status::Ok();
}

// --- the page's events ---

Status RunContextMenu(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  std::shared_ptr<SimDocument> document;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document && !document->RaiseContextMenu()) session.Say("the context menu is cancelled");
  return Status::Ok();
}

Status RunFocusOut(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  std::shared_ptr<SimDocument> document;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document) document->RaiseFocusOut();
  return Status::Ok();
}

Status RunPageKey(Session& session, const Args& args) {
  if (Status check = args.Check(1, 2); !check.ok()) return check;
  std::int32_t code = 0;
  if (!ParseInt32(args.Text(0), &code))
    return args.Error("a key code is expected, not " + Quote(args.Text(0)));
  if (args.Count() == 2 && !args.Is(1, "ctrl"))
    return args.Error("expected ctrl or nothing, not " + Quote(args.Text(1)));
  std::shared_ptr<SimDocument> document;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document) document->RaiseKeyDown(code, args.Count() == 2);
  return Status::Ok();
}

Status RunPageClick(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  std::shared_ptr<SimDocument> document;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document && !document->RaiseClick()) session.Say("the click's default action is cancelled");
  return Status::Ok();
}

// --- time ---

Status RunClock(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!ParseClock(args.Text(0), &hour, &minute, &second))
    return args.Error("a time of day HH:MM:SS is expected, not " + Quote(args.Text(0)));
  backend::SetTimeOfDay(hour, minute, second, 0);
  return Status::Ok();
}

Status RunWait(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  int milliseconds = 0;
  if (!ParseCount(args.Text(0), &milliseconds) || milliseconds > kMaxWait)
    return args.Error("a number of milliseconds from 0 to " + std::to_string(kMaxWait) +
                      " is expected, not " + Quote(args.Text(0)));
  session.Wait(static_cast<unsigned>(milliseconds));
  return Status::Ok();
}

Status RunTimer(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  int number = 0;
  if (Status named = TimerNumber(args, args.Text(0), &number); !named.ok()) return named;
  bool on = false;
  if (args.Is(1, "on"))
    on = true;
  else if (!args.Is(1, "off"))
    return args.Error("expected on or off, not " + Quote(args.Text(1)));
  tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  if (form == nullptr) return args.Error("the toolbar form is not loaded (start first)");
  form->SetTimerEnabled(number, on);
  return Status::Ok();
}

}  // namespace scenario
