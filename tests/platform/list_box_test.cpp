// Conformance of the list box (class "LISTBOX") with a single selection: its entries, the
// selection, searches, the sorted order, the top index and the places of entries, the room it
// reserves, and what a user's clicks and keys do, with the notifications to the parent by
// message sequence. The same tests run against Wine's user32 (null display driver) and the
// Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "support/message_sequence.h"
#include "support/user_input.h"

namespace {

using message_sequence::Command;
using message_sequence::Expected;
using message_sequence::Msg;
using message_sequence::Recorder;
using Sequence = std::vector<Expected>;

const char kClass[] = "TarnivoTestListBoxes";
constexpr UINT kTrackPoint = 0x0131;  // WM_LBTRACKPOINT, which the headers do not name
constexpr int kId = 7;
constexpr DWORD kNotifying = LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;

WPARAM Wp(HWND window) { return reinterpret_cast<WPARAM>(window); }

LRESULT Send(HWND list, UINT message, WPARAM wParam, const char* text) {
  return SendMessageA(list, message, wParam, reinterpret_cast<LPARAM>(text));
}

LRESULT Send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(list, message, wParam, lParam);
}

std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  const LRESULT count = Send(list, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<std::size_t>(Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i))),
                     '\0');
    std::vector<char> buffer(text.size() + 1, '\0');
    Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()));
    entries.emplace_back(buffer.data());
  }
  return entries;
}

void Add(HWND list, const std::vector<const char*>& entries) {
  for (const char* entry : entries) Send(list, LB_ADDSTRING, 0, entry);
}

void AddNumbered(HWND list, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string entry = "item" + std::to_string(i);
    Send(list, LB_ADDSTRING, 0, entry.c_str());
  }
}

RECT Rect(HWND list, int index, LRESULT* answer = nullptr) {
  RECT rect{-7, -7, -7, -7};
  const LRESULT got =
      Send(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  if (answer != nullptr) *answer = got;
  return rect;
}

LONG Height(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

class ListBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = CreateWindowExA(0, class_.name(), "Form", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                            400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(form_, nullptr);
    recorder_.Name(form_, "form");
    SetForegroundWindow(form_);
    SetFocus(form_);
    user_input::Pump();
    recorder_.Clear();
  }

  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
    user_input::Pump();
  }

  HWND List(DWORD style, int height = 100, int id = kId, const char* name = "list", int x = 10) {
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | style, x, 10, 150, height,
                                form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(list, nullptr);
    recorder_.Name(list, name);
    recorder_.Subclass(list);
    return list;
  }

  // A point on an entry in the list's client area and on the screen: its middle, or 10 pixels
  // from its left edge (far enough from the middle not to make a double click of two clicks).
  static std::pair<POINT, POINT> EntryPoint(HWND list, int index, bool near_left = false) {
    const RECT item = Rect(list, index);
    POINT client{near_left ? item.left + 10 : (item.left + item.right) / 2,
                 (item.top + item.bottom) / 2};
    POINT screen = client;
    ClientToScreen(list, &screen);
    return {client, screen};
  }

  Sequence Activation(HWND control) const {
    const LPARAM how = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    return {Msg(control, WM_MOUSEACTIVATE).W(Wp(form_)).L(how),
            Msg(form_, WM_MOUSEACTIVATE).W(Wp(form_)).L(how)};
  }

  // The messages recorded, without the list messages the test sends itself.
  std::vector<message_sequence::Message> Heard() {
    std::vector<message_sequence::Message> heard;
    for (const auto& message : recorder_.Take()) {
      if (message.message < LB_ADDSTRING || message.message > LB_INITSTORAGE)
        heard.push_back(message);
    }
    return heard;
  }

  message_sequence::RecordingClass class_{kClass};
  Recorder recorder_;
  HWND form_ = nullptr;
};

// --- Entries, texts and item data ---

