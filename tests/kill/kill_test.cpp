// Kill tests: a child process saves the list file (or writes a registry value) over and over,
// alternating two contents, and is killed with SIGKILL at random moments. After every kill
// the file holds exactly the old or the new content, and the next save or write in another
// process leaves no temporary file behind.
//
//   kill_tests lists|registry [KILLS]      runs the test (default 50 kills)
//   kill_tests child-lists|child-registry ROOT
//                                          the child: writes until it is killed
//
// The child writes one byte on its standard output as it starts each save or write; the
// parent waits for the first or second of them and kills the child after a random delay
// within one write (every other kill early in it, where the file's bytes are written). The
// seed is printed (KILL_SEED chooses it).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "store/list_file_support.h"
#include "store/mod_reg.h"
#include "store/site_list.h"
#include "store/site_list_file.h"

namespace {

using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = tarnivo::SiteList::kMaxEntries;

struct Lists {
  Strings allowed;
  Strings blocked;
};

// Two full contents of the list file, different in every entry and in size.
Lists Content(bool second) {
  Lists lists;
  char text[64];
  for (int i = 0; i < kEntries; ++i) {
    std::snprintf(text, sizeof text, second ? "site-%05d.second.example" : "s%05d.example", i);
    lists.allowed.push_back(text);
    std::snprintf(text, sizeof text, second ? "control-%05d.second.example" : "c%05d.example", i);
    lists.blocked.push_back(text);
  }
  return lists;
}

void Fill(const Lists& lists) {
  tarnivo::AllowedSites().Clear();
  tarnivo::BlockedActiveX().Clear();
  tarnivo::AllowedSites().AddAll(lists.allowed);
  tarnivo::BlockedActiveX().AddAll(lists.blocked);
}

Lists Loaded() {
  tarnivo::AllowedSites().Clear();
  tarnivo::BlockedActiveX().Clear();
  tarnivo::LoadSiteLists();
  return {tarnivo::AllowedSites().Texts(), tarnivo::BlockedActiveX().Texts()};
}

bool operator==(const Lists& a, const Lists& b) {
  return a.allowed == b.allowed && a.blocked == b.blocked;
}

// Whether a file exists: the list file's name is a Windows name, so through the Win32 subset.
bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Two values of the count, of different sizes.
const std::string kValueA = "1234";
const std::string kValueB = std::string(4000, '7') + "5";

// The child: writes until killed, one byte on its standard output as each write starts.
[[noreturn]] void Child(const std::string& mode, const std::string& root) {
  backend::SetRoot(root);
  if (mode == "child-lists") {
    const Lists first = Content(false);
    const Lists second = Content(true);
    for (bool flip = true;; flip = !flip) {
      Fill(flip ? second : first);
      if (write(STDOUT_FILENO, "s", 1) != 1) std::_Exit(3);
      tarnivo::SaveSiteLists();
    }
  }
  for (bool flip = true;; flip = !flip) {
    if (write(STDOUT_FILENO, "s", 1) != 1) std::_Exit(3);
    tarnivo::ModReg::SetKeyValue(tarnivo::kSettingsKey, "processNC", flip ? kValueB : kValueA,
                                 REG_SZ);
  }
}

struct Outcome {
  int old_content = 0;
  int new_content = 0;
  int temporary_left = 0;
  int failures = 0;
};

// Starts the child, waits for the start of its `writes`-th write, lets it go on for `delay`
// and kills it.
bool KillChild(const std::string& self, const std::string& mode, const std::string& root,
               int writes, std::chrono::microseconds delay) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    execl(self.c_str(), self.c_str(), mode.c_str(), root.c_str(), static_cast<char*>(nullptr));
    std::_Exit(4);
  }
  close(pipe_ends[1]);
  bool started = true;
  for (int i = 0; i < writes && started; ++i) {
    char mark = 0;
    started = read(pipe_ends[0], &mark, 1) == 1;
  }
  if (started) std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

