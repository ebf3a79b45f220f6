// The static control of the Linux back end (class "Static", registered when the back end
// loads): a label with a window text. As Wine's, hit tests pass through it (WindowFromPoint
// answers the window under it) unless it has SS_NOTIFY, and then a press of the left button
// on it tells the parent (STN_CLICKED). Nothing is drawn.
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

bool Notifies(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & SS_NOTIFY) != 0; }

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT font_answer = 0;
  if (backend::internal::ControlFontMessage(window, message, wParam, lParam, &font_answer)) {
    return font_answer;
  }
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return Notifies(window) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
      if (Notifies(window)) {
        const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
      }
      return 0;
    case WM_SETTEXT:
      DefWindowProcA(window, message, wParam, lParam);
      return TRUE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

namespace backend::internal {

void RegisterStaticClass() { RegisterSystemClass("Static", StaticProc); }

}  // namespace backend::internal
