#include "verbs.h"

#include <map>
#include <utility>

#include "cursor.h"
#include "in_frame.h"
#include "store/site_list.h"

namespace scenario {
namespace {

// The most words an expectation takes after its name: a whole list.
constexpr std::size_t kMostWords = tarnivo::SiteList::kMaxEntries + 1u;
// The longest wait one line may ask for: a day.
constexpr int kMaxWait = 24 * 60 * 60 * 1000;

const StateName kStates[] = {
    {"Enabled", ValueForm::Text, true},
    {"EnabledSetting", ValueForm::Text, true},
    {"BlockLevel", ValueForm::Text, true},
    {"ActiveXFlag", ValueForm::Text, true},
    {"BlockedCount", ValueForm::Number, true},
    {"Icone", ValueForm::Number, true},
    {"UserActionFlag", ValueForm::Boolean, true},
    {"AllowNextPopup", ValueForm::Boolean, true},
    {"ScriptNavigationSeen", ValueForm::Bit, true},
    {"PageComplete", ValueForm::Boolean, true},
    {"NavigationStart", ValueForm::Number, true},
    {"ScanTicks", ValueForm::Number, true},
    {"m_oIE", ValueForm::Binding, false},
    {"IEdoc", ValueForm::Binding, false},
    {"CurrentLanguage", ValueForm::Text, true},
    {"LanguageFolder", ValueForm::Text, true},
};

// Words of the format that this build does not run yet.
// The system's operations `call` runs, with the number of their arguments.
const std::map<std::string, std::size_t>& CallArguments() {
  static const std::map<std::string, std::size_t> calls = {
      {"NormalizeDomain", 1}, {"SaveSiteLists", 0}, {"LoadSiteLists", 0},
      {"AppendSiteEntry", 1}, {"CriaChave", 0},     {"BuildActiveXPatterns", 0},
      {"ScanActiveX", 0},     {"ResetDefaults", 0}, {"SettingsPoll", 0},
      {"ReadIniValue", 3},
  };
  return calls;
}

// A yes/no word: `yes`/`no`, `on`/`off`, `down`/`up` as the command takes it.
Status Choice(const Args& args, std::size_t i, const char* when_true, const char* when_false,
              bool* out) {
  if (args.Is(i, when_true) || args.Is(i, when_false)) {
    *out = args.Is(i, when_true);
    return Status::Ok();
  }
  return args.Error(std::string("expected ") + when_true + " or " + when_false + ", not " +
                    Quote(args.Text(i)));
}

// A tag word: unquoted `-` is no focused element.
std::string TagOf(const Word& word) { return !word.quoted && word.text == "-" ? "" : word.text; }

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

Status FindState(const Args& args, const StateName** found) {
  const std::string& name = args.Text(0);
  for (const StateName& state : kStates) {
    if (name == state.name) {
      *found = &state;
      return Status::Ok();
    }
  }
  return args.Error("unknown value " + Quote(name));
}

// The written form of `word` for `state`, or an error naming `args`.
Status ParseStateValue(const StateName& state, const Word& word, const Args& args,
                       std::string* value) {
  const std::string& text = word.text;
  switch (state.form) {
    case ValueForm::Text:
      *value = text;
      return Status::Ok();
    case ValueForm::Number: {
      std::int32_t number = 0;
      if (!ParseInt32(text, &number))
        return args.Error(std::string(state.name) + " takes a 32-bit number, not " + Quote(text));
      *value = std::to_string(number);
      return Status::Ok();
    }
    case ValueForm::Boolean:
      if (text == "true" || text == "false") break;
      return args.Error(std::string(state.name) + " takes true or false, not " + Quote(text));
    case ValueForm::Bit:
      if (text == "0" || text == "1") break;
      return args.Error(std::string(state.name) + " takes 0 or 1, not " + Quote(text));
    case ValueForm::Binding:
      if (text == "bound" || text == "none") break;
      return args.Error(std::string(state.name) + " takes bound or none, not " + Quote(text));
  }
  *value = text;
  return Status::Ok();
}

// --- machine state ---

Status ReadReg(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 3); !check.ok()) return check;
  RegCommand reg;
  if (args.Is(0, "set")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    reg.op = RegCommand::Op::Set;
    reg.name = args.Text(1);
    reg.text = args.Text(2);
  } else if (args.Is(0, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    if (!ParseDword(args.Text(2), &reg.dword))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
    reg.op = RegCommand::Op::Dword;
    reg.name = args.Text(1);
  } else if (args.Is(0, "delete")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    reg.op = RegCommand::Op::Delete;
    reg.name = args.Text(1);
  } else if (args.Is(0, "delete-key")) {
    if (Status check = args.Check(1, 1); !check.ok()) return check;
    reg.op = RegCommand::Op::DeleteKey;
  } else {
    return args.Error("expected set, dword, delete or delete-key, not " + Quote(args.Text(0)));
  }
  *body = reg;
  return Status::Ok();
}

Status ReadListFile(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ListFileCommand file;
  if (args.Is(0, "delete")) {
    file.remove = true;
  } else if (!args[0].quoted) {
    return args.Error("expected \"BYTES\" or delete");
  } else {
    file.bytes = args.Text(0);
  }
  *body = file;
  return Status::Ok();
}

Status ReadLangFile(const Args& args, CommandBody* body) {
  LangFileCommand file;
  if (args.Count() >= 1 && !args[0].quoted && args.Is(0, "file")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    if (!args[1].quoted || !args[2].quoted)
      return args.Error("expected file \"FILENAME\" \"BYTES\"");
    file.file_name = args.Text(1);
    file.bytes = args.Text(2);
  } else {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    if (args.Text(0).empty() || !args[1].quoted)
      return args.Error("expected NAME \"BYTES\" or file \"FILENAME\" \"BYTES\"");
    file.file_name = args.Text(0) + ".tnk";
    file.bytes = args.Text(1);
  }
  *body = file;
  return Status::Ok();
}

Status ReadClock(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ClockCommand clock;
  if (!ParseClock(args.Text(0), &clock.hour, &clock.minute, &clock.second))
    return args.Error("a time of day HH:MM:SS is expected, not " + Quote(args.Text(0)));
  *body = clock;
  return Status::Ok();
}

Status ReadWait(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  int milliseconds = 0;
  if (!ParseCount(args.Text(0), &milliseconds) || milliseconds > kMaxWait)
    return args.Error("a number of milliseconds from 0 to " + std::to_string(kMaxWait) +
                      " is expected, not " + Quote(args.Text(0)));
  *body = WaitCommand{static_cast<unsigned>(milliseconds)};
  return Status::Ok();
}

Status ReadTimer(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  TimerCommand timer;
  if (Status named = ReadTimerName(args, args.Text(0), &timer.timer); !named.ok()) return named;
  if (timer.timer == kSettingsPollTimer)
    return args.Error("only Timer1, Timer2 and Timer3 are switched by hand");
  if (Status choice = Choice(args, 1, "on", "off", &timer.on); !choice.ok()) return choice;
  *body = timer;
  return Status::Ok();
}

// --- the browser and the page ---

Status ReadStart(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "nobrowser"))
    return args.Error("expected nobrowser or nothing, not " + Quote(args.Text(0)));
  *body = StartCommand{args.Count() == 0};
  return Status::Ok();
}

