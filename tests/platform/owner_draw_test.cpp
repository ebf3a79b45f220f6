// Conformance of owner-drawn buttons (BS_OWNERDRAW): WM_DRAWITEM to the parent with its
// DRAWITEMSTRUCT when the button paints and when its pushed state, its focus or its enabled
// state changes (a click, the Space key, a focus change, EnableWindow, BM_SETSTATE), and
// what the parent draws read back from a memory device context (WM_PRINTCLIENT). The same
// tests run against Wine's user32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32.h"
#include "support/drawing.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Command;
using message_sequence::Expected;
using message_sequence::Msg;
using message_sequence::Recorder;
using Sequence = std::vector<Expected>;

const char kClass[] = "TarnivoTestOwnerDraw";

// What WM_DRAWITEM told, for one draw.
struct Drawn {
  UINT type;
  UINT id;
  UINT action;
  UINT state;
  HWND item;
  RECT rect;
  bool has_dc;
};

std::vector<Drawn> g_drawn;
HDC g_draw_dc = nullptr;

// The container draws the button as the product's lists do: the face, a raised or sunken
// edge, the caption centred (embossed when disabled), the focus rectangle.
void DrawButton(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &rect, (item.itemState & ODS_SELECTED) != 0 ? EDGE_SUNKEN : EDGE_RAISED,
           BF_RECT | BF_ADJUST);
  char caption[32] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  SetBkMode(item.hDC, TRANSPARENT);
  if ((item.itemState & ODS_DISABLED) != 0) {
    RECT shifted{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1};
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(item.hDC, caption, -1, &shifted, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNSHADOW));
  } else {
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextA(item.hDC, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    DrawFocusRect(item.hDC, &focus);
  }
}

bool Handler(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return false;
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  g_drawn.push_back(Drawn{item->CtlType, item->CtlID, item->itemAction, item->itemState,
                          item->hwndItem, item->rcItem, item->hDC != nullptr});
  g_draw_dc = item->hDC;
  DrawButton(*item);
  *result = TRUE;
  return true;
}

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

class OwnerDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    g_drawn.clear();
    recorder_.Handle(Handler);
    form_ = CreateWindowExA(0, class_.name(), "Form", WS_POPUP | WS_VISIBLE, 100, 100, 300, 100,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    add_ = Button("add", "Add", 10, 11);
    remove_ = Button("remove", "Remove", 100, 12);
    SetForegroundWindow(form_);
    SetFocus(form_);
    user_input::Pump();
    recorder_.Clear();
    g_drawn.clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND Button(const char* name, const char* text, int x, int id) {
    HWND button = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, 10,
                                  80, 24, form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(button, nullptr);
    recorder_.Name(button, name);
    recorder_.Subclass(button);
    return button;
  }

  // WM_DRAWITEM for `button` (id `id`) as the form gets it.
  Expected DrawItem(int id) const { return Msg(form_, WM_DRAWITEM).W(static_cast<WPARAM>(id)); }

  // The actions and states drawn, in order; the other fields checked for every draw.
  std::vector<std::pair<UINT, UINT>> TakeDrawn(HWND button, UINT id) {
    std::vector<std::pair<UINT, UINT>> drawn;
    for (const Drawn& each : g_drawn) {
      EXPECT_EQ(each.type, ODT_BUTTON);
      EXPECT_EQ(each.id, id);
      EXPECT_EQ(each.item, button);
      EXPECT_TRUE(each.has_dc);
      EXPECT_EQ(each.rect.left, 0);
      EXPECT_EQ(each.rect.top, 0);
      EXPECT_EQ(each.rect.right, 80);
      EXPECT_EQ(each.rect.bottom, 24);
      drawn.emplace_back(each.action, each.state);
    }
    g_drawn.clear();
    return drawn;
  }

  using Draws = std::vector<std::pair<UINT, UINT>>;

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
  HWND add_ = nullptr;
  HWND remove_ = nullptr;
};

