// Drawing on a device context of the Linux back end: the system colours and their brushes,
// FillRect, DrawEdge, DrawFrameControl, DrawTextA, DrawFocusRect and BitBlt. Each call is
// recorded on its device context; on a memory device context it also puts Wine's pixels in
// the selected bitmap: the same lines of the same colours for edges and frames, every other
// pixel of a focus rectangle's outline inverted, and, for the glyphs of a text or of a
// caption or scroll button, a box of the text colour inside each character's cell (see
// win32_api.h for the text metric).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::DrawCall;
using backend::internal::Canvas;
using backend::internal::FillPixels;
using backend::internal::GdiMutex;
using backend::internal::Raster;

// Wine's default colours, COLOR_SCROLLBAR ... COLOR_MENUBAR.
constexpr COLORREF kSystemColours[] = {
    0xffffff, 0x956f25, 0xfa9632, 0x808080, 0xffffff, 0xffffff, 0x9e9e9e, 0x000000,
    0x000000, 0x000000, 0xffffff, 0xffffff, 0x808080, 0xfa9630, 0xffffff, 0xf5f5f5,
    0xa6a6a6, 0xa6a6a6, 0x000000, 0xc8c8c8, 0xffffff, 0x6a6a6a, 0xe3e3e3, 0x000000,
    0xffffff, 0xffffff, 0xe0e0e0, 0xfa9632, 0x808080, 0xfa9630, 0xffffff};
constexpr int kSystemColourCount = sizeof kSystemColours / sizeof kSystemColours[0];

// DrawEdge's colours by edge (BDR_... bits), as Wine's tables give them; -1 draws nothing.
constexpr signed char kLtInnerNormal[] = {-1,
                                          -1,
                                          -1,
                                          -1,
                                          -1,
                                          COLOR_BTNHIGHLIGHT,
                                          COLOR_BTNHIGHLIGHT,
                                          -1,
                                          -1,
                                          COLOR_3DDKSHADOW,
                                          COLOR_3DDKSHADOW,
                                          -1,
                                          -1,
                                          -1,
                                          -1,
                                          -1};
constexpr signed char kLtOuterNormal[] = {-1,
                                          COLOR_3DLIGHT,
                                          COLOR_BTNSHADOW,
                                          -1,
                                          COLOR_BTNHIGHLIGHT,
                                          COLOR_3DLIGHT,
                                          COLOR_BTNSHADOW,
                                          -1,
                                          COLOR_3DDKSHADOW,
                                          COLOR_3DLIGHT,
                                          COLOR_BTNSHADOW,
                                          -1,
                                          -1,
                                          COLOR_3DLIGHT,
                                          COLOR_BTNSHADOW,
                                          -1};
constexpr signed char kRbInnerNormal[] = {
    -1, -1, -1, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1, -1, COLOR_3DLIGHT, COLOR_3DLIGHT,
    -1, -1, -1, -1, -1};
constexpr signed char kRbOuterNormal[] = {-1,
                                          COLOR_3DDKSHADOW,
                                          COLOR_BTNHIGHLIGHT,
                                          -1,
                                          COLOR_BTNSHADOW,
                                          COLOR_3DDKSHADOW,
                                          COLOR_BTNHIGHLIGHT,
                                          -1,
                                          COLOR_3DLIGHT,
                                          COLOR_3DDKSHADOW,
                                          COLOR_BTNHIGHLIGHT,
                                          -1,
                                          -1,
                                          COLOR_3DDKSHADOW,
                                          COLOR_BTNHIGHLIGHT,
                                          -1};
constexpr signed char kLtInnerSoft[] = {
    -1, -1, -1, -1, -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW,
    -1, -1, -1, -1, -1};
constexpr signed char kLtOuterSoft[] = {-1,
                                        COLOR_BTNHIGHLIGHT,
                                        COLOR_3DDKSHADOW,
                                        -1,
                                        COLOR_3DLIGHT,
                                        COLOR_BTNHIGHLIGHT,
                                        COLOR_3DDKSHADOW,
                                        -1,
                                        COLOR_BTNSHADOW,
                                        COLOR_BTNHIGHLIGHT,
                                        COLOR_3DDKSHADOW,
                                        -1,
                                        -1,
                                        COLOR_BTNHIGHLIGHT,
                                        COLOR_3DDKSHADOW,
                                        -1};
