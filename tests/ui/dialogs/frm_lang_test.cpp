// The language chooser: the languages it lists from the folder, the entry it selects, its
// close caption, and what closing it stores, by its button, by Esc and by losing the
// activation. The same tests run against Wine and the Linux back end.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "ui/dialogs/frm_lang.h"

namespace tarnivo {
namespace {

constexpr const char* kFolder = "C:\\TarnivoLangTest\\";

void WriteFile(const std::string& name, const std::string& bytes) {
  HANDLE file = CreateFileA((std::string(kFolder) + name).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolder(folder + name + "\\");
      else
        DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string StoredLang() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "(no key)";
  char data[256] = {};
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG read =
      RegQueryValueExA(key, "Lang", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS) return "(missing)";
  return std::string(data, size);
}

// Presses the chooser's keys and buttons once it is up, from a thread timer.
std::vector<std::string> g_steps;
std::size_t g_next_step = 0;
HWND g_other = nullptr;
std::string g_focus_seen;

void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_next_step >= g_steps.size()) {
    // A chooser still open long after the last step would hold the test for good.
    if (++g_next_step > g_steps.size() + 50) {
      ADD_FAILURE() << "the chooser did not close";
      SendMessageA(frmLang::Instance()->hWnd(), WM_CLOSE, 0, 0);
    }
    return;
  }
  const std::string step = g_steps[g_next_step++];
  frmLang& chooser = *frmLang::Instance();
  if (step.rfind("select ", 0) == 0) {
    chooser.SetListIndex("cmbLang", std::stoi(step.substr(7)));
  } else if (step == "close") {
    SendMessageA(chooser.Item("cmdsair"), BM_CLICK, 0, 0);
  } else if (step == "esc") {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  } else if (step == "outside") {
    SetActiveWindow(g_other);
  } else if (step == "focus") {
    g_focus_seen = GetFocus() == chooser.Item("cmbLang") ? "cmbLang" : "elsewhere";
  }
}

class FrmLangTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveFolder(kFolder);
    ASSERT_TRUE(CreateDirectoryA(kFolder, nullptr));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    Language().LanguageFolder = kFolder;
    Language().CurrentLanguage = kNoLanguage;
    frmLang::Instance() = std::make_shared<frmLang>();
    g_steps.clear();
    g_next_step = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarnivoLangTestOther";
    RegisterClassA(&wc);
    g_other = CreateWindowExA(0, wc.lpszClassName, "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                              0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    // The window that is active when the chooser opens: its owner, disabled meanwhile.
    owner_ = CreateWindowExA(0, wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  }
  void TearDown() override {
    frmLang::Instance().reset();
    DestroyWindow(owner_);
    DestroyWindow(g_other);
    UnregisterClassA("TarnivoLangTestOther", GetModuleHandleA(nullptr));
    RemoveFolder(kFolder);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    Language() = LanguageState();
  }

  std::vector<std::string> Entries() {
    frmLang& chooser = *frmLang::Instance();
    std::vector<std::string> entries;
    for (int i = 0; i < chooser.ListCount("cmbLang"); ++i)
      entries.push_back(chooser.ListText("cmbLang", i));
    return entries;
  }

  // Opens the chooser modally and plays `steps` in it, one every 20 ms.
  void OpenAndPlay(std::vector<std::string> steps) {
    g_steps = std::move(steps);
    g_next_step = 0;
    SetActiveWindow(owner_);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, NextStep);
    frmLang::Instance()->Show(true);
    KillTimer(nullptr, timer);
  }

  HWND owner_ = nullptr;
};

TEST_F(FrmLangTest, ListsTheFilesWhoseExtensionIsExactlyTnkWithoutIt) {
  for (const char* name :
       {"Deutsch.tnk", "Notes.txt", "OLD.TNK", "a.tnk.tnk", "Portugu\xEAs.tnk", "tnk", "noext"})
    WriteFile(name, "[menu]\r\n");
  ASSERT_TRUE(CreateDirectoryA((std::string(kFolder) + "Folder.tnk").c_str(), nullptr));
  frmLang::Instance()->SetTexts(LanguageFile());
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a", "Deutsch", "Portugu\xEAs"}));
  EXPECT_EQ(frmLang::Instance()->ListIndex("cmbLang"), -1);
  EXPECT_EQ(frmLang::Instance()->Text("cmdsair"), "CLOSE");
}

