#include "band_checks.h"

#include "lexer.h"
#include "machine.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace scenario {
namespace {

// The most words an expectation takes: as many as a whole list holds, and one more.
constexpr std::size_t kMostWords = tarnivo::SiteList::kMaxEntries + 1u;
// The icon bits of a message box's type.
constexpr UINT kIconMask = 0xF0;

// Bits of a key message's lParam: repeat count 1, the Alt key held (context code), the key
// down before, the key going up.
constexpr LPARAM kRepeatOnce = 1;
constexpr LPARAM kAltHeld = LPARAM{1} << 29;
constexpr LPARAM kWasDown = LPARAM{1} << 30;
constexpr LPARAM kGoingUp = static_cast<LPARAM>(std::uint32_t{1} << 31);

std::string Pair(std::int32_t x, std::int32_t y) {
  return std::to_string(x) + "," + std::to_string(y);
}

// "W,H": two 32-bit numbers.
bool ParsePair(const std::string& text, std::int32_t* x, std::int32_t* y) {
  const std::size_t comma = text.find(',');
  return comma != std::string::npos && ParseInt32(text.substr(0, comma), x) &&
         ParseInt32(text.substr(comma + 1), y);
}

// A decimal number, or hexadecimal after 0x.
bool ParseMask(const std::string& text, std::uint32_t* mask) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 10) return false;
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      std::uint32_t digit = 0;
      if (c >= '0' && c <= '9')
        digit = static_cast<std::uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        digit = static_cast<std::uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        digit = static_cast<std::uint32_t>(c - 'A' + 10);
      else
        return false;
      value = value * 16 + digit;
    }
    *mask = value;
    return true;
  }
  if (!text.empty() && text[0] == '-') return false;
  return ParseDword(text, mask);
}

// The icon of a message box by its type's icon bits.
std::string IconName(UINT type) {
  switch (type & kIconMask) {
    case 0:
      return "none";
    case MB_ICONHAND:
      return "hand";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONEXCLAMATION:
      return "exclamation";
    case MB_ICONASTERISK:
      return "asterisk";
    default:
      return std::to_string(type & kIconMask);
  }
}

}  // namespace

// --- band info ---

std::string DescribeBandInfo(const BandInfo& info) {
  return "min=" + Pair(info.minWidth, info.minHeight) +
         " max=" + Pair(info.maxWidth, info.maxHeight) +
         " integral=" + Pair(info.integralWidth, info.integralHeight) +
         " actual=" + Pair(info.actualWidth, info.actualHeight) +
         " modeflags=" + std::to_string(info.modeFlags);
}

Status ReadBandMask(const Args& args, std::uint32_t* mask) {
  if (!ParseMask(args.Text(0), mask))
    return args.Error("a mask (a number, or hexadecimal after 0x) is expected, not " +
                      Quote(args.Text(0)));
  return Status::Ok();
}

Status ReadBandInfoCheck(const Args& args, BandInfo* want) {
  static const char* const kFields[] = {"min", "max", "integral", "actual", "modeflags"};
  if (Status check = args.Check(0, 0, {"min", "max", "integral", "actual", "modeflags"});
      !check.ok())
    return check;
  *want = BandInfo();
  std::int32_t* pairs[4][2] = {{&want->minWidth, &want->minHeight},
                               {&want->maxWidth, &want->maxHeight},
                               {&want->integralWidth, &want->integralHeight},
                               {&want->actualWidth, &want->actualHeight}};
  for (std::size_t i = 0; i < 5; ++i) {
    const Word* field = args.Option(kFields[i]);
    if (field == nullptr)
      return args.Error(std::string("missing ") + kFields[i] +
                        "= (the expectation gives all five fields)");
    if (i < 4 && !ParsePair(field->text, pairs[i][0], pairs[i][1]))
      return args.Error(std::string(kFields[i]) + " takes W,H, not " + Quote(field->text));
    if (i == 4 && !ParseDword(field->text, &want->modeFlags))
      return args.Error("modeflags takes a 32-bit number, not " + Quote(field->text));
  }
  return Status::Ok();
}

Status CompareBandInfo(const BandInfo& want, const std::optional<BandInfo>& last) {
  const std::string expected = "bandinfo " + DescribeBandInfo(want);
  if (!last) return Status::Expected(expected, "no band info (bandinfo MASK first)");
  // The description names every field.
  const std::string got = DescribeBandInfo(*last);
  if (got == DescribeBandInfo(want)) return Status::Ok();
  return Status::Expected(expected, got);
}

// --- buttons and keys ---

Status ReadCommandId(const Args& args, std::int32_t* id) {
  if (!ParseInt32(args.Text(0), id))
    return args.Error("a command id is expected, not " + Quote(args.Text(0)));
  return Status::Ok();
}