template <typename Body>
Status ReadBare(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  *body = Body{};
  return Status::Ok();
}

Status ReadPage(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1, {"focus"}); !check.ok()) return check;
  const Word* focus = args.Option("focus");
  PageCommand page;
  const bool dash = args.Is(0, "-");
  if (dash && focus == nullptr) {
    page.kind = PageCommand::Kind::None;
  } else {
    page.kind = dash ? PageCommand::Kind::Unreadable : PageCommand::Kind::Domain;
    if (!dash) page.domain = args.Text(0);
    page.focus = focus ? TagOf(*focus) : "A";
  }
  *body = page;
  return Status::Ok();
}

Status ReadFocus(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  *body = FocusCommand{TagOf(args[0])};
  return Status::Ok();
}

Status ReadBusy(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  BusyCommand busy;
  if (Status choice = Choice(args, 0, "yes", "no", &busy.busy); !choice.ok()) return choice;
  *body = busy;
  return Status::Ok();
}

Status ReadNavigate(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  *body = NavigateCommand{args.Text(0)};
  return Status::Ok();
}

Status ReadComplete(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "top") && !args.Is(0, "frame"))
    return args.Error("expected top or frame, not " + Quote(args.Text(0)));
  *body = CompleteCommand{args.Is(0, "top")};
  return Status::Ok();
}

