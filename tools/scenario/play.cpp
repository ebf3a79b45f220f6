#include "play.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <utility>

#include "dialog_view.h"
#include "ui/forms/form.h"
#include "in_frame.h"
#include "lexer.h"
#include "machine.h"
#include "platform/win32.h"

namespace scenario {
namespace {

std::string Texts(const std::vector<std::string>& texts) {
  if (texts.empty()) return "an empty list";
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : " ") + Quote(text);
  return out;
}

// Plays one description: the machine's own state here, everything else through the runner.
class Player {
 public:
  Player(Runner& runner, Play& play, const Command& command)
      : runner_(runner), play_(play), command_(command), what_(command.what) {}

  // --- machine state ---

  Status operator()(const RegCommand& reg) {
    long result = 0;
    switch (reg.op) {
      case RegCommand::Op::Set:
        result = StoreString(reg.name, reg.text);
        break;
      case RegCommand::Op::Dword:
        result = StoreDword(reg.name, reg.dword);
        break;
      case RegCommand::Op::Delete:
        result = DeleteValue(reg.name);
        break;
      case RegCommand::Op::DeleteKey:
        result = DeleteSettingsKey();
        break;
    }
    if (result != ERROR_SUCCESS)
      return Status::Failure(what_ + ": the registry answered error " + std::to_string(result));
    return Status::Ok();
  }

  Status operator()(const ListFileCommand& file) {
    std::string error;
    const bool done = file.remove ? DeleteListFile(&error) : WriteListFile(file.bytes, &error);
    if (!done) return Status::Failure(what_ + ": " + error);
    return Status::Ok();
  }

  Status operator()(const LangFileCommand& file) {
    std::string error;
    if (!WriteLanguageFile(file.file_name, file.bytes, &error))
      return Status::Failure(what_ + ": " + error);
    return Status::Ok();
  }

  Status operator()(const ClockCommand& clock) { return runner_.SetClock(clock); }
  Status operator()(const WaitCommand& wait) { return runner_.Wait(wait.milliseconds); }
  Status operator()(const TimerCommand& timer) {
    return runner_.SwitchTimer(what_, timer.timer, timer.on);
  }

  // --- the browser and the page ---

  Status operator()(const StartCommand& start) { return runner_.Start(start.with_browser); }
  Status operator()(const StopCommand&) { return runner_.Stop(what_); }
  Status operator()(const ClosingCommand&) { return runner_.Closing(what_); }
  Status operator()(const PageCommand& page) { return runner_.ShowPage(what_, page); }
  Status operator()(const FocusCommand& focus) { return runner_.Focus(what_, focus.tag); }
  Status operator()(const BusyCommand& busy) { return runner_.SetBusy(what_, busy.busy); }
  Status operator()(const NavigateCommand& navigate) {
    return runner_.Navigate(what_, navigate.url);
  }
  Status operator()(const CompleteCommand& complete) {
    return runner_.Complete(what_, complete.top);
  }
  Status operator()(const StateChangeCommand&) { return runner_.StateChange(what_); }

  Status operator()(const PopupCommand&) {
    PopupOutcome outcome = PopupOutcome::Passed;
    if (Status popup = runner_.Popup(what_, &outcome); !popup.ok()) return popup;
    play_.last_popup = outcome;
    runner_.Say(std::string("popup ") + OutcomeName(outcome));
    return Status::Ok();
  }

  Status operator()(const ScriptCommand& script) {
    std::unique_ptr<PageDocument> document;
    if (Status target = Target(&document); !target.ok()) return target;
    document->AddScript(script.text, script.src);
    return Status::Ok();
  }
  Status operator()(const FrameCommand& frame) {
    std::unique_ptr<PageDocument> document;
    if (Status target = Target(&document); !target.ok()) return target;
    document->AddFrame(frame.readable);
    return Status::Ok();
  }
  Status operator()(const ObjectCommand& object) {
    std::unique_ptr<PageDocument> document;
    if (Status target = Target(&document); !target.ok()) return target;
    document->AddObject(object.code_base);
    return Status::Ok();
  }
  Status operator()(const PageEventCommand& event) { return runner_.PageEvent(what_, event); }

  // --- the user ---

