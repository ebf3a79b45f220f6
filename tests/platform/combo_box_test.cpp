// Conformance of the combo box (class "COMBOBOX") with a drop-down list and with an edit
// field: the same tests run against Wine's user32 and against the Linux back end.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

class ComboBoxTest : public testing::Test {
 protected:
  void TearDown() override {
    for (HWND window : made_)
      if (IsWindow(window)) DestroyWindow(window);
  }
  HWND Make(DWORD style, const char* text = "") {
    HWND combo = CreateWindowExA(0, "COMBOBOX", text, WS_POPUP | style, 0, 0, 200, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    if (combo != nullptr) made_.push_back(combo);
    return combo;
  }
  static LRESULT Send(HWND combo, UINT message, WPARAM wParam, const char* text) {
    return SendMessageA(combo, message, wParam, reinterpret_cast<LPARAM>(text));
  }
  static std::string Text(HWND combo) {
    char buffer[256] = {};
    GetWindowTextA(combo, buffer, sizeof buffer);
    return buffer;
  }
  static std::string Item(HWND combo, int index) {
    char buffer[256] = {};
    if (SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(buffer)) == CB_ERR)
      return "<error>";
    return buffer;
  }
  std::vector<HWND> made_;
};

TEST_F(ComboBoxTest, ADropDownListOfLanguages) {
  HWND combo = Make(CBS_DROPDOWNLIST);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "Deutsch"), 0);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "Portugu\xEAs"), 1);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "English"), 2);  // no CBS_SORT: in the order given
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Item(combo, 1), "Portugu\xEAs");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 9);
  EXPECT_EQ(Item(combo, 3), "<error>");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 3, 0), CB_ERR);
  EXPECT_EQ(Text(combo), "") << "nothing selected";

  // Choosing by index; the text is the chosen entry.
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(combo), "English");
  // -1 takes the selection away.
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text(combo), "");

  // By the start of a text, letter case ignored; a text no entry begins with selects nothing
  // and leaves the selection as it was.
  EXPECT_EQ(Send(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), "portu"), 1);
  EXPECT_EQ(Text(combo), "Portugu\xEAs");
  EXPECT_EQ(Send(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), "Fran"), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Send(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), "DEU"), 0);
  EXPECT_EQ(Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "deutsch"), 0);
  EXPECT_EQ(Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "Deu"), CB_ERR);

  // Item data.
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 0, 0), 0);
  EXPECT_NE(SendMessageA(combo, CB_SETITEMDATA, 0, 77), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 0, 0), 77);

  // Emptied: no entries, no selection, no text.
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text(combo), "");
}

TEST_F(ComboBoxTest, SortedEntriesTakeTheirPlace) {
  HWND combo = Make(CBS_DROPDOWNLIST | CBS_SORT);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "b"), 0);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "A"), 0);
  EXPECT_EQ(Send(combo, CB_ADDSTRING, 0, "c"), 2);
  EXPECT_EQ(Item(combo, 0), "A");
  EXPECT_EQ(Item(combo, 1), "b");
}

TEST_F(ComboBoxTest, AComboWithAnEditFieldKeepsItsOwnText) {
  // The window name given at creation is not the edit field's text: it is set afterwards.
  HWND combo = Make(CBS_DROPDOWN, "the window's name");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(Text(combo), "");
  EXPECT_TRUE(SetWindowTextA(combo, "Type your search string here"));
  EXPECT_EQ(Text(combo), "Type your search string here");
  for (const char* item : {"aaa", "bbb", "ccc"}) Send(combo, CB_ADDSTRING, 0, item);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text(combo), "Type your search string here") << "adding entries keeps the text";
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(Text(combo), "bbb");
  EXPECT_TRUE(SetWindowTextA(combo, "free text"));
  EXPECT_EQ(Text(combo), "free text");
}

}  // namespace