TEST_F(OwnerDrawTest, AButtonIsDrawnWholeWhenItPaints) {
  EXPECT_EQ(SendMessageA(add_, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
  EXPECT_EQ(SendMessageA(add_, BM_GETSTATE, 0, 0), 0);
  InvalidateRect(add_, nullptr, TRUE);
  UpdateWindow(add_);
  EXPECT_TRUE(recorder_.Matches({Msg(add_, WM_GETDLGCODE), Msg(add_, BM_GETSTATE),
                                 Msg(add_, WM_PAINT).Optional(), DrawItem(11)}));
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_DRAWENTIRE, 0}}));
  // A window text changed is drawn at once.
  SetWindowTextA(add_, "Add site");
  EXPECT_TRUE(recorder_.Matches({Msg(add_, WM_SETTEXT), DrawItem(11)}));
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_DRAWENTIRE, 0}}));
}

TEST_F(OwnerDrawTest, AClickDrawsTheFocusAndThePushedStateThenTellsTheParent) {
  SetFocus(remove_);
  user_input::Pump();
  recorder_.Clear();
  g_drawn.clear();
  user_input::Click(add_);
  user_input::Pump();
  const LPARAM how = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
  EXPECT_TRUE(recorder_.Matches(
      {Msg(add_, WM_MOUSEACTIVATE).W(Wp(form_)).L(how), Msg(form_, WM_MOUSEACTIVATE).L(how),
       Msg(add_, WM_LBUTTONDOWN), Msg(remove_, WM_KILLFOCUS).W(Wp(add_)), DrawItem(12),
       Msg(add_, WM_SETFOCUS).W(Wp(remove_)), DrawItem(11), Msg(add_, BM_SETSTATE).W(TRUE),
       DrawItem(11), Msg(add_, WM_LBUTTONUP), Msg(add_, BM_SETSTATE).W(FALSE), DrawItem(11),
       Msg(add_, WM_CAPTURECHANGED), Command(form_, 11, BN_CLICKED, add_),
       // The button that lost the focus is drawn again when it paints.
       Msg(remove_, WM_PAINT).Optional(), DrawItem(12)}));
  std::vector<Drawn> drawn = g_drawn;
  ASSERT_EQ(drawn.size(), 5u);
  EXPECT_EQ(drawn[0].item, remove_);
  EXPECT_EQ(drawn[0].action, ODA_FOCUS);
  EXPECT_EQ(drawn[0].state, 0u);
  EXPECT_EQ(drawn[4].item, remove_);
  EXPECT_EQ(drawn[4].action, ODA_DRAWENTIRE);
  g_drawn.erase(g_drawn.begin() + 4);
  g_drawn.erase(g_drawn.begin());
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_FOCUS, ODS_FOCUS},
                                        {ODA_SELECT, ODS_FOCUS | ODS_SELECTED},
                                        {ODA_SELECT, ODS_FOCUS}}));
}

TEST_F(OwnerDrawTest, SpaceBmSetStateAndEnableWindowDrawTheButton) {
  SetFocus(add_);
  user_input::Pump();
  recorder_.Clear();
  g_drawn.clear();
  user_input::Key(VK_SPACE);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(
      {Msg(add_, WM_KEYDOWN).W(VK_SPACE), Msg(add_, BM_SETSTATE).W(TRUE), DrawItem(11),
       Msg(add_, WM_CHAR).W(' '), Msg(add_, WM_KEYUP).W(VK_SPACE), Msg(add_, BM_SETSTATE).W(FALSE),
       DrawItem(11), Msg(add_, WM_CAPTURECHANGED), Command(form_, 11, BN_CLICKED, add_)}));
  EXPECT_EQ(TakeDrawn(add_, 11),
            (Draws{{ODA_SELECT, ODS_FOCUS | ODS_SELECTED}, {ODA_SELECT, ODS_FOCUS}}));

  // Disabled with the focus: the focus is drawn away, then the whole button, disabled; it is
  // drawn again when it paints.
  EnableWindow(add_, FALSE);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches({Msg(add_, WM_CANCELMODE), Msg(add_, WM_KILLFOCUS), DrawItem(11),
                                 Msg(add_, WM_ENABLE).W(FALSE), DrawItem(11),
                                 Msg(add_, WM_PAINT).Optional(), DrawItem(11)}));
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_FOCUS, ODS_DISABLED},
                                        {ODA_DRAWENTIRE, ODS_DISABLED},
                                        {ODA_DRAWENTIRE, ODS_DISABLED}}));
  EnableWindow(add_, TRUE);
  EXPECT_TRUE(recorder_.Matches({Msg(add_, WM_ENABLE).W(TRUE), DrawItem(11)}));
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_DRAWENTIRE, 0}}));

  // BM_SETSTATE draws the pushed state every time, changed or not.
  for (WPARAM pushed : {WPARAM{TRUE}, WPARAM{TRUE}, WPARAM{FALSE}}) {
    SendMessageA(add_, BM_SETSTATE, pushed, 0);
    EXPECT_EQ(SendMessageA(add_, BM_GETSTATE, 0, 0), pushed ? BST_PUSHED : 0);
  }
  EXPECT_EQ(TakeDrawn(add_, 11),
            (Draws{{ODA_SELECT, ODS_SELECTED}, {ODA_SELECT, ODS_SELECTED}, {ODA_SELECT, 0}}));
}