constexpr signed char kOuterMono[] = {
    -1,           COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
constexpr signed char kInnerMono[] = {
    -1, -1,           -1,           -1,           -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW,
    -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW, -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW};
constexpr signed char kOuterFlat[] = {-1,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNFACE,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNFACE,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNFACE,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW,
                                      COLOR_BTNSHADOW};

// A line from (x0, y0) towards (x1, y1), horizontal or vertical, without its last pixel, as
// LineTo draws it (clipped to the picture); colour index -1 draws nothing.
void Line(Raster* raster, int x0, int y0, int x1, int y1, int colour_index) {
  if (raster == nullptr || colour_index < 0) return;
  const COLORREF colour = GetSysColor(colour_index);
  // The pixels covered, as a rectangle one pixel wide or high.
  RECT covered{};
  if (y0 == y1 && x0 != x1) {
    covered = x1 > x0 ? RECT{x0, y0, x1, y0 + 1} : RECT{x1 + 1, y0, x0 + 1, y0 + 1};
  } else if (x0 == x1 && y0 != y1) {
    covered = y1 > y0 ? RECT{x0, y0, x0 + 1, y1} : RECT{x0, y1 + 1, x0 + 1, y0 + 1};
  } else {
    return;
  }
  FillPixels(raster, covered, colour);
}

// DrawEdge without BF_DIAGONAL, as Wine draws it. Answers what DrawEdge answers.
bool RectEdge(Raster* raster, RECT* rc, UINT edge, UINT flags) {
  const UINT type = edge & (BDR_INNER | BDR_OUTER);
  const bool retval = !(((type & BDR_INNER) == BDR_INNER || (type & BDR_OUTER) == BDR_OUTER) &&
                        (flags & (BF_FLAT | BF_MONO)) == 0);
  int lt_inner = 0;
  int lt_outer = 0;
  int rb_inner = 0;
  int rb_outer = 0;
  if ((flags & BF_MONO) != 0) {
    lt_inner = rb_inner = kInnerMono[type];
    lt_outer = rb_outer = kOuterMono[type];
  } else if ((flags & BF_FLAT) != 0) {
    lt_inner = rb_inner = kInnerMono[type] != -1 ? COLOR_BTNFACE : -1;
    lt_outer = rb_outer = kOuterFlat[type];
  } else if ((flags & BF_SOFT) != 0) {
    lt_inner = kLtInnerSoft[type];
    lt_outer = kLtOuterSoft[type];
    rb_inner = kRbInnerNormal[type];
    rb_outer = kRbOuterNormal[type];
  } else {
    lt_inner = kLtInnerNormal[type];
    lt_outer = kLtOuterNormal[type];
    rb_inner = kRbInnerNormal[type];
    rb_outer = kRbOuterNormal[type];
  }
  const int lb_plus = (flags & BF_BOTTOMLEFT) == BF_BOTTOMLEFT ? 1 : 0;
  const int rt_plus = (flags & BF_TOPRIGHT) == BF_TOPRIGHT ? 1 : 0;
  const int rb_plus = (flags & BF_BOTTOMRIGHT) == BF_BOTTOMRIGHT ? 1 : 0;
  const int lt_plus = (flags & BF_TOPLEFT) == BF_TOPLEFT ? 1 : 0;
  RECT inner = *rc;
  const int l = inner.left;
  const int t = inner.top;
  const int r = inner.right;
  const int b = inner.bottom;
  if ((flags & BF_TOP) != 0) Line(raster, l, t, r, t, lt_outer);
  if ((flags & BF_LEFT) != 0) Line(raster, l, t, l, b, lt_outer);
  if ((flags & BF_BOTTOM) != 0) Line(raster, l, b - 1, r, b - 1, rb_outer);
  if ((flags & BF_RIGHT) != 0) Line(raster, r - 1, t, r - 1, b, rb_outer);
  if ((flags & BF_TOP) != 0) Line(raster, l + lt_plus, t + 1, r - rt_plus, t + 1, lt_inner);
  if ((flags & BF_LEFT) != 0) Line(raster, l + 1, t + lt_plus, l + 1, b - lb_plus, lt_inner);
  if ((flags & BF_BOTTOM) != 0) Line(raster, l + lb_plus, b - 2, r - rb_plus, b - 2, rb_inner);
  if ((flags & BF_RIGHT) != 0) Line(raster, r - 2, t + rt_plus, r - 2, b - rb_plus, rb_inner);
  if (((flags & BF_MIDDLE) != 0 && retval) || (flags & BF_ADJUST) != 0) {
    const int add = (kInnerMono[type] != -1 ? 1 : 0) + (kOuterMono[type] != -1 ? 1 : 0);
    if ((flags & BF_LEFT) != 0) inner.left += add;
    if ((flags & BF_RIGHT) != 0) inner.right -= add;
    if ((flags & BF_TOP) != 0) inner.top += add;
    if ((flags & BF_BOTTOM) != 0) inner.bottom -= add;
    if ((flags & BF_MIDDLE) != 0 && retval) {
      FillPixels(raster, inner, GetSysColor((flags & BF_MONO) != 0 ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    if ((flags & BF_ADJUST) != 0) *rc = inner;
  }
  return retval;
}

// The largest square centred in a rectangle, and its side.
int SquareIn(const RECT& source, RECT* square) {
  const int width = source.right - source.left;
  const int height = source.bottom - source.top;
  const int side = std::min(width, height);
  *square = source;
  if (width < height) {
    square->top += (height - width) / 2;
    square->bottom = square->top + side;
  } else if (width > height) {
    square->left += (width - height) / 2;
    square->right = square->left + side;
  }
  return side;
}

// A push button's frame, as DrawFrameControl draws it.
void PushFrame(Raster* raster, RECT* rc, UINT state) {
  const UINT edge =
      (state & (DFCS_PUSHED | DFCS_CHECKED | DFCS_FLAT)) != 0 ? EDGE_SUNKEN : EDGE_RAISED;
  RECT inner = *rc;
  if ((state & DFCS_MONO) != 0) {
    RectEdge(raster, &inner, edge, BF_MONO | BF_RECT | BF_ADJUST);
    if ((state & DFCS_TRANSPARENT) == 0) FillPixels(raster, inner, GetSysColor(COLOR_BTNFACE));
  } else {
    RectEdge(raster, &inner, edge,
             (state & DFCS_FLAT) | ((state & DFCS_TRANSPARENT) != 0 ? 0 : BF_MIDDLE) | BF_RECT |
                 BF_SOFT);
  }
  if ((state & DFCS_ADJUSTRECT) != 0) {
    rc->left += 2;
    rc->right -= 2;
    rc->top += 2;
    rc->bottom -= 2;
  }
}

// The glyph of a caption or scroll button: a box in the middle, of the button text's colour,
// or, inactive, of the shadow's over the highlight's one pixel down and right.
void GlyphMark(Raster* raster, const RECT& rc, UINT state) {
  RECT square{};
  const int side = std::max(2, (SquareIn(rc, &square) - 2) / 3);
  const int shift = (state & DFCS_PUSHED) != 0 ? 1 : 0;
  const int x = (square.left + square.right) / 2 - side / 2 + shift;
  const int y = (square.top + square.bottom) / 2 - side / 2 + shift;
  const RECT box{x, y, x + side, y + side};
  if ((state & DFCS_INACTIVE) != 0) {
    FillPixels(raster, RECT{x + 1, y + 1, x + side + 1, y + side + 1},
               GetSysColor(COLOR_BTNHIGHLIGHT));
    FillPixels(raster, box, GetSysColor(COLOR_BTNSHADOW));
  } else {
    FillPixels(raster, box, GetSysColor(COLOR_BTNTEXT));
  }
}

// Whether a rectangle lies near enough to any picture to be drawn: coordinates far outside
// are recorded, not drawn, so that no arithmetic on them overflows.
constexpr LONG kFarthest = 1 << 24;
bool Near(LONG value) { return value > -kFarthest && value < kFarthest; }
bool Near(const RECT& rect) {
  return Near(rect.left) && Near(rect.top) && Near(rect.right) && Near(rect.bottom);
}

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// --- Text ---

int TextWidth(const std::string& text) { return static_cast<int>(text.size()) * kTextCharWidth; }

// The text as shown: "&x" shows "x", "&&" shows "&" (unless DT_NOPREFIX); tabs become
// spaces to the next multiple of 8 characters with DT_EXPANDTABS.
std::string Shown(const std::string& text, UINT format) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '&' && (format & DT_NOPREFIX) == 0) {
      if (i + 1 >= text.size()) break;
      c = text[++i];
    }
    if (c == '\t' && (format & DT_EXPANDTABS) != 0) {
      do {
        shown += ' ';
      } while (shown.size() % 8 != 0 && shown.find_last_of("\r\n") != shown.size() - 1);
      continue;
    }
    shown += c;
  }
  return shown;
}

// Cuts a line to fit `width` with "..." at its end.
std::string WithEllipsis(const std::string& line, int width) {
  if (TextWidth(line) <= width) return line;
  std::string cut = line;
  while (!cut.empty() && TextWidth(cut + "...") > width) cut.pop_back();
  return cut + "...";
}

// The lines of a text as DrawTextA lays them out in a rectangle `width` wide.
std::vector<std::string> LayOut(const std::string& shown, UINT format, int width) {
  std::vector<std::string> paragraphs;
  if ((format & DT_SINGLELINE) != 0) {
    paragraphs.push_back(shown);
  } else {
    std::string current;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == '\r' || shown[i] == '\n') {
        paragraphs.push_back(current);
        current.clear();
        if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
        continue;
      }
      current += shown[i];
    }
    paragraphs.push_back(current);
  }
  const bool ellipsis = (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0;
  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    if ((format & DT_WORDBREAK) == 0 || (format & DT_SINGLELINE) != 0) {
      lines.push_back(ellipsis ? WithEllipsis(paragraph, width) : paragraph);
      continue;
    }
    std::string line;
    bool started = false;
    std::size_t from = 0;
    while (from <= paragraph.size()) {
      std::size_t space = paragraph.find(' ', from);
      if (space == std::string::npos) space = paragraph.size();
      const std::string word = paragraph.substr(from, space - from);
      const std::string joined = started ? line + " " + word : word;
      if (!started || TextWidth(joined) <= width) {
        line = joined;
      } else {
        lines.push_back(line);
        line = word;
      }
      started = true;
      from = space + 1;
    }
    lines.push_back(line);
  }
  if ((format & DT_WORD_ELLIPSIS) != 0) {
    for (std::string& line : lines) line = WithEllipsis(line, width);
  }
  return lines;
}