TEST_F(FrmLangTest, SelectsTheCurrentLanguageAndReadsTheCloseCaption) {
  WriteFile("Deutsch.tnk", "[Slide]\r\nclose = SCHLIESSEN\r\n");
  WriteFile("Espa\xF1ol.tnk", "[Slide]\r\nclose=\r\n");
  struct Case {
    const char* current;
    int selected;
    const char* caption;
  };
  const Case cases[] = {
      {"Deutsch", 0, "SCHLIESSEN"},
      {"Espa\xF1ol", 1, "CLOSE"},  // an empty value: the English default
      {"Klingon", -1, "CLOSE"},    // not in the list, and no file
      {kNoLanguage, -1, "CLOSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current);
    Language().CurrentLanguage = c.current;
    frmLang::Instance()->SetTexts(LanguageFile());
    EXPECT_EQ(frmLang::Instance()->ListIndex("cmbLang"), c.selected);
    EXPECT_EQ(frmLang::Instance()->Text("cmdsair"), c.caption);
    EXPECT_EQ(frmLang::Instance()->ListCount("cmbLang"), 2);  // filled afresh each time
  }
}

TEST_F(FrmLangTest, AMissingFolderGivesAnEmptyList) {
  Language().LanguageFolder = "C:\\TarnivoLangTest\\missing\\";
  frmLang::Instance()->SetTexts(LanguageFile());
  EXPECT_EQ(Entries(), std::vector<std::string>());
  EXPECT_EQ(frmLang::Instance()->Text("cmdsair"), "CLOSE");
}

TEST_F(FrmLangTest, AFolderOfTenThousandFilesListsEveryLanguage) {
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, i % 2 ? "L%05d.tnk" : "N%05d.txt", i);
    WriteFile(name, "");
  }
  Language().CurrentLanguage = "L09999";
  frmLang::Instance()->SetTexts(LanguageFile());
  EXPECT_EQ(frmLang::Instance()->ListCount("cmbLang"), 5000);
  EXPECT_EQ(frmLang::Instance()->ListText("cmbLang", 0), "L00001");
  EXPECT_EQ(frmLang::Instance()->ListIndex("cmbLang"), 4999);
}

TEST_F(FrmLangTest, TheCloseButtonStoresTheChosenLanguage) {
  WriteFile("Deutsch.tnk", "");
  WriteFile(
      "Fran\xE7"
      "ais.tnk",
      "");
  OpenAndPlay({"select 1", "close"});
  EXPECT_FALSE(frmLang::Instance()->IsLoaded());
  EXPECT_EQ(StoredLang(), std::string("Fran\xE7"
                                      "ais") +
                              '\0');
  EXPECT_EQ(Language().CurrentLanguage,
            "Fran\xE7"
            "ais");
}

TEST_F(FrmLangTest, ClosingWithoutAChoiceByEscOrByLosingTheActivationStoresNothing) {
  WriteFile("Deutsch.tnk", "");
  for (const std::vector<std::string>& steps :
       {std::vector<std::string>{"close"}, std::vector<std::string>{"select 0", "esc"},
        std::vector<std::string>{"select 0", "outside"}}) {
    SCOPED_TRACE(steps.back());
    OpenAndPlay(steps);
    EXPECT_FALSE(frmLang::Instance()->IsLoaded());
    EXPECT_EQ(StoredLang(), "(missing)");
    EXPECT_EQ(Language().CurrentLanguage, kNoLanguage);
  }
}

TEST_F(FrmLangTest, TheChooserHasTheFocusInItsListWhenItOpens) {
  WriteFile("Deutsch.tnk", "");
  OpenAndPlay({"focus", "close"});
  EXPECT_EQ(g_focus_seen, "cmbLang");
}

}  // namespace
}  // namespace tarnivo