TEST_F(ListBoxTest, EntriesStayInTheOrderGivenAndBadIndexesAreErrors) {
  HWND list = List(0);
  char name[32] = {};
  GetClassNameA(list, name, sizeof name);
  EXPECT_STREQ(name, "ListBox");
  EXPECT_EQ(Send(list, WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  EXPECT_EQ(Send(list, LB_GETCOUNT), 0);
  EXPECT_EQ(Send(list, LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(Send(list, LB_SETCURSEL, 0), LB_ERR);

  struct Step {
    UINT message;
    WPARAM index;
    const char* text;
    LRESULT answer;
  };
  const Step steps[] = {
      {LB_INSERTSTRING, 1, "past the end of an empty list", LB_ERR},
      {LB_ADDSTRING, 0, "b", 0},
      {LB_ADDSTRING, 0, "d", 1},
      {LB_INSERTSTRING, 0, "a", 0},
      {LB_INSERTSTRING, 2, "c", 2},
      {LB_INSERTSTRING, static_cast<WPARAM>(-1), "f", 4},
      {LB_INSERTSTRING, 4, "e", 4},
      {LB_INSERTSTRING, 6, "Portugu\xEAs", 6},
      {LB_INSERTSTRING, 8, "two past the end", LB_ERR},
      {LB_INSERTSTRING, static_cast<WPARAM>(-2), "before the start", LB_ERR},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    EXPECT_EQ(Send(list, step.message, step.index, step.text), step.answer);
  }
  EXPECT_EQ(Entries(list),
            (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "Portugu\xEAs"}));
  EXPECT_EQ(Send(list, LB_GETTEXTLEN, 6), 9) << "bytes of the ANSI code page";

  char buffer[16] = "untouched";
  for (WPARAM bad : {WPARAM{7}, static_cast<WPARAM>(-1)}) {
    SCOPED_TRACE(static_cast<long long>(bad));
    EXPECT_EQ(Send(list, LB_GETTEXT, bad, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(Send(list, LB_GETTEXTLEN, bad), LB_ERR);
    EXPECT_EQ(Send(list, LB_GETITEMDATA, bad), LB_ERR);
    EXPECT_EQ(Send(list, LB_SETITEMDATA, bad, 5), LB_ERR);
    EXPECT_EQ(Send(list, LB_DELETESTRING, bad), LB_ERR);
  }

  // Item data: 0 until set; setting answers TRUE; it moves with its entry.
  EXPECT_EQ(Send(list, LB_GETITEMDATA, 1), 0);
  EXPECT_EQ(Send(list, LB_SETITEMDATA, 1, 77), TRUE);
  EXPECT_EQ(Send(list, LB_GETITEMDATA, 1), 77);
  EXPECT_EQ(Send(list, LB_DELETESTRING, 0), 6) << "the entries left";
  EXPECT_EQ(Send(list, LB_GETITEMDATA, 0), 77);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"b", "c", "d", "e", "f", "Portugu\xEAs"}));

  EXPECT_EQ(Send(list, LB_RESETCONTENT), 0);
  EXPECT_EQ(Send(list, LB_GETCOUNT), 0);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 0);
}

TEST_F(ListBoxTest, TheSelectionMovesWithTheEntriesAndTellsNobody) {
  HWND list = List(kNotifying);
  Add(list, {"a", "b", "c", "d"});
  recorder_.Clear();
  struct Step {
    const char* what;
    UINT message;
    WPARAM index;
    LRESULT answer;
    LRESULT selected;
  };
  const Step steps[] = {
      {"select c", LB_SETCURSEL, 2, 2, 2},
      {"an index past the end keeps it", LB_SETCURSEL, 9, LB_ERR, 2},
      {"-1 takes it away", LB_SETCURSEL, static_cast<WPARAM>(-1), LB_ERR, LB_ERR},
      {"select c again", LB_SETCURSEL, 2, 2, 2},
      {"an entry inserted above", LB_INSERTSTRING, 0, 0, 3},
      {"an entry added below", LB_ADDSTRING, 0, 5, 3},
      {"an entry deleted above", LB_DELETESTRING, 0, 5, 2},
      {"the selected entry deleted", LB_DELETESTRING, 2, 4, LB_ERR},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(Send(list, step.message, step.index, "x"), step.answer);
    EXPECT_EQ(Send(list, LB_GETCURSEL), step.selected);
  }
  EXPECT_TRUE(recorder_.Matches(Heard(), {}));
}

// --- Searches ---

TEST_F(ListBoxTest, SearchesMatchTheStartOrTheWholeEntryFromTheEntryAfterTheStart) {
  HWND list = List(0);
  Add(list, {"abc.com", "ABD.com", "[x]abc", "[-abc]", "\xC9t\xE9", "ab", "x-y", "xy", "co-op",
             "coop", "a\xDF", "ass", "\xC6", "ae"});
  struct Case {
    WPARAM start;
    const char* text;
    LRESULT prefix;
    LRESULT exact;
  };
  const WPARAM top = static_cast<WPARAM>(-1);
  const Case cases[] = {
      {top, "ab", 0, 5},
      {0, "ab", 1, 5},   // after the start: ABD.com, letter case ignored
      {1, "ab", 3, 5},   // "[-" before a drive's name is skipped
      {5, "ab", 0, 5},   // round to the top
      {13, "ab", 0, 5},  // the last entry as the start
      {14, "ab", 0, 5},  // past the end: from the top
      {99, "ab", 0, 5},
      {top, "x", 2, LB_ERR},  // "[" before a folder's name is skipped
      {top, "[x", 2, LB_ERR},
      {top, "-", 3, LB_ERR},
      {top, "", LB_ERR, LB_ERR},
      {top, "zz", LB_ERR, LB_ERR},
      // Only ASCII letters match without regard to case at the start; the whole entry
      // compares as the sort does.
      {top, "\xE9t", LB_ERR, LB_ERR},
      {top, "\xC9T\xC9", LB_ERR, 4},
      {top, "coop", 9, 9},
      {top, "co-op", 8, 8},
      {top, "ass", 11, 10},
      {top, "a\xDF", 10, 10},
      {top, "\xE6", LB_ERR, 12},
      {top, "AE", 13, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " from " + std::to_string(static_cast<long long>(c.start)));
    EXPECT_EQ(Send(list, LB_FINDSTRING, c.start, c.text), c.prefix);
    EXPECT_EQ(Send(list, LB_FINDSTRINGEXACT, c.start, c.text), c.exact);
  }
  EXPECT_EQ(Send(list, LB_FINDSTRING, top, LPARAM{0}), LB_ERR);

  // LB_SELECTSTRING selects what LB_FINDSTRING finds, or leaves the selection.
  Send(list, LB_SETCURSEL, 3);
  EXPECT_EQ(Send(list, LB_SELECTSTRING, top, "zz"), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 3);
  EXPECT_EQ(Send(list, LB_SELECTSTRING, 0, "ab"), 1);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 1);
}

