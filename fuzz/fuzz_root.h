// A private root folder for the Linux back end's registry and system directory, one per
// fuzzing process.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/linux/backend.h"

namespace fuzzing {

// Removes every entry inside `folder` (and the folder itself when `self`).
inline void RemoveTree(const std::string& folder, bool self) {
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "/" + name;
      struct stat info {};
      if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        RemoveTree(path, true);
      } else {
        unlink(path.c_str());
      }
    }
    closedir(dir);
  }
  if (self) rmdir(folder.c_str());
}

// The root folder of this process's back end: a new folder below $TARNIVO_FUZZ_TMP, or
// /dev/shm (the registry syncs every write; memory makes that cheap), or /tmp. It is removed
// when the process exits normally.
inline const std::string& PrivateRoot() {
  // Never destroyed: the exit handler that removes the folder still reads it.
  static const std::string& root = *new std::string([] {
    std::string base = "/tmp";
    struct stat info {};
    if (const char* chosen = std::getenv("TARNIVO_FUZZ_TMP"); chosen != nullptr && *chosen) {
      base = chosen;
    } else if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) &&
               access("/dev/shm", W_OK) == 0) {
      base = "/dev/shm";
    }
    std::string pattern = base + "/tarnivo-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Fail(__FILE__, __LINE__, "mkdtemp");
    backend::SetRoot(pattern);
    std::atexit([] { RemoveTree(PrivateRoot(), true); });
    return pattern;
  }());
  return root;
}

}  // namespace fuzzing
