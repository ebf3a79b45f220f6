// What the dialogs draw themselves: each of the list editors' five buttons shows its own
// image, transparently, at its left; and the level dialog's slider gets a dotted focus mark
// over its whole client area when it gains the focus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/drawing.h"
#include "ui/dialogs/button_images.h"
#include "ui/dialogs/frm_site.h"
#include "ui/dialogs/frm_slider.h"
#ifndef _WIN32
#include "platform/linux/backend.h"
#endif

namespace tarnivo {
namespace {

// A colour none of the images uses, behind the image drawn alone.
constexpr COLORREF kBehind = RGB(1, 2, 3);

// Image `index` of `images` drawn alone on a 16 x 16 canvas of kBehind.
std::vector<COLORREF> ImageAlone(HIMAGELIST images, int index) {
  drawing::Canvas canvas(kButtonImageSize, kButtonImageSize, kBehind);
  ImageList_Draw(images, index, canvas.dc(), 0, 0, ILD_TRANSPARENT);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < kButtonImageSize; ++y)
    for (int x = 0; x < kButtonImageSize; ++x) pixels.push_back(canvas.Pixel(x, y));
  return pixels;
}

TEST(ListEditorButtons, EachButtonShowsItsOwnImageTransparentlyAtItsLeft) {
  struct Case {
    const char* button;
    int image;
  };
  // 0 add, 1 the entry row's OK, 2 delete, 3 OK, 4 cancel.
  const Case cases[] = {
      {"cmdAdi", 0}, {"cmdOKsite", 1}, {"cmdExcluir", 2}, {"cmdOK", 3}, {"cmdCancel", 4},
  };
  frmSite& editor = *frmSite::Instance();
  ASSERT_TRUE(editor.Load());
  ASSERT_NE(editor.Images(), nullptr);
  ASSERT_EQ(ImageList_GetImageCount(editor.Images()), kButtonImageCount);

  std::vector<std::vector<COLORREF>> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    HWND button = editor.Item(c.button);
    ASSERT_NE(button, nullptr);
    RECT client = {};
    GetClientRect(button, &client);
    drawing::Canvas canvas(client.right, client.bottom, kBehind);
    canvas.Print(button);

    const std::vector<COLORREF> image = ImageAlone(editor.Images(), c.image);
    // The image has a picture, and it is not one of the others'.
    int drawn = 0;
    for (COLORREF pixel : image) drawn += pixel != kBehind;
    EXPECT_GT(drawn, 16);
    for (const std::vector<COLORREF>& other : seen) EXPECT_NE(image, other);
    seen.push_back(image);

    // Four pixels from the left, centred from top to bottom: every pixel of the image stands
    // there; where the image has its mask colour, the button's face shows through.
    const int left = 4;
    const int top = (client.bottom - kButtonImageSize) / 2;
    int wrong = 0;
    for (int y = 0; y < kButtonImageSize; ++y) {
      for (int x = 0; x < kButtonImageSize; ++x) {
        const COLORREF want = image[static_cast<std::size_t>(y * kButtonImageSize + x)];
        const COLORREF got = canvas.Pixel(left + x, top + y);
        if (want != kBehind ? got != want : got == kButtonImageMask) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << canvas.Picture(
        RECT{left, top, left + kButtonImageSize, top + kButtonImageSize}, ".M",
        {GetSysColor(COLOR_BTNFACE), kButtonImageMask});
  }
  editor.Unload();
  frmSite::Instance().reset();
}

TEST(LevelDialog, TheSliderGainingTheFocusGetsAFocusMarkOverItsClientArea) {
#ifdef _WIN32
  GTEST_SKIP() << "a window's own device context is not read back here; the Linux back end's "
                  "record of it is";
#else
  frmSlider& dialog = *frmSlider::Instance();
  ASSERT_TRUE(dialog.Load());
  HWND slider = dialog.Item("Slider1");
  ASSERT_NE(slider, nullptr);
  SetFocus(dialog.Item("cmdsair"));
  backend::ClearWindowDrawing(slider);
  SetFocus(slider);
  RECT client = {};
  GetClientRect(slider, &client);
  int marks = 0;
  for (const backend::DrawCall& call : backend::WindowDrawing(slider)) {
    if (call.function != "DrawFocusRect") continue;
    ++marks;
    EXPECT_EQ(call.rect.left, 0);
    EXPECT_EQ(call.rect.top, 0);
    EXPECT_EQ(call.rect.right, client.right);
    EXPECT_EQ(call.rect.bottom, client.bottom);
  }
  EXPECT_EQ(marks, 1);
  dialog.Unload();
  frmSlider::Instance().reset();
#endif
}

}  // namespace
}  // namespace tarnivo