// A text's marks: the background of each line when opaque, then a box of the text colour in
// each character's cell that is not blank.
void TextMarks(const Canvas& canvas, const std::vector<std::string>& lines,
               const std::vector<POINT>& places, const RECT& clip) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const POINT at = places[i];
    if (canvas.background_mode == OPAQUE) {
      FillPixels(
          canvas.raster,
          Intersect(RECT{at.x, at.y, at.x + TextWidth(lines[i]), at.y + kTextLineHeight}, clip),
          canvas.background);
    }
    for (std::size_t k = 0; k < lines[i].size(); ++k) {
      if (lines[i][k] == ' ') continue;
      const int x = at.x + static_cast<int>(k) * kTextCharWidth;
      FillPixels(
          canvas.raster,
          Intersect(RECT{x + 1, at.y + 2, x + kTextCharWidth - 1, at.y + kTextLineHeight - 3},
                    clip),
          canvas.text_colour);
    }
  }
}

}  // namespace

extern "C" {

DWORD WINAPI GetSysColor(int nIndex) {
  return nIndex >= 0 && nIndex < kSystemColourCount ? kSystemColours[nIndex] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  static const std::vector<HBRUSH> brushes = [] {
    std::vector<HBRUSH> made;
    for (COLORREF colour : kSystemColours) made.push_back(backend::internal::NewStockBrush(colour));
    return made;
  }();
  return nIndex >= 0 && nIndex < kSystemColourCount ? brushes[static_cast<std::size_t>(nIndex)]
                                                    : nullptr;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (lprc == nullptr) return FALSE;
  lprc->left -= dx;
  lprc->top -= dy;
  lprc->right += dx;
  lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (lprc == nullptr) return FALSE;
  lprc->left += dx;
  lprc->top += dy;
  lprc->right += dx;
  lprc->bottom += dy;
  return TRUE;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  if (lprc == nullptr) return 0;
  const HGDIOBJ null_brush = GetStockObject(NULL_BRUSH);
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas canvas;
  if (!backend::internal::CanvasLocked(hDC, &canvas)) return 1;  // as Wine answers
  COLORREF colour = 0;
  if (!backend::internal::BrushColourLocked(hbr, &colour)) {
    // The null brush paints nothing; a handle that names no brush fails.
    return hbr == null_brush ? 1 : 0;
  }
  DrawCall call;
  call.function = "FillRect";
  call.rect = *lprc;
  call.colour = colour;
  backend::internal::RecordLocked(canvas, call);
  FillPixels(canvas.raster, *lprc, colour);
  return 1;
}

BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
  if (qrc == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas canvas;
  if (!backend::internal::CanvasLocked(hdc, &canvas)) return FALSE;
  DrawCall call;
  call.function = "DrawEdge";
  call.rect = *qrc;
  call.edge = edge;
  call.flags = grfFlags;
  backend::internal::RecordLocked(canvas, call);
  if (!Near(*qrc)) return TRUE;
  if ((grfFlags & BF_DIAGONAL) != 0) {
    // Diagonal edges are recorded, not drawn.
    const UINT type = edge & (BDR_INNER | BDR_OUTER);
    return ((type & BDR_INNER) == BDR_INNER || (type & BDR_OUTER) == BDR_OUTER) &&
                   (grfFlags & (BF_FLAT | BF_MONO)) == 0
               ? FALSE
               : TRUE;
  }
  return RectEdge(canvas.raster, qrc, edge, grfFlags) ? TRUE : FALSE;
}

BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
  if (lprc == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas canvas;
  if (!backend::internal::CanvasLocked(hdc, &canvas)) return FALSE;
  DrawCall call;
  call.function = "DrawFrameControl";
  call.rect = *lprc;
  call.edge = uType;
  call.flags = uState;
  backend::internal::RecordLocked(canvas, call);
  if (!Near(*lprc)) return TRUE;
  switch (uType) {
    case DFC_BUTTON:
      if ((uState & 0xFF) != DFCS_BUTTONPUSH) return TRUE;  // check boxes and radios: recorded
      PushFrame(canvas.raster, lprc, uState);
      return TRUE;
    case DFC_CAPTION: {
      const RECT place = *lprc;
      PushFrame(canvas.raster, lprc, uState & 0xFF00);
      if ((uState & 0xF) > DFCS_CAPTIONHELP) return FALSE;
      GlyphMark(canvas.raster, place, uState);
      return TRUE;
    }
    case DFC_SCROLL: {
      const UINT part = uState & 0xF;
      if (part > DFCS_SCROLLRIGHT && part != DFCS_SCROLLCOMBOBOX) return TRUE;
      const RECT place = *lprc;
      PushFrame(canvas.raster, lprc, uState & 0xFF00);
      GlyphMark(canvas.raster, place, uState);
      return TRUE;
    }
    case DFC_MENU:
      return TRUE;
    default:
      return FALSE;
  }
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  if (lpchText == nullptr || lprc == nullptr) return 0;
  const std::string text(lpchText,
                         cchText < 0 ? std::strlen(lpchText) : static_cast<std::size_t>(cchText));
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas canvas;
  if (!backend::internal::CanvasLocked(hdc, &canvas)) return 0;
  if (text.empty()) {
    if ((format & DT_CALCRECT) != 0) {
      lprc->right = lprc->left;
      lprc->bottom = lprc->top + ((format & DT_SINGLELINE) != 0 ? kTextLineHeight : 0);
    }
    return kTextLineHeight;
  }
  const RECT given = *lprc;
  if (!Near(given)) return 0;
  const std::vector<std::string> lines =
      LayOut(Shown(text, format), format, given.right - given.left);
  const int height = static_cast<int>(lines.size()) * kTextLineHeight;
  if ((format & DT_CALCRECT) != 0) {
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, TextWidth(line));
    lprc->right = lprc->left + widest;
    lprc->bottom = lprc->top + height;
    return height;
  }
  int y = given.top;
  if ((format & DT_SINGLELINE) != 0) {
    if ((format & DT_VCENTER) != 0) {
      y = given.top + (given.bottom - given.top) / 2 - kTextLineHeight / 2;
    } else if ((format & DT_BOTTOM) != 0) {
      y = given.bottom - kTextLineHeight;
    }
  }
  std::vector<POINT> places;
  for (const std::string& line : lines) {
    int x = given.left;
    if ((format & DT_CENTER) != 0) {
      x = (given.left + given.right - TextWidth(line)) / 2;
    } else if ((format & DT_RIGHT) != 0) {
      x = given.right - TextWidth(line);
    }
    places.push_back(POINT{x, y});
    y += kTextLineHeight;
  }
  DrawCall call;
  call.function = "DrawTextA";
  call.rect = given;
  call.flags = format;
  call.text = text;
  backend::internal::RecordLocked(canvas, call);
  if (canvas.raster != nullptr) {
    const RECT clip =
        (format & DT_NOCLIP) != 0 ? RECT{0, 0, canvas.raster->width, canvas.raster->height} : given;
    TextMarks(canvas, lines, places, clip);
  }
  return y - given.top;
}

BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc) {
  if (lprc == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas canvas;
  if (!backend::internal::CanvasLocked(hDC, &canvas)) return FALSE;
  DrawCall call;
  call.function = "DrawFocusRect";
  call.rect = *lprc;
  backend::internal::RecordLocked(canvas, call);
  if (canvas.raster == nullptr) return TRUE;
  // The outline clockwise from the top-left corner; every other pixel, from the second, is
  // inverted. Each pixel's place along the outline tells whether it is one of them.
  const std::int64_t left = lprc->left;
  const std::int64_t top = lprc->top;
  const std::int64_t right = lprc->right;
  const std::int64_t bottom = lprc->bottom;
  const std::int64_t width = right - left;
  const std::int64_t height = bottom - top;
  if (width <= 0 || height <= 0) return TRUE;
  Raster* raster = canvas.raster;
  auto invert = [raster](std::int64_t x, std::int64_t y, std::int64_t place) {
    if (place % 2 == 0 || x < 0 || y < 0 || x >= raster->width || y >= raster->height) return;
    const COLORREF was = raster->Get(static_cast<int>(x), static_cast<int>(y));
    raster->Set(static_cast<int>(x), static_cast<int>(y), ~was & 0xFFFFFFu);
  };
  const std::int64_t from_x = std::max<std::int64_t>(left, 0);
  const std::int64_t to_x = std::min<std::int64_t>(right, raster->width);
  const std::int64_t from_y = std::max<std::int64_t>(top + 1, 0);
  const std::int64_t to_y = std::min<std::int64_t>(bottom, raster->height);
  for (std::int64_t x = from_x; x < to_x; ++x) {
    invert(x, top, x - left);
    if (height > 1 && x < right - 1) invert(x, bottom - 1, width + height - 2 + (right - 1 - x));
  }
  for (std::int64_t y = from_y; y < to_y; ++y) {
    invert(right - 1, y, width - 1 + (y - top));
    if (width > 1 && y < bottom - 1) {
      invert(left, y, 2 * width + height - 3 + (bottom - 1 - y));
    }
  }
  return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  Canvas target;
  if (!backend::internal::CanvasLocked(hdc, &target)) return FALSE;
  const bool needs_source = rop != BLACKNESS && rop != WHITENESS;
  Canvas source;
  if (needs_source && !backend::internal::CanvasLocked(hdcSrc, &source)) return FALSE;
  DrawCall call;
  call.function = "BitBlt";
  call.rect = RECT{
      x, y, static_cast<LONG>(std::min<std::int64_t>(static_cast<std::int64_t>(x) + cx, INT32_MAX)),
      static_cast<LONG>(std::min<std::int64_t>(static_cast<std::int64_t>(y) + cy, INT32_MAX))};
  call.flags = rop;
  call.source = needs_source ? hdcSrc : nullptr;
  call.source_origin = POINT{x1, y1};
  backend::internal::RecordLocked(target, call);
  if (target.raster == nullptr || (needs_source && source.raster == nullptr)) return TRUE;
  // Only the part inside the target picture is drawn: read it first, then write it, as source
  // and target may be the same picture.
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = static_cast<int>(
      std::min<std::int64_t>(static_cast<std::int64_t>(x) + std::max(cx, 0), target.raster->width));
  const int bottom = static_cast<int>(std::min<std::int64_t>(
      static_cast<std::int64_t>(y) + std::max(cy, 0), target.raster->height));
  if (right <= left || bottom <= top) return TRUE;
  const int columns = right - left;
  std::vector<COLORREF> pixels(static_cast<std::size_t>(columns) * (bottom - top), CLR_INVALID);
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) {
      COLORREF& pixel = pixels[static_cast<std::size_t>(row - top) * columns + (column - left)];
      if (!needs_source) {
        pixel = rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255);
        continue;
      }
      const std::int64_t from_x = static_cast<std::int64_t>(x1) + column - x;
      const std::int64_t from_y = static_cast<std::int64_t>(y1) + row - y;
      if (from_x < 0 || from_y < 0 || from_x >= source.raster->width ||
          from_y >= source.raster->height) {
        continue;
      }
      pixel = source.raster->Get(static_cast<int>(from_x), static_cast<int>(from_y));
    }
  }
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) {
      const COLORREF from = pixels[static_cast<std::size_t>(row - top) * columns + (column - left)];
      if (from == CLR_INVALID) continue;
      const COLORREF to = target.raster->Get(column, row);
      COLORREF result = from;
      if (rop == SRCAND) result = from & to;
      if (rop == SRCPAINT) result = from | to;
      if (rop == SRCINVERT) result = (from ^ to) & 0xFFFFFFu;
      target.raster->Set(column, row, result);
    }
  }
  return TRUE;
}

}  // extern "C"