Status ReadScript(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 0, {"text", "src"}); !check.ok()) return check;
  const Word* text = args.Option("text");
  const Word* src = args.Option("src");
  *body = ScriptCommand{text ? text->text : "", src ? src->text : ""};
  return Status::Ok();
}

Status ReadFrame(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 1); !check.ok()) return check;
  if (args.Count() == 1 && !args.Is(0, "unreadable"))
    return args.Error("expected unreadable or nothing, not " + Quote(args.Text(0)));
  *body = FrameCommand{args.Count() == 0};
  return Status::Ok();
}

Status ReadObject(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 0, {"codebase"}); !check.ok()) return check;
  const Word* code_base = args.Option("codebase");
  if (code_base == nullptr) return args.Error("codebase=\"...\" is expected");
  *body = ObjectCommand{code_base->text};
  return Status::Ok();
}

template <PageEventCommand::Kind kind>
Status ReadPageEvent(const Args& args, CommandBody* body) {
  if (Status check = args.Check(0, 0); !check.ok()) return check;
  PageEventCommand event;
  event.kind = kind;
  *body = event;
  return Status::Ok();
}

Status ReadPageKey(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 2); !check.ok()) return check;
  PageEventCommand event;
  event.kind = PageEventCommand::Kind::KeyDown;
  if (!ParseInt32(args.Text(0), &event.key_code))
    return args.Error("a key code is expected, not " + Quote(args.Text(0)));
  if (args.Count() == 2 && !args.Is(1, "ctrl"))
    return args.Error("expected ctrl or nothing, not " + Quote(args.Text(1)));
  event.ctrl = args.Count() == 2;
  *body = event;
  return Status::Ok();
}

// --- the user ---

Status ReadCursor(const Args& args, CommandBody* body) {
  CursorCommand cursor;
  if (Status named = CursorClass(args, &cursor.window_class); !named.ok()) return named;
  *body = cursor;
  return Status::Ok();
}

Status ReadMouse(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  MouseCommand mouse;
  if (Status choice = Choice(args, 0, "down", "up", &mouse.down); !choice.ok()) return choice;
  *body = mouse;
  return Status::Ok();
}

Status ReadKey(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  KeyCommand key;
  if (Status choice = Choice(args, 0, "down", "up", &key.down); !choice.ok()) return choice;
  if (!args.Is(1, "ctrl")) return args.Error("expected ctrl, not " + Quote(args.Text(1)));
  *body = key;
  return Status::Ok();
}

Status ReadScrollLock(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ScrollLockCommand lock;
  if (Status choice = Choice(args, 0, "on", "off", &lock.on); !choice.ok()) return choice;
  *body = lock;
  return Status::Ok();
}

Status ReadBandKeyCommand(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2, {"choose"}); !check.ok()) return check;
  BandKeyCommand key;
  if (Status read = ReadBandKey(args, &key.key); !read.ok()) return read;
  if (Status read = ReadMenuChoice(args, &key.choice); !read.ok()) return read;
  *body = key;
  return Status::Ok();
}

Status ReadShow(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ShowCommand show;
  if (Status choice = Choice(args, 0, "yes", "no", &show.show); !choice.ok()) return choice;
  *body = show;
  return Status::Ok();
}

Status ReadBandInfo(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  BandInfoCommand info;
  if (Status read = ReadBandMask(args, &info.mask); !read.ok()) return read;
  *body = info;
  return Status::Ok();
}