int Run(const std::string& self, const std::string& what, int kills) {
  std::string pattern = "/tmp/tarnivo-kill-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 2;
  const std::string root = pattern;
  backend::SetRoot(root);

  unsigned seed = std::random_device{}();
  if (const char* chosen = std::getenv("KILL_SEED"))
    seed = static_cast<unsigned>(std::atoll(chosen));
  std::mt19937 random(seed);
  std::printf("%s: %d kills, seed %u\n", what.c_str(), kills, seed);

  const bool lists = what == "lists";
  const Lists first = lists ? Content(false) : Lists();
  const Lists second = lists ? Content(true) : Lists();
  const std::string list_file = lists ? tarnivo::SiteListFile() : "";
  const std::string list_temporary = list_file + ".new";
  const std::string registry_temporary = backend::RegistryFile() + ".tmp";

  // The start: the bytes of both contents as a save writes them (each checked to load back),
  // then the first content in place, and the time one write takes.
  std::string first_bytes;
  std::string second_bytes;
  if (lists) {
    for (const Lists* content : {&second, &first}) {
      Fill(*content);
      tarnivo::SaveSiteLists();
      if (!(Loaded() == *content)) {
        std::printf("a saved list file does not load back\n");
        return 1;
      }
      tarnivo::testing_support::ReadBytes(list_file,
                                          content == &first ? first_bytes : second_bytes);
    }
    Fill(first);
  }
  const Clock::time_point start = Clock::now();
  if (lists) {
    tarnivo::SaveSiteLists();
  } else {
    tarnivo::ModReg::CreateNewKey(tarnivo::kSettingsKey, HKEY_LOCAL_MACHINE);
    tarnivo::ModReg::SetKeyValue(tarnivo::kSettingsKey, "processNR", std::string("1"), REG_SZ);
    tarnivo::ModReg::SetKeyValue(tarnivo::kSettingsKey, "processNC", kValueA, REG_SZ);
  }
  const auto one_write =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  std::printf("one write takes %lld us\n", static_cast<long long>(one_write.count()));
  std::uniform_int_distribution<long long> whole_write(0, one_write.count() + 1000);
  std::uniform_int_distribution<long long> early(0, one_write.count() / 8 + 200);
  std::uniform_int_distribution<int> which(1, 2);

  std::vector<std::string> reports;
  backend::SetObserver([&reports](const std::string& line) { reports.push_back(line); });

  Outcome outcome;
  auto fail = [&outcome](int kill, const std::string& why) {
    std::printf("kill %d: %s\n", kill, why.c_str());
    ++outcome.failures;
  };
  for (int kill = 1; kill <= kills; ++kill) {
    const long long delay = kill % 2 == 0 ? whole_write(random) : early(random);
    if (!KillChild(self, "child-" + what, root, which(random), std::chrono::microseconds(delay))) {
      fail(kill, "the child did not start or was not killed");
      continue;
    }
    if (lists) {
      if (Exists(list_temporary)) ++outcome.temporary_left;
      // Byte for byte one of the two saved files, each of which loads to its lists.
      std::string bytes;
      tarnivo::testing_support::ReadBytes(list_file, bytes);
      if (bytes == first_bytes) {
        ++outcome.old_content;
      } else if (bytes == second_bytes) {
        ++outcome.new_content;
      } else {
        const Lists loaded = Loaded();
        fail(kill, "the list file holds neither content (" + std::to_string(bytes.size()) +
                       " bytes, " + std::to_string(loaded.allowed.size()) + " and " +
                       std::to_string(loaded.blocked.size()) + " entries)");
        Fill(first);
      }
      // The next save, from this process (its lists hold the first content), replaces
      // whatever the killed one left.
      tarnivo::SaveSiteLists();
      if (Exists(list_temporary)) fail(kill, "the next save left " + list_temporary);
      tarnivo::testing_support::ReadBytes(list_file, bytes);
      if (bytes != first_bytes) fail(kill, "the next save did not write the lists");
    } else {
      if (Exists(registry_temporary)) ++outcome.temporary_left;
      const std::string count = tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "processNC");
      if (count == kValueA + '\0') {
        ++outcome.old_content;
      } else if (count == kValueB + '\0') {
        ++outcome.new_content;
      } else {
        fail(kill, "processNC reads neither value (" + std::to_string(count.size()) + " bytes)");
      }
      if (tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "processNR") !=
          std::string("1\0", 2)) {
        fail(kill, "processNR was lost");
      }
      // The next write, from this process, finds the file whole and leaves no temporary file.
      reports.clear();
      tarnivo::ModReg::SetKeyValue(tarnivo::kSettingsKey, "processNL", std::to_string(kill),
                                   REG_SZ);
      for (const std::string& line : reports) {
        if (line.find("damaged") != std::string::npos) fail(kill, line);
      }
      if (Exists(registry_temporary)) fail(kill, "the next write left " + registry_temporary);
      if (Exists(backend::RegistryFile() + ".corrupt")) fail(kill, "a damaged copy was made");
    }
  }
  backend::SetObserver(nullptr);
  std::printf(
      "%s: %d kills, %d left the first content, %d the second, %d left a temporary file; "
      "%d failures\n",
      what.c_str(), kills, outcome.old_content, outcome.new_content, outcome.temporary_left,
      outcome.failures);
  const int ignored = std::system(("rm -rf '" + root + "'").c_str());
  (void)ignored;
  return outcome.failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if ((mode == "child-lists" || mode == "child-registry") && argc > 2) Child(mode, argv[2]);
  if ((mode == "lists" || mode == "registry")) {
    const int kills = argc > 2 ? std::atoi(argv[2]) : 50;
    return Run("/proc/self/exe", mode, kills > 0 ? kills : 50);
  }
  std::fprintf(stderr, "usage: kill_tests lists|registry [KILLS]\n");
  return 2;
}