Status ReadBandKey(const Args& args, KeyMessage* key) {
  struct Kind {
    const char* word;
    UINT message;
    LPARAM flags;
  };
  static const Kind kKinds[] = {
      {"down", WM_KEYDOWN, kRepeatOnce},
      {"up", WM_KEYUP, kRepeatOnce | kWasDown | kGoingUp},
      {"char", WM_CHAR, kRepeatOnce},
      {"sysdown", WM_SYSKEYDOWN, kRepeatOnce | kAltHeld},
      {"sysup", WM_SYSKEYUP, kRepeatOnce | kAltHeld | kWasDown | kGoingUp},
  };
  const Kind* kind = nullptr;
  for (const Kind& entry : kKinds)
    if (args.Is(0, entry.word)) kind = &entry;
  if (kind == nullptr)
    return args.Error("expected down, up, char, sysdown or sysup, not " + Quote(args.Text(0)));
  int code = 0;
  if (!ParseCount(args.Text(1), &code) || code > 0xFFFF)
    return args.Error("a key code (0 to 65535) is expected, not " + Quote(args.Text(1)));
  key->message = kind->message;
  key->wParam = static_cast<WPARAM>(code);
  key->lParam = kind->flags;
  return Status::Ok();
}

// --- menus ---

std::optional<UINT> FindMenuCommand(HMENU menu, const std::string& caption) {
  for (const tarnivo::MenuEntry& entry : tarnivo::ReadMenu(menu))
    if (!entry.separator && entry.submenu == nullptr && entry.caption == caption) return entry.id;
  return std::nullopt;
}

Status ReadMenuChoice(const Args& args, std::optional<MenuChoice>* choice) {
  choice->reset();
  const Word* option = args.Option("choose");
  if (option == nullptr) return Status::Ok();
  MenuChoice made;
  // Unquoted #K is a place in the menu; a quoted "#K" is a caption like any other.
  if (!option->quoted && !option->text.empty() && option->text[0] == '#') {
    int position = 0;
    if (!ParseCount(option->text.substr(1), &position) || position < 1)
      return args.Error("choose=#K takes an entry number from 1, not " + Quote(option->text));
    made.by_position = true;
    made.position = position;
  } else {
    made.caption = option->text;
  }
  *choice = made;
  return Status::Ok();
}

std::string DescribeChoice(const MenuChoice& choice) {
  return choice.by_position ? "#" + std::to_string(choice.position) : Quote(choice.caption);
}

std::optional<UINT> ChooseMenuEntry(HMENU menu, const MenuChoice& choice) {
  if (!choice.by_position) return FindMenuCommand(menu, choice.caption);
  const std::vector<tarnivo::MenuEntry> entries = tarnivo::ReadMenu(menu);
  const auto index = static_cast<std::size_t>(choice.position - 1);
  if (index >= entries.size()) return std::nullopt;
  const tarnivo::MenuEntry& entry = entries[index];
  if (entry.separator || entry.submenu != nullptr) return std::nullopt;
  return entry.id;
}

std::string CaptionsText(const std::vector<std::string>& captions) {
  std::string text;
  for (const std::string& caption : captions)
    text += (text.empty() ? "" : " ") + (caption == "-" ? caption : Quote(caption));
  return text;
}

Status ChoiceMissed(const std::string& what, const MenuChoice& choice, bool menu_dropped,
                    const std::vector<std::string>& last) {
  const std::string named = DescribeChoice(choice);
  if (!menu_dropped)
    return Status::Failure(what + ": no menu dropped, so " + named + " could not be chosen");
  return Status::Failure(what + ": the menu that dropped has no entry " + named +
                         (choice.by_position ? " that can be chosen" : "") + " (it shows " +
                         CaptionsText(last) + ")");
}

Status ReadMenuCheck(const Args& args, std::vector<std::string>* captions) {
  if (Status check = args.Check(1, kMostWords); !check.ok()) return check;
  captions->clear();
  for (std::size_t i = 0; i < args.Count(); ++i) captions->push_back(args.Text(i));
  return Status::Ok();
}

Status CompareMenu(const std::vector<std::string>& want, int shown,
                   const std::vector<std::string>& last) {
  if (shown > 0 && last == want) return Status::Ok();
  return Status::Expected("menu " + CaptionsText(want),
                          shown == 0 ? "no menu dropped" : CaptionsText(last));
}

// --- message boxes ---

Status ReadMsgBoxCheck(const Args& args, MessageBoxCheck* check) {
  if (Status count = args.Check(1, 1, {"title", "icon"}); !count.ok()) return count;
  const Word* title = args.Option("title");
  const Word* icon = args.Option("icon");
  if (icon && icon->text != "exclamation")
    return args.Error("icon takes exclamation, not " + Quote(icon->text));
  check->text = args.Text(0);
  check->title.reset();
  if (title) check->title = title->text;
  check->exclamation = icon != nullptr;
  return Status::Ok();
}

