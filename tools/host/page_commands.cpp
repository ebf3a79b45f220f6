// The browser's events, the page's content and events, and the page's expectations, on the
// real DLL: the host's browser raises DWebBrowserEvents2 and its documents HTMLDocumentEvents
// through their connection points, and the page's elements are read back as the band left
// them through IDispatch.
#include <exdispid.h>
#include <olectl.h>  // the stock event identifiers mshtmdid.h refers to
#include <mshtmdid.h>

#include <cstdint>
#include <string>

#include "commands.h"
#include "in_frame.h"
#include "lexer.h"
#include "page_checks.h"

namespace host {
namespace {

using comfakes::Bool;
using comfakes::ByRef;
using comfakes::Dispatch;
using comfakes::Int;
using scenario::Args;
using scenario::Quote;
using scenario::Status;
using scenario::Word;

// CommandStateChange carries a command and its state; the band reads neither. The one
// raised is the Back button's (CSC_NAVIGATEBACK) going grey.
constexpr LONG kNavigateBack = 2;

// The document a leading `in frame N ...` names for the command that follows, and how it
// was named ("frame 0 frame 1"); null outside such a line.
PageObject* g_frame_document = nullptr;
std::string g_frame_path;

// Clears the frame a leading `in frame ...` named once its command has run.
class FrameScope {
 public:
  FrameScope(PageObject* document, std::string path) {
    g_frame_document = document;
    g_frame_path = std::move(path);
  }
  ~FrameScope() {
    g_frame_document = nullptr;
    g_frame_path.clear();
  }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;
};

// The document a page command or a page expectation works on: the one a leading
// `in frame N ...` named, else the current window's browser's document.
Status TargetDocument(Session& session, const Args& args, PageObject** document) {
  if (g_frame_document != nullptr) {
    *document = g_frame_document;
    return Status::Ok();
  }
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  if (browser->Document() == nullptr)
    return args.Error("the browser shows no document (page first)");
  *document = browser->Document();
  return Status::Ok();
}

// The document the browser shows, for the page's own events: null when it shows none, and
// then the event reaches no handler. The transcript tells when nothing listens.
Status ShownDocument(Session& session, const Args& args, PageObject** document) {
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  *document = browser->Document();
  if (*document == nullptr)
    session.Say("the browser shows no page: the event reaches no handler");
  else if ((*document)->Listeners() == 0)
    session.Say("nothing listens to this page's events: the event reaches no handler");
  return Status::Ok();
}

// A text passed by reference inside a VARIANT, as the browser passes its event arguments.
class TextArgument {
 public:
  explicit TextArgument(const std::string& text)
      : value_(comfakes::Text(tarnivo::com::WideFromAnsi(text))) {}
  ~TextArgument() { VariantClear(&value_); }
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;
  VARIANT ByReference() { return ByRef(VT_VARIANT, &value_); }

 private:
  VARIANT value_;
};

// --- the browser's events ---

Status Navigate(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
  TextArgument url(args.Text(0));
  VARIANT flags = Int(0);
  TextArgument target("");
  VARIANT post_data;
  VariantInit(&post_data);
  TextArgument headers("");
  VARIANT_BOOL cancel = VARIANT_FALSE;
  browser->Fire(DISPID_BEFORENAVIGATE2,
                {Dispatch(browser->AsDispatch()), url.ByReference(), ByRef(VT_VARIANT, &flags),
                 target.ByReference(), ByRef(VT_VARIANT, &post_data), headers.ByReference(),
                 ByRef(VT_BOOL, &cancel)});
  Session::Pump();
  if (cancel != VARIANT_FALSE) session.Say("the navigation is cancelled");
  return Status::Ok();
}

Status Complete(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "top") && !args.Is(0, "frame"))
    return args.Error("expected top or frame, not " + Quote(args.Text(0)));
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  // The top page names the browser itself; a frame names its own browser object.
  Ref<FakeObject> frame;
  IDispatch* completed = browser->AsDispatch();
  if (args.Is(0, "frame")) {
    frame = Ref<FakeObject>(new FakeObject());
    completed = frame.get();
  }
  Ref<PageObject> shown;
  if (browser->Document() != nullptr) {
    browser->Document()->AddRef();
    shown = Ref<PageObject>(browser->Document());
  }
  const std::size_t before = shown ? shown->Listeners() : 0;
  TextArgument url("");
  browser->Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(completed), url.ByReference()});
  Session::Pump();
  const std::size_t after = shown ? shown->Listeners() : 0;
  if (after > before)
    session.Say("page hooks bound to the page shown");
  else if (after < before)
    session.Say("page hooks released from the page shown");
  return Status::Ok();
}

Status StateChange(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  browser->Fire(DISPID_COMMANDSTATECHANGE, {Int(kNavigateBack), Bool(false)});
  Session::Pump();
  return Status::Ok();
}

// --- the page's content ---

Status Script(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0, {"text", "src"}); !check.ok()) return check;
  PageObject* document = nullptr;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  const Word* text = args.Option("text");
  const Word* src = args.Option("src");
  document->AddScript(text ? text->text : "", src ? src->text : "");
  return Status::Ok();
}

