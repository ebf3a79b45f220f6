// Owner-drawn buttons: cOwnerDrawButton on a container, its owner's drawing or the standard
// one, and mCustomDrawButton's flat button with an image and a caption. Each button draws on
// a memory device context whose pixels are read back, against Wine and the Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/drawing.h"
#include "ui/controls/owner_draw_button.h"

namespace tarnivo {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 24;
const char kContainerClass[] = "TarnivoOwnerDrawTestContainer";

// What the container's own procedure heard of WM_DRAWITEM, and what it answers.
int g_container_drawitems = 0;
constexpr LRESULT kContainerAnswer = 7;

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DRAWITEM) {
    ++g_container_drawitems;
    return kContainerAnswer;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// An owner that draws the buttons it is told to with a red square in the middle.
class Owner : public IOwnerDrawButton {
 public:
  HWND container = nullptr;
  bool draws = true;
  bool paints = true;  // the red square
  bool do_default = false;
  int calls = 0;

  HWND ButtonContainerhWnd() override { return container; }
  bool DoOwnerDraw(HWND) override { return draws; }
  void DrawItem(HWND, HDC dc, LONG& left, LONG& top, LONG& right, LONG& bottom, bool, bool, bool,
                bool, bool& bDoDefault) override {
    ++calls;
    bDoDefault = do_default;
    if (!paints) return;
    const RECT square = {(left + right) / 2 - 4, (top + bottom) / 2 - 4, (left + right) / 2 + 4,
                         (top + bottom) / 2 + 4};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &square, red);
    DeleteObject(red);
  }
};

class OwnerDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    g_container_drawitems = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kContainerClass;
    RegisterClassA(&wc);
    container = CreateWindowExA(0, kContainerClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    button =
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, kWidth,
                        kHeight, container, reinterpret_cast<HMENU>(101), wc.hInstance, nullptr);
    ASSERT_NE(button, nullptr);
    owner.container = container;
  }
  void TearDown() override {
    drawer.Detach();
    DestroyWindow(container);
    UnregisterClassA(kContainerClass, GetModuleHandleA(nullptr));
  }

  // The button drawn on a canvas of its size through the container.
  void Draw(drawing::Canvas& canvas) {
    canvas.Fill(RGB(0, 0, 255));
    g_container_drawitems = 0;
    canvas.Print(button);
  }

  HWND container = nullptr;
  HWND button = nullptr;
  Owner owner;
  cOwnerDrawButton drawer;
};

COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }

TEST_F(OwnerDrawTest, AnOwnersButtonGetsTheFaceAndTheOwnersDrawingOnly) {
  drawer.Attach(&owner);
  drawing::Canvas canvas(kWidth, kHeight);
  Draw(canvas);
  EXPECT_EQ(owner.calls, 1);
  EXPECT_EQ(g_container_drawitems, 0);  // handled: the container's procedure never heard it
  EXPECT_EQ(canvas.Pixel(kWidth / 2, kHeight / 2), RGB(255, 0, 0));
  // No edge: the corners are the face, not the highlight or the dark shadow.
  EXPECT_EQ(canvas.Pixel(0, 0), Face());
  EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), Face());
  EXPECT_EQ(canvas.Count(RECT{0, 0, kWidth, kHeight}, RGB(0, 0, 255)), 0);
}

