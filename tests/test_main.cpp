// Test entry point. On Linux each test program gets a fresh, private root folder for the
// back end's registry and system directory, so tests never touch /var/lib/tarnivo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <unistd.h>

#include "platform/linux/backend.h"
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
  std::string pattern = "/tmp/tarnivo-test-XXXXXX";
  if (char* made = mkdtemp(pattern.data())) {
    backend::SetRoot(made);
  }
#endif
  int result = RUN_ALL_TESTS();
#ifndef _WIN32
  std::string cleanup = "rm -rf '" + backend::Root() + "'";
  if (backend::Root().rfind("/tmp/tarnivo-test-", 0) == 0) {
    int ignored = std::system(cleanup.c_str());
    (void)ignored;
  }
#endif
  return result;
}