TEST_F(ListBoxTest, ASortedListPlacesEntriesAsTheSystemSortsTexts) {
  HWND list = List(LBS_SORT);
  // Each entry and the place it takes among those before it: letter case and accents count
  // after the letters, hyphens and apostrophes only last, other signs before the digits and
  // the digits before the letters; an entry equal to one there goes before it.
  const std::pair<const char*, LRESULT> added[] = {
      {"b", 0},          {"A", 0},     {"a", 0},         {"B", 2},       {"_x", 0},
      {"-x", 5},         {"x-y", 6},   {"xy", 6},        {"x_y", 6},     {"1", 1},
      {"10", 2},         {"9", 3},     {"*.abc.com", 0}, {"abc.com", 7}, {"abc-def.com", 8},
      {"abcdef.com", 8}, {"\xE9", 12}, {"e", 12},        {"f", 14},      {"Z", 19},
      {"[x]", 1},        {"~", 3},     {" ", 0},         {"", 0},        {"ab", 11},
      {"a b", 11},       {"aB", 12},   {"Ab", 13},       {"co-op", 20},  {"coop", 20},
      {"co'op", 21},     {"\xE6", 18}, {"ae", 18},       {"af", 20},     {"ss", 29},
      {"\xDF", 29},      {"st", 31},   {"x.y", 33},      {"x y", 33},    {"x*y", 34},
      {"!", 2},          {"#", 3},     {"$", 4},         {"%", 5},       {"&", 6},
      {"(", 7},          {"+", 12},    {",", 9},         {"/", 10},      {":", 11},
      {";", 12},         {"<", 17},    {"=", 18},        {"@", 13},      {"^", 15},
      {"`", 17},         {"{", 18},    {"|", 19},        {"\x80", 21},   {"\xA9", 25},
      {"\xB2", 28},      {"2", 28},    {"\xC5", 33},     {"\xD8", 52},   {"o", 52},
      {"p", 54},         {"\xF8", 53}, {"\xFE", 59},     {"th", 59},     {"u", 61},
      {"\xFF", 69},      {"y", 69},    {"z", 71},        {"\x8A", 56},   {"s", 56},
      {"t", 61},         {"\x9C", 55}, {"oe", 55},       {"of", 57},
  };
  for (const auto& entry : added) {
    SCOPED_TRACE(entry.first);
    EXPECT_EQ(Send(list, LB_ADDSTRING, 0, entry.first), entry.second);
  }
  const std::vector<std::string> sorted = {
      "",     " ",    "!",       "#",          "$",           "%",    "&",    "(",    "*.abc.com",
      ",",    "/",    ":",       ";",          "@",           "[x]",  "^",    "_x",   "`",
      "{",    "|",    "~",       "\x80",       "+",           "<",    "=",    "\xA9", "1",
      "10",   "2",    "\xB2",    "9",          "a",           "A",    "\xC5", "a b",  "aB",
      "Ab",   "ab",   "abc.com", "abcdef.com", "abc-def.com", "ae",   "\xE6", "af",   "B",
      "b",    "coop", "co'op",   "co-op",      "e",           "\xE9", "f",    "o",    "\xF8",
      "\xD8", "oe",   "\x9C",    "of",         "p",           "s",    "\x8A", "\xDF", "ss",
      "st",   "t",    "th",      "\xFE",       "u",           "-x",   "x y",  "x*y",  "x.y",
      "x_y",  "xy",   "x-y",     "y",          "\xFF",        "z",    "Z"};
  EXPECT_EQ(Entries(list), sorted);
  // LB_INSERTSTRING puts an entry where it is told, even in a sorted list.
  EXPECT_EQ(Send(list, LB_INSERTSTRING, 0, "zzz"), 0);
  EXPECT_EQ(Entries(list).front(), "zzz");
}