Status ReadButton(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ButtonCommand button;
  if (Status read = ReadCommandId(args, &button.id); !read.ok()) return read;
  button.written = args.Text(0);
  *body = button;
  return Status::Ok();
}

Status ReadDropDown(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1, {"choose"}); !check.ok()) return check;
  DropDownCommand drop;
  if (Status read = ReadCommandId(args, &drop.id); !read.ok()) return read;
  if (Status read = ReadMenuChoice(args, &drop.choice); !read.ok()) return read;
  drop.written = args.Text(0);
  *body = drop;
  return Status::Ok();
}

// --- calling the system directly ---

Status ReadCall(const Args& args, CommandBody* body, std::string* what) {
  if (Status check = args.Check(1, 16); !check.ok()) return check;
  const std::string& name = args.Text(0);
  const auto found = CallArguments().find(name);
  if (found == CallArguments().end()) {
    return args.Error("unknown operation " + Quote(name));
  }
  *what = "call " + name;
  const Args call = args.Rest(1, *what);
  if (Status check = call.Check(found->second, found->second); !check.ok()) return check;
  CallCommand command;
  command.name = name;
  for (std::size_t i = 0; i < call.Count(); ++i) command.args.push_back(call.Text(i));
  *body = command;
  return Status::Ok();
}

Status ReadSet(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  SetCommand set;
  if (Status found = FindState(args, &set.state); !found.ok()) return found;
  if (!set.state->settable)
    return args.Error(args.Text(0) +
                      " cannot be set: the band binds it itself (expect it instead)");
  if (Status parsed = ParseStateValue(*set.state, args[1], args, &set.value); !parsed.ok())
    return parsed;
  *body = set;
  return Status::Ok();
}

Status ReadList(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 3, {"tag"}); !check.ok()) return check;
  if (Status found = ReadListName(args, args.Text(0), false); !found.ok()) return found;
  ListCommand list;
  list.list = args.Text(0);
  if (args.Is(1, "clear")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    list.clear = true;
    *body = list;
    return Status::Ok();
  }
  if (!args.Is(1, "add")) return args.Error("expected clear or add, not " + Quote(args.Text(1)));
  if (Status check = args.Check(3, 3, {"tag"}); !check.ok()) return check;
  if (const Word* option = args.Option("tag"); option && !ParseInt32(option->text, &list.tag))
    return args.Error("tag takes a 32-bit number, not " + Quote(option->text));
  list.text = args.Text(2);
  *body = list;
  return Status::Ok();
}

// --- expectations ---

Status ReadExpectPopup(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  const std::string& want = args.Text(0);
  if (want != "blocked" && want != "allowed" && want != "passed")
    return args.Error("expected blocked, allowed or passed, not " + Quote(want));
  *body = ExpectPopup{want};
  return Status::Ok();
}

Status ReadExpectResult(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  *body = ExpectResult{args.Text(0)};
  return Status::Ok();
}

Status ReadExpectReg(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 3); !check.ok()) return check;
  ExpectReg reg;
  reg.name = args.Text(0);
  if (args.Is(1, "missing")) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    reg.form = ExpectReg::Form::Missing;
  } else if (args.Is(1, "dword")) {
    if (Status check = args.Check(3, 3); !check.ok()) return check;
    if (!ParseDword(args.Text(2), &reg.dword))
      return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
    reg.form = ExpectReg::Form::Dword;
  } else if (args[1].quoted) {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    reg.form = ExpectReg::Form::Text;
    reg.bytes = args.Text(1);
  } else {
    return args.Error("expected \"BYTES\", missing or dword N, not " + Quote(args.Text(1)));
  }
  *body = reg;
  return Status::Ok();
}

Status ReadExpectKey(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!args.Is(0, "missing") && !args.Is(0, "present"))
    return args.Error("expected missing or present, not " + Quote(args.Text(0)));
  *body = ExpectKey{args.Is(0, "present")};
  return Status::Ok();
}

Status ReadExpectCount(const Args& args, CommandBody* body) {
  ExpectCount count;
  if (Status read = ReadStoredCount(args, &count.want); !read.ok()) return read;
  count.written = args.Text(0);
  *body = count;
  return Status::Ok();
}