  Status operator()(const CursorCommand& cursor) {
    return runner_.Cursor(what_, cursor.window_class);
  }
  Status operator()(const MouseCommand& mouse) { return runner_.Mouse(what_, mouse.down); }
  Status operator()(const ClickCommand&) { return runner_.Click(what_); }
  Status operator()(const KeyCommand& key) { return runner_.CtrlKey(key.down); }
  Status operator()(const ScrollLockCommand& lock) { return runner_.ScrollLock(what_, lock.on); }

  Status operator()(const BandKeyCommand& key) {
    MenuOutcome outcome;
    if (Status sent = runner_.BandKey(what_, key.key, key.choice, &outcome); !sent.ok())
      return sent;
    return Chosen(key.choice, outcome);
  }
  Status operator()(const ShowCommand& show) { return runner_.Show(what_, show.show); }
  Status operator()(const BandInfoCommand& ask) {
    BandInfo info;
    if (Status asked = runner_.AskBandInfo(what_, ask.mask, &info); !asked.ok()) return asked;
    play_.last_band_info = info;
    runner_.Say("band info " + DescribeBandInfo(info));
    return Status::Ok();
  }
  Status operator()(const ButtonCommand& button) { return runner_.Button(what_, button); }
  Status operator()(const DropDownCommand& drop) {
    MenuOutcome outcome;
    if (Status pressed = runner_.DropDown(what_, drop, &outcome); !pressed.ok()) return pressed;
    return Chosen(drop.choice, outcome);
  }

  // --- the user in the dialog on screen ---

  Status operator()(const DialogCommand& dialog) {
    using Action = DialogCommand::Action;
    if (dialog.action == Action::Outside) return runner_.ClickOutside(what_);
    std::optional<DialogOnScreen> shown = FindDialogOnScreen();
    if (!shown) return Status::Failure(what_ + ": no dialog is on screen");
    if (dialog.action == Action::Key) return runner_.PressKey(what_, dialog.key);
    const tarnivo::forms::ControlLayout* layout = DialogControlLayout(*shown, dialog.control);
    HWND control = DialogControl(*shown, dialog.control);
    if (layout == nullptr || control == nullptr)
      return Status::Failure(what_ + ": the dialog " + shown->form->name + " has no control " +
                             Quote(dialog.control));
    switch (dialog.action) {
      case Action::Click:
        return runner_.ClickWindow(what_, control);
      case Action::Type:
        // The control gets the focus, and the text is typed into it.
        SetFocus(control);
        return runner_.TypeText(what_, dialog.text);
      case Action::Select: {
        const tarnivo::forms::ControlKind kind = layout->kind;
        if (kind != tarnivo::forms::ControlKind::ComboBox &&
            kind != tarnivo::forms::ControlKind::List)
          return Status::Failure(what_ + ": " + Quote(dialog.control) + " is no list or combo box");
        const std::vector<std::string> entries = Entries(control, kind);
        int index = -1;
        if (dialog.by_index) {
          index = dialog.number;
        } else {
          for (std::size_t i = 0; i < entries.size() && index < 0; ++i)
            if (entries[i] == dialog.text) index = static_cast<int>(i);
        }
        if (index >= static_cast<int>(entries.size()))
          return Status::Failure(what_ + ": " + Quote(dialog.control) + " has " +
                                 std::to_string(entries.size()) + " entries, no entry " +
                                 std::to_string(index));
        if (index < 0) {
          // No entry: the selection is taken away, as no user can.
          const bool combo = kind == tarnivo::forms::ControlKind::ComboBox;
          SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
          return Status::Ok();
        }
        return runner_.PickEntry(what_, control, kind, index);
      }
      case Action::Slide:
        if (layout->kind != tarnivo::forms::ControlKind::Slider)
          return Status::Failure(what_ + ": " + Quote(dialog.control) + " is no slider");
        return runner_.SlideTo(what_, control, dialog.number);
      case Action::Key:
      case Action::Outside:
        break;
    }
    return Status::Ok();
  }

  // --- calling the system directly ---

  Status operator()(const CallCommand& call) {
    play_.last_result.reset();
    Status status = runner_.Call(what_, call, &play_.last_result);
    if (status.ok() && play_.last_result) runner_.Say("result " + Quote(*play_.last_result));
    return status;
  }
  Status operator()(const SetCommand& set) {
    return runner_.SetState(what_, *set.state, set.value);
  }
  Status operator()(const ListCommand& change) { return runner_.ChangeList(what_, change); }

