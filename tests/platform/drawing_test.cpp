// Conformance of drawing on a device context, read back from the pixels of a memory device
// context: system colours and their brushes, the state of a new device context, FillRect,
// DrawEdge, DrawFrameControl, DrawTextA (measuring, wrapping, placing), DrawFocusRect,
// BitBlt, SetPixel and GetPixel, image lists of pictures with a mask colour. The same tests
// run against Wine's user32, gdi32 and comctl32 (null display driver) and the Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/drawing.h"

namespace {

using drawing::Canvas;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGrey = RGB(192, 192, 192);

// The letters of a picture: white, black, face, shadow, dark shadow, light, red, blue.
std::string Picture(const Canvas& canvas, const RECT& area) {
  return canvas.Picture(
      area, ".#fsdlrb",
      {kWhite, RGB(0, 0, 0), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW),
       GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT), kRed, kBlue});
}

TEST(Drawing, SystemColoursAreWinesAndTheirBrushesStay) {
  const struct {
    int index;
    COLORREF colour;
  } cases[] = {
      {COLOR_BTNFACE, RGB(0xf5, 0xf5, 0xf5)},   {COLOR_BTNSHADOW, RGB(0xa6, 0xa6, 0xa6)},
      {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}, {COLOR_3DDKSHADOW, RGB(0x6a, 0x6a, 0x6a)},
      {COLOR_3DLIGHT, RGB(0xe3, 0xe3, 0xe3)},   {COLOR_BTNTEXT, RGB(0, 0, 0)},
      {COLOR_WINDOW, RGB(255, 255, 255)},       {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
      {COLOR_GRAYTEXT, RGB(0xa6, 0xa6, 0xa6)},  {COLOR_HIGHLIGHT, RGB(0x30, 0x96, 0xfa)},
  };
  Canvas canvas(4, 4);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(GetSysColor(c.index), c.colour);
    HBRUSH brush = GetSysColorBrush(c.index);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(GetSysColorBrush(c.index), brush);
    EXPECT_TRUE(DeleteObject(brush));
    const RECT all{0, 0, 4, 4};
    EXPECT_EQ(FillRect(canvas.dc(), &all, brush), 1) << "the brush outlives DeleteObject";
    EXPECT_EQ(canvas.Pixel(1, 1), c.colour);
    // A COLOR_... + 1 value stands for the system colour's brush.
    canvas.Fill(kWhite);
    FillRect(canvas.dc(), &all, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(c.index + 1)));
    EXPECT_EQ(canvas.Pixel(2, 2), c.colour);
  }
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
}

TEST(Drawing, ANewMemoryDeviceContextHasWindowsDefaults) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), kWhite);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetTextColor(dc, kRed), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(dc), kRed);
  EXPECT_EQ(SetBkColor(dc, kBlue), kWhite);
  // Its bitmap is one monochrome pixel, and bitmaps made like it are monochrome too.
  BITMAP info{};
  HBITMAP made = CreateCompatibleBitmap(dc, 8, 8);
  ASSERT_EQ(GetObjectA(made, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmBitsPixel, 1);
  HGDIOBJ old = SelectObject(dc, made);
  ASSERT_NE(old, nullptr);
  ASSERT_EQ(GetObjectA(old, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmHeight, 1);
  EXPECT_EQ(SelectObject(dc, old), made);
  EXPECT_TRUE(DeleteObject(made));
  // Stock objects: the same handle each time, selected and given back.
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font);
  HGDIOBJ previous_font = SelectObject(dc, font);
  EXPECT_NE(previous_font, nullptr);
  EXPECT_EQ(SelectObject(dc, previous_font), font);
  EXPECT_TRUE(DeleteDC(dc));

  // Handles that name nothing.
  HDC bad = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x1234));
  EXPECT_EQ(GetBkMode(bad), 0);
  EXPECT_EQ(SetTextColor(bad, kRed), CLR_INVALID);
  EXPECT_FALSE(DeleteDC(bad));
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(0x1234))));
  RECT rect{0, 0, 10, 10};
  EXPECT_EQ(DrawTextA(bad, "x", 1, &rect, 0), 0);
  EXPECT_EQ(FillRect(bad, &rect, GetSysColorBrush(COLOR_BTNFACE)), 1) << "as Wine answers";
}