// --- The top index, the page and the places of entries ---

TEST_F(ListBoxTest, TheTopIndexStaysWithinThePagesAndEntriesHaveTheirPlaces) {
  HWND list = List(kNotifying);  // 100 pixels: 6 whole entries and a part
  EXPECT_EQ(Send(list, LB_GETITEMHEIGHT), 16);
  LRESULT answer = 0;
  RECT rect = Rect(list, 0, &answer);
  EXPECT_EQ(answer, 1) << "the first place, even in an empty list";
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.bottom, 16);
  rect = Rect(list, 1, &answer);
  EXPECT_EQ(answer, LB_ERR);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.bottom, 0);

  AddNumbered(list, 20);
  struct Top {
    WPARAM asked;
    LRESULT top;
  };
  for (const Top& step :
       {Top{5, 5}, Top{30, 14}, Top{19, 14}, Top{static_cast<WPARAM>(-1), 0}, Top{30, 14}}) {
    SCOPED_TRACE(static_cast<long long>(step.asked));
    EXPECT_EQ(Send(list, LB_SETTOPINDEX, step.asked), LB_OKAY);
    EXPECT_EQ(Send(list, LB_GETTOPINDEX), step.top);
  }

  struct Place {
    int index;
    LRESULT answer;
    LONG top;
  };
  for (const Place& place : {Place{-1, 0, -240}, Place{0, 0, -224}, Place{13, 0, -16},
                             Place{14, 1, 0}, Place{19, 1, 80}}) {
    SCOPED_TRACE(place.index);
    rect = Rect(list, place.index, &answer);
    EXPECT_EQ(answer, place.answer);
    EXPECT_EQ(rect.left, 0);
    EXPECT_GT(rect.right, 100);
    EXPECT_EQ(rect.top, place.top);
    EXPECT_EQ(rect.bottom, place.top + 16);
  }
  Rect(list, 20, &answer);
  EXPECT_EQ(answer, LB_ERR);

  // A selection by message scrolls the entry wholly into view.
  struct Scroll {
    WPARAM selected;
    LRESULT top;
  };
  for (const Scroll& step :
       {Scroll{2, 2}, Scroll{15, 10}, Scroll{10, 10}, Scroll{2, 2}, Scroll{7, 2}, Scroll{8, 3}}) {
    SCOPED_TRACE(static_cast<long long>(step.selected));
    EXPECT_EQ(Send(list, LB_SETCURSEL, step.selected), static_cast<LRESULT>(step.selected));
    EXPECT_EQ(Send(list, LB_GETTOPINDEX), step.top);
  }
  EXPECT_EQ(Send(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), "item19"), 19);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 14);

  // Entries deleted or inserted above leave the top index; a list down to one page goes back
  // to the top.
  Send(list, LB_SETTOPINDEX, 10);
  Send(list, LB_DELETESTRING, 0);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 10);
  Send(list, LB_INSERTSTRING, 0, "new");
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 10);
  Send(list, LB_SETTOPINDEX, 14);
  while (Send(list, LB_GETCOUNT) > 7) Send(list, LB_DELETESTRING, 0);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 14) << "beyond the last page until the list is one page";
  Send(list, LB_DELETESTRING, 0);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 0);
}