  // --- expectations ---

  Status operator()(const ExpectPopup& popup) {
    const std::string got = play_.last_popup ? OutcomeName(*play_.last_popup) : "no popup";
    if (got == popup.want) return Status::Ok();
    return Status::Expected("popup " + popup.want, got);
  }

  Status operator()(const ExpectResult& result) {
    if (play_.last_result && *play_.last_result == result.want) return Status::Ok();
    return Status::Expected("result " + Quote(result.want),
                            play_.last_result ? Quote(*play_.last_result) : "no result");
  }

  Status operator()(const ExpectReg& reg) {
    const std::optional<RawValue> got = ReadValue(reg.name);
    const std::string got_text = got ? Describe(*got) : "missing";
    std::string want_text;
    bool holds = false;
    switch (reg.form) {
      case ExpectReg::Form::Missing:
        want_text = "missing";
        holds = !got;
        break;
      case ExpectReg::Form::Dword:
        want_text = "dword " + std::to_string(reg.dword);
        holds = got && got_text == want_text;
        break;
      case ExpectReg::Form::Text:
        want_text = Quote(reg.bytes);
        holds = got && got->type == REG_SZ && got->bytes == reg.bytes;
        break;
    }
    if (holds) return Status::Ok();
    return Status::Expected("reg " + reg.name + " " + want_text, got_text);
  }

  Status operator()(const ExpectKey& key) {
    const bool present = SettingsKeyExists();
    if (present == key.present) return Status::Ok();
    return Status::Expected(std::string("key ") + (key.present ? "present" : "missing"),
                            present ? "present" : "missing");
  }

  Status operator()(const ExpectCount& count) {
    return CompareStoredCount(count.want, count.written);
  }

  Status operator()(const ExpectListFile& file) {
    const std::optional<std::string> got = ReadListFile();
    const std::string got_text = got ? Quote(*got) : "missing";
    if (file.missing) {
      if (!got) return Status::Ok();
      return Status::Expected("listfile missing", got_text);
    }
    if (got && *got == file.bytes) return Status::Ok();
    return Status::Expected("listfile " + Quote(file.bytes), got_text);
  }

  Status operator()(const ExpectList& list) {
    std::vector<std::pair<std::string, std::int32_t>> entries;
    if (Status read = runner_.ReadList(what_, list.list, &entries); !read.ok()) return read;
    std::vector<std::string> got;
    for (const auto& entry : entries) got.push_back(entry.first);
    if (got == list.want) return Status::Ok();
    return Status::Expected("list " + list.list + " " + Texts(list.want), Texts(got));
  }

  Status operator()(const ExpectTag& tag) {
    std::vector<std::pair<std::string, std::int32_t>> entries;
    if (Status read = runner_.ReadList(what_, tag.list, &entries); !read.ok()) return read;
    const std::string expected = "tag " + tag.written + " on " + Quote(tag.text);
    for (const auto& entry : entries) {
      if (entry.first != tag.text) continue;
      if (entry.second == tag.want) return Status::Ok();
      return Status::Expected(expected, "tag " + std::to_string(entry.second));
    }
    return Status::Expected(expected, "no such entry in " + tag.list);
  }

  Status operator()(const ExpectState& state) {
    std::string got;
    if (Status read = runner_.GetState(what_, *state.state, &got); !read.ok()) return read;
    if (got == state.want) return Status::Ok();
    return Status::Expected(
        std::string("state ") + state.state->name + " " + ShowStateValue(*state.state, state.want),
        ShowStateValue(*state.state, got));
  }

  Status operator()(const ExpectCounter& counter) {
    int got = 0;
    const char* name = "";
    Status read;
    switch (counter.what) {
      case ExpectCounter::What::Beeps:
        name = "beeps";
        read = runner_.Beeps(&got);
        break;
      case ExpectCounter::What::Redraws:
        name = "redraws";
        read = runner_.Redraws(what_, &got);
        break;
      case ExpectCounter::What::MessageBoxes: {
        name = "msgboxes";
        tarnivo::MessageBoxSeen last;
        read = runner_.MessageBoxes(&got, &last);
        break;
      }
      case ExpectCounter::What::Shells: {
        name = "shells";
        tarnivo::ShellSeen last;
        read = runner_.Shells(&got, &last);
        break;
      }
    }
    if (!read.ok()) return read;
    return CompareNumber(name, counter.written, counter.want, got);
  }

