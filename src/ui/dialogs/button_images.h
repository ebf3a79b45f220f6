// The images of the list editors' five buttons, 16 x 16, drawn here: 0 add, 1 the entry
// row's OK, 2 delete, 3 OK, 4 cancel. RGB 192, 192, 192 is the mask colour: it is not drawn.
#pragma once

#include "platform/win32.h"

namespace tarnivo {

inline constexpr int kButtonImageSize = 16;
inline constexpr int kButtonImageCount = 5;
inline constexpr COLORREF kButtonImageMask = 0x00C0C0C0;

// A new image list holding the five images, or null when it cannot be made. The caller
// destroys it.
HIMAGELIST MakeButtonImages();

}  // namespace tarnivo
