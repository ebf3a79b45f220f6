// Conformance of the profile reader, the folder listing, the file probe and the program's
// own file name: the same tests run against Wine's kernel32 and against the Linux back end.
// Files live in C:\TarnivoConformance, a drive path that names the same place on both (the
// Wine prefix's drive; on Linux drive_c below the back end's root).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const std::string kFolder = "C:\\TarnivoConformance";

class ProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    Clean();
    ASSERT_TRUE(CreateDirectoryA(kFolder.c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override { Clean(); }

  static void Clean() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((kFolder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") DeleteFileA((kFolder + "\\" + name).c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(kFolder.c_str());
  }

  // Writes `bytes` as the file `name` of the folder; its full path.
  static std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = kFolder + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
    return path;
  }

  // GetPrivateProfileStringA with a buffer of `size` (a sentinel after it): the text and the
  // returned count.
  static std::pair<std::string, DWORD> Read(const std::string& file, const char* section,
                                            const char* key, const char* fallback = "",
                                            DWORD size = 255) {
    std::vector<char> buffer(size + 1, '#');
    const DWORD count =
        GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    EXPECT_EQ(buffer[size], '#') << "a write past the buffer";
    return {std::string(buffer.data(), std::min<std::size_t>(count, size)), count};
  }
};

TEST_F(ProfileTest, ValuesByTheReadersRules) {
  const std::string file = Write("rules.ini",
                                 "top=before any section\r\n"
                                 "[Menu]\r\n"
                                 "about=About it\r\n"
                                 "  Allow   =   Allow this site   \r\n"
                                 "empty=\r\n"
                                 "bare\r\n"
                                 "quoted=\"  in quotes  \"\r\n"
                                 "single='one'\r\n"
                                 "half=\"open\r\n"
                                 "about=second about\r\n"
                                 "comment=;not a comment\r\n"
                                 "[cr]\rk=v\r\n"
                                 "\t[slide]\t\r\n"
                                 "close=Fechar\n"
                                 "[menu]\n"
                                 "level1=from the second menu section\n"
                                 "[last]\r"
                                 "lf=cr only\r");
  struct Case {
    const char* section;
    const char* key;
    std::string text;
  } cases[] = {
      {"menu", "about", "About it"},  // first of two keys; names without regard to case
      {"MENU", "ABOUT", "About it"},
      {" menu ", " about ", "About it"},  // the asked names lose their blanks
      {"menu", "allow", "Allow this site"},
      {"menu", "empty", ""},
      {"menu", "bare", "fallback"},  // a key without "=" has no value
      {"menu", "quoted", "  in quotes  "},
      {"menu", "single", "one"},
      {"menu", "half", "\"open"},
      {"menu", "comment", ";not a comment"},
      {"slide", "close", "Fechar"},
      {"menu", "level1", "fallback"},  // the first section of a name answers alone
      {"menu", "top", "fallback"},
      {"menu", "missing", "fallback"},
      {"nosuch", "about", "fallback"},
  };
  for (const Case& c : cases) {
    const auto [text, count] = Read(file, c.section, c.key, "fallback   ");
    EXPECT_EQ(text, c.text) << c.section << "/" << c.key;
    EXPECT_EQ(count, c.text.size()) << c.section << "/" << c.key;
  }
  // A CR alone ends a line as well.
  EXPECT_EQ(Read(file, "cr", "k", "-").first, "v");
  EXPECT_EQ(Read(file, "last", "lf", "-").first, "cr only");
}

TEST_F(ProfileTest, BufferLimitsAndMissingFiles) {
  const std::string file =
      Write("limits.ini", "[s]\r\nk=abcdefgh\r\nlong=" + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(Read(file, "s", "k", "", 9), (std::pair<std::string, DWORD>("abcdefgh", 8)));
  // Too small: what fits, with its NUL, and the count of what was copied.
  EXPECT_EQ(Read(file, "s", "k", "", 5), (std::pair<std::string, DWORD>("abcd", 4)));
  EXPECT_EQ(Read(file, "s", "k", "", 1), (std::pair<std::string, DWORD>("", 0)));
  EXPECT_EQ(Read(file, "s", "long").second, 254u);
  EXPECT_EQ(Read(file, "s", "long").first, std::string(254, 'x'));

  // A missing file or folder gives the default, as a missing key does.
  EXPECT_EQ(Read(kFolder + "\\missing.ini", "s", "k", "dflt").first, "dflt");
  EXPECT_EQ(Read(kFolder + "\\nofolder\\x.ini", "s", "k").second, 0u);
  // A default is cut at the buffer too.
  EXPECT_EQ(Read(file, "s", "none", "default text", 4), (std::pair<std::string, DWORD>("def", 3)));
  // GetFileAttributesA on a missing file.
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA((kFolder + "\\missing.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA((kFolder + "\\nofolder\\x.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(ProfileTest, OddBytesNeverGoPastTheBuffer) {
  // A NUL inside a value ends it; a line of 100,000 characters; no line end at all.
  const std::string file = Write("odd.ini", std::string("[a]\r\nk=be\0fore\r\nlong=", 21) +
                                                std::string(100000, 'y') + "\r\n[b]\r\nk=last");
  EXPECT_EQ(Read(file, "a", "k").first, "be");
  EXPECT_EQ(Read(file, "a", "long").second, 254u);
  EXPECT_EQ(Read(file, "b", "k").first, "last");
  // Random bytes: any answer, within the buffer.
  std::mt19937 random(8);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(1 + random() % 600, '\0');
    // Mostly the reader's own marks, some of any value.
    for (char& c : bytes)
      c = static_cast<char>(random() % 4 == 0 ? random() % 256 : "[]=\r\n ab\0\xE9"[random() % 10]);
    const std::string fuzz = Write("fuzz.ini", bytes);
    for (const char* section : {"a", "b", ""})
      for (DWORD size : {1u, 2u, 7u, 255u}) Read(fuzz, section, "a", "", size);
  }
}

TEST_F(ProfileTest, FolderListing) {
  Write("Deutsch.tnk", "");
  Write("Notes.txt", "");
  Write("OLD.TNK", "");
  Write("a.tnk.tnk", "");
  Write("Portugu\xEAs.tnk", "");  // an ANSI name
  ASSERT_TRUE(CreateDirectoryA((kFolder + "\\sub").c_str(), nullptr));

  std::set<std::string> names;
  std::set<std::string> folders;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((kFolder + "\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? folders : names)
        .insert(data.cFileName);
  } while (FindNextFileA(find, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  EXPECT_EQ(names, (std::set<std::string>{"Deutsch.tnk", "Notes.txt", "OLD.TNK", "a.tnk.tnk",
                                          "Portugu\xEAs.tnk"}));
  EXPECT_EQ(folders, (std::set<std::string>{".", "..", "sub"}));
  RemoveDirectoryA((kFolder + "\\sub").c_str());

  // A pattern in the last part, letter case ignored.
  std::set<std::string> tnk;
  find = FindFirstFileA((kFolder + "\\*.tnk").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do tnk.insert(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  EXPECT_EQ(tnk.count("Deutsch.tnk"), 1u);
  EXPECT_EQ(tnk.count("OLD.TNK"), 1u);
  EXPECT_EQ(tnk.count("Notes.txt"), 0u);

  // Nothing found, a missing folder.
  SetLastError(0);
  EXPECT_EQ(FindFirstFileA((kFolder + "\\*.none").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(FindFirstFileA((kFolder + "\\nofolder\\*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // An ANSI name opens the file it listed.
  EXPECT_NE(GetFileAttributesA((kFolder + "\\Portugu\xEAs.tnk").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ModuleFileName, TheProgramsOwnFile) {
  char name[MAX_PATH + 1];
  std::memset(name, '#', sizeof name);
  const DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
  ASSERT_GT(length, 3u);
  ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
  EXPECT_EQ(std::strlen(name), length);
  EXPECT_EQ(name[1], ':') << name;
  EXPECT_EQ(name[2], '\\') << name;
  EXPECT_NE(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES) << name;

  // Too small: cut to the size, with no room for a NUL, and the size returned.
  char small[8];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
  EXPECT_EQ(std::string(small, 5), std::string(name, 5));
  EXPECT_EQ(small[5], '#');
}

}  // namespace
