#include "ui/controls/owner_draw_button.h"

#include <algorithm>

namespace tarnivo {

namespace {

// The frame control of each standard style: DrawFrameControl's type and state.
struct FrameStyle {
  UINT type;
  UINT state;
};
constexpr FrameStyle kFrameStyles[] = {
    {DFC_CAPTION, DFCS_CAPTIONCLOSE},   {DFC_CAPTION, DFCS_CAPTIONHELP},
    {DFC_CAPTION, DFCS_CAPTIONMAX},     {DFC_CAPTION, DFCS_CAPTIONMIN},
    {DFC_CAPTION, DFCS_CAPTIONRESTORE}, {DFC_SCROLL, DFCS_SCROLLDOWN},
    {DFC_SCROLL, DFCS_SCROLLUP},        {DFC_SCROLL, DFCS_SCROLLLEFT},
    {DFC_SCROLL, DFCS_SCROLLRIGHT},     {DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
};
constexpr std::int32_t kFrameStyleCount = sizeof kFrameStyles / sizeof kFrameStyles[0];

// The property `name` of a window as a number; 0 when it has none.
std::int32_t Property(HWND window, const char* name) {
  return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(GetPropA(window, name)));
}

void SetProperty(HWND window, const char* name, std::int32_t value) {
  if (value != 0)
    SetPropA(window, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)));
  else
    RemovePropA(window, name);
}

RECT Shrunk(RECT rect, LONG by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

}  // namespace

cOwnerDrawButton::~cOwnerDrawButton() { Detach(); }

void cOwnerDrawButton::Attach(IOwnerDrawButton* IODButtonOwner) {
  Detach();
  owner_ = IODButtonOwner;
  if (owner_ != nullptr) AddhWnd(owner_->ButtonContainerhWnd());
}

void cOwnerDrawButton::AddhWnd(HWND hwnd) {
  containers_.push_back(hwnd);
  modSubclass::HookMessage(this, hwnd, WM_DRAWITEM);
}

void cOwnerDrawButton::Detach() {
  for (HWND container : containers_) modSubclass::UnhookMessage(this, container, WM_DRAWITEM);
  containers_.clear();
}

void cOwnerDrawButton::SetBorderStyle(HWND ctlThis, std::int32_t eStyle) {
  SetProperty(ctlThis, kButtonBorderProperty, eStyle != 0 ? 1 : 0);
}

void cOwnerDrawButton::SetStandardButtonStyle(HWND ctlThis, std::int32_t eStyle) {
  SetProperty(ctlThis, kButtonStyleProperty, eStyle);
}

void cOwnerDrawButton::RedrawButton(HWND ctlThis) {
  InvalidateRect(ctlThis, nullptr, FALSE);
  UpdateWindow(ctlThis);
}

LRESULT cOwnerDrawButton::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                     bool& Handled) {
  if (msg != WM_DRAWITEM || lParam == 0) return 0;
  DRAWITEMSTRUCT item;
  item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  // Another kind of control: the container's own procedure draws it.
  if (item.CtlType != ODT_BUTTON) return 0;
  if (owner_ == nullptr || !owner_->DoOwnerDraw(item.hwndItem)) {
    // Not the owner's button: what the container's procedure answers. With Handled left
    // false the procedure hears the message once more after this client.
    return modSubclass::CallPreviousProc(hwnd, msg, wParam, lParam);
  }
  try {
    DrawButton(item);
  } catch (...) {
  }
  Handled = true;
  return 1;
}

