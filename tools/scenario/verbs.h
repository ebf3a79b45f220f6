// The commands of the scenario format, read once for both runners: each line's words become
// one description of the command (a Command), with every check of its words and options and
// every message about them. What a runner does with a description is play.h's business.
//
// The table knows every verb of the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "band_checks.h"
#include "lexer.h"
#include "page_checks.h"
#include "status.h"

namespace scenario {

// --- how values are written: the shared values of `set` and `expect state` ---

enum class ValueForm {
  Text,     // a quoted text, compared byte for byte
  Number,   // a 32-bit signed decimal number
  Boolean,  // true | false
  Bit,      // 0 | 1
  Binding,  // bound | none
};

struct StateName {
  const char* name;
  ValueForm form;
  bool settable;  // false: the band binds it itself, it can only be expected
};

// A value for messages: texts quoted with escapes, other forms as they are.
std::string ShowStateValue(const StateName& state, const std::string& value);

// --- machine state ---

struct RegCommand {
  enum class Op { Set, Dword, Delete, DeleteKey };
  Op op = Op::Set;
  std::string name;
  std::string text;
  std::uint32_t dword = 0;
};
struct ListFileCommand {
  bool remove = false;
  std::string bytes;
};
// A file of the languages folder: NAME.tnk, or a file of exactly this name.
struct LangFileCommand {
  std::string file_name;
  std::string bytes;
};
struct ClockCommand {
  int hour = 0;
  int minute = 0;
  int second = 0;
};
struct WaitCommand {
  unsigned milliseconds = 0;
};
// The settings timer among the timers a scenario names (Timer1 to Timer3 are 1 to 3).
inline constexpr int kSettingsPollTimer = 4;

// Timer1 to Timer3 of the toolbar form.
struct TimerCommand {
  int timer = 0;
  bool on = false;
};

// --- the browser and the page ---

struct StartCommand {
  bool with_browser = true;
};
struct StopCommand {};
struct ClosingCommand {};
struct PageCommand {
  enum class Kind { None, Domain, Unreadable };
  Kind kind = Kind::Domain;
  std::string domain;
  std::string focus;  // the focused element's tag; "" for none
};
struct FocusCommand {
  std::string tag;  // "" for none
};
struct BusyCommand {
  bool busy = false;
};
struct NavigateCommand {
  std::string url;
};
struct CompleteCommand {
  bool top = true;
};
struct StateChangeCommand {};
struct PopupCommand {};
// The page's content, added to the document a leading `in frame N ...` names (Command::frames),
// else to the document the browser shows.
struct ScriptCommand {
  std::string text;
  std::string src;
};
struct FrameCommand {
  bool readable = true;
};
struct ObjectCommand {
  std::string code_base;
};
struct PageEventCommand {
  enum class Kind { ContextMenu, FocusOut, KeyDown, Click };
  Kind kind = Kind::Click;
  std::int32_t key_code = 0;
  bool ctrl = false;
};

// --- the user ---

struct CursorCommand {
  std::string window_class;
};
struct MouseCommand {
  bool down = false;
};
struct ClickCommand {};
struct KeyCommand {
  bool down = false;  // the Ctrl key
};
struct ScrollLockCommand {
  bool on = false;
};
struct BandKeyCommand {
  KeyMessage key;
  std::optional<MenuChoice> choice;
};
struct ShowCommand {
  bool show = false;
};
struct BandInfoCommand {
  std::uint32_t mask = 0;
};
// A toolbar button by its command id, as the file wrote it too.
struct ButtonCommand {
  std::int32_t id = 0;
  std::string written;
};
struct DropDownCommand {
  std::int32_t id = 0;
  std::string written;
  std::optional<MenuChoice> choice;
};

// The user in the dialog on screen.
struct DialogCommand {
  enum class Action { Click, Type, Key, Select, Slide, Outside };
  Action action = Action::Click;
  std::string control;      // the control's name in the dialog's table
  std::string text;         // type: the text typed; select: the entry's text
  std::int32_t number = 0;  // select: the entry's index (-1: none); slide: the position
  bool by_index = false;    // select: by index rather than by text
  int key = 0;              // key: VK_RETURN, VK_ESCAPE or VK_TAB
};

// --- calling the system directly ---

struct CallCommand {
  std::string name;
  std::vector<std::string> args;
};
struct SetCommand {
  const StateName* state = nullptr;
  std::string value;  // in its written form: a text's bytes, "42", "true", "1"
};
// AllowedSites or BlockedActiveX in memory.
struct ListCommand {
  std::string list;
  bool clear = false;
  std::string text;
  std::int32_t tag = 0;
};

// --- expectations ---

struct ExpectPopup {
  std::string want;  // blocked, allowed or passed
};
struct ExpectResult {
  std::string want;
};
struct ExpectReg {
  std::string name;
  enum class Form { Missing, Dword, Text };
  Form form = Form::Text;
  std::string bytes;
  std::uint32_t dword = 0;
};
struct ExpectKey {
  bool present = false;
};
struct ExpectCount {
  std::int32_t want = 0;
  std::string written;
};
struct ExpectListFile {
  bool missing = false;
  std::string bytes;
};
// AllowedSites, BlockedActiveX, ActiveXPatterns or ActiveXTags.
struct ExpectList {
  std::string list;
  std::vector<std::string> want;
};
struct ExpectTag {
  std::string list;
  std::string text;
  std::int32_t want = 0;
  std::string written;
};
struct ExpectState {
  const StateName* state = nullptr;
  std::string want;
};
// `expect beeps N`, `expect redraws N`, `expect msgboxes N`.
struct ExpectCounter {
  enum class What { Beeps, Redraws, MessageBoxes, Shells };
  What what = What::Beeps;
  int want = 0;
  std::string written;
};
struct ExpectScrollLock {
  bool on = false;
};
struct ExpectTimer {
  std::string name;
  int timer = 0;
  bool on = false;
};
struct ExpectScript {
  ElementCheck check;
};
struct ExpectObject {
  ElementCheck check;
};
struct ExpectCaption {
  std::string name;
  std::string text;
  bool prefix = false;
};
struct ExpectMenu {
  std::vector<std::string> captions;
};
struct ExpectMsgBox {
  MessageBoxCheck check;
};
struct ExpectBandInfo {
  BandInfo want;
};
struct ExpectImages {
  std::vector<int> ids;
};
// A control of the dialog on screen.
struct ExpectItems {
  std::string control;
  bool any_order = false;
  std::vector<std::string> want;
};
struct ExpectValue {
  std::string control;
  std::int32_t want = 0;
  std::string written;
};
struct ExpectControlState {
  enum class What { Visible, Enabled };
  What what = What::Visible;
  std::string control;
  bool want = false;
};
struct ExpectDialog {
  std::string name;  // "none" for no dialog
};
struct ExpectFocus {
  std::string control;
};
struct ExpectShell {
  ShellCheck check;
};

using CommandBody =
    std::variant<RegCommand, ListFileCommand, LangFileCommand, ClockCommand, WaitCommand,
                 TimerCommand, StartCommand, StopCommand, ClosingCommand, PageCommand, FocusCommand,
                 BusyCommand, NavigateCommand, CompleteCommand, StateChangeCommand, PopupCommand,
                 ScriptCommand, FrameCommand, ObjectCommand, PageEventCommand, CursorCommand,
                 MouseCommand, ClickCommand, KeyCommand, ScrollLockCommand, BandKeyCommand,
                 ShowCommand, BandInfoCommand, ButtonCommand, DropDownCommand, DialogCommand,
                 CallCommand, SetCommand, ListCommand, ExpectPopup, ExpectResult, ExpectReg,
                 ExpectKey, ExpectCount, ExpectListFile, ExpectList, ExpectTag, ExpectState,
                 ExpectCounter, ExpectScrollLock, ExpectTimer, ExpectScript, ExpectObject,
                 ExpectCaption, ExpectMenu, ExpectMsgBox, ExpectBandInfo, ExpectImages, ExpectItems,
                 ExpectValue, ExpectControlState, ExpectDialog, ExpectFocus, ExpectShell>;

// One line of a scenario, read.
struct Command {
  // The command as messages name it: "reg", "expect popup", "in frame 0 script".
  std::string what;
  // The line is an expectation (also `in frame N ... expect ...`).
  bool expectation = false;
  // The bench itself changes or reads the machine (the registry, keys, the lists, the page's
  // content, expectations), rather than asking the system to act.
  bool bench = false;
  // The frames a leading `in frame N [frame M ...]` names, outermost first; "frame 0 frame 1"
  // is how messages name them.
  std::vector<int> frames;
  std::string frame_path;
  CommandBody body;
};

// Reads one line's words into `command`. An Error for words the format does not allow and for
// a word it does not know ("unknown command ...").
Status ReadCommand(std::vector<Word> words, Command* command);

// The timer number of a timer by its name: 1 to 3 for Timer1 to Timer3, kSettingsPollTimer for
// SettingsPoll; an Error for other names.
Status ReadTimerName(const Args& args, const std::string& name, int* timer);

// The list by its name for `list`, `expect list` and `expect tag`: AllowedSites and
// BlockedActiveX, and for `expect list` also ActiveXPatterns and ActiveXTags.
Status ReadListName(const Args& args, const std::string& name, bool built_lists_too);

}  // namespace scenario
