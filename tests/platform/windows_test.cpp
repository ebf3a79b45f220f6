// Conformance of window classes and windows: registration, creation and destruction with
// their messages, places, visibility, window text, the cursor and the window under a point.
// The same tests run against Wine's user32 (null display driver) and the Linux back end.
//
// Wine sends more messages than the Linux back end models (WM_NCCALCSIZE, activation,
// WM_PARENTNOTIFY, ...): the tests look only at the messages they are about.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const char kClass[] = "TarnivoTestWindow";

struct Event {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool alive;  // IsWindow while the message was handled
};

std::vector<Event> g_events;
BOOL g_nccreate_answer = TRUE;
LRESULT g_create_answer = 0;
CREATESTRUCTA g_create{};
std::string g_create_name;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_events.push_back(Event{window, message, wParam, lParam, IsWindow(window) != FALSE});
  switch (message) {
    case WM_NCCREATE:
      if (!g_nccreate_answer) return FALSE;
      break;
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      g_create = *create;
      g_create_name = create->lpszName != nullptr ? create->lpszName : "";
      if (g_create_answer != 0) return g_create_answer;
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string MessageName(UINT message) {
  switch (message) {
    case WM_NCCREATE:
      return "WM_NCCREATE";
    case WM_CREATE:
      return "WM_CREATE";
    case WM_SIZE:
      return "WM_SIZE";
    case WM_MOVE:
      return "WM_MOVE";
    case WM_SHOWWINDOW:
      return "WM_SHOWWINDOW";
    case WM_DESTROY:
      return "WM_DESTROY";
    case WM_NCDESTROY:
      return "WM_NCDESTROY";
    default:
      return std::to_string(message);
  }
}

// The recorded messages among `which`, as "name MESSAGE" with the names the test gave.
std::vector<std::string> Trace(const std::map<HWND, std::string>& names,
                               std::initializer_list<UINT> which) {
  std::vector<std::string> out;
  for (const Event& event : g_events) {
    bool wanted = false;
    for (UINT message : which) wanted = wanted || message == event.message;
    if (!wanted) continue;
    auto name = names.find(event.window);
    out.push_back((name != names.end() ? name->second : "?") + " " + MessageName(event.message));
  }
  return out;
}

// A handle that named a window once and names none now.
HWND GoneWindow() {
  HWND window = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(window);
  return window;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

RECT RectOf(HWND window) {
  RECT rect{-1, -1, -1, -1};
  GetWindowRect(window, &rect);
  return rect;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    atom_ = RegisterClassA(&wc);
    ASSERT_NE(atom_, 0);
    g_events.clear();
    g_nccreate_answer = TRUE;
    g_create_answer = 0;
  }

  void TearDown() override {
    for (HWND window : made_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  }

  HWND Make(DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
            const char* name = "") {
    HWND window = CreateWindowExA(0, kClass, name, style, x, y, width, height, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) made_.push_back(window);
    return window;
  }

  ATOM atom_ = 0;
  std::vector<HWND> made_;
};

TEST_F(WindowTest, ClassNamesIgnoreCaseAndAreRegisteredOnce) {
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "tarnivoTESTwindow";
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  // Any spelling or the atom makes a window of the class, which keeps its first spelling.
  HWND by_name = CreateWindowExA(0, "TARNIVOtestWINDOW", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(by_name, nullptr);
  made_.push_back(by_name);
  HWND by_atom = CreateWindowExA(0, MAKEINTATOM(atom_), "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(by_atom, nullptr);
  made_.push_back(by_atom);
  EXPECT_NE(by_name, by_atom);
  char name[64];
  EXPECT_EQ(GetClassNameA(by_atom, name, sizeof name), static_cast<int>(std::strlen(kClass)));
  EXPECT_STREQ(name, kClass);

  // A class with windows stays; an unknown class cannot be removed or used.
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("TarnivoNoSuchClass", GetModuleHandleA(nullptr)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_EQ(CreateWindowExA(0, "TarnivoNoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr),
            nullptr);
  // WS_CHILD without a parent, or with a parent that is gone.
  EXPECT_EQ(Make(WS_CHILD, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(Make(WS_CHILD, 0, 0, 1, 1, GoneWindow()), nullptr);
}

TEST_F(WindowTest, GetClassNameCopiesWhatFits) {
  HWND window = Make(WS_POPUP, 0, 0, 10, 10);
  ASSERT_NE(window, nullptr);
  const std::string full = kClass;
  const struct {
    int room;
    int copied;
  } cases[] = {{1, 0}, {2, 1}, {8, 7}, {17, 16}, {18, 17}, {64, 17}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.room);
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetClassNameA(window, buffer, c.room), c.copied);
    EXPECT_EQ(std::string(buffer), full.substr(0, static_cast<std::size_t>(c.copied)));
  }
  char untouched[4] = {'x', 'x', 'x', '\0'};
  EXPECT_EQ(GetClassNameA(window, untouched, 0), 0);
  EXPECT_STREQ(untouched, "xxx");
  EXPECT_EQ(GetClassNameA(GoneWindow(), untouched, 4), 0);
}

TEST_F(WindowTest, CreationSendsItsMessagesWithTheCreateStruct) {
  int parameter = 5;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "Title", WS_POPUP | WS_VISIBLE, 10, 20,
                                300, 40, nullptr, nullptr, GetModuleHandleA(nullptr), &parameter);
  ASSERT_NE(window, nullptr);
  made_.push_back(window);
  const std::map<HWND, std::string> names = {{window, "w"}};
  const std::vector<std::string> expected = {"w WM_NCCREATE", "w WM_CREATE", "w WM_SIZE",
                                             "w WM_MOVE", "w WM_SHOWWINDOW"};
  EXPECT_EQ(Trace(names, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}), expected);
  EXPECT_EQ(g_create.lpCreateParams, &parameter);
  EXPECT_EQ(g_create.x, 10);
  EXPECT_EQ(g_create.y, 20);
  EXPECT_EQ(g_create.cx, 300);
  EXPECT_EQ(g_create.cy, 40);
  EXPECT_NE(static_cast<DWORD>(g_create.style) & WS_VISIBLE, 0u);
  EXPECT_NE(g_create.dwExStyle & WS_EX_TOOLWINDOW, 0u);
  EXPECT_EQ(g_create_name, "Title");
  for (const Event& event : g_events) {
    if (event.message == WM_SIZE) {
      EXPECT_EQ(LOWORD(event.lParam), 300);
      EXPECT_EQ(HIWORD(event.lParam), 40);
    }
    if (event.message == WM_MOVE) {
      EXPECT_EQ(LOWORD(event.lParam), 10);
      EXPECT_EQ(HIWORD(event.lParam), 20);
    }
    if (event.message == WM_SHOWWINDOW) {
      EXPECT_EQ(event.wParam, static_cast<WPARAM>(TRUE));
    }
  }
  EXPECT_TRUE(IsWindowVisible(window));

  // The default procedure keeps the window text.
  char text[16];
  EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_STREQ(text, "Title");
  EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")));
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 5);
  EXPECT_EQ(SendMessageA(window, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(text)), 2);
  EXPECT_STREQ(text, "Ot");
}

TEST_F(WindowTest, RefusedCreationEndsWithNcDestroyOnly) {
  const struct {
    BOOL nccreate;
    LRESULT create;
    std::vector<std::string> trace;
  } cases[] = {
      {FALSE, 0, {"w WM_NCCREATE", "w WM_NCDESTROY"}},
      {TRUE, -1, {"w WM_NCCREATE", "w WM_CREATE", "w WM_NCDESTROY"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.trace.size());
    g_events.clear();
    g_nccreate_answer = c.nccreate;
    g_create_answer = c.create;
    EXPECT_EQ(Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10), nullptr);
    ASSERT_FALSE(g_events.empty());
    HWND window = g_events.front().window;
    EXPECT_EQ(Trace({{window, "w"}}, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}), c.trace);
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(WindowTest, DestroyingGoesDownTheTreeAndTakesTimersAndMenuBar) {
  HWND parent = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND first = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  HWND second = Make(WS_CHILD, 60, 0, 50, 50, parent);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, first);
  HWND owned = Make(WS_POPUP, 0, 0, 10, 10, parent);
  ASSERT_TRUE(parent && first && second && grandchild && owned);
  EXPECT_EQ(GetParent(owned), parent) << "a pop-up window's parent is its owner";
  EXPECT_EQ(GetParent(first), parent);
  EXPECT_EQ(GetParent(parent), nullptr);
  ASSERT_NE(SetTimer(first, 7, 1000, nullptr), 0u);
  HMENU bar = CreateMenu();
  ASSERT_TRUE(AppendMenuA(bar, MF_STRING, 1, "&File"));
  ASSERT_TRUE(SetMenu(parent, bar));

  g_events.clear();
  EXPECT_TRUE(DestroyWindow(parent));
  const std::map<HWND, std::string> names = {
      {parent, "p"}, {first, "c1"}, {second, "c2"}, {grandchild, "g"}, {owned, "o"}};
  // Owned windows first; WM_DESTROY down the tree, WM_NCDESTROY up from its leaves; a
  // window still exists while it handles either.
  const std::vector<std::string> expected = {
      "o WM_DESTROY",  "o WM_NCDESTROY", "p WM_DESTROY",    "c1 WM_DESTROY",   "g WM_DESTROY",
      "c2 WM_DESTROY", "g WM_NCDESTROY", "c1 WM_NCDESTROY", "c2 WM_NCDESTROY", "p WM_NCDESTROY"};
  EXPECT_EQ(Trace(names, {WM_DESTROY, WM_NCDESTROY}), expected);
  for (const Event& event : g_events) {
    if (event.message == WM_DESTROY || event.message == WM_NCDESTROY) {
      EXPECT_TRUE(event.alive);
    }
  }
  for (HWND window : {parent, first, second, grandchild, owned}) EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_FALSE(KillTimer(first, 7)) << "the timers went with the window";
  EXPECT_EQ(GetMenuItemCount(bar), -1) << "the menu bar went with the window";

  // A visible child destroyed on its own is hidden first; WM_CLOSE destroys by default.
  HWND other = Make(WS_POPUP, 0, 0, 100, 100);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, other);
  g_events.clear();
  EXPECT_TRUE(DestroyWindow(child));
  const std::vector<std::string> child_trace = {"c WM_SHOWWINDOW", "c WM_DESTROY",
                                                "c WM_NCDESTROY"};
  EXPECT_EQ(Trace({{child, "c"}}, {WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY}), child_trace);
  EXPECT_EQ(SendMessageA(other, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(other));
}

TEST_F(WindowTest, ChildWindowsSitRelativeToTheirParent) {
  HWND parent = Make(WS_POPUP, 100, 100, 200, 150);
  HWND child = Make(WS_CHILD, 10, 20, 30, 40, parent);
  ASSERT_TRUE(parent && child);
  EXPECT_EQ(Show(RectOf(parent)), "100,100,300,250");
  EXPECT_EQ(Show(RectOf(child)), "110,120,140,160");

  const std::map<HWND, std::string> names = {{parent, "p"}, {child, "c"}};
  g_events.clear();
  EXPECT_TRUE(MoveWindow(parent, 50, 60, 200, 150, TRUE));
  EXPECT_EQ(Trace(names, {WM_MOVE, WM_SIZE}), std::vector<std::string>{"p WM_MOVE"});
  EXPECT_EQ(Show(RectOf(child)), "60,80,90,120") << "a child moves with its parent";

  g_events.clear();
  EXPECT_TRUE(MoveWindow(child, 0, 5, 50, 50, TRUE));
  EXPECT_TRUE(MoveWindow(child, 0, 5, 50, 50, TRUE));
  EXPECT_EQ(Trace(names, {WM_MOVE, WM_SIZE}), (std::vector<std::string>{"c WM_MOVE", "c WM_SIZE"}));
  for (const Event& event : g_events) {
    if (event.message == WM_MOVE) {
      EXPECT_EQ(HIWORD(event.lParam), 5) << "relative to the parent";
    }
  }
  EXPECT_EQ(Show(RectOf(child)), "50,65,100,115");

  // CW_USEDEFAULT: nothing for a pop-up or child window, a size for an overlapped one.
  EXPECT_EQ(
      Show(RectOf(Make(WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT))),
      "0,0,0,0");
  EXPECT_EQ(Show(RectOf(Make(WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parent))),
            "50,60,50,60");
  RECT overlapped =
      RectOf(Make(WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT));
  EXPECT_GT(overlapped.right - overlapped.left, 0);
  EXPECT_GT(overlapped.bottom - overlapped.top, 0);

  RECT untouched{1, 2, 3, 4};
  EXPECT_FALSE(GetWindowRect(GoneWindow(), &untouched));
  EXPECT_TRUE(SameRect(untouched, RECT{1, 2, 3, 4}));
}

TEST_F(WindowTest, ShowWindowAnswersThePreviousVisibility) {
  HWND parent = Make(WS_POPUP, 0, 0, 100, 100);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent);
  ASSERT_TRUE(parent && child);
  EXPECT_FALSE(IsWindowVisible(child)) << "its parent is hidden";

  const std::map<HWND, std::string> names = {{parent, "p"}};
  g_events.clear();
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(parent));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(parent, SW_SHOWNOACTIVATE));
  EXPECT_TRUE(ShowWindow(parent, SW_HIDE));
  EXPECT_FALSE(ShowWindow(parent, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  std::vector<WPARAM> shown;
  for (const Event& event : g_events) {
    if (event.window == parent && event.message == WM_SHOWWINDOW) shown.push_back(event.wParam);
  }
  EXPECT_EQ(shown, (std::vector<WPARAM>{TRUE, FALSE})) << "only real changes are told";

  // A message-only window is never visible and has no parent.
  HWND message_only = CreateWindowExA(0, kClass, "", WS_VISIBLE, 0, 0, 100, 100, HWND_MESSAGE,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(message_only, nullptr);
  made_.push_back(message_only);
  EXPECT_FALSE(IsWindowVisible(message_only));
  EXPECT_EQ(GetParent(message_only), nullptr);

  HWND gone = GoneWindow();
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
  EXPECT_FALSE(IsWindowVisible(gone));
}

TEST_F(WindowTest, WindowFromPointFindsTheTopmostDeepestWindow) {
  HWND older = Make(WS_POPUP | WS_VISIBLE, 400, 400, 200, 200);
  HWND newer = Make(WS_POPUP | WS_VISIBLE, 450, 450, 200, 200);
  HWND message_only = CreateWindowExA(0, kClass, "", WS_VISIBLE, 0, 0, 1000, 700, HWND_MESSAGE,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(older && newer && message_only);
  made_.push_back(message_only);
  auto at = [](LONG x, LONG y) { return WindowFromPoint(POINT{x, y}); };

  EXPECT_EQ(at(500, 500), newer) << "the newer window is on top";
  EXPECT_EQ(at(410, 410), older);
  EXPECT_EQ(at(599, 420), older);
  for (HWND found : {at(600, 420), at(420, 600)}) {
    EXPECT_TRUE(found != older && found != newer) << "right and bottom edges are outside";
  }
  ShowWindow(older, SW_HIDE);
  EXPECT_NE(at(410, 410), older) << "hidden";
  ShowWindow(older, SW_SHOW);
  EXPECT_EQ(at(500, 500), older) << "shown again, on top";

  // Children: the first one made is on top; hidden and disabled ones are passed over.
  HWND hidden = Make(WS_CHILD, 0, 0, 200, 200, older);
  HWND disabled = Make(WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, 200, 200, older);
  HWND first = Make(WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, older);
  HWND second = Make(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, older);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, first);
  ASSERT_TRUE(hidden && disabled && first && second && grandchild);
  EXPECT_EQ(at(415, 415), grandchild);
  EXPECT_EQ(at(470, 470), first);
  EXPECT_EQ(at(540, 540), second);
  EXPECT_EQ(at(595, 595), older);
  EXPECT_EQ(at(630, 630), newer);
}

TEST(Cursor, SetCursorPosMovesTheCursorOnTheScreen) {
  POINT point{-1, -1};
  EXPECT_TRUE(SetCursorPos(123, 456));
  EXPECT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 123);
  EXPECT_EQ(point.y, 456);
  EXPECT_TRUE(SetCursorPos(-50, 20));
  EXPECT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 0) << "kept on the screen";
  EXPECT_EQ(point.y, 20);
}

}  // namespace
