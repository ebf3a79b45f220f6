// Conformance of ShellExecuteA for what runs harmlessly on both builds: a file that is not
// there opens nothing and answers an error (at most 32) with the reason in the last error.
// A web address or a mail link would start a program under Wine, so what those answer, and
// how a call is recorded, is tested on the Linux back end only (lists_backend_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

INT_PTR Execute(LPCSTR verb, const std::string& file, LPCSTR directory) {
  return reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, verb, file.c_str(), nullptr, directory, SW_SHOWNORMAL));
}

TEST(ShellExecuteTest, AFileThatIsNotThereOpensNothing) {
  char system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  CreateDirectoryA(system, nullptr);  // there already under Wine
  struct Case {
    const char* what;
    LPCSTR verb;
    std::string file;
    LPCSTR directory;
    DWORD error;
  };
  const Case cases[] = {
      {"in a folder that is there", "open", std::string(system) + "\\no such file.txt", nullptr,
       static_cast<DWORD>(ERROR_FILE_NOT_FOUND)},
      {"the default verb", nullptr, std::string(system) + "\\no such file.txt", "C:\\",
       static_cast<DWORD>(ERROR_FILE_NOT_FOUND)},
      {"in a folder that is not there", "open", "C:\\no such folder\\no such file.txt", "C:\\",
       static_cast<DWORD>(ERROR_PATH_NOT_FOUND)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(Execute(c.verb, c.file, c.directory), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

}  // namespace