void cOwnerDrawButton::DrawButton(const DRAWITEMSTRUCT& item) {
  HWND button = item.hwndItem;
  HDC dc = item.hDC;
  const LRESULT state = SendMessageA(button, BM_GETSTATE, 0, 0);
  const bool pushed = (state & (BST_PUSHED | BST_CHECKED)) != 0;
  const bool checked = SendMessageA(button, BM_GETCHECK, 0, 0) != 0;
  const bool enabled = IsWindowEnabled(button) != FALSE;
  const bool focused = GetFocus() == button;

  RECT rect = item.rcItem;
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));

  bool bDoDefault = true;
  if (owner_ != nullptr) {
    bDoDefault = false;
    owner_->DrawItem(button, dc, rect.left, rect.top, rect.right, rect.bottom, pushed, checked,
                     enabled, focused, bDoDefault);
  }
  if (!bDoDefault) return;

  // A frame control.
  const std::int32_t style = Property(button, kButtonStyleProperty);
  if (style >= 1 && style <= kFrameStyleCount) {
    const FrameStyle& frame = kFrameStyles[style - 1];
    UINT frame_state = frame.state;
    if (pushed || checked) frame_state |= DFCS_PUSHED;
    if (!enabled) frame_state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &rect, frame.type, frame_state);
    return;
  }

  // A push button: its edge, its caption, its focus mark.
  const bool thin = Property(button, kButtonBorderProperty) != 0;
  const bool down = pushed || checked;
  const UINT edge =
      thin ? (down ? BDR_SUNKENOUTER : BDR_RAISEDINNER) : (down ? EDGE_SUNKEN : EDGE_RAISED);
  DrawEdge(dc, &rect, edge, BF_RECT);

  char caption[1024] = {};
  SendMessageA(button, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
  if (caption[0] != '\0') {
    RECT text = Shrunk(rect, 2);
    if (pushed) OffsetRect(&text, 1, 1);
    // The caption lies on the face: its letters only, so that the two copies of a disabled
    // caption both show.
    SetBkMode(dc, TRANSPARENT);
    constexpr UINT kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (enabled) {
      DrawTextA(dc, caption, -1, &text, kCaptionFormat);
    } else {
      // Embossed: a highlight copy one pixel down and right, the shadow copy over it.
      RECT highlight = text;
      OffsetRect(&highlight, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextA(dc, caption, -1, &highlight, kCaptionFormat);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
      DrawTextA(dc, caption, -1, &text, kCaptionFormat);
    }
  }

  if (focused) {
    RECT mark = Shrunk(rect, 2);
    if (pushed) {
      mark.right -= 1;
      mark.bottom -= 1;
      OffsetRect(&mark, 1, 1);
    }
    DrawFocusRect(dc, &mark);
  }
}

namespace mCustomDrawButton {

namespace {

struct Context {
  HIMAGELIST image_list = nullptr;
  std::int32_t image_index = 0;
  HDC background = nullptr;
  std::string caption;
};

Context& ThreadContext() {
  thread_local Context context;
  return context;
}

constexpr int kImageSize = 16;
constexpr int kImageMargin = 4;
constexpr int kCaptionIndent = 22;

}  // namespace

void SetButtonContext(HIMAGELIST imageList, std::int32_t imageIndex, HDC backgroundDC,
                      const std::string& caption) {
  Context& context = ThreadContext();
  context.image_list = imageList;
  context.image_index = imageIndex;
  context.background = backgroundDC;
  context.caption = caption;
}

void DrawCustomButton(HWND hwnd, HDC hDC, LONG left, LONG top, LONG right, LONG bottom, bool pushed,
                      bool enabled, bool focused, bool showFocus) {
  (void)enabled;
  const Context& context = ThreadContext();
  const RECT edge = {left, top, right, bottom};
  const LONG shift = pushed ? 1 : 0;

  // The background behind the button, from where the button stands in its parent.
  if (context.background != nullptr) {
    RECT place = {};
    GetWindowRect(hwnd, &place);
    POINT corner = {place.left, place.top};
    ScreenToClient(GetParent(hwnd), &corner);
    BitBlt(hDC, left + shift, top + shift, right - left, bottom - top, context.background, corner.x,
           corner.y, SRCCOPY);
  }

  RECT rect = edge;
  DrawEdge(hDC, &rect, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  SetBkMode(hDC, TRANSPARENT);

  if (focused && showFocus) {
    RECT mark = Shrunk(edge, 2);
    OffsetRect(&mark, shift, shift);
    DrawFocusRect(hDC, &mark);
  }

  rect = edge;
  if (context.image_list != nullptr) {
    const int x = static_cast<int>(left) + kImageMargin + static_cast<int>(shift);
    const int y = static_cast<int>((bottom - top - kImageSize) / 2 + shift);
    ImageList_Draw(context.image_list, context.image_index, hDC, x, y, ILD_TRANSPARENT);
    rect.left += kCaptionIndent;
  }

  rect = Shrunk(rect, 1);
  RECT measured = rect;
  DrawTextA(hDC, context.caption.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK);
  const LONG height = rect.bottom - rect.top;
  const LONG text_height = measured.bottom - measured.top;
  if (text_height < height) rect.top = (height - text_height) / 2;
  OffsetRect(&rect, shift, shift);
  DrawTextA(hDC, context.caption.c_str(), -1, &rect, DT_WORDBREAK | DT_WORD_ELLIPSIS);
}

}  // namespace mCustomDrawButton

}  // namespace tarnivo