TEST(Drawing, PixelsOfAPictureAndOfBitBlt) {
  Canvas canvas(16, 8);
  EXPECT_EQ(SetPixel(canvas.dc(), 2, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Pixel(2, 2), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Pixel(16, 0), CLR_INVALID);
  EXPECT_EQ(canvas.Pixel(-1, 0), CLR_INVALID);

  Canvas source(5, 5, kRed);
  canvas.Fill(kWhite);
  EXPECT_TRUE(BitBlt(canvas.dc(), 2, 2, 4, 3, source.dc(), 1, 1, SRCCOPY));
  // Only what the source has is copied: 2 x 2 pixels from its corner.
  EXPECT_TRUE(BitBlt(canvas.dc(), 10, 2, 4, 3, source.dc(), 3, 3, SRCCOPY));
  EXPECT_EQ(Picture(canvas, RECT{0, 0, 16, 6}),
            "................\n"
            "................\n"
            "..rrrr....rr....\n"
            "..rrrr....rr....\n"
            "..rrrr..........\n"
            "................\n");
}

TEST(Drawing, FillRectAndDrawEdgeDrawWinesLines) {
  Canvas canvas(30, 22);
  const RECT face{0, 0, 30, 22};
  EXPECT_EQ(FillRect(canvas.dc(), &face, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 1);
  EXPECT_EQ(canvas.Count(face, kWhite), 30 * 22) << "the null brush paints nothing";
  RECT raised{2, 2, 14, 10};
  EXPECT_TRUE(DrawEdge(canvas.dc(), &raised, EDGE_RAISED, BF_RECT));
  RECT sunken{16, 2, 28, 10};
  EXPECT_TRUE(DrawEdge(canvas.dc(), &sunken, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
  EXPECT_EQ(sunken.left, 18);
  EXPECT_EQ(sunken.top, 4);
  EXPECT_EQ(sunken.right, 26);
  EXPECT_EQ(sunken.bottom, 8);
  RECT inner{2, 12, 14, 20};
  EXPECT_TRUE(DrawEdge(canvas.dc(), &inner, BDR_RAISEDINNER, BF_RECT));
  RECT outer{16, 12, 28, 20};
  EXPECT_TRUE(DrawEdge(canvas.dc(), &outer, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE));
  EXPECT_EQ(Picture(canvas, RECT{0, 0, 30, 21}),
            "..............................\n"
            "..............................\n"
            "..llllllllllld..sssssssssss...\n"
            "..l.........sd..sdddddddddl...\n"
            "..l.........sd..sd........l...\n"
            "..l.........sd..sd........l...\n"
            "..l.........sd..sd........l...\n"
            "..l.........sd..sd........l...\n"
            "..lssssssssssd..sllllllllll...\n"
            "..dddddddddddd................\n"
            "..............................\n"
            "..............................\n"
            ".............s..sssssssssss...\n"
            ".............s..sffffffffff...\n"
            ".............s..sffffffffff...\n"
            ".............s..sffffffffff...\n"
            ".............s..sffffffffff...\n"
            ".............s..sffffffffff...\n"
            ".............s..sffffffffff...\n"
            "..ssssssssssss................\n"
            "..............................\n");
}

TEST(Drawing, DrawFrameControlDrawsAButtonFrameAndAGlyphInside) {
  Canvas canvas(38, 18);
  RECT close{2, 2, 18, 16};
  EXPECT_TRUE(DrawFrameControl(canvas.dc(), &close, DFC_CAPTION, DFCS_CAPTIONCLOSE));
  RECT down{20, 2, 36, 16};
  EXPECT_TRUE(DrawFrameControl(canvas.dc(), &down, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED));
  const std::string picture = Picture(canvas, RECT{0, 0, 38, 17});
  // The frames, row by row, from the top and the bottom; the glyphs are in the middle.
  const std::vector<std::string> rows = {
      "......................................", "......................................",
      ".................d..ddddddddddddddd...", "...lllllllllllllsd..dsssssssssssssl...",
      "...lffffffffffffsd..dsffffffffffffl...",
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(picture.substr(i * 39, 38), rows[i]) << picture;
  }
  EXPECT_EQ(picture.substr(14 * 39, 38), "...ssssssssssssssd..dllllllllllllll...") << picture;
  EXPECT_EQ(picture.substr(15 * 39, 38), "..dddddddddddddddd....................") << picture;
  // Each glyph has pixels of the button text's colour inside the face.
  EXPECT_GT(canvas.Count(RECT{4, 4, 16, 14}, GetSysColor(COLOR_BTNTEXT)), 0) << picture;
  EXPECT_GT(canvas.Count(RECT{22, 4, 34, 14}, GetSysColor(COLOR_BTNTEXT)), 0) << picture;

  // Inactive: the glyph is in the shadow's colour, embossed.
  canvas.Fill(kWhite);
  RECT inactive{2, 2, 18, 16};
  EXPECT_TRUE(
      DrawFrameControl(canvas.dc(), &inactive, DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_INACTIVE));
  EXPECT_EQ(canvas.Count(RECT{4, 4, 16, 14}, GetSysColor(COLOR_BTNTEXT)), 0);
  EXPECT_GT(canvas.Count(RECT{4, 4, 16, 14}, GetSysColor(COLOR_BTNSHADOW)), 0);
  EXPECT_GT(canvas.Count(RECT{4, 4, 16, 14}, GetSysColor(COLOR_BTNHIGHLIGHT)), 0);
}

TEST(Drawing, DrawTextMeasuresWrapsAndPlacesText) {
  Canvas canvas(40, 30);
  SelectObject(canvas.dc(), GetStockObject(DEFAULT_GUI_FONT));
  struct Case {
    const char* text;
    UINT flags;
    LONG width;
    int height;  // and the rectangle's height
  };
  const Case cases[] = {
      {"Remove all sites", DT_CALCRECT | DT_WORDBREAK, 40, 39},  // three lines
      {"Remove all sites", DT_CALCRECT | DT_SINGLELINE, 40, 13},
      {"ab\ncd", DT_CALCRECT, 100, 26},
      {"a b", DT_CALCRECT | DT_WORDBREAK, 0, 26},  // one word a line
      {"", DT_CALCRECT, 100, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RECT rect{5, 5, 5 + c.width, 5};
    EXPECT_EQ(DrawTextA(canvas.dc(), c.text, -1, &rect, c.flags), c.height);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 5);
    EXPECT_EQ(rect.bottom, 5 + (c.text[0] == '\0' ? 0 : c.height));
  }
  // A word wider than the rectangle is cut with an ellipsis to fit.
  RECT cut{0, 0, 40, 0};
  EXPECT_EQ(DrawTextA(canvas.dc(), "Removeeverything", -1, &cut,
                      DT_CALCRECT | DT_WORDBREAK | DT_WORD_ELLIPSIS),
            13);
  EXPECT_LE(cut.right, 40);
  EXPECT_GT(cut.right, 20);
  EXPECT_EQ(canvas.Count(RECT{0, 0, 40, 30}, kWhite), 40 * 30) << "measuring draws nothing";
  EXPECT_EQ(DrawTextA(canvas.dc(), nullptr, 0, nullptr, 0), 0);

  // Centred in one line: the returned height ends at the line's bottom.
  SetTextColor(canvas.dc(), kRed);
  SetBkColor(canvas.dc(), kBlue);
  RECT box{2, 2, 38, 28};
  EXPECT_EQ(DrawTextA(canvas.dc(), "OK", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 20);
  EXPECT_TRUE(drawing::TextDrawnIn(canvas, RECT{12, 9, 28, 22}, kRed));
  // Opaque: the text's background is filled, within the line, and only there.
  EXPECT_GT(canvas.Count(RECT{12, 9, 28, 22}, kBlue), 0);
  EXPECT_EQ(canvas.Count(RECT{0, 0, 40, 9}, kBlue), 0);
  EXPECT_EQ(canvas.Count(RECT{0, 22, 40, 30}, kBlue), 0);

  // Transparent and clipped to its rectangle.
  canvas.Fill(kWhite);
  SetBkMode(canvas.dc(), TRANSPARENT);
  RECT narrow{0, 0, 20, 13};
  DrawTextA(canvas.dc(), "Remove everything", -1, &narrow, DT_LEFT | DT_SINGLELINE);
  EXPECT_TRUE(drawing::TextDrawnIn(canvas, narrow, kRed));
  EXPECT_EQ(canvas.Count(RECT{0, 0, 40, 30}, kBlue), 0);
}

TEST(Drawing, DrawFocusRectInvertsEveryOtherPixelOfTheOutline) {
  Canvas canvas(30, 18);
  RECT focus{5, 5, 25, 15};
  EXPECT_TRUE(DrawFocusRect(canvas.dc(), &focus));
  EXPECT_EQ(Picture(canvas, RECT{3, 3, 27, 17}),
            "........................\n"
            "........................\n"
            "...#.#.#.#.#.#.#.#.#.#..\n"
            "..#.....................\n"
            ".....................#..\n"
            "..#.....................\n"
            ".....................#..\n"
            "..#.....................\n"
            ".....................#..\n"
            "..#.....................\n"
            ".....................#..\n"
            "..#.#.#.#.#.#.#.#.#.#...\n"
            "........................\n"
            "........................\n");
  // Drawn again, it is gone; on the button face it shows inverted.
  DrawFocusRect(canvas.dc(), &focus);
  EXPECT_EQ(canvas.Count(RECT{0, 0, 30, 18}, kWhite), 30 * 18);
  canvas.Fill(GetSysColor(COLOR_BTNFACE));
  DrawFocusRect(canvas.dc(), &focus);
  EXPECT_EQ(canvas.Pixel(6, 5), RGB(0x0a, 0x0a, 0x0a));
  EXPECT_EQ(canvas.Pixel(5, 5), GetSysColor(COLOR_BTNFACE));
}

TEST(Drawing, FarAwayPlacesDrawNothingInThePicture) {
  Canvas canvas(10, 10);
  Canvas source(4, 4, kRed);
  const LONG kFar = 0x7FFFFFF0;
  for (const RECT& c :
       {RECT{-kFar, -kFar, -kFar + 5, -kFar + 5}, RECT{kFar - 5, kFar - 5, kFar, kFar}}) {
    SCOPED_TRACE(c.left);
    RECT rect = c;
    DrawEdge(canvas.dc(), &rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    rect = c;
    DrawFrameControl(canvas.dc(), &rect, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    DrawFocusRect(canvas.dc(), &c);
    rect = c;
    DrawTextA(canvas.dc(), "Text", -1, &rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    BitBlt(canvas.dc(), c.left, c.top, 5, 5, source.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 10}, kWhite), 100);
  }
  // The outline of a rectangle around the picture is far from it.
  RECT around{-kFar / 2, -kFar / 2, kFar / 2, kFar / 2};
  DrawEdge(canvas.dc(), &around, EDGE_SUNKEN, BF_RECT);
  DrawFocusRect(canvas.dc(), &around);
  EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 10}, kWhite), 100);
  EXPECT_EQ(SetPixel(canvas.dc(), kFar, kFar, kRed), kRed) << "as Wine answers";
  EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 10}, kWhite), 100);
  // A rectangle that covers the picture fills it all.
  const RECT all{-kFar, -kFar, kFar, kFar};
  EXPECT_EQ(FillRect(canvas.dc(), &all, GetSysColorBrush(COLOR_BTNFACE)), 1);
  EXPECT_EQ(canvas.Count(RECT{0, 0, 10, 10}, GetSysColor(COLOR_BTNFACE)), 100);
}

