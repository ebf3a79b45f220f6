#include "ui/forms/twips.h"

#include <cmath>
#include <limits>

#include "platform/win32.h"

namespace tarnivo::forms {

namespace {

int ToPixels(int twips, double per_pixel) {
  const double pixels = std::round(static_cast<double>(twips) / per_pixel);
  constexpr double kLow = std::numeric_limits<int>::min();
  constexpr double kHigh = std::numeric_limits<int>::max();
  return static_cast<int>(pixels < kLow ? kLow : pixels > kHigh ? kHigh : pixels);
}

}  // namespace

TwipsPerPixel ScreenTwipsPerPixel() {
  int perInchX = 0;
  int perInchY = 0;
  if (HDC screen = GetDC(nullptr)) {
    perInchX = GetDeviceCaps(screen, LOGPIXELSX);
    perInchY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  TwipsPerPixel twips;
  if (perInchX > 0) twips.x = 1440.0 / perInchX;
  if (perInchY > 0) twips.y = 1440.0 / perInchY;
  return twips;
}

int TwipsToPixelsX(int twips, const TwipsPerPixel& scale) { return ToPixels(twips, scale.x); }
int TwipsToPixelsY(int twips, const TwipsPerPixel& scale) { return ToPixels(twips, scale.y); }

}  // namespace tarnivo::forms
