// A user at the mouse and the keyboard, for conformance tests that run on both builds: real
// input (SendInput) under Wine, the Linux back end's own input (backend::User...) natively.
// The input lands in the message queue; Pump() lets the test's message loop read it.
#pragma once

#include "platform/win32.h"

namespace user_input {

// The middle of a window's rectangle on the screen.
POINT Middle(HWND window);

// A click of the left button at a point of the screen, or in the middle of a window; a press
// at one point and a release at another.
void Click(POINT point);
void Click(HWND window);
void Press(POINT point);
void Release(POINT point);
// A click on the desktop, where no window of the test is.
void ClickDesktop();

// A key goes down and up (a virtual-key code), or only down, or only up.
void Key(int vk);
void KeyDown(int vk);
void KeyUp(int vk);
// Typing a text of Windows-1252 bytes, one character at a time (VK_PACKET keys).
void Type(const char* text);

// Picks entry `index` of a combo box's drop-down list with the mouse: a click on the combo
// box, then on the entry. Pumps the messages in between (and after) with `dialog`'s
// keyboard.
void PickComboEntry(HWND combo, int index, HWND dialog = nullptr);

// Picks entry `index` of a list box with the mouse: scrolls it into view when it is not wholly
// in view (LB_SETTOPINDEX, as the scroll bar would) and clicks its middle. Pumps the messages
// afterwards with `dialog`'s keyboard.
void PickListEntry(HWND list, int index, HWND dialog = nullptr);

// Drags a trackbar's thumb from its middle to where its middle stands at `position`. Pumps the
// messages in between (and after) with `dialog`'s keyboard.
void DragTrackbar(HWND trackbar, int position, HWND dialog = nullptr);

// Reads and dispatches every message of the thread, through IsDialogMessageA of `dialog`
// when there is one, until none is left (under Wine, after the input has had time to come).
void Pump(HWND dialog = nullptr);

}  // namespace user_input