// A strip of two 4 x 4 images in three colours, grey (the mask colour) every third pixel.
HBITMAP Strip() {
  unsigned char pixels[8 * 4 * 4] = {};
  for (int i = 0; i < 32; ++i) {
    const COLORREF colour = i % 3 == 0 ? kGrey : (i % 3 == 1 ? kRed : kBlue);
    pixels[i * 4] = GetBValue(colour);
    pixels[i * 4 + 1] = GetGValue(colour);
    pixels[i * 4 + 2] = GetRValue(colour);
  }
  return CreateBitmap(8, 4, 1, 32, pixels);
}

TEST(ImageListPictures, AMaskColourMakesPixelsTransparent) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1);
  ASSERT_NE(list, nullptr);
  HBITMAP strip = Strip();
  EXPECT_EQ(ImageList_AddMasked(list, strip, kGrey), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  int cx = 0;
  int cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 4);
  EXPECT_EQ(cy, 4);
  // The mask colour turns black in the bitmap given.
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), kRed);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  Canvas canvas(20, 12);
  EXPECT_TRUE(ImageList_Draw(list, 0, canvas.dc(), 1, 1, ILD_TRANSPARENT));
  EXPECT_TRUE(ImageList_Draw(list, 1, canvas.dc(), 7, 1, ILD_NORMAL));
  EXPECT_FALSE(ImageList_Draw(list, 2, canvas.dc(), 13, 1, ILD_NORMAL));
  EXPECT_TRUE(
      ImageList_DrawEx(list, 0, canvas.dc(), 7, 7, 0, 0, RGB(0, 0, 0), CLR_DEFAULT, ILD_NORMAL));
  EXPECT_TRUE(
      ImageList_DrawEx(list, 1, canvas.dc(), 13, 7, 2, 3, CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL));
  EXPECT_EQ(Picture(canvas, RECT{0, 0, 20, 12}),
            "....................\n"
            "..rb...rb.r.........\n"
            ".b.rb...rb..........\n"
            ".rb.r..b.rb.........\n"
            "..rb...rb.r.........\n"
            "....................\n"
            "....................\n"
            ".......#rb#..rb.....\n"
            ".......b#rb...r.....\n"
            ".......rb#r..b......\n"
            ".......#rb#.........\n"
            "....................\n");

  // Without a mask every pixel is drawn.
  HIMAGELIST plain = ImageList_Create(4, 4, ILC_COLOR24, 1, 1);
  EXPECT_EQ(ImageList_Add(plain, strip, nullptr), 0);
  canvas.Fill(kWhite);
  ImageList_Draw(plain, 0, canvas.dc(), 1, 1, ILD_TRANSPARENT);
  EXPECT_EQ(Picture(canvas, RECT{1, 1, 5, 5}), "#rb#\nb#rb\nrb#r\n#rb#\n");
  EXPECT_TRUE(ImageList_Destroy(plain));
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_TRUE(DeleteObject(strip));

  EXPECT_EQ(ImageList_AddMasked(nullptr, strip, kGrey), -1);
  EXPECT_FALSE(ImageList_GetIconSize(nullptr, &cx, &cy));
  // The test program has no bitmap resources.
  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

}  // namespace