Status ReadExpectListFile(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ExpectListFile file;
  if (args.Is(0, "missing")) {
    file.missing = true;
  } else if (!args[0].quoted) {
    return args.Error("expected \"BYTES\" or missing");
  } else {
    file.bytes = args.Text(0);
  }
  *body = file;
  return Status::Ok();
}

Status ReadExpectList(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, kMostWords); !check.ok()) return check;
  if (Status found = ReadListName(args, args.Text(0), true); !found.ok()) return found;
  ExpectList list;
  list.list = args.Text(0);
  for (std::size_t i = 1; i < args.Count(); ++i) list.want.push_back(args.Text(i));
  *body = list;
  return Status::Ok();
}

Status ReadExpectTag(const Args& args, CommandBody* body) {
  if (Status check = args.Check(3, 3); !check.ok()) return check;
  if (Status found = ReadListName(args, args.Text(0), false); !found.ok()) return found;
  ExpectTag tag;
  if (!ParseInt32(args.Text(2), &tag.want))
    return args.Error("a 32-bit number is expected, not " + Quote(args.Text(2)));
  tag.list = args.Text(0);
  tag.text = args.Text(1);
  tag.written = args.Text(2);
  *body = tag;
  return Status::Ok();
}

Status ReadExpectState(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  ExpectState state;
  if (Status found = FindState(args, &state.state); !found.ok()) return found;
  if (Status parsed = ParseStateValue(*state.state, args[1], args, &state.want); !parsed.ok())
    return parsed;
  *body = state;
  return Status::Ok();
}

template <ExpectCounter::What what>
Status ReadExpectCounter(const Args& args, CommandBody* body) {
  ExpectCounter counter;
  counter.what = what;
  if (Status read = ReadCountWord(args, &counter.want); !read.ok()) return read;
  counter.written = args.Text(0);
  *body = counter;
  return Status::Ok();
}

Status ReadExpectScrollLock(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  ExpectScrollLock lock;
  if (Status choice = Choice(args, 0, "on", "off", &lock.on); !choice.ok()) return choice;
  *body = lock;
  return Status::Ok();
}

Status ReadExpectTimer(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  ExpectTimer timer;
  timer.name = args.Text(0);
  if (Status named = ReadTimerName(args, timer.name, &timer.timer); !named.ok()) return named;
  if (Status choice = Choice(args, 1, "on", "off", &timer.on); !choice.ok()) return choice;
  *body = timer;
  return Status::Ok();
}

Status ReadExpectScript(const Args& args, CommandBody* body) {
  ExpectScript script;
  if (Status read = ReadScriptCheck(args, &script.check); !read.ok()) return read;
  *body = script;
  return Status::Ok();
}

Status ReadExpectObject(const Args& args, CommandBody* body) {
  ExpectObject object;
  if (Status read = ReadObjectCheck(args, &object.check); !read.ok()) return read;
  *body = object;
  return Status::Ok();
}

Status ReadExpectCaption(const Args& args, CommandBody* body) {
  ExpectCaption caption;
  if (const Word* prefix = args.Option("prefix")) {
    if (Status check = args.Check(1, 1, {"prefix"}); !check.ok()) return check;
    caption.prefix = true;
    caption.text = prefix->text;
  } else {
    if (Status check = args.Check(2, 2); !check.ok()) return check;
    caption.text = args.Text(1);
  }
  caption.name = args.Text(0);
  *body = caption;
  return Status::Ok();
}

Status ReadExpectMenu(const Args& args, CommandBody* body) {
  ExpectMenu menu;
  if (Status read = ReadMenuCheck(args, &menu.captions); !read.ok()) return read;
  *body = menu;
  return Status::Ok();
}

Status ReadExpectMsgBox(const Args& args, CommandBody* body) {
  ExpectMsgBox box;
  if (Status read = ReadMsgBoxCheck(args, &box.check); !read.ok()) return read;
  *body = box;
  return Status::Ok();
}

