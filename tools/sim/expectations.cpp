// `expect WHAT ...`: the expectation table. Each check answers Ok or
// "expected <what was written>, got <what is>".
#include <map>

#include "band_checks.h"
#include "commands.h"
#include "machine.h"
#include "page_checks.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "state.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"

namespace scenario {
namespace {

// The most words an expectation takes after its name: a whole list.
constexpr std::size_t kMostWords = tarnivo::SiteList::kMaxEntries + 1u;

Status Popup(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::string& want = args.Text(0);
  if (want != "blocked" && want != "allowed" && want != "passed")
    return args.Error("expected blocked, allowed or passed, not " + Quote(want));
  const std::string got = session.last_popup ? OutcomeName(*session.last_popup) : "no popup";
  if (got == want) return Status::Ok();
  return Status::Expected("popup " + want, got);
}

Status Result(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::string& want = args.Text(0);
  if (session.last_result && *session.last_result == want) return Status::Ok();
  return Status::Expected("result " + Quote(want),
                          session.last_result ? Quote(*session.last_result) : "no result");
}

Status Reg(Session&, const Args& args) {
  if (Status check = args.Check(2, 3); !check.ok()) return check;
  const std::string& name = args.Text(0);
  const std::optional<RawValue> got = ReadValue(name);
  const std::string got_text = got ? Describe(*got) : "missing";
  std::string want_text;
  bool holds = false;
  if (args.Is(1, "missing")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    want_text = "missing";
    holds = !got;
  } else if (args.Is(1, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    std::uint32_t number = 0;
    if (!ParseDword(args.Text(2), &number))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
    want_text = "dword " + std::to_string(number);
    holds = got && got_text == want_text;
  } else if (args[1].quoted) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    want_text = Quote(args.Text(1));
    holds = got && got->type == REG_SZ && got->bytes == args.Text(1);
  } else {
    return args.Error("expected \"BYTES\", missing or dword N, not " + Quote(args.Text(1)));
  }
  if (holds) return Status::Ok();
  return Status::Expected("reg " + name + " " + want_text, got_text);
}

Status Key(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "missing") && !args.Is(0, "present"))
    return args.Error("expected missing or present, not " + Quote(args.Text(0)));
  const std::string got = SettingsKeyExists() ? "present" : "missing";
  if (got == args.Text(0)) return Status::Ok();
  return Status::Expected("key " + args.Text(0), got);
}

Status Count(Session&, const Args& args) { return ExpectCount(args); }

Status ListFile(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::optional<std::string> got = ReadListFile();
  const std::string got_text = got ? Quote(*got) : "missing";
  if (args.Is(0, "missing")) {
    if (!got) return Status::Ok();
    return Status::Expected("listfile missing", got_text);
  }
  if (!args[0].quoted) return args.Error("expected \"BYTES\" or missing");
  if (got && *got == args.Text(0)) return Status::Ok();
  return Status::Expected("listfile " + Quote(args.Text(0)), got_text);
}

std::string Texts(const std::vector<std::string>& texts) {
  if (texts.empty()) return "an empty list";
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : " ") + Quote(text);
  return out;
}

Status List(Session&, const Args& args) {
  if (Status check = args.Check(1, tarnivo::SiteList::kMaxEntries + 1u); !check.ok()) return check;
  std::vector<std::string> want;
  for (std::size_t i = 1; i < args.Count(); ++i) want.push_back(args.Text(i));
  std::vector<std::string> got;
  const std::string& name = args.Text(0);
  if (name == "ActiveXPatterns") {
    got = tarnivo::Shared().ActiveXPatterns;
  } else if (name == "ActiveXTags") {
    got = tarnivo::Shared().ActiveXTags;
  } else {
    tarnivo::SiteList* list = nullptr;
    if (Status found = FindList(args, name, &list); !found.ok()) return found;
    got = list->Texts();
  }
  if (got == want) return Status::Ok();
  return Status::Expected("list " + args.Text(0) + " " + Texts(want), Texts(got));
}

Status Tag(Session&, const Args& args) {
  if (Status check = args.Check(3, 3); !check.ok()) return check;
  tarnivo::SiteList* list = nullptr;
  if (Status found = FindList(args, args.Text(0), &list); !found.ok()) return found;
  std::int32_t want = 0;
  if (!ParseInt32(args.Text(2), &want))
    return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
  const std::string expected = "tag " + args.Text(2) + " on " + Quote(args.Text(1));
  for (int i = 0; i < list->Count(); ++i) {
    if (list->Text(i) != args.Text(1)) continue;
    if (list->Tag(i) == want) return Status::Ok();
    return Status::Expected(expected, "tag " + std::to_string(list->Tag(i)));
  }
  return Status::Expected(expected, "no such entry in " + args.Text(0));
}

Status State(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const StateEntry* entry = nullptr;
  if (Status found = FindState(args, &entry); !found.ok()) return found;
  std::string want;
  if (Status parsed = ParseStateValue(*entry, args[1], args, &want); !parsed.ok()) return parsed;
  std::string got;
  if (Status read = entry->get(session, &got); !read.ok()) return read;
  if (got == want) return Status::Ok();
  return Status::Expected("state " + args.Text(0) + " " + ShowStateValue(*entry, want),
                          ShowStateValue(*entry, got));
}