TEST_F(OwnerDrawTest, AnOwnerAskingForTheDefaultGetsTheStandardButtonToo) {
  owner.do_default = true;
  drawer.Attach(&owner);
  drawing::Canvas canvas(kWidth, kHeight);
  Draw(canvas);
  // The full raised edge: light and highlight at the top left, dark shadow and shadow at
  // the bottom right.
  EXPECT_EQ(canvas.Pixel(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(canvas.Pixel(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(canvas.Pixel(kWidth - 2, kHeight - 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(kWidth / 2, kHeight / 2 + 6), Face());
}

TEST_F(OwnerDrawTest, AButtonTheOwnerDoesNotDrawGoesToTheContainersProcedure) {
  owner.draws = false;
  drawer.Attach(&owner);
  drawing::Canvas canvas(kWidth, kHeight);
  Draw(canvas);
  EXPECT_EQ(owner.calls, 0);
  // Once for the listener's answer, and once more as the message goes on.
  EXPECT_EQ(g_container_drawitems, 2);
  EXPECT_EQ(canvas.Count(RECT{0, 0, kWidth, kHeight}, RGB(0, 0, 255)), kWidth * kHeight);
}

TEST_F(OwnerDrawTest, AnotherKindOfControlPassesThroughUntouched) {
  drawer.Attach(&owner);
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_LISTBOX;
  item.CtlID = 101;
  item.hwndItem = button;
  EXPECT_EQ(SendMessageA(container, WM_DRAWITEM, 101, reinterpret_cast<LPARAM>(&item)),
            kContainerAnswer);
  EXPECT_EQ(g_container_drawitems, 1);
  EXPECT_EQ(owner.calls, 0);
}

TEST_F(OwnerDrawTest, ADisabledStandardButtonsCaptionIsEmbossed) {
  owner.paints = false;
  owner.do_default = true;
  drawer.Attach(&owner);
  drawing::Canvas canvas(kWidth, kHeight);
  const RECT text = {4, 4, kWidth - 4, kHeight - 4};
  Draw(canvas);
  EXPECT_GT(canvas.Count(text, GetSysColor(COLOR_BTNTEXT)), 0);
  EXPECT_EQ(canvas.Count(text, GetSysColor(COLOR_BTNSHADOW)), 0);

  EnableWindow(button, FALSE);
  Draw(canvas);
  EXPECT_EQ(canvas.Count(text, GetSysColor(COLOR_BTNTEXT)), 0);
  EXPECT_GT(canvas.Count(text, GetSysColor(COLOR_BTNSHADOW)), 0);
  EXPECT_GT(canvas.Count(text, GetSysColor(COLOR_BTNHIGHLIGHT)), 0);
}

TEST_F(OwnerDrawTest, AttachTwiceLeavesOneListenerPerContainer) {
  drawer.Attach(&owner);
  drawer.Attach(&owner);
  EXPECT_EQ(drawer.Containers(), std::vector<HWND>{container});
  drawing::Canvas canvas(kWidth, kHeight);
  Draw(canvas);
  EXPECT_EQ(owner.calls, 1);
  // Detached, the container's own procedure draws again.
  drawer.Detach();
  Draw(canvas);
  EXPECT_EQ(owner.calls, 1);
  EXPECT_EQ(g_container_drawitems, 1);
}

TEST_F(OwnerDrawTest, ThinBorderAndFrameControlStyles) {
  owner.paints = false;
  owner.do_default = true;
  drawer.Attach(&owner);
  drawing::Canvas canvas(kWidth, kHeight);
  drawer.SetBorderStyle(button, 1);
  EXPECT_EQ(GetPropA(button, kButtonBorderProperty), reinterpret_cast<HANDLE>(1));
  Draw(canvas);
  // A thin raised edge: highlight at the top left, shadow (not the dark shadow) at the
  // bottom right.
  EXPECT_EQ(canvas.Pixel(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), GetSysColor(COLOR_BTNSHADOW));
  drawer.SetBorderStyle(button, 0);
  EXPECT_EQ(GetPropA(button, kButtonBorderProperty), nullptr);

  // A frame control draws instead, and no caption.
  drawer.SetStandardButtonStyle(button, 6);
  Draw(canvas);
  EXPECT_EQ(canvas.Count(RECT{0, 0, kWidth, kHeight}, RGB(0, 0, 255)), 0);
  drawer.SetStandardButtonStyle(button, 0);
  EXPECT_EQ(GetPropA(button, kButtonStyleProperty), nullptr);
}

// A 16 x 16 image list of one green picture whose corner is the mask colour.
HIMAGELIST GreenImage() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < 256; ++i) pixels[i] = 0x0000C000;  // green, as 0x00RRGGBB
  pixels[0] = 0x00C0C0C0;                                // the mask colour
  ImageList_AddMasked(list, bitmap, RGB(192, 192, 192));
  DeleteObject(bitmap);
  return list;
}

TEST(CustomDrawButton, ImageAtTheLeftMovedOneAlongWhenPushed) {
  HIMAGELIST images = GreenImage();
  ASSERT_NE(images, nullptr);
  const COLORREF green = RGB(0, 0xC0, 0);
  for (const bool pushed : {false, true}) {
    SCOPED_TRACE(pushed ? "pushed" : "up");
    drawing::Canvas canvas(kWidth, kHeight, RGB(0, 0, 255));
    mCustomDrawButton::SetButtonContext(images, 0, nullptr, "ADD");
    mCustomDrawButton::DrawCustomButton(nullptr, canvas.dc(), 0, 0, kWidth, kHeight, pushed, true,
                                        false, true);
    const int shift = pushed ? 1 : 0;
    const int x = 4 + shift;
    const int y = (kHeight - 16) / 2 + shift;
    EXPECT_EQ(canvas.Pixel(x + 8, y + 8), green);
    EXPECT_EQ(canvas.Pixel(x + 15, y + 15), green);
    EXPECT_NE(canvas.Pixel(x, y), green);  // the masked corner shows what was below
    EXPECT_NE(canvas.Pixel(x - 1, y + 8), green);
    EXPECT_NE(canvas.Pixel(x + 16, y + 8), green);
    // The thin edge: highlight above when up, the shadow when pushed.
    EXPECT_EQ(canvas.Pixel(kWidth / 2, 0),
              GetSysColor(pushed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    // The caption right of the image.
    EXPECT_TRUE(drawing::TextDrawnIn(canvas, RECT{22, 1, kWidth - 1, kHeight - 1},
                                     GetTextColor(canvas.dc())));
  }
  ImageList_Destroy(images);
}

TEST(CustomDrawButton, FocusMarkOnlyWhenFocusedAndShown) {
  for (const bool shown : {false, true}) {
    drawing::Canvas canvas(kWidth, kHeight, RGB(255, 255, 255));
    mCustomDrawButton::SetButtonContext(nullptr, 0, nullptr, "");
    mCustomDrawButton::DrawCustomButton(nullptr, canvas.dc(), 0, 0, kWidth, kHeight, false, true,
                                        true, shown);
    // The dotted mark two pixels in: some of its pixels turn dark on white.
    const int dark = canvas.Count(RECT{2, 2, kWidth - 2, 3}, RGB(0, 0, 0));
    if (shown)
      EXPECT_GT(dark, 0);
    else
      EXPECT_EQ(dark, 0);
  }
}

}  // namespace
}  // namespace tarnivo