  Status operator()(const ExpectScrollLock& lock) {
    const bool on = (GetKeyState(VK_SCROLL) & 1) != 0;
    if (on == lock.on) return Status::Ok();
    return Status::Expected(std::string("scrolllock ") + (lock.on ? "on" : "off"),
                            on ? "on" : "off");
  }

  Status operator()(const ExpectTimer& timer) {
    bool running = false;
    std::string note;
    if (Status read = runner_.TimerRunning(what_, timer.timer, &running, &note); !read.ok())
      return read;
    if (running == timer.on) return Status::Ok();
    return Status::Expected("timer " + timer.name + (timer.on ? " on" : " off"),
                            std::string(running ? "on" : "off") + note);
  }

  Status operator()(const ExpectScript& script) {
    std::unique_ptr<PageDocument> document;
    if (Status target = Target(&document); !target.ok()) return target;
    return CompareScript(script.check, Within(), document->Scripts(script.check.field == "src"));
  }

  Status operator()(const ExpectObject& object) {
    std::unique_ptr<PageDocument> document;
    if (Status target = Target(&document); !target.ok()) return target;
    return CompareObject(object.check, Within(), document->Objects());
  }

  Status operator()(const ExpectCaption& caption) {
    std::string got;
    // A control of the dialog on screen, or the dialog itself; otherwise an entry of the
    // toolbar form's menus.
    std::optional<DialogOnScreen> shown = FindDialogOnScreen();
    if (shown && caption.name == shown->form->name) {
      got = tarnivo::forms::WindowText(shown->window);
    } else if (shown && DialogControlLayout(*shown, caption.name) != nullptr) {
      got = tarnivo::forms::WindowText(DialogControl(*shown, caption.name));
    } else if (Status read = runner_.Caption(what_, caption.name, &got); !read.ok()) {
      return read;
    }
    if (caption.prefix ? got.compare(0, caption.text.size(), caption.text) == 0
                       : got == caption.text)
      return Status::Ok();
    return Status::Expected(
        "caption " + caption.name + (caption.prefix ? " prefix=" : " ") + Quote(caption.text),
        Quote(got));
  }

  Status operator()(const ExpectMenu& menu) {
    int shown = 0;
    std::vector<std::string> last;
    if (Status read = runner_.Menus(&shown, &last); !read.ok()) return read;
    return CompareMenu(menu.captions, shown, last);
  }

  Status operator()(const ExpectMsgBox& box) {
    int count = 0;
    tarnivo::MessageBoxSeen last;
    if (Status read = runner_.MessageBoxes(&count, &last); !read.ok()) return read;
    return CompareMsgBox(box.check, count, last);
  }

  Status operator()(const ExpectShell& shell) {
    int count = 0;
    tarnivo::ShellSeen last;
    if (Status read = runner_.Shells(&count, &last); !read.ok()) return read;
    return CompareShell(shell.check, count, last);
  }

  Status operator()(const ExpectBandInfo& info) {
    return CompareBandInfo(info.want, play_.last_band_info);
  }

  Status operator()(const ExpectItems& items) {
    Shown control;
    if (Status found = FindControl(items.control, &control); !found.ok()) return found;
    std::vector<std::string> got = Entries(control.window, control.layout->kind);
    std::vector<std::string> want = items.want;
    const std::string expected =
        "items " + items.control + (items.any_order ? " any-order " : " ") + Texts(want);
    if (items.any_order) {
      std::vector<std::string> sorted_got = got;
      std::sort(sorted_got.begin(), sorted_got.end());
      std::sort(want.begin(), want.end());
      if (sorted_got == want) return Status::Ok();
    } else if (got == want) {
      return Status::Ok();
    }
    return Status::Expected(expected, Texts(got));
  }

  Status operator()(const ExpectValue& value) {
    Shown control;
    if (Status found = FindControl(value.control, &control); !found.ok()) return found;
    return CompareNumber("value " + value.control, value.written, value.want,
                         ValueOf(control.window, control.layout->kind));
  }

