#include "commands.h"

#include <cstring>
#include <exdispid.h>
#include <map>
#include <utility>

#include "lexer.h"
#include "machine.h"

namespace host {

using scenario::Args;
using scenario::Quote;
using scenario::Status;

Status NotYet(const std::string& what) {
  return Status::Skipped(what + " is not observable on the real DLL yet");
}

Status Choice(const Args& args, std::size_t i, const char* when_true, const char* when_false,
              bool* out) {
  if (args.Is(i, when_true) || args.Is(i, when_false)) {
    *out = args.Is(i, when_true);
    return Status::Ok();
  }
  return args.Error(std::string("expected ") + when_true + " or " + when_false + ", not " +
                    Quote(args.Text(i)));
}

namespace {

// --- machine state ---

Status Reg(Session&, const Args& args) {
  if (Status check = args.Check(1, 3); !check.ok()) return check;
  long result = 0;
  if (args.Is(0, "set")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    result = scenario::StoreString(args.Text(1), args.Text(2));
  } else if (args.Is(0, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    std::uint32_t value = 0;
    if (!scenario::ParseDword(args.Text(2), &value))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
    result = scenario::StoreDword(args.Text(1), value);
  } else if (args.Is(0, "delete")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    result = scenario::DeleteValue(args.Text(1));
  } else if (args.Is(0, "delete-key")) {
    if (Status check = args.Check(1, 1); !check.ok()) return check;
    result = scenario::DeleteSettingsKey();
  } else {
    return args.Error("expected set, dword, delete or delete-key, not " + Quote(args.Text(0)));
  }
  if (result != ERROR_SUCCESS)
    return Status::Failure(args.What() + ": the registry answered error " + std::to_string(result));
  return Status::Ok();
}

Status ListFile(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  std::string error;
  if (args.Is(0, "delete")) {
    if (!scenario::DeleteListFile(&error)) return Status::Failure(args.What() + ": " + error);
    return Status::Ok();
  }
  if (!args[0].quoted) return args.Error("expected \"BYTES\" or delete");
  if (!scenario::WriteListFile(args.Text(0), &error))
    return Status::Failure(args.What() + ": " + error);
  return Status::Ok();
}

Status Wait(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  int milliseconds = 0;
  if (!scenario::ParseCount(args.Text(0), &milliseconds))
    return args.Error("a number of milliseconds is expected, not " + Quote(args.Text(0)));
  session.Wait(static_cast<unsigned>(milliseconds));
  return Status::Ok();
}

// --- the browser and the page ---

Status Start(Session& session, const Args& args) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "nobrowser"))
    return args.Error("expected nobrowser or nothing, not " + Quote(args.Text(0)));
  return session.Open(args.Count() == 0);
}

Status Stop(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  session.CloseCurrent();
  return Status::Ok();
}

Status Closing(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  session.RaiseClosing(*window);
  return Status::Ok();
}

// A tag word: unquoted `-` is no focused element.
std::string TagOf(const scenario::Word& word) {
  return !word.quoted && word.text == "-" ? "" : word.text;
}

Status Page(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1, {"focus"}); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  const scenario::Word* focus = args.Option("focus");
  const bool dash = args.Is(0, "-");
  if (dash && focus == nullptr) {
    browser->SetDocument(nullptr);
    return Status::Ok();
  }
  PageObject* document =
      PageObject::Document(dash ? "" : args.Text(0), !dash, focus ? TagOf(*focus) : "A");
  browser->SetDocument(document);
  document->Release();
  return Status::Ok();
}

Status Focus(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  if (browser->Document() == nullptr) return args.Error("the browser shows no document");
  browser->Document()->SetFocus(TagOf(args[0]));
  return Status::Ok();
}

Status Busy(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  return Choice(args, 0, "yes", "no", &browser->busy);
}

Status Popup(Session& session, const Args& args) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  Browser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  session.last_popup = session.RaisePopup(*browser);
  session.Say(std::string("popup: ") + OutcomeName(*session.last_popup));
  return Status::Ok();
}