Status Frame(Session& session, const Args& args) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "unreadable"))
    return args.Error("expected unreadable or nothing, not " + Quote(args.Text(0)));
  PageObject* document = nullptr;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  document->AddFrame(args.Count() == 0);
  return Status::Ok();
}

Status Object(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0, {"codebase"}); !check.ok()) return check;
  const Word* code_base = args.Option("codebase");
  if (code_base == nullptr) return args.Error("codebase=\"...\" is expected");
  PageObject* document = nullptr;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  document->AddObject(code_base->text);
  return Status::Ok();
}

Status ExpectScript(Session& session, const Args& args);
Status ExpectObject(Session& session, const Args& args);

Status In(Session& session, const Args& args) {
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  PageObject* document = browser->Document();
  if (document == nullptr) return args.Error("the browser shows no document (page first)");
  // `frame N` pairs name the document; the words after them are the command.
  const std::size_t pairs = scenario::FramePairs(args);
  std::string path;
  if (Status walk = scenario::WalkFrames(args, pairs, &document, &path); !walk.ok()) return walk;
  scenario::InFrameCommand command{};
  std::string what;
  if (Status read = scenario::ReadInFrameCommand(args, pairs, path, &command, &what); !read.ok())
    return read;
  FrameScope scope(document, path);
  const std::size_t next = pairs * 2 + 1;
  switch (command) {
    case scenario::InFrameCommand::Script:
      return Script(session, args.Rest(next, what));
    case scenario::InFrameCommand::Frame:
      return Frame(session, args.Rest(next, what));
    case scenario::InFrameCommand::Object:
      return Object(session, args.Rest(next, what));
    case scenario::InFrameCommand::ExpectScript:
      return ExpectScript(session, args.Rest(next + 1, what + " script"));
    case scenario::InFrameCommand::ExpectObject:
      return ExpectObject(session, args.Rest(next + 1, what + " object"));
  }
  return Status::Ok();
}

// --- the page's events ---

Status ContextMenu(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  PageObject* document = nullptr;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document != nullptr &&
      !document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU, "contextmenu"))
    session.Say("the context menu is cancelled");
  Session::Pump();
  return Status::Ok();
}

Status FocusOut(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  PageObject* document = nullptr;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document != nullptr) document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONFOCUSOUT, "focusout");
  Session::Pump();
  return Status::Ok();
}

Status PageKey(Session& session, const Args& args) {
  if (Status check = args.Check(1, 2); !check.ok()) return check;
  std::int32_t code = 0;
  if (!scenario::ParseInt32(args.Text(0), &code))
    return args.Error("a key code is expected, not " + Quote(args.Text(0)));
  if (args.Count() == 2 && !args.Is(1, "ctrl"))
    return args.Error("expected ctrl or nothing, not " + Quote(args.Text(1)));
  PageObject* document = nullptr;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document != nullptr)
    document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONKEYDOWN, "keydown", code, args.Count() == 2);
  Session::Pump();
  return Status::Ok();
}

Status PageClick(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  PageObject* document = nullptr;
  if (Status shown = ShownDocument(session, args, &document); !shown.ok()) return shown;
  if (document != nullptr && !document->Raise(DISPID_HTMLDOCUMENTEVENTS_ONCLICK, "click"))
    session.Say("the click's default action is cancelled");
  Session::Pump();
  return Status::Ok();
}

// --- expectations ---

// " in frame 0 frame 1" after a leading `in frame ...`, for messages.
std::string Within() { return g_frame_document != nullptr ? " in " + g_frame_path : ""; }

Status ExpectScript(Session& session, const Args& args) {
  scenario::ElementCheck check;
  if (Status read = scenario::ReadScriptCheck(args, &check); !read.ok()) return read;
  PageObject* document = nullptr;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  std::vector<std::string> texts;
  for (const FakeObject* script : document->Scripts())
    texts.push_back(TextOf(*script, check.field == "text" ? L"text" : L"src"));
  return scenario::CompareScript(check, Within(), texts);
}

Status ExpectObject(Session& session, const Args& args) {
  scenario::ElementCheck check;
  if (Status read = scenario::ReadObjectCheck(args, &check); !read.ok()) return read;
  PageObject* document = nullptr;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  std::vector<scenario::ObjectSeen> objects;
  for (const FakeObject* object : document->Objects())
    objects.push_back({TextOf(*object, L"codeBase"), FlagOf(*object, L"disabled")});
  return scenario::CompareObject(check, Within(), objects);
}

}  // namespace

bool IsInFrameExpectation(const Args& args) {
  const std::size_t pairs = scenario::FramePairs(args);
  return pairs > 0 && args.Is(pairs * 2, "expect");
}

void AddPageCommands(CommandTable& table) {
  table.commands["navigate"] = Navigate;
  table.commands["complete"] = Complete;
  table.commands["statechange"] = StateChange;
  table.commands["script"] = Script;
  table.commands["frame"] = Frame;
  table.commands["object"] = Object;
  table.commands["in"] = In;
  table.commands["contextmenu"] = ContextMenu;
  table.commands["focusout"] = FocusOut;
  table.commands["pagekey"] = PageKey;
  table.commands["pageclick"] = PageClick;
  table.expectations["script"] = ExpectScript;
  table.expectations["object"] = ExpectObject;
}

}  // namespace host