Status ReadExpectBandInfo(const Args& args, CommandBody* body) {
  ExpectBandInfo info;
  if (Status read = ReadBandInfoCheck(args, &info.want); !read.ok()) return read;
  *body = info;
  return Status::Ok();
}

Status ReadExpectImages(const Args& args, CommandBody* body) {
  ExpectImages images;
  if (Status read = ReadImages(args, &images.ids); !read.ok()) return read;
  *body = images;
  return Status::Ok();
}

// `dialog click|type|key|select|slide|outside ...`.
Status ReadDialog(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 3); !check.ok()) return check;
  DialogCommand dialog;
  const std::string& action = args.Text(0);
  // How many words follow the action.
  std::size_t words = 0;
  if (args[0].quoted) {
    return args.Error("an action is expected, not " + Quote(action));
  } else if (action == "click") {
    dialog.action = DialogCommand::Action::Click;
    words = 1;
  } else if (action == "type") {
    dialog.action = DialogCommand::Action::Type;
    words = 2;
  } else if (action == "key") {
    dialog.action = DialogCommand::Action::Key;
    words = 1;
  } else if (action == "select") {
    dialog.action = DialogCommand::Action::Select;
    words = 2;
  } else if (action == "slide") {
    dialog.action = DialogCommand::Action::Slide;
    words = 2;
  } else if (action == "outside") {
    dialog.action = DialogCommand::Action::Outside;
  } else {
    return args.Error("unknown action " + Quote(action) +
                      " (click, type, key, select, slide or outside)");
  }
  if (Status check = args.Check(1 + words, 1 + words); !check.ok()) return check;
  if (dialog.action == DialogCommand::Action::Key) {
    const std::string& key = args.Text(1);
    if (key == "Enter") {
      dialog.key = VK_RETURN;
    } else if (key == "Esc") {
      dialog.key = VK_ESCAPE;
    } else if (key == "Tab") {
      dialog.key = VK_TAB;
    } else {
      return args.Error("unknown key " + Quote(key) + " (Enter, Esc or Tab)");
    }
    *body = dialog;
    return Status::Ok();
  }
  if (words > 0) dialog.control = args.Text(1);
  if (dialog.action == DialogCommand::Action::Type) dialog.text = args.Text(2);
  if (dialog.action == DialogCommand::Action::Select) {
    if (args[2].quoted) {
      dialog.text = args.Text(2);
    } else if (ParseInt32(args.Text(2), &dialog.number)) {
      dialog.by_index = true;
    } else {
      return args.Error("an entry's text in quotes or its index is expected, not " +
                        Quote(args.Text(2)));
    }
  }
  if (dialog.action == DialogCommand::Action::Slide && !ParseInt32(args.Text(2), &dialog.number))
    return args.Error("a position is expected, not " + Quote(args.Text(2)));
  *body = dialog;
  return Status::Ok();
}

Status ReadExpectItems(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, kMostWords); !check.ok()) return check;
  ExpectItems items;
  items.control = args.Text(0);
  std::size_t first = 1;
  if (args.Count() > 1 && args.Is(1, "any-order")) {
    items.any_order = true;
    first = 2;
  }
  for (std::size_t i = first; i < args.Count(); ++i) items.want.push_back(args.Text(i));
  *body = items;
  return Status::Ok();
}

Status ReadExpectValue(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  ExpectValue value;
  value.control = args.Text(0);
  value.written = args.Text(1);
  if (!ParseInt32(value.written, &value.want))
    return args.Error("a number is expected, not " + Quote(value.written));
  *body = value;
  return Status::Ok();
}

template <ExpectControlState::What what>
Status ReadExpectControlState(const Args& args, CommandBody* body) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  ExpectControlState state;
  state.what = what;
  state.control = args.Text(0);
  if (Status choice = Choice(args, 1, "yes", "no", &state.want); !choice.ok()) return choice;
  *body = state;
  return Status::Ok();
}

Status ReadExpectDialog(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  *body = ExpectDialog{args.Text(0)};
  return Status::Ok();
}