TEST_F(ListBoxTest, AListIsWholeEntriesHighUnlessToldOtherwise) {
  struct Case {
    const char* what;
    DWORD style;
    int made;
    LONG height;
  };
  const Case cases[] = {
      {"100 pixels", 0, 100, 96},
      {"a border takes a pixel each side", WS_BORDER, 100, 98},
      {"no taller than one entry", 0, 10, 10},
      {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND list = List(c.style, c.made);
    EXPECT_EQ(Height(list), c.height);
    DestroyWindow(list);
  }
  HWND list = List(0);
  MoveWindow(list, 10, 10, 150, 75, TRUE);
  EXPECT_EQ(Height(list), 64);
}

TEST_F(ListBoxTest, RoomIsReservedInStepsOfSixteenEntries) {
  HWND list = List(LBS_NOTIFY);
  struct Step {
    const char* what;
    UINT message;
    WPARAM count;
    LRESULT answer;
  };
  const Step steps[] = {
      {"100 more", LB_INITSTORAGE, 100, 112},
      {"none more", LB_INITSTORAGE, 0, 112},
      {"fewer than reserved", LB_INITSTORAGE, 5, 112},
      {"an entry when far more is reserved", LB_ADDSTRING, 0, 0},
      {"the room shrank", LB_INITSTORAGE, 0, 16},
      {"200 more", LB_INITSTORAGE, 200, 208},
      {"emptied", LB_RESETCONTENT, 0, 0},
      {"none reserved", LB_INITSTORAGE, 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(Send(list, step.message, step.count, "entry"), step.answer);
  }
  recorder_.Clear();
  EXPECT_EQ(Send(list, LB_INITSTORAGE, 0x7FFFFFFF), LB_ERRSPACE);
  EXPECT_TRUE(recorder_.Matches(Heard(), {Command(form_, kId, LBN_ERRSPACE, list)}));
  EXPECT_EQ(Send(list, LB_ADDSTRING, 0, "still works"), 0);
}

TEST_F(ListBoxTest, WithRedrawOffTheListChangesAndThenFillsItsLastPage) {
  HWND list = List(kNotifying);
  EXPECT_EQ(Send(list, WM_SETREDRAW, FALSE), 0);
  AddNumbered(list, 23);
  EXPECT_TRUE(IsWindowVisible(list));
  Send(list, LB_SETTOPINDEX, 17);
  Send(list, LB_DELETESTRING, 22);
  Send(list, LB_DELETESTRING, 21);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 17) << "past the last page while drawing is off";
  EXPECT_EQ(Send(list, WM_SETREDRAW, TRUE), 0);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 15);
  EXPECT_EQ(Send(list, LB_GETCOUNT), 21);
}

