#include "ui/dialogs/button_images.h"

#include <cstdint>

namespace tarnivo {

namespace {

// One character a pixel: '.' the mask colour, the others from the palette below.
constexpr const char* kPictures[kButtonImageCount][kButtonImageSize] = {
    {// add: a green plus
     "................", "................", "......gggg......", "......gGGg......",
     "......gGGg......", "......gGGg......", "..gggggGGggggg..", "..gGGGGGGGGGGg..",
     "..gGGGGGGGGGGg..", "..gggggGGggggg..", "......gGGg......", "......gGGg......",
     "......gGGg......", "......gggg......", "................", "................"},
    {// the entry row's OK: a small green tick
     "................", "................", "................", "................",
     "...........gg...", "..........gGg...", ".........gGg....", "..gg....gGg.....",
     "..gGg..gGg......", "...gGggGg.......", "....gGGg........", ".....gg.........",
     "................", "................", "................", "................"},
    {// delete: a red cross
     "................", "................", "...rr......rr...", "...rRr....rRr...",
     "....rRr..rRr....", ".....rRrrRr.....", "......rRRr......", "......rRRr......",
     ".....rRrrRr.....", "....rRr..rRr....", "...rRr....rRr...", "...rr......rr...",
     "................", "................", "................", "................"},
    {// OK: a blue tick in a box
     "................", ".kkkkkkkkkkkkkk.", ".kwwwwwwwwwwwwk.", ".kwwwwwwwwwwbbk.",
     ".kwwwwwwwwwbBbk.", ".kwwwwwwwwbBbwk.", ".kwbbwwwwbBbwwk.", ".kwbBbwwbBbwwwk.",
     ".kwwbBbbBbwwwwk.", ".kwwwbBBbwwwwwk.", ".kwwwwbbwwwwwwk.", ".kwwwwwwwwwwwwk.",
     ".kwwwwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", "................", "................"},
    {// cancel: a red circle with a bar
     "................", ".....rrrrrr.....", "...rrRRRRRRrr...", "..rRRrrrrrrRRr..",
     "..rRrr....rrRr..", ".rRr......rRRRr.", ".rRr.....rRRrRr.", ".rRr....rRRr.Rr.",
     ".rR.rRRr....rRr.", ".rRrRRr.....rRr.", ".rRRRr......rRr.", "..rRrr....rrRr..",
     "..rRRrrrrrrRRr..", "...rrRRRRRRrr...", ".....rrrrrr.....", "................"},
};

// The colour of a picture's character, as 0x00RRGGBB for a 32-bit bitmap.
std::uint32_t Pixel(char c) {
  switch (c) {
    case 'g':
      return 0x00007A30;
    case 'G':
      return 0x0060D080;
    case 'r':
      return 0x00B01010;
    case 'R':
      return 0x00F06050;
    case 'b':
      return 0x001E50C8;
    case 'B':
      return 0x0096BEFF;
    case 'k':
      return 0x00404040;
    case 'w':
      return 0x00FFFFFF;
    default:
      return 0x00C0C0C0;  // the mask colour
  }
}

}  // namespace

HIMAGELIST MakeButtonImages() {
  HIMAGELIST list = ImageList_Create(kButtonImageSize, kButtonImageSize, ILC_COLOR24 | ILC_MASK,
                                     kButtonImageCount, 0);
  if (list == nullptr) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kButtonImageSize;
  info.bmiHeader.biHeight = -kButtonImageSize;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  for (const auto& picture : kPictures) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
      if (bitmap != nullptr) DeleteObject(bitmap);
      ImageList_Destroy(list);
      return nullptr;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < kButtonImageSize; ++y)
      for (int x = 0; x < kButtonImageSize; ++x)
        pixels[y * kButtonImageSize + x] = Pixel(picture[y][x]);
    ImageList_AddMasked(list, bitmap, kButtonImageMask);
    DeleteObject(bitmap);
  }
  return list;
}

}  // namespace tarnivo