Status ReadExpectShell(const Args& args, CommandBody* body) {
  ExpectShell shell;
  if (Status read = ReadShellCheck(args, &shell.check); !read.ok()) return read;
  *body = shell;
  return Status::Ok();
}

Status ReadExpectFocus(const Args& args, CommandBody* body) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  *body = ExpectFocus{args.Text(0)};
  return Status::Ok();
}

using Reader = Status (*)(const Args& args, CommandBody* body);

struct Verb {
  Reader read;
  // See Command::bench.
  bool bench;
};

const std::map<std::string, Verb>& Commands() {
  static const std::map<std::string, Verb> table = {
      {"reg", {ReadReg, true}},
      {"listfile", {ReadListFile, true}},
      {"langfile", {ReadLangFile, true}},
      {"clock", {ReadClock, true}},
      {"wait", {ReadWait, false}},
      {"timer", {ReadTimer, true}},
      {"start", {ReadStart, false}},
      {"stop", {ReadBare<StopCommand>, false}},
      {"closing", {ReadBare<ClosingCommand>, false}},
      {"page", {ReadPage, false}},
      {"focus", {ReadFocus, false}},
      {"busy", {ReadBusy, false}},
      {"navigate", {ReadNavigate, false}},
      {"complete", {ReadComplete, false}},
      {"statechange", {ReadBare<StateChangeCommand>, false}},
      {"popup", {ReadBare<PopupCommand>, false}},
      {"script", {ReadScript, true}},
      {"frame", {ReadFrame, true}},
      {"object", {ReadObject, true}},
      {"cursor", {ReadCursor, true}},
      {"mouse", {ReadMouse, true}},
      {"click", {ReadBare<ClickCommand>, true}},
      {"key", {ReadKey, true}},
      {"scrolllock", {ReadScrollLock, true}},
      {"contextmenu", {ReadPageEvent<PageEventCommand::Kind::ContextMenu>, false}},
      {"focusout", {ReadPageEvent<PageEventCommand::Kind::FocusOut>, false}},
      {"pagekey", {ReadPageKey, false}},
      {"pageclick", {ReadPageEvent<PageEventCommand::Kind::Click>, false}},
      {"bandkey", {ReadBandKeyCommand, false}},
      {"show", {ReadShow, false}},
      {"bandinfo", {ReadBandInfo, false}},
      {"button", {ReadButton, false}},
      {"dropdown", {ReadDropDown, false}},
      {"dialog", {ReadDialog, false}},
      {"set", {ReadSet, true}},
      {"list", {ReadList, true}},
  };
  return table;
}

const std::map<std::string, Reader>& Expectations() {
  static const std::map<std::string, Reader> table = {
      {"popup", ReadExpectPopup},
      {"result", ReadExpectResult},
      {"reg", ReadExpectReg},
      {"key", ReadExpectKey},
      {"count", ReadExpectCount},
      {"listfile", ReadExpectListFile},
      {"list", ReadExpectList},
      {"tag", ReadExpectTag},
      {"state", ReadExpectState},
      {"beeps", ReadExpectCounter<ExpectCounter::What::Beeps>},
      {"redraws", ReadExpectCounter<ExpectCounter::What::Redraws>},
      {"msgboxes", ReadExpectCounter<ExpectCounter::What::MessageBoxes>},
      {"scrolllock", ReadExpectScrollLock},
      {"timer", ReadExpectTimer},
      {"script", ReadExpectScript},
      {"object", ReadExpectObject},
      {"caption", ReadExpectCaption},
      {"menu", ReadExpectMenu},
      {"msgbox", ReadExpectMsgBox},
      {"bandinfo", ReadExpectBandInfo},
      {"images", ReadExpectImages},
      {"items", ReadExpectItems},
      {"value", ReadExpectValue},
      {"visible", ReadExpectControlState<ExpectControlState::What::Visible>},
      {"enabled", ReadExpectControlState<ExpectControlState::What::Enabled>},
      {"dialog", ReadExpectDialog},
      {"focus", ReadExpectFocus},
      {"shell", ReadExpectShell},
      {"shells", ReadExpectCounter<ExpectCounter::What::Shells>},
  };
  return table;
}

