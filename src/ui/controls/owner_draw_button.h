// Owner-drawn buttons: a dialog draws its own push buttons (BS_OWNERDRAW) with an image and a
// caption that wraps.
//
// - IOwnerDrawButton is what a dialog implements to take part: the window whose WM_DRAWITEM
//   carries its buttons, which buttons it draws, and the drawing itself.
// - cOwnerDrawButton listens to WM_DRAWITEM on the containers of the buttons (through
//   modSubclass) and has each button drawn by its owner, or draws a standard one.
// - mCustomDrawButton is the painter the owners call from their DrawItem: an edge, the focus
//   mark, an image of an image list and the caption, from a drawing context set just before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "ui/controls/mod_subclass.h"

namespace tarnivo {

class IOwnerDrawButton {
 public:
  virtual ~IOwnerDrawButton() = default;
  // The window whose WM_DRAWITEM messages carry the owner's buttons; none by default.
  virtual HWND ButtonContainerhWnd() { return nullptr; }
  // Whether the owner draws the button `lhWnd`; none by default.
  virtual bool DoOwnerDraw(HWND lhWnd) {
    (void)lhWnd;
    return false;
  }
  // Draws button `lhWnd` on `lHDC` within the rectangle, which the owner may change; setting
  // bDoDefault has the standard drawing done afterwards. Draws nothing by default.
  virtual void DrawItem(HWND lhWnd, HDC lHDC, LONG& lLeft, LONG& lTop, LONG& lRight, LONG& lBottom,
                        bool bPushed, bool bChecked, bool bEnabled, bool bInFocus,
                        bool& bDoDefault) {
    (void)lhWnd, (void)lHDC, (void)lLeft, (void)lTop, (void)lRight, (void)lBottom;
    (void)bPushed, (void)bChecked, (void)bEnabled, (void)bInFocus, (void)bDoDefault;
  }

 protected:
  IOwnerDrawButton() = default;
  IOwnerDrawButton(const IOwnerDrawButton&) = default;
  IOwnerDrawButton& operator=(const IOwnerDrawButton&) = default;
};

class cOwnerDrawButton : public ISubclass {
 public:
  cOwnerDrawButton() = default;
  ~cOwnerDrawButton() override;
  cOwnerDrawButton(const cOwnerDrawButton&) = delete;
  cOwnerDrawButton& operator=(const cOwnerDrawButton&) = delete;

  // Detaches, keeps the owner (without a reference: the owner outlives its attachment) and
  // listens on the owner's container.
  void Attach(IOwnerDrawButton* IODButtonOwner);
  // Listens to WM_DRAWITEM of one more container.
  void AddhWnd(HWND hwnd);
  // Stops listening on every container; the owner stays until the next Attach.
  void Detach();
  // Marks a button for the standard drawing: a thin edge (non-zero) or the full one (zero).
  void SetBorderStyle(HWND ctlThis, std::int32_t eStyle);
  // Marks a button for the standard drawing as a frame control, style 1 to 10 (zero: none).
  void SetStandardButtonStyle(HWND ctlThis, std::int32_t eStyle);
  // Has the button painted again at once.
  void RedrawButton(HWND ctlThis);

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

  // The containers listened on, in the order they were added.
  const std::vector<HWND>& Containers() const { return containers_; }

 private:
  void DrawButton(const DRAWITEMSTRUCT& item);

  IOwnerDrawButton* owner_ = nullptr;
  std::vector<HWND> containers_;
};

// The button properties the standard drawing reads.
inline constexpr const char* kButtonStyleProperty = "vbalODBtn:Style";
inline constexpr const char* kButtonBorderProperty = "vbalODBtn:Border";

namespace mCustomDrawButton {

// The drawing context of the next DrawCustomButton on this thread: an image list and the
// index of the image to draw (none without a list), a background to copy from (none: 0) and
// the caption.
void SetButtonContext(HIMAGELIST imageList, std::int32_t imageIndex, HDC backgroundDC,
                      const std::string& caption);

// Paints a flat button: the background copied in, a thin edge, the focus mark when focused
// and showFocus, the image at the left, and the caption wrapped beside it, all one pixel
// lower and to the right while pushed. `enabled` changes nothing.
void DrawCustomButton(HWND hwnd, HDC hDC, LONG left, LONG top, LONG right, LONG bottom, bool pushed,
                      bool enabled, bool focused, bool showFocus);

}  // namespace mCustomDrawButton

}  // namespace tarnivo
