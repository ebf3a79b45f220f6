// Tests of the Linux back end's own side of drawing: what was drawn on a window's device
// contexts read back as calls and lines, cleared; a memory device context's record; the
// fixed text metric (wrapping and ellipses); the module's bitmaps and image-list draws.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "support/drawing.h"

namespace {

using Lines = std::vector<std::string>;

const char kClass[] = "TarnivoBackendDrawing";

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    RECT rect = item->rcItem;
    FillRect(item->hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(item->hDC, &rect, (item->itemState & ODS_SELECTED) != 0 ? EDGE_SUNKEN : EDGE_RAISED,
             BF_RECT | BF_ADJUST);
    SetBkMode(item->hDC, TRANSPARENT);
    DrawTextA(item->hDC, "&OK", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if ((item->itemState & ODS_FOCUS) != 0) DrawFocusRect(item->hDC, &rect);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class DrawingBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    form_ = CreateWindowExA(0, kClass, "Form", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    button_ =
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 80, 24,
                        form_, reinterpret_cast<HMENU>(7), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(form_);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
    backend::ClearWindowDrawing();
  }

  HWND form_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(DrawingBackendTest, WhatAWindowPaintedIsReadBackAsLines) {
  backend::RunPending();
  // The form erased itself with its class brush when shown; the button was drawn by its parent.
  EXPECT_EQ(backend::WindowDrawingLines(form_), (Lines{"FillRect 0,0,200,100 #f5f5f5"}));
  EXPECT_EQ(backend::WindowDrawingLines(button_),
            (Lines{"FillRect 0,0,80,24 #f5f5f5", "FillRect 0,0,80,24 #f5f5f5",
                   "DrawEdge 0,0,80,24 EDGE_RAISED BF_RECT|BF_ADJUST",
                   "DrawTextA 2,2,78,22 \"&OK\" DT_CENTER|DT_VCENTER|DT_SINGLELINE text=#000000 "
                   "TRANSPARENT"}));
  backend::ClearWindowDrawing(button_);
  EXPECT_TRUE(backend::WindowDrawing(button_).empty());
  EXPECT_FALSE(backend::WindowDrawing(form_).empty()) << "only the button's record is cleared";

  SetFocus(button_);
  SendMessageA(button_, BM_SETSTATE, TRUE, 0);
  const std::vector<backend::DrawCall> calls = backend::WindowDrawing(button_);
  // The focus, then the pushed state, each drawn whole by the parent.
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[3].function, "DrawFocusRect");
  EXPECT_EQ(calls[3].rect.left, 2);
  EXPECT_EQ(calls[5].function, "DrawEdge");
  EXPECT_EQ(calls[5].edge, EDGE_SUNKEN);
  EXPECT_EQ(calls[6].background_mode, TRANSPARENT);
  EXPECT_EQ(calls[6].text, "&OK");

  DestroyWindow(button_);
  EXPECT_TRUE(backend::WindowDrawing(button_).empty()) << "a window's record goes with it";
}

TEST(DrawingBackend, TextHasAFixedMetric) {
  drawing::Canvas canvas(100, 60);
  struct Case {
    const char* text;
    UINT flags;
    LONG width;
    LONG right;
    int height;
  };
  const Case cases[] = {
      {"OK", DT_SINGLELINE, 100, kTextCharWidth * 2, kTextLineHeight},
      {"&Add", DT_SINGLELINE, 100, kTextCharWidth * 3, kTextLineHeight},
      {"&Add", DT_SINGLELINE | DT_NOPREFIX, 100, kTextCharWidth * 4, kTextLineHeight},
      {"aaa bbb ccc", DT_WORDBREAK, 7 * kTextCharWidth, 7 * kTextCharWidth, 2 * kTextLineHeight},
      {"aaaaaaaaaa", DT_WORDBREAK, 4 * kTextCharWidth, 10 * kTextCharWidth, kTextLineHeight},
      {"aaaaaaaaaa", DT_WORDBREAK | DT_WORD_ELLIPSIS, 6 * kTextCharWidth, 6 * kTextCharWidth,
       kTextLineHeight},
      {"aaaaaaaaaa", DT_SINGLELINE | DT_END_ELLIPSIS, 5 * kTextCharWidth, 5 * kTextCharWidth,
       kTextLineHeight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RECT rect{0, 0, c.width, 0};
    EXPECT_EQ(DrawTextA(canvas.dc(), c.text, -1, &rect, c.flags | DT_CALCRECT), c.height);
    EXPECT_EQ(rect.right, c.right);
    EXPECT_EQ(rect.bottom, c.height);
  }
  EXPECT_TRUE(backend::DeviceContextDrawing(canvas.dc()).empty()) << "measuring draws nothing";
  RECT place{0, 0, 100, 20};
  SetTextColor(canvas.dc(), RGB(255, 0, 0));
  DrawTextA(canvas.dc(), "a b", -1, &place, DT_LEFT);
  EXPECT_EQ(backend::DeviceContextDrawingLines(canvas.dc()),
            (Lines{"DrawTextA 0,0,100,20 \"a b\" DT_LEFT text=#ff0000 OPAQUE bk=#ffffff"}));
  // One mark a character that is not blank, inside its cell.
  EXPECT_GT(canvas.Count(RECT{0, 0, kTextCharWidth, kTextLineHeight}, RGB(255, 0, 0)), 0);
  EXPECT_EQ(
      canvas.Count(RECT{kTextCharWidth, 0, 2 * kTextCharWidth, kTextLineHeight}, RGB(255, 0, 0)),
      0);
  EXPECT_GT(canvas.Count(RECT{2 * kTextCharWidth, 0, 3 * kTextCharWidth, kTextLineHeight},
                         RGB(255, 0, 0)),
            0);
  backend::ClearDeviceContextDrawing(canvas.dc());
  EXPECT_TRUE(backend::DeviceContextDrawing(canvas.dc()).empty());
}

TEST(DrawingBackend, ModuleBitmapsMakeImagesThatDrawTheirPixels) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  const COLORREF grey = RGB(192, 192, 192);
  const COLORREF red = RGB(255, 0, 0);
  backend::Picture picture;
  picture.width = 4;
  picture.height = 2;
  picture.pixels = {grey, red, red, grey, red, grey, grey, red};
  backend::SetModuleBitmaps({{101, picture}});
  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(module, MAKEINTRESOURCEA(102)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(101));
  ASSERT_NE(bitmap, nullptr);
  HANDLE again = LoadImageA(module, MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, bitmap) << "each load makes a bitmap of its own";
  BITMAP info{};
  GetObjectA(again, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmHeight, 2);

  HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR24 | ILC_MASK, 2, 2);
  EXPECT_EQ(ImageList_AddMasked(list, bitmap, grey), 0);
  EXPECT_EQ(backend::ImageListIconIds(list), (std::vector<int>{0, 0}));
  drawing::Canvas canvas(10, 4);
  EXPECT_TRUE(ImageList_Draw(list, 1, canvas.dc(), 3, 1, ILD_TRANSPARENT));
  EXPECT_EQ(canvas.Pixel(3, 1), red);
  EXPECT_EQ(canvas.Pixel(4, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(3, 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(4, 2), red);
  const std::vector<backend::DrawCall> calls = backend::DeviceContextDrawing(canvas.dc());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].list, list);
  EXPECT_EQ(calls[0].image, 1);
  EXPECT_EQ(calls[0].rect.left, 3);
  EXPECT_EQ(calls[0].rect.bottom, 3);
  EXPECT_EQ(calls[0].flags, ILD_TRANSPARENT);
  ImageList_Destroy(list);
  DeleteObject(bitmap);
  DeleteObject(again);
  backend::SetModuleBitmaps({});
  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(module, MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

// Wine draws empty and upside-down rectangles in ways of its own; the back end records them
// and goes on.
TEST(DrawingBackend, EmptyAndUpsideDownRectanglesAreRecorded) {
  drawing::Canvas canvas(10, 10);
  drawing::Canvas source(4, 4, RGB(255, 0, 0));
  for (const RECT& c : {RECT{5, 5, 5, 5}, RECT{8, 8, 2, 2}, RECT{2, 8, 8, 2}}) {
    RECT rect = c;
    DrawEdge(canvas.dc(), &rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    rect = c;
    DrawFrameControl(canvas.dc(), &rect, DFC_SCROLL, DFCS_SCROLLDOWN);
    DrawFocusRect(canvas.dc(), &c);
    rect = c;
    DrawTextA(canvas.dc(), "Text", -1, &rect, DT_WORDBREAK);
    FillRect(canvas.dc(), &c, GetSysColorBrush(COLOR_BTNFACE));
    BitBlt(canvas.dc(), c.left, c.top, c.right - c.left, c.bottom - c.top, source.dc(), 0, 0,
           SRCCOPY);
  }
  EXPECT_EQ(backend::DeviceContextDrawing(canvas.dc()).size(), 18u) << "each call recorded";
}

}  // namespace

#endif  // _WIN32