  Status operator()(const ExpectControlState& state) {
    Shown control;
    if (Status found = FindControl(state.control, &control); !found.ok()) return found;
    const bool visible = state.what == ExpectControlState::What::Visible;
    const bool got = visible ? IsWindowVisible(control.window) != FALSE
                             : IsWindowEnabled(control.window) != FALSE;
    if (got == state.want) return Status::Ok();
    const std::string name = std::string(visible ? "visible " : "enabled ") + state.control;
    return Status::Expected(name + (state.want ? " yes" : " no"), got ? "yes" : "no");
  }

  Status operator()(const ExpectDialog& dialog) {
    std::optional<DialogOnScreen> shown = FindDialogOnScreen();
    const std::string got = shown ? shown->form->name : "none";
    if (got == dialog.name) return Status::Ok();
    return Status::Expected("dialog " + dialog.name, got);
  }

  Status operator()(const ExpectFocus& focus) {
    std::optional<DialogOnScreen> shown = FindDialogOnScreen();
    if (!shown) return Status::Expected("focus " + focus.control, "no dialog on screen");
    HWND window = GetFocus();
    std::string got = ControlNameOf(*shown, window);
    if (got.empty())
      got = window == nullptr         ? "no window"
            : window == shown->window ? shown->form->name
                                      : "another window";
    if (got == focus.control) return Status::Ok();
    return Status::Expected("focus " + focus.control, got);
  }

  Status operator()(const ExpectImages& images) {
    std::optional<std::vector<int>> icons;
    if (Status read = runner_.Images(what_, &icons); !read.ok()) return read;
    return CompareImages(images.ids, icons);
  }

 private:
  struct Shown {
    const tarnivo::forms::ControlLayout* layout = nullptr;
    HWND window = nullptr;
  };
  // A control of the dialog on screen, for an expectation.
  Status FindControl(const std::string& name, Shown* control) {
    std::optional<DialogOnScreen> shown = FindDialogOnScreen();
    if (!shown) return Status::Failure(what_ + ": no dialog is on screen");
    control->layout = DialogControlLayout(*shown, name);
    control->window = DialogControl(*shown, name);
    if (control->layout == nullptr || control->window == nullptr)
      return Status::Failure(what_ + ": the dialog " + shown->form->name + " has no control " +
                             Quote(name));
    return Status::Ok();
  }

  // The document a page command or a page expectation works on: the one a leading
  // `in frame N ...` names, else the document the browser shows.
  Status Target(std::unique_ptr<PageDocument>* document) {
    const bool in_frame = !command_.frames.empty();
    if (Status shown = runner_.ShownDocument(in_frame ? "in" : what_, document); !shown.ok())
      return shown;
    std::string path;
    for (const int index : command_.frames) {
      const std::size_t count = (*document)->FrameCount();
      std::unique_ptr<PageDocument> frame;
      if (static_cast<std::size_t>(index) < count)
        frame = (*document)->Frame(static_cast<std::size_t>(index));
      if (Status step = StepIntoFrame("in", index, count, frame != nullptr, &path); !step.ok())
        return step;
      *document = std::move(frame);
    }
    return Status::Ok();
  }

  // " in frame 0 frame 1" after a leading `in frame ...`, for messages.
  std::string Within() const { return command_.frames.empty() ? "" : " in " + command_.frame_path; }

  Status Chosen(const std::optional<MenuChoice>& choice, const MenuOutcome& outcome) {
    if (!choice || outcome.chosen) return Status::Ok();
    int shown = 0;
    std::vector<std::string> last;
    if (Status read = runner_.Menus(&shown, &last); !read.ok()) return read;
    return ChoiceMissed(what_, *choice, outcome.dropped, last);
  }

  Runner& runner_;
  Play& play_;
  const Command& command_;
  const std::string& what_;
};

}  // namespace

const char* OutcomeName(PopupOutcome outcome) {
  switch (outcome) {
    case PopupOutcome::Blocked:
      return "blocked";
    case PopupOutcome::Allowed:
      return "allowed";
    case PopupOutcome::Passed:
      return "passed";
  }
  return "?";
}

Status PlayCommand(Runner& runner, Play& play, const Command& command) {
  return std::visit(Player(runner, play, command), command.body);
}

