// Conformance of the trackbar (class TRACKBAR_CLASSA) lying horizontally: its range, position
// and page, the places of its channel and thumb, and what keys, clicks and drags of a user do,
// with the parent's WM_HSCROLL and WM_NOTIFY by message sequence. The same tests run against
// Wine's comctl32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Expected;
using message_sequence::Msg;
using message_sequence::Recorder;
using Sequence = std::vector<Expected>;

const char kClass[] = "TarnivoTestTrackbars";
constexpr int kId = 11;

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(window, message, wParam, lParam);
}

RECT Thumb(HWND trackbar) {
  RECT rect{};
  Send(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

RECT Channel(HWND trackbar) {
  RECT rect{};
  Send(trackbar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

POINT OnScreen(HWND window, POINT point) {
  ClientToScreen(window, &point);
  return point;
}

POINT Middle(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

testing::AssertionResult SameRect(const RECT& got, const RECT& expected) {
  if (got.left == expected.left && got.top == expected.top && got.right == expected.right &&
      got.bottom == expected.bottom)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "got " << got.left << "," << got.top << "," << got.right << "," << got.bottom
         << ", expected " << expected.left << "," << expected.top << "," << expected.right << ","
         << expected.bottom;
}

class TrackbarTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = CreateWindowExA(0, class_.name(), "Form", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                            400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    // WM_NOTIFY's codes are read as they come; painting's custom draw is left out.
    recorder_.Handle([this](HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (window == form_ && message == WM_NOTIFY && header != nullptr &&
          header->code != NM_CUSTOMDRAW)
        notified_.push_back(header->code);
      return false;
    });
    SetForegroundWindow(form_);
    SetFocus(form_);
    user_input::Pump();
    recorder_.Clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND Slider(DWORD style = TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, int height = 25) {
    HWND slider = CreateWindowExA(
        0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | style, 20, 20, 121, height, form_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(slider, nullptr);
    recorder_.Name(slider, "slider");
    recorder_.Subclass(slider);
    return slider;
  }

  // The messages recorded, without WM_NOTIFY (see notified_) and the trackbar messages the
  // test sends itself.
  std::vector<message_sequence::Message> Heard() {
    std::vector<message_sequence::Message> heard;
    for (const auto& message : recorder_.Take()) {
      const bool asked = message.message >= WM_USER && message.message <= WM_USER + 40;
      if (!asked && message.message != WM_NOTIFY) heard.push_back(message);
    }
    return heard;
  }

  // The parent's WM_HSCROLL messages only.
  std::vector<message_sequence::Message> Scrolls() {
    std::vector<message_sequence::Message> scrolls;
    for (const auto& message : Heard()) {
      if (message.window == form_ && message.message == WM_HSCROLL) scrolls.push_back(message);
    }
    return scrolls;
  }

  Expected Scroll(HWND slider, int code, LONG pos = 0) const {
    return Msg(form_, WM_HSCROLL).W(MAKEWPARAM(code, pos)).L(slider);
  }

  Sequence Activation(HWND control) const {
    const LPARAM how = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    return {Msg(control, WM_MOUSEACTIVATE).W(Wp(form_)).L(how),
            Msg(form_, WM_MOUSEACTIVATE).W(Wp(form_)).L(how)};
  }

  std::vector<UINT> TakeNotified() {
    std::vector<UINT> taken;
    taken.swap(notified_);
    return taken;
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
  std::vector<UINT> notified_;
};

TEST_F(TrackbarTest, TheRangeHoldsThePositionAndSetsThePage) {
  HWND slider = Slider();
  char name[32] = {};
  GetClassNameA(slider, name, sizeof name);
  EXPECT_STREQ(name, TRACKBAR_CLASSA);
  EXPECT_EQ(Send(slider, WM_GETDLGCODE), DLGC_WANTARROWS);
  EXPECT_EQ(Send(slider, TBM_GETTOOLTIPS), 0) << "no tooltip window without TBS_TOOLTIPS";
  EXPECT_EQ(Send(slider, TBM_GETLINESIZE), 1);
  recorder_.Clear();

  struct Step {
    const char* what;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT pos;
    LRESULT min;
    LRESULT max;
    LRESULT page;
  };
  const Step steps[] = {
      {"as made", TBM_GETPOS, 0, 0, 0, 0, 100, 20},
      {"a position", TBM_SETPOS, TRUE, 50, 50, 0, 100, 20},
      {"two positions", TBM_SETRANGE, TRUE, MAKELPARAM(0, 1), 1, 0, 1, 1},
      {"past the end", TBM_SETPOS, TRUE, 5, 1, 0, 1, 1},
      {"before the start", TBM_SETPOS, TRUE, -3, 0, 0, 1, 1},
      {"without redraw", TBM_SETPOS, FALSE, 1, 1, 0, 1, 1},
      {"a wider range", TBM_SETRANGE, FALSE, MAKELPARAM(0, 100), 1, 0, 100, 20},
      {"the end moves below", TBM_SETRANGEMAX, TRUE, 0, 0, 0, 0, 1},
      {"the end back", TBM_SETRANGEMAX, TRUE, 50, 0, 0, 50, 10},
      {"the start past the end", TBM_SETRANGEMIN, TRUE, 70, 70, 70, 50, -4},
      {"16-bit ends", TBM_SETRANGE, TRUE, MAKELPARAM(-5, 40000), -25536, -5, -25536, -5106},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    Send(slider, step.message, step.wParam, step.lParam);
    EXPECT_EQ(Send(slider, TBM_GETPOS), step.pos);
    EXPECT_EQ(Send(slider, TBM_GETRANGEMIN), step.min);
    EXPECT_EQ(Send(slider, TBM_GETRANGEMAX), step.max);
    EXPECT_EQ(Send(slider, TBM_GETPAGESIZE), step.page);
  }

  // A page of its own stays until -1 gives back a fifth of the range.
  EXPECT_EQ(Send(slider, TBM_SETPAGESIZE, 0, 7), -5106);
  Send(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  EXPECT_EQ(Send(slider, TBM_GETPAGESIZE), 7);
  EXPECT_EQ(Send(slider, TBM_SETPAGESIZE, 0, -1), 7);
  EXPECT_EQ(Send(slider, TBM_GETPAGESIZE), 20);
  EXPECT_EQ(Send(slider, TBM_SETLINESIZE, 0, 3), 1);
  EXPECT_EQ(Send(slider, TBM_GETLINESIZE), 3);

  // The tooltip window is only remembered.
  EXPECT_EQ(Send(slider, TBM_SETTOOLTIPS, Wp(form_)), 0);
  EXPECT_EQ(Send(slider, TBM_GETTOOLTIPS), reinterpret_cast<LRESULT>(form_));
  Send(slider, TBM_SETTOOLTIPS, 0);
  EXPECT_EQ(Send(slider, TBM_GETTOOLTIPS), 0);

  EXPECT_TRUE(recorder_.Matches(Heard(), {})) << "messages tell the parent nothing";
  EXPECT_TRUE(TakeNotified().empty());
}

TEST_F(TrackbarTest, TheChannelAndTheThumbHaveTheirPlaces) {
  HWND slider = Slider();
  EXPECT_EQ(Send(slider, TBM_GETTHUMBLENGTH), 21);
  EXPECT_TRUE(SameRect(Channel(slider), RECT{8, 9, 113, 13}));
  EXPECT_TRUE(SameRect(Thumb(slider), RECT{8, 2, 19, 23}));
  Send(slider, TBM_SETPOS, TRUE, 50);
  EXPECT_TRUE(SameRect(Thumb(slider), RECT{55, 2, 66, 23}));
  Send(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
  Send(slider, TBM_SETPOS, TRUE, 0);
  EXPECT_TRUE(SameRect(Thumb(slider), RECT{8, 2, 19, 23}));
  Send(slider, TBM_SETPOS, TRUE, 1);
  EXPECT_TRUE(SameRect(Thumb(slider), RECT{102, 2, 113, 23}));

  // A trackbar lower than the thumb shortens it.
  HWND low = Slider(TBS_HORZ, 15);
  EXPECT_EQ(Send(low, TBM_GETTHUMBLENGTH), 10);
  EXPECT_TRUE(SameRect(Channel(low), RECT{5, 4, 116, 8}));
  EXPECT_TRUE(SameRect(Thumb(low), RECT{5, 2, 10, 12}));
}

TEST_F(TrackbarTest, KeysMoveThePositionAndTheirReleaseEndsTheMove) {
  HWND slider = Slider();
  Send(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
  SetFocus(slider);
  user_input::Pump(form_);
  recorder_.Clear();

  // The whole sequence once, through the dialog keyboard.
  user_input::Key(VK_RIGHT);
  user_input::Pump(form_);
  EXPECT_TRUE(
      recorder_.Matches(Heard(), {Msg(slider, WM_GETDLGCODE).W(VK_RIGHT),
                                  Msg(slider, WM_KEYDOWN).W(VK_RIGHT), Scroll(slider, TB_LINEDOWN),
                                  Msg(slider, WM_KEYUP).W(VK_RIGHT), Scroll(slider, TB_ENDTRACK)}));
  EXPECT_EQ(Send(slider, TBM_GETPOS), 1);

  struct Key {
    int vk;
    LRESULT pos;
    int code;  // -1: none, only the release's TB_ENDTRACK
  };
  const Key keys[] = {
      {VK_RIGHT, 1, -1},         {VK_LEFT, 0, TB_LINEUP},   {VK_LEFT, 0, -1},
      {VK_END, 1, TB_BOTTOM},    {VK_END, 1, -1},           {VK_HOME, 0, TB_TOP},
      {VK_HOME, 0, -1},          {VK_NEXT, 1, TB_PAGEDOWN}, {VK_PRIOR, 0, TB_PAGEUP},
      {VK_DOWN, 1, TB_LINEDOWN}, {VK_UP, 0, TB_LINEUP},
  };
  for (const Key& key : keys) {
    SCOPED_TRACE(key.vk);
    user_input::Key(key.vk);
    user_input::Pump(form_);
    EXPECT_EQ(Send(slider, TBM_GETPOS), key.pos);
    Sequence expected;
    if (key.code >= 0) expected.push_back(Scroll(slider, key.code));
    expected.push_back(Scroll(slider, TB_ENDTRACK));
    EXPECT_TRUE(recorder_.Matches(Scrolls(), expected));
  }
  user_input::Key(VK_SPACE);
  user_input::Pump(form_);
  EXPECT_TRUE(recorder_.Matches(Scrolls(), {}));

  // WM_KILLFOCUS sent by itself changes nothing the parent hears, and the keys still work.
  Send(slider, WM_KILLFOCUS);
  EXPECT_TRUE(recorder_.Matches(Heard(), {Msg(slider, WM_KILLFOCUS)}));
  EXPECT_EQ(GetFocus(), slider);
  user_input::Key(VK_END);
  user_input::Pump(form_);
  EXPECT_TRUE(
      recorder_.Matches(Scrolls(), {Scroll(slider, TB_BOTTOM), Scroll(slider, TB_ENDTRACK)}));
  EXPECT_TRUE(TakeNotified().empty());
}

TEST_F(TrackbarTest, AClickOnTheThumbOrTheChannelAndADragOfTheThumb) {
  HWND slider = Slider();
  Send(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
  Send(slider, TBM_SETPOS, TRUE, 0);
  user_input::Pump();
  recorder_.Clear();

  // A click on the thumb takes the focus and ends a drag that went nowhere.
  user_input::Click(OnScreen(slider, Middle(Thumb(slider))));
  user_input::Pump();
  Sequence expected = Activation(slider);
  for (const Expected& each :
       {Msg(slider, WM_LBUTTONDOWN), Msg(form_, WM_KILLFOCUS).W(Wp(slider)),
        Msg(slider, WM_SETFOCUS).W(Wp(form_)), Msg(slider, WM_LBUTTONUP),
        Scroll(slider, TB_THUMBPOSITION, 0), Scroll(slider, TB_ENDTRACK),
        Msg(slider, WM_CAPTURECHANGED).L(nullptr), Scroll(slider, TB_ENDTRACK)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(TakeNotified(), std::vector<UINT>{NM_RELEASEDCAPTURE});
  EXPECT_EQ(GetFocus(), slider);

  // A drag to the other end.
  user_input::DragTrackbar(slider, 1);
  EXPECT_TRUE(recorder_.Matches(
      Scrolls(), {Scroll(slider, TB_THUMBTRACK, 1), Scroll(slider, TB_THUMBPOSITION, 1),
                  Scroll(slider, TB_ENDTRACK), Scroll(slider, TB_ENDTRACK)}));
  EXPECT_EQ(TakeNotified(), std::vector<UINT>{NM_RELEASEDCAPTURE});
  EXPECT_EQ(Send(slider, TBM_GETPOS), 1);

  // A click on the channel left of the thumb pages there when the button goes down.
  const RECT channel = Channel(slider);
  user_input::Click(OnScreen(slider, POINT{channel.left + 2, Middle(Thumb(slider)).y}));
  user_input::Pump();
  expected = Activation(slider);
  for (const Expected& each :
       {Msg(slider, WM_LBUTTONDOWN), Scroll(slider, TB_PAGEUP), Msg(slider, WM_LBUTTONUP),
        Scroll(slider, TB_ENDTRACK), Msg(slider, WM_CAPTURECHANGED).L(nullptr),
        Scroll(slider, TB_ENDTRACK)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(TakeNotified(), std::vector<UINT>{NM_RELEASEDCAPTURE});
  EXPECT_EQ(Send(slider, TBM_GETPOS), 0);

  // A click away from the channel and the thumb does nothing.
  RECT rect{};
  GetWindowRect(slider, &rect);
  user_input::Click(POINT{rect.right - 3, rect.bottom - 1});
  user_input::Pump();
  expected = Activation(slider);
  expected.push_back(Msg(slider, WM_LBUTTONDOWN));
  expected.push_back(Msg(slider, WM_LBUTTONUP));
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_TRUE(TakeNotified().empty());
}

TEST_F(TrackbarTest, ADragFollowsTheMouseAcrossAWideRange) {
  HWND slider = Slider();
  const POINT from = OnScreen(slider, Middle(Thumb(slider)));
  user_input::Press(from);
  user_input::Pump();
  user_input::Release(POINT{from.x + 40, from.y});
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(
      Scrolls(), {Scroll(slider, TB_THUMBTRACK, 43), Scroll(slider, TB_THUMBPOSITION, 43),
                  Scroll(slider, TB_ENDTRACK), Scroll(slider, TB_ENDTRACK)}));
  EXPECT_EQ(Send(slider, TBM_GETPOS), 43);
  for (int position : {70, 100, 0}) {
    SCOPED_TRACE(position);
    user_input::DragTrackbar(slider, position);
    EXPECT_EQ(Send(slider, TBM_GETPOS), position);
  }
}

}  // namespace