// `expect WHAT ...`: each expectation checks its own options.
Status ReadExpect(const Args& args, Command* command) {
  if (Status check = args.Check(1, kMostWords + 1u,
                                {"disabled", "title", "icon", "min", "max", "integral", "actual",
                                 "modeflags", "prefix", "dir", "show"});
      !check.ok())
    return check;
  const std::string& what = args.Text(0);
  const auto found = Expectations().find(what);
  if (found == Expectations().end() || args[0].quoted) {
    return args.Error("unknown expectation " + Quote(what));
  }
  command->what = "expect " + what;
  command->expectation = true;
  command->bench = true;
  return found->second(args.Rest(1, command->what), &command->body);
}

// `in frame N [frame M ...] COMMAND ...`.
Status ReadIn(const Args& args, Command* command) {
  const std::size_t pairs = FramePairs(args);
  std::string path;
  for (std::size_t pair = 0; pair < pairs; ++pair) {
    command->frames.push_back(FrameNumber(args, pair));
    path +=
        (path.empty() ? "" : " ") + std::string("frame ") + std::to_string(command->frames.back());
  }
  InFrameCommand inner{};
  std::string what;
  if (Status read = ReadInFrameCommand(args, pairs, path, &inner, &what); !read.ok()) return read;
  command->frame_path = path;
  command->bench = true;
  const std::size_t next = pairs * 2 + 1;
  command->what = what;
  switch (inner) {
    case InFrameCommand::Script:
      return ReadScript(args.Rest(next, what), &command->body);
    case InFrameCommand::Frame:
      return ReadFrame(args.Rest(next, what), &command->body);
    case InFrameCommand::Object:
      return ReadObject(args.Rest(next, what), &command->body);
    case InFrameCommand::ExpectScript:
    case InFrameCommand::ExpectObject:
      break;
  }
  const std::vector<int> frames = command->frames;
  if (Status read = ReadExpect(args.Rest(next, what), command); !read.ok()) return read;
  command->frames = frames;
  command->frame_path = path;
  return Status::Ok();
}

}  // namespace

std::string ShowStateValue(const StateName& state, const std::string& value) {
  return state.form == ValueForm::Text ? Quote(value) : value;
}

Status ReadTimerName(const Args& args, const std::string& name, int* timer) {
  for (int number = 1; number <= 3; ++number) {
    if (name == "Timer" + std::to_string(number)) {
      *timer = number;
      return Status::Ok();
    }
  }
  if (name == "SettingsPoll") {
    *timer = kSettingsPollTimer;
    return Status::Ok();
  }
  return args.Error("unknown timer " + Quote(name) + " (Timer1, Timer2, Timer3 or SettingsPoll)");
}

Status ReadListName(const Args& args, const std::string& name, bool built_lists_too) {
  if (name == "AllowedSites" || name == "BlockedActiveX") return Status::Ok();
  if (name == "ActiveXPatterns" || name == "ActiveXTags") {
    if (built_lists_too) return Status::Ok();
    return args.Error(name +
                      " is built by the system (call BuildActiveXPatterns); only "
                      "expect list reads it");
  }
  return args.Error("unknown list " + Quote(name) + " (AllowedSites or BlockedActiveX)");
}

Status ReadCommand(std::vector<Word> words, Command* command) {
  *command = Command();
  if (words[0].IsOption() || words[0].quoted)
    return Status::Error("a command word is expected, not " + Quote(words[0].text));
  const std::string word = words[0].text;
  words.erase(words.begin());
  const Args args(word, std::move(words));
  command->what = word;
  if (word == "expect") return ReadExpect(args, command);
  if (word == "in") return ReadIn(args, command);
  if (word == "call") return ReadCall(args, &command->body, &command->what);
  const auto found = Commands().find(word);
  if (found == Commands().end()) return Status::Error("unknown command " + Quote(word));
  command->bench = found->second.bench;
  return found->second.read(args, &command->body);
}

}  // namespace scenario