Status CompareMsgBox(const MessageBoxCheck& check, int count, const tarnivo::MessageBoxSeen& last) {
  std::string expected = "msgbox " + Quote(check.text);
  if (check.title) expected += " title=" + Quote(*check.title);
  if (check.exclamation) expected += " icon=exclamation";
  if (count == 0) return Status::Expected(expected, "no message box");
  const std::string box_icon = IconName(last.type);
  if (last.text == check.text && (!check.title || last.caption == *check.title) &&
      (!check.exclamation || box_icon == "exclamation"))
    return Status::Ok();
  return Status::Expected(expected,
                          Quote(last.text) + " title=" + Quote(last.caption) + " icon=" + box_icon);
}

// --- the shell ---

Status ReadShellCheck(const Args& args, ShellCheck* check) {
  const Word* prefix = args.Option("prefix");
  if (Status count = args.Check(prefix ? 1 : 2, prefix ? 1 : 2, {"prefix", "dir", "show"});
      !count.ok())
    return count;
  check->verb = args.Text(0);
  check->prefix = prefix != nullptr;
  check->file = prefix ? prefix->text : args.Text(1);
  check->directory.reset();
  check->show.reset();
  if (const Word* dir = args.Option("dir")) check->directory = dir->text;
  if (const Word* show = args.Option("show")) {
    int value = 0;
    if (!ParseCount(show->text, &value))
      return args.Error("show takes a show command's number, not " + Quote(show->text));
    check->show = value;
  }
  return Status::Ok();
}

Status CompareShell(const ShellCheck& check, int count, const tarnivo::ShellSeen& last) {
  std::string expected =
      "shell " + check.verb + (check.prefix ? " prefix=" : " ") + Quote(check.file);
  if (check.directory) expected += " dir=" + Quote(*check.directory);
  if (check.show) expected += " show=" + std::to_string(*check.show);
  if (count == 0) return Status::Expected(expected, "no ShellExecuteA");
  const std::string verb = last.verb.empty() ? "-" : last.verb;
  const bool file = check.prefix ? last.file.compare(0, check.file.size(), check.file) == 0
                                 : last.file == check.file;
  if (verb == check.verb && file && (!check.directory || last.directory == *check.directory) &&
      (!check.show || last.show == *check.show))
    return Status::Ok();
  return Status::Expected(expected, verb + " " + Quote(last.file) +
                                        " dir=" + Quote(last.directory) +
                                        " show=" + std::to_string(last.show));
}

// --- counts, images, the stored count ---

Status ReadCountWord(const Args& args, int* want) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!ParseCount(args.Text(0), want))
    return args.Error("a number is expected, not " + Quote(args.Text(0)));
  return Status::Ok();
}

Status CompareNumber(const std::string& what, const std::string& written, int want, int got) {
  if (got == want) return Status::Ok();
  return Status::Expected(what + " " + written, std::to_string(got));
}

std::string DescribeIcons(const std::optional<std::vector<int>>& icons) {
  if (!icons) return "no toolbar";
  if (icons->empty()) return "an empty image list";
  std::string text = "icons";
  for (int id : *icons) text += " " + std::to_string(id);
  return text;
}

Status ReadImages(const Args& args, std::vector<int>* want) {
  if (Status check = args.Check(0, kMostWords); !check.ok()) return check;
  want->clear();
  for (std::size_t i = 0; i < args.Count(); ++i) {
    int id = 0;
    if (!ParseCount(args.Text(i), &id))
      return args.Error("an icon resource id is expected, not " + Quote(args.Text(i)));
    want->push_back(id);
  }
  return Status::Ok();
}

Status CompareImages(const std::vector<int>& want, const std::optional<std::vector<int>>& got) {
  if (got && *got == want) return Status::Ok();
  std::string expected = "images";
  for (int id : want) expected += " " + std::to_string(id);
  if (want.empty()) expected += " (an empty image list)";
  return Status::Expected(expected, DescribeIcons(got));
}

Status ReadStoredCount(const Args& args, std::int32_t* want) {
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  if (!ParseInt32(args.Text(0), want))
    return args.Error("a 32-bit number is expected, not " + Quote(args.Text(0)));
  return Status::Ok();
}

Status CompareStoredCount(std::int32_t want, const std::string& written) {
  const std::optional<RawValue> stored = ReadValue("processNC");
  const std::int32_t got =
      tarnivo::StoredNumber(tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "processNC"));
  if (got == want) return Status::Ok();
  return Status::Expected("count " + written,
                          std::to_string(got) + " (processNC " +
                              (stored ? Describe(*stored) : std::string("missing")) + ")");
}

}  // namespace scenario
