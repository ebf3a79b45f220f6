// Tests of the Linux back end's user at a list box and a trackbar (backend::UserPickListEntry,
// backend::UserMoveTrackbar) inside a modal loop that the input wait plays, the picks that
// cannot happen, and the record of ShellExecuteA, which has no harmless counterpart under Wine
// for what it opens.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "support/message_sequence.h"

namespace {

using message_sequence::Command;
using message_sequence::Msg;
using message_sequence::Recorder;

const char kClass[] = "TarnivoTestListsBackend";
constexpr int kListId = 5;
constexpr int kSliderId = 6;

class ListsBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    SetActiveWindow(nullptr);
    backend::RunPending();
    form_ = CreateWindowExA(0, class_.name(), "form", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                            400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    // As the allowed-sites editor's list and the level dialog's slider are made.
    list_ =
        Control("LISTBOX", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
                10, 10, 150, 100, kListId);
    slider_ = Control(TRACKBAR_CLASSA, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 200, 10, 121, 25,
                      kSliderId);
    ok_ = Control("BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 200, 200, 80, 24, IDOK);
    for (int i = 0; i < 30; ++i) {
      const std::string entry = "site" + std::to_string(i) + ".example.com";
      SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageA(slider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
    backend::RunPending();
    recorder_.Clear();
  }

  void TearDown() override {
    backend::SetInputWait(nullptr);
    backend::SetObserver({});
    if (IsWindow(form_)) DestroyWindow(form_);
    backend::RunPending();
    backend::ResetInput();
  }

  HWND Control(const char* cls, DWORD style, int x, int y, int width, int height, int id) {
    HWND control =
        CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, width, height, form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    EXPECT_NE(control, nullptr);
    return control;
  }

  // The form's modal loop with the dialog keyboard, until the form is hidden.
  int RunModal() {
    recorder_.Handle([this](HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
      if (window == form_ && message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        ShowWindow(form_, SW_HIDE);
        *result = 0;
        return true;
      }
      return false;
    });
    MSG msg{};
    int result = 1;
    while (IsWindowVisible(form_)) {
      result = GetMessageA(&msg, nullptr, 0, 0);
      if (result <= 0) break;
      if (!IsDialogMessageA(form_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    return result;
  }

  // What the form heard from its controls.
  std::vector<message_sequence::Message> Told() {
    std::vector<message_sequence::Message> told;
    for (const auto& message : recorder_.Take()) {
      if (message.window == form_ &&
          (message.message == WM_COMMAND || message.message == WM_HSCROLL))
        told.push_back(message);
    }
    return told;
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
  HWND list_ = nullptr;
  HWND slider_ = nullptr;
  HWND ok_ = nullptr;
};

TEST_F(ListsBackendTest, TheUserPicksAnEntryAndMovesTheSliderInsideAModalLoop) {
  std::vector<std::function<bool()>> actions = {
      [this] { return backend::UserPickListEntry(list_, 25); },
      [this] { return backend::UserMoveTrackbar(slider_, 1); },
      [] {
        backend::UserKey(VK_RETURN);
        return true;
      },
  };
  std::size_t next = 0;
  std::vector<bool> done;
  backend::SetInputWait([&] {
    if (next == actions.size()) return false;
    done.push_back(actions[next++]());
    return true;
  });
  EXPECT_EQ(RunModal(), 1);
  EXPECT_EQ(done, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(SendMessageA(list_, LB_GETCURSEL, 0, 0), 25);
  const LRESULT top = SendMessageA(list_, LB_GETTOPINDEX, 0, 0);
  EXPECT_LE(top, 25);
  EXPECT_GT(top + 6, 25) << "scrolled into view";
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 1);
  const LPARAM slider = reinterpret_cast<LPARAM>(slider_);
  EXPECT_TRUE(recorder_.Matches(
      Told(),
      {Command(form_, kListId, LBN_SETFOCUS, list_), Command(form_, kListId, LBN_SELCHANGE, list_),
       Command(form_, kListId, LBN_KILLFOCUS, list_),
       Msg(form_, WM_HSCROLL).W(MAKEWPARAM(TB_THUMBTRACK, 1)).L(slider),
       Msg(form_, WM_HSCROLL).W(MAKEWPARAM(TB_THUMBPOSITION, 1)).L(slider),
       Msg(form_, WM_HSCROLL).W(TB_ENDTRACK).L(slider),
       Msg(form_, WM_HSCROLL).W(TB_ENDTRACK).L(slider), Command(form_, IDOK, BN_CLICKED, ok_)}));
}

TEST_F(ListsBackendTest, PicksThatCannotHappenDoNothing) {
  HWND cover = CreateWindowExA(0, class_.name(), "cover", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                               form_, nullptr, nullptr, nullptr);
  struct Case {
    const char* what;
    std::function<void()> before;
    std::function<bool()> pick;
    std::function<void()> after;
  };
  const Case cases[] = {
      {"an entry past the end", [] {}, [this] { return backend::UserPickListEntry(list_, 30); },
       [] {}},
      {"an entry before the start", [] {}, [this] { return backend::UserPickListEntry(list_, -1); },
       [] {}},
      {"a window that is no list", [] {}, [this] { return backend::UserPickListEntry(ok_, 0); },
       [] {}},
      {"a hidden list", [this] { ShowWindow(list_, SW_HIDE); },
       [this] { return backend::UserPickListEntry(list_, 3); },
       [this] { ShowWindow(list_, SW_SHOWNA); }},
      {"a disabled list", [this] { EnableWindow(list_, FALSE); },
       [this] { return backend::UserPickListEntry(list_, 3); },
       [this] { EnableWindow(list_, TRUE); }},
      {"a covered list", [cover] { ShowWindow(cover, SW_SHOWNA); },
       [this] { return backend::UserPickListEntry(list_, 3); },
       [cover] { ShowWindow(cover, SW_HIDE); }},
      {"a position past the end", [] {}, [this] { return backend::UserMoveTrackbar(slider_, 2); },
       [] {}},
      {"a window that is no trackbar", [] {},
       [this] { return backend::UserMoveTrackbar(list_, 0); }, [] {}},
      {"a disabled trackbar", [this] { EnableWindow(slider_, FALSE); },
       [this] { return backend::UserMoveTrackbar(slider_, 1); },
       [this] { EnableWindow(slider_, TRUE); }},
      {"a position between two places on the channel",
       [this] { SendMessageA(slider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 30000)); },
       [this] { return backend::UserMoveTrackbar(slider_, 12345); },
       [this] { SendMessageA(slider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1)); }},
  };
  ShowWindow(cover, SW_HIDE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.before();
    backend::RunPending();
    recorder_.Clear();
    EXPECT_FALSE(c.pick());
    backend::RunPending();
    EXPECT_TRUE(recorder_.Matches({}));
    c.after();
  }
  EXPECT_EQ(SendMessageA(list_, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 0);
  // The ends of a wide range can still be reached.
  SendMessageA(slider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 30000));
  EXPECT_TRUE(backend::UserMoveTrackbar(slider_, 30000));
  backend::RunPending();
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 30000);
}

TEST_F(ListsBackendTest, AButtonHeldOnTheChannelPagesAgainEveryHalfSecond) {
  SendMessageA(slider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));  // pages of 20
  RECT channel{};
  SendMessageA(slider_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  POINT press{channel.right - 2, 12};
  ClientToScreen(slider_, &press);
  backend::UserPress(press);
  backend::RunPending();
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 20);
  backend::RunFor(499);
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 20);
  backend::RunFor(1);
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 40);
  backend::RunFor(500);
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 60);
  backend::UserRelease(press);
  backend::RunPending();
  backend::RunFor(1000);
  EXPECT_EQ(SendMessageA(slider_, TBM_GETPOS, 0, 0), 60) << "the release stops the paging";
  const LPARAM slider = reinterpret_cast<LPARAM>(slider_);
  EXPECT_TRUE(recorder_.Matches(Told(), {Msg(form_, WM_HSCROLL).W(TB_PAGEDOWN).L(slider),
                                         Msg(form_, WM_HSCROLL).W(TB_PAGEDOWN).L(slider),
                                         Msg(form_, WM_HSCROLL).W(TB_PAGEDOWN).L(slider),
                                         Msg(form_, WM_HSCROLL).W(TB_ENDTRACK).L(slider),
                                         Msg(form_, WM_HSCROLL).W(TB_ENDTRACK).L(slider)}));
}

