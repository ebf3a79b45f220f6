// tarnivo_test_child: the other process of the tests that several processes share state in
// (child_process.h starts it). One command a run:
//
//   hold NAME MARKER             owns mutex NAME, makes file MARKER, and ends without
//                                releasing it (the process dies owning it)
//   hold-until NAME MARKER GATE  owns mutex NAME, makes file MARKER, waits for mutex GATE
//                                (up to 30 s), then releases both and ends
//   count N                      blocks N popups: IncrementBlockedCount N times
//
// Exit codes: 0 done; 2 bad arguments; 3 a mutex was made new where the test made it first;
// 4 a wait did not end as the command expects.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "store/settings.h"

namespace {

// Opens the mutex the test made before starting this process.
HANDLE OpenExisting(const char* name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) std::_Exit(3);
  return mutex;
}

void MakeFile(const char* path) {
  if (std::FILE* file = std::fopen(path, "wb")) std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "hold" && argc == 4) {
    HANDLE mutex = OpenExisting(argv[2]);
    if (WaitForSingleObject(mutex, 30000) != WAIT_OBJECT_0) return 4;
    MakeFile(argv[3]);
    std::fflush(nullptr);
    std::_Exit(0);  // no release, no clean-up: the process ends owning the mutex
  }
  if (command == "hold-until" && argc == 5) {
    HANDLE mutex = OpenExisting(argv[2]);
    HANDLE gate = OpenExisting(argv[4]);
    if (WaitForSingleObject(mutex, 30000) != WAIT_OBJECT_0) return 4;
    MakeFile(argv[3]);
    if (WaitForSingleObject(gate, 30000) != WAIT_OBJECT_0) return 4;
    ReleaseMutex(gate);
    ReleaseMutex(mutex);
    CloseHandle(gate);
    CloseHandle(mutex);
    return 0;
  }
  if (command == "count" && argc == 3) {
    const int popups = std::atoi(argv[2]);
    for (int i = 0; i < popups; ++i) tarnivo::IncrementBlockedCount();
    return 0;
  }
  return 2;
}
