// The trackbar of the Linux back end (class TRACKBAR_CLASSA, registered when the back end
// loads, as comctl32's classes are for a program that links it), as comctl32's trackbar
// behaves lying horizontally (see win32_api.h for the contract).
//
// The channel runs from a quarter of the thumb's length plus 3 pixels from the left edge to as
// far from the right edge; the thumb is half its length wide (an odd number of pixels) and
// stands at the share of the channel that the position is of the range. A press on the thumb
// starts a drag (the position follows the mouse, TB_THUMBTRACK), its release ends it
// (TB_THUMBPOSITION, TB_ENDTRACK); a press on the channel beside the thumb pages towards the
// press and keeps paging on a 500 ms timer while the button is held; the release (TB_ENDTRACK)
// lets go of the mouse capture, which tells TB_ENDTRACK once more, then NM_RELEASEDCAPTURE.
// The arrow keys move a line, Page Up and Page Down a page (a fifth of the range, unless
// TBM_SETPAGESIZE set one), Home and End to the ends; the key's release tells TB_ENDTRACK.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/linux/control_states.h"
#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LONG kThumbLength = 21;
constexpr LONG kThumbLengthWithSelection = 23;
constexpr LONG kDefaultMax = 100;
constexpr LONG kDefaultPage = 20;
constexpr UINT_PTR kPageTimer = 1;
constexpr UINT kPageDelay = 500;

struct Trackbar {
  DWORD style = 0;
  HWND notify = nullptr;
  LONG min = 0;
  LONG max = kDefaultMax;
  LONG line = 1;
  LONG page = kDefaultPage;
  bool own_page = false;  // set by TBM_SETPAGESIZE
  LONG pos = 0;
  HWND tooltips = nullptr;
  LONG thumb_length = kThumbLength;
  RECT channel{};
  bool dragging = false;
  int paging = 0;  // -1 towards the left end, 1 towards the right end, 0 not paging
};

// What a change asks the trackbar to tell its parent afterwards: WM_HSCROLL codes.
using Codes = std::vector<WPARAM>;

// Runs `change` on the trackbar's state under the lock; false when it has none.
template <typename Change>
bool WithTrackbar(HWND window, Change change) {
  return backend::internal::StatesOf<Trackbar>().With(window, change);
}