TEST_F(ListsBackendTest, ShellExecuteIsRecordedAndReportedButRunsNothing) {
  std::vector<std::string> lines;
  backend::SetObserver([&](const std::string& line) { lines.push_back(line); });
  backend::ResetShellExecutes();
  EXPECT_EQ(backend::ShellExecuteCount(), 0);
  EXPECT_FALSE(backend::LastShellExecute().file.has_value());

  char system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  CreateDirectoryA(system, nullptr);
  const std::string folder = system;
  const std::string there = folder + "\\readme file.txt";
  HANDLE file = CreateFileA(there.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  struct Case {
    LPCSTR verb;
    std::string file;
    LPCSTR parameters;
    LPCSTR directory;
    INT_PTR answer;
  };
  const Case cases[] = {
      {nullptr, "http://www.example.com/", nullptr, "C:\\", 42},
      {"open", "mailto:someone@example.com", nullptr, "C:\\", 42},
      {"open", there, "-x", nullptr, 42},
      {nullptr, "readme file.txt", nullptr, system, 42},
      {"open", "readme file.txt", nullptr, nullptr, SE_ERR_FNF},
      {"open", "", nullptr, nullptr, SE_ERR_FNF},
      {"open", "C:x", nullptr, nullptr, SE_ERR_FNF},  // a drive, no scheme
  };
  int count = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto answer = reinterpret_cast<INT_PTR>(
        ShellExecuteA(form_, c.verb, c.file.c_str(), c.parameters, c.directory, SW_SHOWNORMAL));
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(backend::ShellExecuteCount(), ++count);
    const backend::ShellExecuteCall call = backend::LastShellExecute();
    EXPECT_EQ(call.owner, form_);
    EXPECT_EQ(call.verb.has_value(), c.verb != nullptr);
    EXPECT_EQ(call.file, c.file);
    EXPECT_EQ(call.parameters.has_value(), c.parameters != nullptr);
    EXPECT_EQ(call.directory.has_value(), c.directory != nullptr);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_EQ(call.answer, c.answer);
  }
  ASSERT_EQ(lines.size(), std::size(cases));
  EXPECT_EQ(lines[0], "shell execute file http://www.example.com/ directory C:\\ show 1 -> 42");
  EXPECT_EQ(lines[1],
            "shell execute verb open file mailto:someone@example.com directory C:\\ show 1 -> 42");
  EXPECT_EQ(lines[2], "shell execute verb open file \"" + backend::EscapeBytes(there) +
                          "\" parameters -x show 1 -> 42");
  EXPECT_EQ(lines[5], "shell execute verb open file \"\" show 1 -> 2");
  DeleteFileA(there.c_str());

  backend::ResetShellExecutes();
  EXPECT_EQ(backend::ShellExecuteCount(), 0);
  EXPECT_FALSE(backend::LastShellExecute().verb.has_value());
}

}  // namespace

#endif  // _WIN32
