#include "support/child_process.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "platform/win32.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/linux/backend.h"

extern char** environ;
#endif

namespace child_process {

namespace {

// The folder of the running test program, with its trailing separator.
std::string ProgramFolder() {
#ifdef _WIN32
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of("\\/") + 1);
#else
  char path[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string text(path, length > 0 ? static_cast<std::size_t>(length) : 0);
  return text.substr(0, text.find_last_of('/') + 1);
#endif
}

}  // namespace

Child::~Child() { Wait(0); }

#ifdef _WIN32

bool Child::Start(const std::vector<std::string>& arguments) {
  const std::string program = ProgramFolder() + "tarnivo_test_child.exe";
  std::string command = "\"" + program + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

int Child::Wait(unsigned milliseconds) {
  if (process_ == nullptr) return -1;
  int code = -1;
  if (WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0) {
    DWORD exit_code = 0;
    if (GetExitCodeProcess(process_, &exit_code)) code = static_cast<int>(exit_code);
  } else {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  return code;
}

#else

bool Child::Start(const std::vector<std::string>& arguments) {
  const std::string program = ProgramFolder() + "tarnivo_test_child";
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  // The child shares this process's registry, files and mutexes.
  setenv("TARNIVO_ROOT", backend::Root().c_str(), 1);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  pid_ = pid;
  return true;
}

int Child::Wait(unsigned milliseconds) {
  if (pid_ < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  int code = -1;
  if (done == pid_) {
    code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return code;
}

#endif

bool WaitForFile(const std::string& path, unsigned milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (true) {
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
      std::fclose(file);
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::string UniqueName(const std::string& prefix) {
  std::random_device device;
  return prefix + std::to_string(device()) + "-" + std::to_string(device());
}

}  // namespace child_process