bool Inside(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// The thumb's length and the channel, for a client area of `width` x `height`.
void Place(Trackbar& bar, LONG width, LONG height) {
  const bool selection = (bar.style & TBS_ENABLESELRANGE) != 0;
  bar.thumb_length = selection ? kThumbLengthWithSelection : kThumbLength;
  if ((bar.style & TBS_FIXEDLENGTH) == 0 && height < bar.thumb_length) {
    bar.thumb_length = height > 9 ? height - 5 : 4;
  }
  const LONG quarter = bar.thumb_length / 4;
  const LONG edge = quarter + 3;
  const LONG thickness = selection ? quarter * 3 : 4;
  bar.channel.left = edge;
  bar.channel.right = width - edge;
  bar.channel.top = selection ? (bar.thumb_length - thickness + 2) / 2 : bar.thumb_length / 2 - 1;
  const bool ticks = (bar.style & TBS_NOTICKS) == 0;
  if ((bar.style & TBS_BOTH) != 0) {
    bar.channel.top += ticks ? 9 : 1;
  } else if ((bar.style & TBS_TOP) != 0) {
    bar.channel.top += ticks ? 10 : 2;
  }
  bar.channel.bottom = bar.channel.top + thickness;
}

RECT ThumbRect(const Trackbar& bar, LONG pos) {
  const std::int64_t range = bar.max != bar.min ? std::int64_t{bar.max} - bar.min : 1;
  const LONG thumb_width = (bar.thumb_length / 2) | 1;
  const std::int64_t width = bar.channel.right - bar.channel.left - thumb_width;
  RECT thumb{};
  thumb.left =
      static_cast<LONG>(bar.channel.left + (width * (std::int64_t{pos} - bar.min)) / range);
  thumb.right = thumb.left + thumb_width;
  const bool ticks_above =
      (bar.style & (TBS_BOTH | TBS_TOP)) != 0 && (bar.style & TBS_NOTICKS) == 0;
  thumb.top = ticks_above ? 10 : 2;
  thumb.bottom = thumb.top + bar.thumb_length;
  return thumb;
}

// The position the thumb's middle stands for at `x` of the client area.
LONG PositionAt(const Trackbar& bar, LONG x) {
  const RECT thumb = ThumbRect(bar, bar.pos);
  const double range = static_cast<double>(bar.max) - bar.min;
  const LONG half = (thumb.right - thumb.left) / 2;
  const double width = static_cast<double>(bar.channel.right - bar.channel.left) - half * 2.0 - 1;
  double pos = width > 0 ? range * (x - bar.channel.left - half) / width : 0;
  pos += bar.min;
  if (pos > bar.max) {
    pos = bar.max;
  } else if (pos < bar.min) {
    pos = bar.min;
  }
  return static_cast<LONG>(std::floor(pos + 0.5));
}

// Which way a press at `point` pages: below 0 to the left, above 0 to the right, 0 not at all
// (not beside the thumb on the channel).
LONG PageDirection(const Trackbar& bar, POINT point) {
  const RECT thumb = ThumbRect(bar, bar.pos);
  const RECT beside{bar.channel.left, thumb.top, bar.channel.right, thumb.bottom};
  if (!Inside(beside, point)) return 0;
  return PositionAt(bar, point.x) - bar.pos;
}

void ResetPage(Trackbar& bar) {
  if (bar.own_page) return;
  bar.page = (bar.max - bar.min) / 5;
  if (bar.page == 0) bar.page = 1;
}

void Toward(Trackbar& bar, LONG step, bool up, int code, Codes* codes) {
  if (bar.pos == (up ? bar.min : bar.max)) return;
  bar.pos += up ? -step : step;
  if (up && bar.pos < bar.min) bar.pos = bar.min;
  if (!up && bar.pos > bar.max) bar.pos = bar.max;
  codes->push_back(static_cast<WPARAM>(code));
}

// Pages towards `point` when the paging under way goes that way.
void AutoPage(Trackbar& bar, POINT point, Codes* codes) {
  const LONG direction = PageDirection(bar, point);
  if (direction > 0 && bar.paging > 0) {
    Toward(bar, bar.page, false, TB_PAGEDOWN, codes);
  } else if (direction < 0 && bar.paging < 0) {
    Toward(bar, bar.page, true, TB_PAGEUP, codes);
  }
}

WPARAM WithPosition(int code, LONG pos) {
  return static_cast<WPARAM>((static_cast<UINT>(pos) << 16) | static_cast<UINT>(code));
}

// The answer to a message that only reads or changes the state; false for others.
bool AnswerLocked(Trackbar& bar, UINT message, WPARAM wParam, LPARAM lParam, Codes* codes,
                  LRESULT* result) {
  *result = 0;
  switch (message) {
    case TBM_GETPOS:
      *result = bar.pos;
      return true;
    case TBM_GETRANGEMIN:
      *result = bar.min;
      return true;
    case TBM_GETRANGEMAX:
      *result = bar.max;
      return true;
    case TBM_GETPAGESIZE:
      *result = bar.page;
      return true;
    case TBM_GETLINESIZE:
      *result = bar.line;
      return true;
    case TBM_GETTHUMBLENGTH:
      *result = bar.thumb_length;
      return true;
    case TBM_GETTOOLTIPS:
      *result = reinterpret_cast<LRESULT>(bar.tooltips);
      return true;
    case TBM_SETTOOLTIPS:
      bar.tooltips = reinterpret_cast<HWND>(wParam);
      return true;
    case TBM_SETPOS:
      bar.pos = static_cast<LONG>(lParam);
      if (bar.pos < bar.min) bar.pos = bar.min;
      if (bar.pos > bar.max) bar.pos = bar.max;
      return true;
    case TBM_SETRANGE:
      bar.min = static_cast<SHORT>(LOWORD(lParam));
      bar.max = static_cast<SHORT>(HIWORD(lParam));
      if (bar.pos < bar.min) bar.pos = bar.min;
      if (bar.pos > bar.max) bar.pos = bar.max;
      ResetPage(bar);
      return true;
    case TBM_SETRANGEMIN:
      bar.min = static_cast<LONG>(lParam);
      if (bar.pos < bar.min) bar.pos = bar.min;
      ResetPage(bar);
      return true;
    case TBM_SETRANGEMAX: {
      bar.max = static_cast<LONG>(lParam);
      const LONG rightmost = std::max(bar.max, bar.min);
      if (bar.pos > rightmost) bar.pos = rightmost;
      ResetPage(bar);
      return true;
    }
    case TBM_SETPAGESIZE:
      *result = bar.page;
      if (static_cast<LONG>(lParam) == -1) {
        bar.own_page = false;
        ResetPage(bar);
      } else {
        bar.own_page = true;
        bar.page = static_cast<LONG>(lParam);
      }
      return true;
    case TBM_SETLINESIZE:
      *result = bar.line;
      bar.line = static_cast<LONG>(lParam);
      return true;
    case TBM_GETTHUMBRECT:
      if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
        *rect = ThumbRect(bar, bar.pos);
        *result = TRUE;
      }
      return true;
    case TBM_GETCHANNELRECT:
      if (auto* rect = reinterpret_cast<RECT*>(lParam)) *rect = bar.channel;
      return true;
    case WM_GETDLGCODE:
      *result = DLGC_WANTARROWS;
      return true;
    case WM_ENABLE:
      *result = 1;
      return true;
    case WM_KEYDOWN:
      *result = TRUE;
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
          Toward(bar, bar.line, true, TB_LINEUP, codes);
          break;
        case VK_DOWN:
        case VK_RIGHT:
          Toward(bar, bar.line, false, TB_LINEDOWN, codes);
          break;
        case VK_NEXT:
          Toward(bar, bar.page, false, TB_PAGEDOWN, codes);
          break;
        case VK_PRIOR:
          Toward(bar, bar.page, true, TB_PAGEUP, codes);
          break;
        case VK_HOME:
        case VK_END: {
          const bool home = wParam == VK_HOME;
          const LONG end = home ? bar.min : bar.max;
          if (bar.pos == end) {
            *result = FALSE;
            break;
          }
          bar.pos = end;
          codes->push_back(static_cast<WPARAM>(home ? TB_TOP : TB_BOTTOM));
          break;
        }
        default:
          break;
      }
      return true;
    case WM_KEYUP:
      switch (wParam) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_NEXT:
        case VK_PRIOR:
        case VK_HOME:
        case VK_END:
          codes->push_back(static_cast<WPARAM>(TB_ENDTRACK));
          break;
        default:
          break;
      }
      *result = TRUE;
      return true;
    default:
      return false;
  }
}