// --- the user ---

Status Key(Session&, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  bool down = false;
  if (Status choice = Choice(args, 0, "down", "up", &down); !choice.ok()) return choice;
  if (!args.Is(1, "ctrl")) return args.Error("expected ctrl, not " + Quote(args.Text(1)));
  keybd_event(VK_CONTROL, 0x1D, down ? 0 : KEYEVENTF_KEYUP, 0);
  Session::Pump();
  return Status::Ok();
}

Status ScrollLock(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  bool on = false;
  if (Status choice = Choice(args, 0, "on", "off", &on); !choice.ok()) return choice;
  if (!SetScrollLock(on)) return Status::Failure(args.What() + ": the toggle did not follow");
  return Status::Ok();
}

// --- expectations ---

Status ExpectPopup(Session& session, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::string& want = args.Text(0);
  if (want != "blocked" && want != "allowed" && want != "passed")
    return args.Error("expected blocked, allowed or passed, not " + Quote(want));
  const std::string got = session.last_popup ? OutcomeName(*session.last_popup) : "no popup";
  if (got == want) return Status::Ok();
  return Status::Expected("popup " + want, got);
}

Status ExpectReg(Session&, const Args& args) {
  if (Status check = args.Check(2, 3); !check.ok()) return check;
  const std::string& name = args.Text(0);
  const std::optional<scenario::RawValue> got = scenario::ReadValue(name);
  const std::string got_text = got ? scenario::Describe(*got) : "missing";
  std::string want_text;
  bool holds = false;
  if (args.Is(1, "missing")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    want_text = "missing";
    holds = !got;
  } else if (args.Is(1, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    std::uint32_t number = 0;
    if (!scenario::ParseDword(args.Text(2), &number))
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

Status ExpectKey(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "missing") && !args.Is(0, "present"))
    return args.Error("expected missing or present, not " + Quote(args.Text(0)));
  const std::string got = scenario::SettingsKeyExists() ? "present" : "missing";
  if (got == args.Text(0)) return Status::Ok();
  return Status::Expected("key " + args.Text(0), got);
}

Status ExpectListFile(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::optional<std::string> got = scenario::ReadListFile();
  const std::string got_text = got ? Quote(*got) : "missing";
  if (args.Is(0, "missing")) {
    if (!got) return Status::Ok();
    return Status::Expected("listfile missing", got_text);
  }
  if (!args[0].quoted) return args.Error("expected \"BYTES\" or missing");
  if (got && *got == args.Text(0)) return Status::Ok();
  return Status::Expected("listfile " + Quote(args.Text(0)), got_text);
}

Status ExpectScrollLock(Session&, const Args& args) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "on") && !args.Is(0, "off"))
    return args.Error("expected on or off, not " + Quote(args.Text(0)));
  const std::string got = ScrollLockOn() ? "on" : "off";
  if (got == args.Text(0)) return Status::Ok();
  return Status::Expected("scrolllock " + args.Text(0), got);
}

// A property of the band's default interface, read by name through its IDispatch.
bool ReadBandProperty(IUnknown* band, const wchar_t* name, VARIANT* out) {
  const auto dispatch = Query<IDispatch>(band, IID_IDispatch);
  if (!dispatch) return false;
  DISPID id = DISPID_UNKNOWN;
  auto* names = const_cast<LPOLESTR>(name);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  const bool ok =
      SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id)) &&
      SUCCEEDED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 out, nullptr, nullptr));
  return ok;
}

