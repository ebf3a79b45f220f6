// Conformance of the system directory and the file functions: the same tests run against
// Wine's kernel32 and against the Linux back end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

std::string SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  return std::string(buffer, length);
}

TEST(SystemDirectory, ReturnValueRules) {
  char buffer[MAX_PATH + 1];
  std::memset(buffer, '#', sizeof buffer);
  UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, MAX_PATH);
  EXPECT_EQ(std::strlen(buffer), length);
  char last = buffer[length - 1];
  EXPECT_TRUE(last != '\\' && last != '/') << buffer;

  // Asking for the size: the length with its NUL.
  EXPECT_EQ(GetSystemDirectoryA(nullptr, 0), length + 1);
  // One byte short of the NUL: the size needed, nothing copied.
  char small[MAX_PATH + 1];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(GetSystemDirectoryA(small, length), length + 1);
  EXPECT_EQ(small[0], '#');
  // Just enough room.
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(GetSystemDirectoryA(small, length + 1), length);
  EXPECT_EQ(std::string(small), std::string(buffer));

  // It is a folder that exists.
  DWORD attributes = GetFileAttributesA(buffer);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & 0x10u, 0u) << "FILE_ATTRIBUTE_DIRECTORY";
}

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = SystemFolder();
    ASSERT_FALSE(folder_.empty());
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      paths_.push_back(folder_ + "\\TarnivoConformance-" + name);
    }
    for (const std::string& path : paths_) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  }
  void TearDown() override {
    for (const std::string& path : paths_) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  }

  HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  bool Write(HANDLE file, const std::string& text) {
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok && written == text.size();
  }

  // The whole content of a file, or "<missing>".
  std::string Content(const std::string& path) {
    HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buffer[7];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
      text.append(buffer, got);
    CloseHandle(file);
    return text;
  }

  // Creates a file holding `text`.
  void Make(const std::string& path, const std::string& text) {
    HANDLE file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Write(file, text));
    ASSERT_TRUE(CloseHandle(file));
  }

  std::string folder_;
  std::vector<std::string> paths_;
};

TEST_F(FilesTest, CreateWriteReadAndEndOfFile) {
  const std::string& path = paths_[0];
  HANDLE file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u) << "a new file";
  std::string text("example.com\r\nads.example\r\n\0binary\xff", 34);
  EXPECT_TRUE(Write(file, text));
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));

  file = Open(path, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[64] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), text);
  // At the end: success with nothing read.
  got = 99;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);
  // A read-only handle does not write.
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(file));

  // A write-only handle does not read.
  file = Open(path, GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Content(path), text);
}

TEST_F(FilesTest, CreationDispositions) {
  const std::string& path = paths_[0];
  struct Step {
    DWORD disposition;
    bool succeeds;
    DWORD error;          // GetLastError after the call
    const char* content;  // after writing "new" when it opened
  };
  // From a missing file, one step after the other.
  const Step steps[] = {
      {OPEN_EXISTING, false, static_cast<DWORD>(ERROR_FILE_NOT_FOUND), "<missing>"},
      {TRUNCATE_EXISTING, false, static_cast<DWORD>(ERROR_FILE_NOT_FOUND), "<missing>"},
      {CREATE_NEW, true, 0, "new"},
      {CREATE_NEW, false, 80 /* ERROR_FILE_EXISTS */, "new"},
      {OPEN_ALWAYS, true, 183 /* ERROR_ALREADY_EXISTS */, "newnew"},
      {OPEN_EXISTING, true, 0, "newnewnew"},
      {CREATE_ALWAYS, true, 183 /* ERROR_ALREADY_EXISTS */, "new"},
      {TRUNCATE_EXISTING, true, 0, "new"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.disposition);
    SetLastError(12345);
    HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, step.disposition);
    DWORD error = GetLastError();
    if (step.succeeds) {
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      // Opening does not move into existing content: write after it by seeking.
      EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END) % 3, 0u);
      EXPECT_TRUE(Write(file, "new"));
      CloseHandle(file);
    } else {
      EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(error, step.error);
    EXPECT_EQ(Content(path), step.content);
  }
  // OPEN_ALWAYS on a missing file creates it and clears the error.
  DeleteFileA(path.c_str());
  SetLastError(12345);
  HANDLE file = Open(path, GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u);
  CloseHandle(file);
  EXPECT_EQ(Content(path), "");
}