namespace {

// One file's run. Lines are played one at a time, from the file's own loop or, while a
// command waits in a modal dialog's loop, from the runner's input wait; so a line may run
// inside the command of an earlier one.
class FileRun {
 public:
  FileRun(Runner& runner, const std::string& path, std::istream& file, bool verbose,
          std::ostream& out, std::ostream& err)
      : runner_(runner), path_(path), file_(file), verbose_(verbose), out_(out), err_(err) {}

  FileOutcome Run() {
    runner_.SetInputWait([this] { return InputWait(); });
    while (PlayNextLine()) {
    }
    runner_.SetInputWait(nullptr);
    runner_.End();
    DeleteLanguageFiles();
    if (!stopped_ && outcome_.skipped_lines > 0 && expectations_run_ == 0)
      outcome_.result = FileOutcome::Result::Skipped;
    return outcome_;
  }

 private:
  // The system waits for the user inside a loop of its own: the next line is the user's next
  // action. Once the file has nothing more to play, the dialogs on screen are closed.
  bool InputWait() {
    if (!stopped_ && !ended_) {
      PlayNextLine();
    } else if (CloseDialogs() == 0) {
      return false;
    }
    // The loop gets a message, so that it looks again whether its dialog is still up before
    // the next line plays.
    PostMessageA(nullptr, WM_NULL, 0, 0);
    return true;
  }

  // Plays the next line that is not blank or a comment; false once the file has ended or
  // the run has stopped.
  bool PlayNextLine() {
    if (stopped_ || ended_) return false;
    std::string line;
    for (;;) {
      if (!std::getline(file_, line)) {
        ended_ = true;
        return false;
      }
      ++number_;
      if (number_ == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // a BOM
      if (!IsBlankOrComment(line)) break;
    }
    const std::string where = path_ + ":" + std::to_string(number_) + ": ";
    if (verbose_) out_ << where << Trim(line) << '\n';
    std::vector<Word> words;
    Command command;
    Status status;
    std::string error;
    if (!SplitLine(line, &words, &error)) {
      status = Status::Error(error);
    } else if (status = ReadCommand(std::move(words), &command); status.ok()) {
      runner_.BeforeCommand(command);
      try {
        status = PlayCommand(runner_, play_, command);
      } catch (const std::exception& e) {
        status = Status::Failure(command.what + ": " + runner_.ExceptionText() + ": " + e.what());
      } catch (...) {
        status = Status::Failure(command.what + ": " + runner_.ExceptionText());
      }
      runner_.AfterCommand(command);
      // A line played inside this command's dialog stopped the run: its message stands.
      if (stopped_) return false;
      // What the expectation found does not count after a skipped command; a line that
      // cannot be run still stops the file.
      if (command.expectation && action_skipped_ && status.kind != Status::Kind::Error)
        status = Status::Skipped("this expectation follows a skipped command");
    }
    if (status.kind == Status::Kind::Skipped) {
      ++outcome_.skipped_lines;
      action_skipped_ = action_skipped_ || !command.expectation;
      if (verbose_) out_ << where << "skipped: " << status.message << '\n';
      return true;
    }
    if (status.ok()) {
      if (command.expectation) ++expectations_run_;
      return true;
    }
    out_.flush();
    err_ << where << status.message << '\n';
    err_.flush();
    outcome_.result = status.kind == Status::Kind::Failed ? FileOutcome::Result::Failed
                                                          : FileOutcome::Result::Error;
    stopped_ = true;
    return false;
  }

  Runner& runner_;
  const std::string& path_;
  std::istream& file_;
  bool verbose_;
  std::ostream& out_;
  std::ostream& err_;
  Play play_;
  FileOutcome outcome_;
  int number_ = 0;
  int expectations_run_ = 0;
  bool action_skipped_ = false;
  bool stopped_ = false;
  bool ended_ = false;
};

}  // namespace

FileOutcome RunFile(Runner& runner, const std::string& path, bool verbose, std::ostream& out,
                    std::ostream& err) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    out.flush();
    err << path << ": cannot open the file\n";
    FileOutcome outcome;
    outcome.result = FileOutcome::Result::Error;
    return outcome;
  }
  std::string error;
  if (!runner.Begin(&error)) {
    out.flush();
    err << path << ": " << error << '\n';
    FileOutcome outcome;
    outcome.result = FileOutcome::Result::Error;
    return outcome;
  }
  return FileRun(runner, path, file, verbose, out, err).Run();
}

}  // namespace scenario