TEST_F(OwnerDrawTest, TheDialogKeyboardTreatsItAsAButtonThatIsNeverTheDefault) {
  SetFocus(add_);
  user_input::Pump(form_);
  recorder_.Clear();
  auto commands = [this] {
    std::vector<WPARAM> heard;
    for (const message_sequence::Message& each : recorder_.Take()) {
      if (each.window == form_ && each.message == WM_COMMAND) heard.push_back(each.wParam);
    }
    return heard;
  };
  // Enter goes to the default id, not to the focused button; Space clicks the button.
  user_input::Key(VK_RETURN);
  user_input::Pump(form_);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(IDOK, BN_CLICKED)}));
  user_input::Key(VK_SPACE);
  user_input::Pump(form_);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(11, BN_CLICKED)}));
  EXPECT_EQ(GetWindowLongA(add_, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_OWNERDRAW));
}

TEST_F(OwnerDrawTest, TheFontIsRememberedAndRedrawsWhenAsked) {
  EXPECT_EQ(SendMessageA(add_, WM_GETFONT, 0, 0), 0);
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  SendMessageA(add_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EXPECT_EQ(SendMessageA(add_, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(add_, &update, FALSE));
  SendMessageA(add_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_TRUE(GetUpdateRect(add_, &update, FALSE));
  // The other standard controls keep their font too.
  for (const char* cls : {"STATIC", "EDIT", "COMBOBOX"}) {
    SCOPED_TRACE(cls);
    HWND control = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 10, 50, 80, 20, form_,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EXPECT_EQ(SendMessageA(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
    DestroyWindow(control);
  }
}

TEST_F(OwnerDrawTest, WhatTheParentDrawsIsReadBackFromAMemoryDeviceContext) {
  drawing::Canvas canvas(80, 24);
  canvas.Print(add_);
  EXPECT_EQ(g_draw_dc, canvas.dc());
  EXPECT_EQ(TakeDrawn(add_, 11), (Draws{{ODA_DRAWENTIRE, 0}}));
  // A raised edge: light outside at the top left, dark outside at the bottom right.
  EXPECT_EQ(canvas.Pixel(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(canvas.Pixel(79, 23), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(canvas.Pixel(78, 22), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(5, 5), GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(drawing::TextDrawnIn(canvas, RECT{20, 4, 60, 20}, GetSysColor(COLOR_BTNTEXT)));

  // Pushed: sunken; disabled: the caption embossed in the shadow's colour.
  SendMessageA(add_, BM_SETSTATE, TRUE, 0);
  EnableWindow(add_, FALSE);
  canvas.Fill(RGB(255, 255, 255));
  canvas.Print(add_);
  EXPECT_EQ(canvas.Pixel(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(79, 23), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Count(RECT{0, 0, 80, 24}, GetSysColor(COLOR_BTNTEXT)), 0);
  EXPECT_GT(canvas.Count(RECT{20, 4, 62, 21}, GetSysColor(COLOR_BTNSHADOW)), 0);
}

}  // namespace