// --- The user's clicks and keys ---

TEST_F(ListBoxTest, AClickOnAnEntryTakesTheFocusAndSelectsItWhenTheButtonComesUp) {
  HWND list = List(kNotifying);
  AddNumbered(list, 20);
  recorder_.Clear();
  auto [client, screen] = EntryPoint(list, 2);
  user_input::Click(screen);
  user_input::Pump();
  Sequence expected = Activation(list);
  for (const Expected& each :
       {Msg(list, WM_LBUTTONDOWN).W(MK_LBUTTON), Msg(form_, WM_KILLFOCUS).W(Wp(list)),
        Msg(list, WM_SETFOCUS).W(Wp(form_)), Command(form_, kId, LBN_SETFOCUS, list),
        Msg(form_, kTrackPoint).W(2).L(MAKELPARAM(client.x, client.y)), Msg(list, WM_LBUTTONUP),
        Msg(list, WM_CAPTURECHANGED).L(nullptr), Command(form_, kId, LBN_SELCHANGE, list)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 2);

  // The same entry again: LBN_SELCHANGE although the selection stays.
  std::tie(client, screen) = EntryPoint(list, 2, true);
  user_input::Click(screen);
  user_input::Pump();
  expected = Activation(list);
  for (const Expected& each :
       {Msg(list, WM_LBUTTONDOWN), Msg(form_, kTrackPoint).W(2), Msg(list, WM_LBUTTONUP),
        Msg(list, WM_CAPTURECHANGED).L(nullptr), Command(form_, kId, LBN_SELCHANGE, list)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));

  // Pressed on one entry, released on another: the selection follows the mouse, and is told
  // once.
  const POINT from = EntryPoint(list, 1).second;
  const POINT to = EntryPoint(list, 4).second;
  user_input::Press(from);
  user_input::Pump();
  user_input::Release(to);
  user_input::Pump();
  expected = Activation(list);
  for (const Expected& each :
       {Msg(list, WM_LBUTTONDOWN), Msg(form_, kTrackPoint).W(1), Msg(list, WM_LBUTTONUP),
        Msg(list, WM_CAPTURECHANGED).L(nullptr), Command(form_, kId, LBN_SELCHANGE, list)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(Send(list, LB_GETCURSEL), 4);

  // The focus leaves while the button is held: the press ends there, as a release would. (Away
  // from the last press, which would make a double click.)
  user_input::Press(EntryPoint(list, 1, true).second);
  user_input::Pump();
  recorder_.Clear();
  SetFocus(form_);
  EXPECT_TRUE(recorder_.Matches(
      Heard(), {Msg(list, WM_KILLFOCUS).W(Wp(form_)), Msg(list, WM_CAPTURECHANGED).L(nullptr),
                Command(form_, kId, LBN_SELCHANGE, list), Command(form_, kId, LBN_KILLFOCUS, list),
                Msg(form_, WM_SETFOCUS).W(Wp(list))}));
  EXPECT_EQ(GetCapture(), nullptr);
  user_input::Release(EntryPoint(list, 1, true).second);
  user_input::Pump();
  EXPECT_TRUE(recorder_.Matches(Heard(), {Msg(list, WM_LBUTTONUP)}));
  EXPECT_EQ(Send(list, LB_GETCURSEL), 1);
}

TEST_F(ListBoxTest, AClickBelowTheEntriesOrOnAListWithoutLbsNotify) {
  HWND notifying = List(kNotifying, 100, kId, "notifying");
  HWND quiet = List(LBS_NOINTEGRALHEIGHT, 100, 8, "quiet", 200);
  Add(notifying, {"one"});
  Add(quiet, {"one", "two"});
  recorder_.Clear();

  // Below the last entry: the focus, and nothing else.
  RECT rect{};
  GetWindowRect(notifying, &rect);
  user_input::Click(POINT{(rect.left + rect.right) / 2, rect.bottom - 10});
  user_input::Pump();
  Sequence expected = Activation(notifying);
  for (const Expected& each :
       {Msg(notifying, WM_LBUTTONDOWN), Msg(form_, WM_KILLFOCUS).W(Wp(notifying)),
        Msg(notifying, WM_SETFOCUS), Command(form_, kId, LBN_SETFOCUS, notifying),
        Msg(notifying, WM_LBUTTONUP)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(Send(notifying, LB_GETCURSEL), LB_ERR);

  // Without LBS_NOTIFY: the focus notifications only.
  user_input::Click(EntryPoint(quiet, 1).second);
  user_input::Pump();
  expected = Activation(quiet);
  for (const Expected& each :
       {Msg(quiet, WM_LBUTTONDOWN), Msg(notifying, WM_KILLFOCUS).W(Wp(quiet)),
        Command(form_, kId, LBN_KILLFOCUS, notifying), Msg(quiet, WM_SETFOCUS).W(Wp(notifying)),
        Command(form_, 8, LBN_SETFOCUS, quiet), Msg(quiet, WM_LBUTTONUP),
        Msg(quiet, WM_CAPTURECHANGED).L(nullptr)})
    expected.push_back(each);
  EXPECT_TRUE(recorder_.Matches(Heard(), expected));
  EXPECT_EQ(Send(quiet, LB_GETCURSEL), 1);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndTellEachTime) {
  HWND list = List(kNotifying);
  AddNumbered(list, 20);
  user_input::PickListEntry(list, 2);
  recorder_.Clear();
  struct Key {
    int vk;
    LRESULT selected;
    LRESULT top;
  };
  const Key keys[] = {
      {VK_DOWN, 3, 0},  {VK_UP, 2, 0},   {VK_END, 19, 14}, {VK_HOME, 0, 0},
      {VK_UP, 0, 0},    {VK_NEXT, 5, 0}, {VK_PRIOR, 0, 0}, {'I', 1, 0},  // types "i"
      {VK_RIGHT, 2, 0}, {VK_LEFT, 1, 0}, {VK_SPACE, 1, 0},
  };
  for (const Key& key : keys) {
    SCOPED_TRACE(key.vk);
    user_input::Key(key.vk);
    user_input::Pump(form_);
    EXPECT_EQ(Send(list, LB_GETCURSEL), key.selected);
    EXPECT_EQ(Send(list, LB_GETTOPINDEX), key.top);
    std::vector<message_sequence::Message> told;
    for (const auto& message : Heard()) {
      if (message.window == form_) told.push_back(message);
    }
    const Sequence selchange = {Command(form_, kId, LBN_SELCHANGE, list)};
    EXPECT_TRUE(recorder_.Matches(told, key.vk == VK_SPACE ? Sequence{} : selchange));
  }

  // With no entry selected, a key selects the caret's entry first.
  Send(list, LB_SETCURSEL, static_cast<WPARAM>(-1));
  user_input::Key(VK_DOWN);
  user_input::Pump(form_);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 1);
  recorder_.Clear();

  // The dialog keyboard asks first and hands the arrows to the list.
  user_input::Key(VK_DOWN);
  user_input::Pump(form_);
  EXPECT_TRUE(recorder_.Matches(
      Heard(), {Msg(list, WM_GETDLGCODE).W(VK_DOWN), Msg(list, WM_KEYDOWN).W(VK_DOWN),
                Command(form_, kId, LBN_SELCHANGE, list), Msg(list, WM_KEYUP).W(VK_DOWN)}));
  EXPECT_EQ(Send(list, LB_GETCURSEL), 2);
}

TEST_F(ListBoxTest, AUserPicksAnEntryOutOfView) {
  HWND list = List(kNotifying);
  AddNumbered(list, 30);
  user_input::PickListEntry(list, 25);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 25);
  EXPECT_EQ(GetFocus(), list);
  const LRESULT top = Send(list, LB_GETTOPINDEX);
  EXPECT_LE(top, 25);
  EXPECT_GT(top + 6, 25);
  // One in view: no scrolling.
  user_input::PickListEntry(list, static_cast<int>(top));
  EXPECT_EQ(Send(list, LB_GETCURSEL), top);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), top);
}

}  // namespace