Status Beeps(Session&, const Args& args) {
  return ExpectNumber(args, "beeps", backend::BeepCount());
}

Status Redraws(Session& session, const Args& args) {
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  return ExpectNumber(args, "redraws", band->Redraws());
}

Status ScrollLock(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "on") && !args.Is(0, "off"))
    return args.Error("expected on or off, not " + Quote(args.Text(0)));
  const std::string got = (GetKeyState(VK_SCROLL) & 1) != 0 ? "on" : "off";
  if (got == args.Text(0)) return Status::Ok();
  return Status::Expected("scrolllock " + args.Text(0), got);
}

Status Timer(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  int number = 0;
  if (Status named = TimerNumber(args, args.Text(0), &number); !named.ok()) return named;
  if (!args.Is(1, "on") && !args.Is(1, "off"))
    return args.Error("expected on or off, not " + Quote(args.Text(1)));
  // A form that is not loaded runs no timer.
  const tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  const std::string got = form != nullptr && form->TimerEnabled(number) ? "on" : "off";
  if (got == args.Text(1)) return Status::Ok();
  return Status::Expected("timer " + args.Text(0) + " " + args.Text(1),
                          got + (form == nullptr ? " (the toolbar form is not loaded)" : ""));
}

// " in frame 0 frame 1" after a leading `in frame ...`, for messages.
std::string Within(const Session& session) {
  return session.frame_document ? " in " + session.frame_path : "";
}

Status Script(Session& session, const Args& args) {
  scenario::ElementCheck check;
  if (Status read = scenario::ReadScriptCheck(args, &check); !read.ok()) return read;
  std::shared_ptr<tarnivo::sim::SimDocument> document;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  std::vector<std::string> texts;
  for (const auto& script : document->Scripts()) texts.push_back(script->Text(check.field));
  return scenario::CompareScript(check, Within(session), texts);
}

Status Object(Session& session, const Args& args) {
  scenario::ElementCheck check;
  if (Status read = scenario::ReadObjectCheck(args, &check); !read.ok()) return read;
  std::shared_ptr<tarnivo::sim::SimDocument> document;
  if (Status target = TargetDocument(session, args, &document); !target.ok()) return target;
  std::vector<scenario::ObjectSeen> objects;
  for (const auto& object : document->Objects())
    objects.push_back({object->Text("codeBase"), object->Flag("disabled")});
  return scenario::CompareObject(check, Within(session), objects);
}

Status Caption(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded();
  if (form == nullptr) return args.Error("the toolbar form is not loaded (start first)");
  const std::string& name = args.Text(0);
  if (!form->HasEntry(name))
    return args.Error("no menu entry or control named " + Quote(name) + " on the toolbar form");
  const std::string got = form->Caption(name);
  if (got == args.Text(1)) return Status::Ok();
  return Status::Expected("caption " + name + " " + Quote(args.Text(1)), Quote(got));
}

Status Menu(Session&, const Args& args) {
  return ExpectMenu(args, backend::MenusShown(), backend::LastMenuShown());
}

Status MsgBox(Session&, const Args& args) {
  return ExpectMsgBox(args, backend::MessageBoxes(), backend::LastMessageBox());
}

Status MsgBoxes(Session&, const Args& args) {
  return ExpectNumber(args, "msgboxes", backend::MessageBoxes());
}

Status BandInfo(Session& session, const Args& args) {
  return ExpectBandInfo(args, session.last_band_info);
}

Status Images(Session& session, const Args& args) {
  std::vector<int> want;
  if (Status read = ReadImages(args, &want); !read.ok()) return read;
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  return CompareImages(want, ToolbarIcons(*band));
}

const std::map<std::string, Handler>& Table() {
  static const std::map<std::string, Handler> table = {
      {"popup", Popup},       {"result", Result},     {"reg", Reg},
      {"key", Key},           {"count", Count},       {"listfile", ListFile},
      {"list", List},         {"tag", Tag},           {"state", State},
      {"beeps", Beeps},       {"redraws", Redraws},   {"scrolllock", ScrollLock},
      {"timer", Timer},       {"script", Script},     {"object", Object},
      {"caption", Caption},   {"menu", Menu},         {"msgbox", MsgBox},
      {"msgboxes", MsgBoxes}, {"bandinfo", BandInfo}, {"images", Images},
  };
  return table;
}

const char* const kLaterExpectations[] = {"dialog", "shell", "focus"};

}  // namespace

Status RunExpect(Session& session, const Args& args) {
  // Each expectation checks its own options.
  if (Status check = args.Check(
          1, kMostWords + 1u,
          {"disabled", "title", "icon", "min", "max", "integral", "actual", "modeflags"});
      !check.ok())
    return check;
  const std::string& what = args.Text(0);
  const auto found = Table().find(what);
  if (found == Table().end() || args[0].quoted) {
    for (const char* later : kLaterExpectations)
      if (what == later)
        return args.Error("the expectation " + what + " is not known to this build yet");
    return args.Error("unknown expectation " + Quote(what));
  }
  return found->second(session, args.Rest(1, "expect " + what));
}

}  // namespace scenario