Status ExpectState(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const std::string& name = args.Text(0);
  if (name != "Enabled" && name != "Icone") return NotYet("expect state " + name);
  Window* window = nullptr;
  if (Status need = session.NeedWindow(args.What(), &window); !need.ok()) return need;
  VARIANT value;
  VariantInit(&value);
  if (!ReadBandProperty(window->band, name == "Enabled" ? L"Enabled" : L"Icone", &value))
    return Status::Failure(args.What() + ": the band does not answer " + name);
  std::string got;
  std::string want;
  if (name == "Enabled") {
    if (!args[1].quoted) return args.Error("a quoted text is expected for Enabled");
    want = Quote(args.Text(1));
    got = value.vt == VT_BSTR ? Quote(tarnivo::com::AnsiFromBstr(value.bstrVal))
                              : "a value of type " + std::to_string(value.vt);
  } else {
    std::int32_t number = 0;
    if (!scenario::ParseInt32(args.Text(1), &number))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(1)));
    want = std::to_string(number);
    got = value.vt == VT_I4 ? std::to_string(value.lVal)
                            : "a value of type " + std::to_string(value.vt);
  }
  VariantClear(&value);
  if (got == want) return Status::Ok();
  return Status::Expected("state " + name + " " + want, got);
}

// Every expectation word and command word of the format; those no table holds are skipped.
const char* const kExpectationWords[] = {
    "popup",   "result", "reg",      "key",        "count",    "listfile", "list",   "tag",
    "state",   "beeps",  "redraws",  "scrolllock", "timer",    "script",   "object", "menu",
    "caption", "msgbox", "msgboxes", "dialog",     "bandinfo", "images",   "shell",  "focus"};
const char* const kCommandWords[] = {
    "reg",         "listfile", "langfile", "clock",      "wait",        "timer",    "start",
    "stop",        "closing",  "page",     "focus",      "busy",        "navigate", "complete",
    "statechange", "popup",    "script",   "frame",      "in",          "object",   "cursor",
    "mouse",       "click",    "key",      "scrolllock", "contextmenu", "focusout", "pagekey",
    "pageclick",   "bandkey",  "show",     "bandinfo",   "button",      "dropdown", "dialog",
    "call",        "set",      "list",     "expect"};

template <std::size_t N>
bool Contains(const char* const (&words)[N], const std::string& word) {
  for (const char* known : words)
    if (word == known) return true;
  return false;
}

const CommandTable& Table() {
  static const CommandTable table = [] {
    CommandTable built;
    built.commands = {
        {"reg", Reg},   {"listfile", ListFile}, {"wait", Wait}, {"start", Start},
        {"stop", Stop}, {"closing", Closing},   {"page", Page}, {"focus", Focus},
        {"busy", Busy}, {"popup", Popup},       {"key", Key},   {"scrolllock", ScrollLock},
    };
    built.expectations = {
        {"popup", ExpectPopup},
        {"reg", ExpectReg},
        {"key", ExpectKey},
        {"listfile", ExpectListFile},
        {"scrolllock", ExpectScrollLock},
        {"state", ExpectState},
    };
    AddPageCommands(built);
    AddBandCommands(built);
    AddUserCommands(built);
    return built;
  }();
  return table;
}

Status Expect(Session& session, const Args& args) {
  if (args.Count() == 0 || args[0].quoted) return args.Error("an expectation word is expected");
  const std::string& word = args.Text(0);
  const Args rest = args.Rest(1, "expect " + word);
  const auto found = Table().expectations.find(word);
  if (found != Table().expectations.end()) return found->second(session, rest);
  if (Contains(kExpectationWords, word)) return NotYet("expect " + word);
  return args.Error("unknown expectation " + Quote(word));
}

}  // namespace

Status RunCommand(Session& session, std::vector<scenario::Word> words, bool* is_expectation) {
  *is_expectation = false;
  if (words[0].IsOption() || words[0].quoted)
    return Status::Error("a command word is expected, not " + Quote(words[0].text));
  const std::string word = words[0].text;
  *is_expectation = word == "expect";
  words.erase(words.begin());
  const Args args(word, std::move(words));
  if (word == "expect") return Expect(session, args);
  if (word == "in") *is_expectation = IsInFrameExpectation(args);
  const auto found = Table().commands.find(word);
  if (found != Table().commands.end()) return found->second(session, args);
  if (Contains(kCommandWords, word)) return NotYet(word);
  return Status::Error("unknown command " + Quote(word));
}

}  // namespace host