TEST_F(FilesTest, MissingFilesAndFolders) {
  std::string missing_file = paths_[0];
  std::string missing_folder = folder_ + "\\TarnivoConformanceNoFolder\\x.txt";
  struct Case {
    const std::string* path;
    DWORD error;
  };
  const Case cases[] = {{&missing_file, static_cast<DWORD>(ERROR_FILE_NOT_FOUND)},
                        {&missing_folder, static_cast<DWORD>(ERROR_PATH_NOT_FOUND)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(*c.path);
    EXPECT_EQ(Open(*c.path, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(GetFileAttributesA(c.path->c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_FALSE(DeleteFileA(c.path->c_str()));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_FALSE(MoveFileExA(c.path->c_str(), paths_[1].c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), c.error);
  }
  // Creating in a missing folder fails too.
  EXPECT_EQ(Open(missing_folder, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // A folder is not a file.
  EXPECT_EQ(Open(folder_, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FilesTest, FilePointerMovesAndAppends) {
  const std::string& path = paths_[0];
  Make(path, "0123456789");
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
  char buffer[4] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 2, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "45");
  EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_CURRENT), 3u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 3u);
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 9u);
  LONG high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_END), 10u);
  EXPECT_EQ(high, 0);
  EXPECT_TRUE(Write(file, "AB"));
  // Before the start: refused, and the position stays.
  EXPECT_EQ(SetFilePointer(file, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), 131u) << "ERROR_NEGATIVE_SEEK";
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 12u);
  // A position past 4 GiB through the high part; reading there finds nothing.
  high = 1;
  EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
  EXPECT_EQ(high, 1);
  DWORD none = 99;
  EXPECT_TRUE(ReadFile(file, buffer, 1, &none, nullptr));
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(SetFilePointer(file, 12, nullptr, FILE_BEGIN), 12u);
  // Writing over the middle.
  EXPECT_EQ(SetFilePointer(file, 1, nullptr, FILE_BEGIN), 1u);
  EXPECT_TRUE(Write(file, "x"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Content(path), "0x23456789AB");

  // Appending through a new handle.
  file = Open(path, GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 12u);
  EXPECT_TRUE(Write(file, "\r\n"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Content(path), "0x23456789AB\r\n");
}

TEST_F(FilesTest, ReplaceThroughMove) {
  const std::string& target = paths_[0];
  const std::string& temporary = paths_[1];
  Make(target, "old list");
  Make(temporary, "new list");

  // Without the flag an existing target stays.
  EXPECT_FALSE(MoveFileExA(temporary.c_str(), target.c_str(), 0));
  EXPECT_EQ(GetLastError(), 183u) << "ERROR_ALREADY_EXISTS";
  EXPECT_EQ(Content(target), "old list");
  EXPECT_EQ(Content(temporary), "new list");

  ASSERT_TRUE(MoveFileExA(temporary.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Content(target), "new list");
  EXPECT_EQ(GetFileAttributesA(temporary.c_str()), INVALID_FILE_ATTRIBUTES);

  // A file moved onto itself stays.
  EXPECT_TRUE(MoveFileExA(target.c_str(), target.c_str(), 0));
  EXPECT_EQ(Content(target), "new list");

  // To a free name no flag is needed.
  ASSERT_TRUE(MoveFileExA(target.c_str(), paths_[2].c_str(), 0));
  EXPECT_EQ(Content(paths_[2]), "new list");
  EXPECT_EQ(Content(target), "<missing>");
}

TEST_F(FilesTest, AttributesDeleteAndHandles) {
  const std::string& path = paths_[0];
  Make(path, "x");
  DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & 0x10u, 0u) << "not a folder";
  // Forward slashes name the same file.
  std::string forward = path;
  for (char& c : forward) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(GetFileAttributesA(forward.c_str()), attributes);

  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

  // A handle opened for neither reading nor writing does neither.
  Make(path, "x");
  HANDLE query = Open(path, 0, OPEN_EXISTING);
  ASSERT_NE(query, INVALID_HANDLE_VALUE);
  char byte = 0;
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(query, &byte, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(WriteFile(query, "y", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(query));
  EXPECT_TRUE(DeleteFileA(path.c_str()));

  // A closed handle is no handle.
  HANDLE file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, ReadOnlyFileIsNotDeleted) {
  const std::string& path = paths_[0];
  const std::string& temporary = paths_[1];
  Make(path, "kept");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);

  SetLastError(0);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Content(path), "kept");

  // Without the flag a move onto it is refused for its being there.
  Make(temporary, "new");
  EXPECT_FALSE(MoveFileExA(temporary.c_str(), path.c_str(), 0));
  EXPECT_EQ(GetLastError(), 183u) << "ERROR_ALREADY_EXISTS";

  // A read-only file moves to a free name, and stays read-only there.
  ASSERT_TRUE(MoveFileExA(path.c_str(), paths_[2].c_str(), 0));
  EXPECT_EQ(Content(paths_[2]), "kept");
  EXPECT_NE(GetFileAttributesA(paths_[2].c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

  // With MOVEFILE_REPLACE_EXISTING Wine replaces it (Windows refuses).
  EXPECT_TRUE(MoveFileExA(temporary.c_str(), paths_[2].c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Content(paths_[2]), "new");

  // Writable again, a file goes.
  Make(path, "x");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(DeleteFileA(path.c_str()));

  SetLastError(0);
  EXPECT_FALSE(SetFileAttributesA((folder_ + "\\TarnivoConformance-none.txt").c_str(),
                                  FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, SetEndOfFileCutsAndGrowsAtThePointer) {
  const std::string& path = paths_[0];
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Write(file, "hello world"));
  EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 5u);
  EXPECT_EQ(SetFilePointer(file, 8, nullptr, FILE_BEGIN), 8u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Content(path), std::string("hello\0\0\0", 8));

  // A handle without write access cannot cut (Wine: ERROR_INVALID_PARAMETER).
  file = Open(path, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFilePointer(file, 1, nullptr, FILE_BEGIN);
  SetLastError(0);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Content(path).size(), 8u);
}

}  // namespace
