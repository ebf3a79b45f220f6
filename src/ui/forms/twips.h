// Twips (1/1440 inch), the unit the forms give places and sizes in, and screen pixels.
#pragma once

namespace tarnivo::forms {

// Twips per screen pixel, across and down.
struct TwipsPerPixel {
  double x = 15.0;
  double y = 15.0;
};

// From the screen's logical pixels per inch; 15 (96 pixels per inch) in a direction the
// screen does not answer.
TwipsPerPixel ScreenTwipsPerPixel();

// A length in twips as whole pixels of the screen, rounded to the nearest.
int TwipsToPixelsX(int twips, const TwipsPerPixel& scale);
int TwipsToPixelsY(int twips, const TwipsPerPixel& scale);

}  // namespace tarnivo::forms
