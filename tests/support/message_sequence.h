// Message sequences for conformance tests, in the spirit of Wine's own: window procedures
// (a test class's, or a subclass on a standard control) hand every message to a Recorder,
// and one check compares what was recorded with an expected sequence given as data,
// reporting the first difference with both sequences printed.
//
// The recording leaves out what the Linux back end does not model and Wine sends on its
// own (non-client painting and sizing, WM_GETTEXT for the caption, the IME, cursors and
// mouse moves, WM_PARENTNOTIFY, WM_MOVE and WM_SIZE); Keep() puts one of them back.
//
//   message_sequence::Recorder recorder;
//   recorder.Name(form, "form");
//   ...
//   EXPECT_TRUE(recorder.Matches({Msg(form, WM_NCACTIVATE).W(TRUE), Msg(form, WM_ACTIVATE)
//                                     .W(WA_ACTIVE).L(nullptr), Command(form, 1, BN_CLICKED,
//                                     ok)}));
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace message_sequence {

// A message as a window procedure got it.
struct Message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A message a sequence should hold: its window and message, and the parameters to check.
struct Expected {
  HWND window = nullptr;
  UINT message = 0;
  bool check_wparam = false;
  bool check_lparam = false;
  bool optional = false;  // Wine sends it, the Linux back end need not
  WPARAM wparam = 0;
  LPARAM lparam = 0;

  Expected W(WPARAM value) const;
  Expected L(LPARAM value) const;
  Expected L(HWND value) const;
  Expected Optional() const;
};

// `message` to `window`, with any parameters.
Expected Msg(HWND window, UINT message);
// WM_COMMAND to `parent` from a control: the id and the notification code, the control.
Expected Command(HWND parent, int id, int code, HWND control);

// The name of a message ("WM_ACTIVATE"), or its number in hexadecimal.
std::string MessageName(UINT message);

// Records the messages of the windows a test makes. One recorder is current at a time: the
// last one made.
class Recorder {
 public:
  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  static Recorder* Current();

  // A name for a window in reports.
  void Name(HWND window, const std::string& name);
  std::string NameOf(HWND window) const;

  // Records a message, unless it is one left out.
  void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Records `message` too although it is one left out by default.
  void Keep(UINT message);

  // Replaces the window procedure of a (standard) control with one that records each
  // message and passes it on.
  void Subclass(HWND control);

  // What RecordingProc answers to `message` instead of DefWindowProcA's answer.
  void Answer(UINT message, LRESULT result);
  // A handler RecordingProc asks first: true with `*result` set answers the message.
  void Handle(std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler);

  // The messages recorded since the last Take or Clear.
  std::vector<Message> Take();
  void Clear();

  // Compares the messages recorded so far with `expected` (and forgets them).
  testing::AssertionResult Matches(const std::vector<Expected>& expected);
  // The same for a recording taken before.
  testing::AssertionResult Matches(const std::vector<Message>& got,
                                   const std::vector<Expected>& expected) const;

  // A window procedure that records every message and then answers as Answer/Handle say,
  // or as DefWindowProcA does.
  static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::string Describe(const Message& message) const;
  std::string Describe(const Expected& expected) const;

  Recorder* previous_ = nullptr;
  std::map<HWND, std::string> names_;
  std::set<UINT> kept_;
  std::map<HWND, WNDPROC> subclassed_;
  std::map<UINT, LRESULT> answers_;
  std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler_;
  std::vector<Message> messages_;
};

// A window class whose procedure is Recorder::RecordingProc, registered while it lives.
class RecordingClass {
 public:
  explicit RecordingClass(const char* name);
  ~RecordingClass();
  RecordingClass(const RecordingClass&) = delete;
  RecordingClass& operator=(const RecordingClass&) = delete;
  const char* name() const { return name_; }

 private:
  const char* name_;
};

}  // namespace message_sequence