HWND NotifyWindow(HWND window) {
  HWND notify = nullptr;
  WithTrackbar(window, [&](Trackbar& bar) { notify = bar.notify; });
  return notify;
}

void Scroll(HWND window, const Codes& codes) {
  if (codes.empty()) return;
  const HWND notify = NotifyWindow(window);
  if (notify == nullptr) return;
  const UINT message = (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & TBS_VERT) != 0
                           ? WM_VSCROLL
                           : WM_HSCROLL;
  for (WPARAM code : codes) {
    if (!IsWindow(window)) return;
    SendMessageA(notify, message, code, reinterpret_cast<LPARAM>(window));
  }
}

void ReleasedCapture(HWND window) {
  const HWND notify = NotifyWindow(window);
  if (notify == nullptr || !IsWindow(window)) return;
  NMHDR header{};
  header.hwndFrom = window;
  header.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(window, GWLP_ID));
  header.code = NM_RELEASEDCAPTURE;
  SendMessageA(notify, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

void ButtonDown(HWND window, LPARAM lParam) {
  SetFocus(window);
  const POINT point = PointOf(lParam);
  bool drag = false;
  bool page = false;
  Codes codes;
  WithTrackbar(window, [&](Trackbar& bar) {
    if (Inside(ThumbRect(bar, bar.pos), point)) {
      bar.dragging = drag = true;
      return;
    }
    const LONG direction = PageDirection(bar, point);
    if (direction == 0) return;
    bar.paging = direction < 0 ? -1 : 1;
    page = true;
    AutoPage(bar, point, &codes);
  });
  Scroll(window, codes);
  if (!drag && !page) return;
  SetCapture(window);
  if (page) SetTimer(window, kPageTimer, kPageDelay, nullptr);
}

void ButtonUp(HWND window) {
  bool dragged = false;
  bool paged = false;
  LONG pos = 0;
  WithTrackbar(window, [&](Trackbar& bar) {
    dragged = bar.dragging;
    paged = bar.paging != 0;
    pos = bar.pos;
  });
  if (dragged) {
    Scroll(window, {WithPosition(TB_THUMBPOSITION, pos), static_cast<WPARAM>(TB_ENDTRACK)});
    WithTrackbar(window, [](Trackbar& bar) { bar.dragging = false; });
    ReleaseCapture();
    ReleasedCapture(window);
  }
  if (paged) {
    KillTimer(window, kPageTimer);
    WithTrackbar(window, [](Trackbar& bar) { bar.paging = 0; });
    Scroll(window, {static_cast<WPARAM>(TB_ENDTRACK)});
    ReleaseCapture();
    ReleasedCapture(window);
  }
}

void MouseMove(HWND window, POINT point) {
  Codes codes;
  WithTrackbar(window, [&](Trackbar& bar) {
    if (bar.paging != 0) {
      AutoPage(bar, point, &codes);
      return;
    }
    if (!bar.dragging) return;
    const LONG pos = PositionAt(bar, point.x);
    if (pos == bar.pos) return;
    bar.pos = pos;
    codes.push_back(WithPosition(TB_THUMBTRACK, pos));
  });
  Scroll(window, codes);
}

void Placed(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  WithTrackbar(window, [&](Trackbar& bar) { Place(bar, client.right, client.bottom); });
}

LRESULT CALLBACK TrackbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      Trackbar bar;
      if (create != nullptr) {
        bar.style = static_cast<DWORD>(create->style);
        bar.notify = create->hwndParent;
      }
      RECT client{};
      GetClientRect(window, &client);
      Place(bar, client.right, client.bottom);
      backend::internal::StatesOf<Trackbar>().Add(window, bar);
      return 0;
    }
    case WM_NCDESTROY:
      backend::internal::StatesOf<Trackbar>().Remove(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE:
      Placed(window);
      return 0;
    case WM_LBUTTONDOWN:
      ButtonDown(window, lParam);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(window);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(window, PointOf(lParam));
      return TRUE;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window)
        Scroll(window, {static_cast<WPARAM>(TB_ENDTRACK)});
      return 0;
    case WM_TIMER: {
      POINT cursor{};
      if (!GetCursorPos(&cursor) || !ScreenToClient(window, &cursor)) return 0;
      Codes codes;
      WithTrackbar(window, [&](Trackbar& bar) {
        if (bar.paging != 0) AutoPage(bar, cursor, &codes);
      });
      Scroll(window, codes);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    default:
      break;
  }
  Codes codes;
  LRESULT result = 0;
  bool answered = false;
  WithTrackbar(window, [&](Trackbar& bar) {
    answered = AnswerLocked(bar, message, wParam, lParam, &codes, &result);
  });
  Scroll(window, codes);
  if (answered) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

