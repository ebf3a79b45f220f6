// The test child program (tarnivo_test_child, built beside the test programs) started as a
// process of its own, for tests of what several processes share: fork and exec on Linux
// (with the back end's root folder passed on in TARNIVO_ROOT), CreateProcessA under Wine.
#pragma once

#include <string>
#include <vector>

namespace child_process {

class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  // Starts the child program with `arguments`; false when it cannot be started.
  bool Start(const std::vector<std::string>& arguments);
  // Waits up to `milliseconds` for the child to end: its exit code, or -1 when it did not
  // end in time (it is then killed) or was not started.
  int Wait(unsigned milliseconds);

 private:
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

// Waits up to `milliseconds` (real time) for a file to exist.
bool WaitForFile(const std::string& path, unsigned milliseconds);

// A name no other test run on the machine uses at the same time: `prefix` and a random
// number.
std::string UniqueName(const std::string& prefix);

}  // namespace child_process
