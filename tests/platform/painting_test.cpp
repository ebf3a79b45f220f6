// Conformance of painting: update regions (InvalidateRect, ValidateRect, GetUpdateRect), the
// invalidation of a window that is shown, WM_PAINT from the message queue (after posted
// messages, before timers, parents before children, until the window is validated),
// UpdateWindow, BeginPaint and EndPaint with WM_ERASEBKGND. The same tests run against Wine's
// user32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/win32.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Msg;
using message_sequence::Recorder;

const char kClass[] = "TarnivoTestPainting";

struct Update {
  BOOL dirty;
  RECT rect;
};

Update UpdateOf(HWND window) {
  Update update{};
  update.dirty = GetUpdateRect(window, &update.rect, FALSE);
  return update;
}

// A form (no frame: its client area is its rectangle) with two children side by side.
class PaintingTest : public testing::Test {
 protected:
  void SetUp() override {
    recorder_.Keep(WM_PAINT);
    recorder_.Keep(WM_ERASEBKGND);
    form_ = Make("form", WS_POPUP, 100, 100, 200, 100, nullptr);
    left_ = Make("left", WS_CHILD | WS_VISIBLE, 10, 10, 40, 20, form_);
    right_ = Make("right", WS_CHILD | WS_VISIBLE, 60, 10, 40, 20, form_);
    recorder_.Clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND Make(const char* name, DWORD style, int x, int y, int width, int height, HWND parent) {
    HWND window = CreateWindowExA(0, class_.name(), name, style, x, y, width, height, parent,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    recorder_.Name(window, name);
    return window;
  }

  // Shows the form and lets it paint.
  void ShowAndPaint() {
    ShowWindow(form_, SW_SHOWNOACTIVATE);
    user_input::Pump();
    recorder_.Clear();
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
  HWND left_ = nullptr;
  HWND right_ = nullptr;
};

TEST_F(PaintingTest, AShownWindowIsErasedAtOnceThenPaintedAfterPostedMessagesAndBeforeTimers) {
  EXPECT_FALSE(UpdateOf(left_).dirty) << "nothing is invalid in a hidden window";
  ShowWindow(form_, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(recorder_.Matches({Msg(form_, WM_SHOWWINDOW).W(TRUE), Msg(form_, WM_ERASEBKGND)}));
  const Update form = UpdateOf(form_);
  EXPECT_TRUE(form.dirty);
  EXPECT_EQ(form.rect.right, 200);
  EXPECT_EQ(form.rect.bottom, 100);
  EXPECT_TRUE(UpdateOf(left_).dirty);
  EXPECT_TRUE(UpdateOf(right_).dirty);

  PostMessageA(form_, WM_APP, 0, 0);
  SetTimer(form_, 1, 10, nullptr);
  Sleep(50);
  std::vector<std::pair<HWND, UINT>> read;
  MSG msg{};
  while (read.size() < 10 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.hwnd != form_ && msg.hwnd != left_ && msg.hwnd != right_) continue;
    read.emplace_back(msg.hwnd, msg.message);
    DispatchMessageA(&msg);
    if (msg.message == WM_TIMER) break;
  }
  KillTimer(form_, 1);
  const std::vector<std::pair<HWND, UINT>> expected = {
      {form_, WM_APP}, {form_, WM_PAINT}, {left_, WM_PAINT}, {right_, WM_PAINT}, {form_, WM_TIMER}};
  EXPECT_EQ(read, expected);
  // The children are erased when they paint.
  EXPECT_TRUE(recorder_.Matches({Msg(form_, WM_APP), Msg(form_, WM_PAINT), Msg(left_, WM_PAINT),
                                 Msg(left_, WM_ERASEBKGND), Msg(right_, WM_PAINT),
                                 Msg(right_, WM_ERASEBKGND), Msg(form_, WM_TIMER)}));
  EXPECT_FALSE(UpdateOf(form_).dirty);
  EXPECT_FALSE(UpdateOf(left_).dirty);
}

TEST_F(PaintingTest, InvalidatingReachesTheChildrenUnderTheRectangle) {
  ShowAndPaint();
  const RECT first{5, 5, 20, 20};
  EXPECT_TRUE(InvalidateRect(form_, &first, TRUE));
  const RECT second{45, 20, 65, 25};
  EXPECT_TRUE(InvalidateRect(form_, &second, FALSE));
  struct Case {
    HWND window;
    RECT update;
  };
  const Case cases[] = {
      {form_, {5, 5, 65, 25}},  // the rectangle that bounds both
      {left_, {0, 0, 40, 15}},  // (0,0,10,10) and (35,10,40,15)
      {right_, {0, 10, 5, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(recorder_.NameOf(c.window));
    const Update update = UpdateOf(c.window);
    EXPECT_TRUE(update.dirty);
    EXPECT_EQ(update.rect.left, c.update.left);
    EXPECT_EQ(update.rect.top, c.update.top);
    EXPECT_EQ(update.rect.right, c.update.right);
    EXPECT_EQ(update.rect.bottom, c.update.bottom);
  }
  // Validating a part leaves the rest; the parent's validation reaches the children.
  const RECT side{0, 0, 30, 100};
  EXPECT_TRUE(ValidateRect(form_, &side));
  EXPECT_EQ(UpdateOf(form_).rect.left, 45);
  EXPECT_EQ(UpdateOf(form_).rect.top, 20);
  EXPECT_EQ(UpdateOf(left_).rect.left, 35);
  EXPECT_TRUE(ValidateRect(form_, nullptr));
  for (HWND window : {form_, left_, right_}) EXPECT_FALSE(UpdateOf(window).dirty);
  EXPECT_TRUE(recorder_.Matches({})) << "no message until the window paints";

  // Outside the client area there is nothing to invalidate; a hidden window gets nothing.
  const RECT outside{300, 300, 310, 310};
  EXPECT_TRUE(InvalidateRect(form_, &outside, TRUE));
  EXPECT_FALSE(UpdateOf(form_).dirty);
  ShowWindow(right_, SW_HIDE);
  EXPECT_TRUE(InvalidateRect(right_, nullptr, TRUE));
  EXPECT_FALSE(UpdateOf(right_).dirty);
  SetLastError(0);
  HWND gone = Make("gone", WS_POPUP, 0, 0, 10, 10, nullptr);
  DestroyWindow(gone);
  EXPECT_FALSE(InvalidateRect(gone, nullptr, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(PaintingTest, AParentThatClipsItsChildrenInvalidatesOnlyItself) {
  HWND clipping = Make("clipping", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 50, nullptr);
  HWND inner = Make("inner", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, clipping);
  user_input::Pump();
  EXPECT_TRUE(InvalidateRect(clipping, nullptr, TRUE));
  EXPECT_TRUE(UpdateOf(clipping).dirty);
  EXPECT_FALSE(UpdateOf(inner).dirty);
  DestroyWindow(clipping);
}

TEST_F(PaintingTest, UpdateWindowPaintsAtOnceWhatIsInvalid) {
  ShowAndPaint();
  EXPECT_TRUE(UpdateWindow(form_));
  EXPECT_TRUE(recorder_.Matches({})) << "nothing to paint";
  InvalidateRect(left_, nullptr, TRUE);
  UpdateWindow(left_);
  EXPECT_TRUE(recorder_.Matches({Msg(left_, WM_PAINT), Msg(left_, WM_ERASEBKGND)}));
  InvalidateRect(right_, nullptr, FALSE);
  UpdateWindow(form_);
  EXPECT_TRUE(recorder_.Matches({Msg(right_, WM_PAINT)}));
  // The children of a window invalidated without erasing are erased all the same.
  InvalidateRect(form_, nullptr, FALSE);
  UpdateWindow(form_);
  EXPECT_TRUE(
      recorder_.Matches({Msg(form_, WM_PAINT), Msg(left_, WM_PAINT), Msg(left_, WM_ERASEBKGND),
                         Msg(right_, WM_PAINT), Msg(right_, WM_ERASEBKGND)}));
}

TEST_F(PaintingTest, BeginPaintErasesWhenAskedAndTakesTheUpdateRegion) {
  ShowAndPaint();
  const RECT part{3, 4, 12, 9};
  struct Case {
    const char* name;
    BOOL erase;
    LRESULT erased;  // what the window answers to WM_ERASEBKGND
    BOOL expected_erase;
  };
  const Case cases[] = {
      {"not erased", TRUE, 0, TRUE},
      {"erased", TRUE, 1, FALSE},
      {"no erasing asked", FALSE, 0, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.Answer(WM_ERASEBKGND, c.erased);
    InvalidateRect(left_, &part, c.erase);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(left_, &paint);
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(paint.hdc, dc);
    EXPECT_EQ(paint.fErase, c.expected_erase);
    EXPECT_EQ(paint.rcPaint.left, 3);
    EXPECT_EQ(paint.rcPaint.top, 4);
    EXPECT_EQ(paint.rcPaint.right, 12);
    EXPECT_EQ(paint.rcPaint.bottom, 9);
    EXPECT_FALSE(UpdateOf(left_).dirty);
    EXPECT_TRUE(EndPaint(left_, &paint));
    if (c.erase) {
      EXPECT_TRUE(recorder_.Matches({Msg(left_, WM_ERASEBKGND).W(reinterpret_cast<WPARAM>(dc))}));
    } else {
      EXPECT_TRUE(recorder_.Matches({}));
    }
  }
  // A valid window paints nothing.
  PAINTSTRUCT paint{};
  EXPECT_NE(BeginPaint(left_, &paint), nullptr);
  EXPECT_FALSE(paint.fErase);
  EXPECT_EQ(paint.rcPaint.right - paint.rcPaint.left, 0);
  EndPaint(left_, &paint);
  EXPECT_TRUE(recorder_.Matches({}));
}

TEST_F(PaintingTest, AWindowThatDoesNotValidateIsPaintedAgainAndHidingValidates) {
  ShowAndPaint();
  recorder_.Answer(WM_PAINT, 0);
  InvalidateRect(form_, nullptr, FALSE);
  int paints = 0;
  MSG msg{};
  for (int i = 0; i < 3 && PeekMessageA(&msg, form_, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_PAINT && msg.hwnd == form_) ++paints;
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(paints, 3);
  EXPECT_TRUE(UpdateOf(form_).dirty);
  EXPECT_TRUE(UpdateOf(left_).dirty);
  ShowWindow(form_, SW_HIDE);
  for (HWND window : {form_, left_, right_}) EXPECT_FALSE(UpdateOf(window).dirty);
  EXPECT_FALSE(PeekMessageA(&msg, form_, WM_PAINT, WM_PAINT, PM_REMOVE));
}

}  // namespace