namespace backend::internal {

void RegisterTrackbarClass() { RegisterSystemClass(TRACKBAR_CLASSA, TrackbarProc); }

}  // namespace backend::internal

namespace backend {

bool UserMoveTrackbar(HWND trackbar, int position) {
  bool known = false;
  RECT thumb{};
  LONG target_x = 0;
  bool reachable = false;
  RECT client{};
  GetClientRect(trackbar, &client);
  WithTrackbar(trackbar, [&](Trackbar& bar) {
    known = true;
    if (position < bar.min || position > bar.max) return;
    thumb = ThumbRect(bar, bar.pos);
    // Where the thumb's middle stands at that position, else the nearest place that gives it.
    const RECT there = ThumbRect(bar, position);
    const LONG middle = (there.left + there.right) / 2;
    for (LONG offset = 0; offset < client.right && !reachable; ++offset) {
      for (LONG x : {middle - offset, middle + offset}) {
        if (x >= 0 && x < client.right && PositionAt(bar, x) == position) {
          target_x = x;
          reachable = true;
          break;
        }
      }
    }
  });
  if (!known || !reachable) return false;
  POINT press{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  POINT release{target_x, press.y};
  ClientToScreen(trackbar, &press);
  ClientToScreen(trackbar, &release);
  LRESULT hit = HTNOWHERE;
  if (internal::HitWindow(press, &hit) != trackbar || hit == HTERROR) return false;
  UserPress(press);
  UserMoveMouse(release);
  UserRelease(release);
  return true;
}

}  // namespace backend
