// Mutexes of the Linux back end: CreateMutexA, WaitForSingleObject, ReleaseMutex and
// CloseHandle of a mutex handle.
//
// A mutex is a robust POSIX mutex (pthread) plus a few counters. An unnamed mutex lives in
// this process's memory. A named one lives in a file of the root folder,
// "ROOT/mutexes/NAME" (bytes other than letters, digits, '.', '_' and '-' written as %HH; a
// long name as "long-" and a hash of it), mapped shared into every process that has it
// open, so that every process of the machine that uses the root shares it:
//
// - Whether the mutex exists is told by open file description (OFD) locks on the file's
//   first byte: each process that has the mutex open holds a shared lock; a process that
//   opens it takes the exclusive lock when nobody else holds one, and then makes the mutex
//   new (a fresh state in the file, no ERROR_ALREADY_EXISTS) before it turns the lock
//   into a shared one. The kernel drops the locks of a process that dies, so a mutex whose
//   processes have all ended starts afresh, as on Windows, and a damaged or stale file is
//   never read by the first process to open it again.
// - Ownership is the pthread mutex's own: a process that dies owning it leaves it to the
//   kernel's robust-list handling, and the next locker gets EOWNERDEAD, which the back end
//   answers with WAIT_ABANDONED. A thread that ends owning a mutex (its process going on)
//   marks it abandoned and unlocks it when its thread-local state goes.
// - Recursion is counted per thread, in thread-local state: a thread that owns a mutex
//   waits on it again without locking, and only its last ReleaseMutex unlocks it.
// - A thread that has just released a mutex other threads wait for, and waits on it again
//   at once, lets one of the waiters have it first (for up to 20 ms): Windows hands a
//   released mutex to a waiter, where a pthread mutex would let the releaser take it back
//   again and again and keep the waiters out until their time runs out.
//
// Timeouts are in real milliseconds (CLOCK_MONOTONIC), not on the back end's virtual
// clock: a mutex is shared with other processes, which live in real time.
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr char kMagic[8] = {'t', 'n', 'v', 'm', 't', 'x', '1', '\0'};
constexpr std::uintptr_t kFirstHandle = 0x40000000u;
constexpr auto kHandOverTime = std::chrono::milliseconds(20);

// The state of one mutex; in a shared file mapping for a named mutex.
struct SharedState {
  char magic[8];
  pthread_mutex_t lock;
  std::atomic<std::uint32_t> waiters;       // threads blocked in a wait with a timeout
  std::atomic<std::uint64_t> acquisitions;  // times the lock was taken
  std::atomic<std::int64_t> last_releaser;  // thread id (gettid) of the last full release
  std::atomic<std::uint32_t> abandoned;     // a thread ended owning it
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free,
              "the counters are shared between processes");

std::size_t MappedSize() {
  const long page = sysconf(_SC_PAGESIZE);
  const std::size_t size = page > 0 ? static_cast<std::size_t>(page) : 4096;
  return sizeof(SharedState) <= size ? size : sizeof(SharedState);
}

bool InitialiseState(SharedState* state, bool shared) {
  std::memset(static_cast<void*>(state), 0, sizeof(SharedState));
  pthread_mutexattr_t attributes;
  if (pthread_mutexattr_init(&attributes) != 0) return false;
  bool ok = pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
            pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ERRORCHECK) == 0 &&
            pthread_mutexattr_setpshared(
                &attributes, shared ? PTHREAD_PROCESS_SHARED : PTHREAD_PROCESS_PRIVATE) == 0 &&
            pthread_mutex_init(&state->lock, &attributes) == 0;
  pthread_mutexattr_destroy(&attributes);
  if (!ok) return false;
  new (&state->waiters) std::atomic<std::uint32_t>(0);
  new (&state->acquisitions) std::atomic<std::uint64_t>(0);
  new (&state->last_releaser) std::atomic<std::int64_t>(0);
  new (&state->abandoned) std::atomic<std::uint32_t>(0);
  std::memcpy(state->magic, kMagic, sizeof kMagic);
  return true;
}

// One mutex as this process has it open; every handle of the process to it shares it.
struct MutexObject {
  std::string name;  // empty for an unnamed mutex
  SharedState* state = nullptr;
  int fd = -1;  // the mapped file of a named mutex

  MutexObject() = default;
  MutexObject(const MutexObject&) = delete;
  MutexObject& operator=(const MutexObject&) = delete;
  ~MutexObject() {
    if (fd >= 0) {
      munmap(state, MappedSize());
      close(fd);  // drops this process's lock on the file
    } else if (state != nullptr) {
      pthread_mutex_destroy(&state->lock);
      delete state;
    }
  }
};

struct Tables {
  std::mutex mutex;
  std::map<std::uintptr_t, std::shared_ptr<MutexObject>> handles;
  std::map<std::string, std::weak_ptr<MutexObject>> named;
  std::uintptr_t next_handle = kFirstHandle;
};

// Never destroyed: threads may still release mutexes while the process exits.
Tables& TheTables() {
  static Tables* tables = new Tables;
  return *tables;
}

std::int64_t ThreadId() { return static_cast<std::int64_t>(gettid()); }

// The mutexes the calling thread owns, with how many times it waited on each. A thread
// that ends owning some abandons them.
struct Ownership {
  struct Owned {
    std::shared_ptr<MutexObject> object;
    std::uint32_t depth = 0;
  };
  std::map<MutexObject*, Owned> owned;

  ~Ownership() {
    for (auto& entry : owned) {
      SharedState* state = entry.second.object->state;
      state->abandoned.store(1);
      state->last_releaser.store(0);
      pthread_mutex_unlock(&state->lock);
    }
  }
};

Ownership& ThreadOwnership() {
  thread_local Ownership ownership;
  return ownership;
}

std::shared_ptr<MutexObject> Lookup(HANDLE handle) {
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  auto it = tables.handles.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == tables.handles.end() ? nullptr : it->second;
}

// A new handle to `object`; caller holds the tables' lock.
HANDLE NewHandleLocked(Tables& tables, std::shared_ptr<MutexObject> object) {
  const std::uintptr_t value = tables.next_handle;
  tables.next_handle += 4;
  tables.handles[value] = std::move(object);
  return reinterpret_cast<HANDLE>(value);
}

std::string FileNameOf(const std::string& name) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : name) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '_' || c == '-') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  if (out.size() <= 200 && out != "." && out != "..") return out;
  std::uint64_t hash = 1469598103934665603ull;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[32];
  std::snprintf(text, sizeof text, "long-%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool LockFirstByte(int fd, short type, bool wait) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Opens or makes the named mutex's file and maps it. `created` tells whether it was made
// new. Null, with the last error set, when it cannot be had.
std::shared_ptr<MutexObject> OpenNamed(const std::string& name, bool& created) {
  const std::string folder = backend::Root() + "/mutexes";
  backend::internal::MakeFolders(folder);
  const std::string path = folder + "/" + FileNameOf(name);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
    return nullptr;
  }
  auto object = std::make_shared<MutexObject>();
  object->name = name;
  object->fd = fd;  // closed with the object from here on

  created = LockFirstByte(fd, F_WRLCK, false);
  if (!created && !LockFirstByte(fd, F_RDLCK, true)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const std::size_t size = MappedSize();
  if (created && ftruncate(fd, static_cast<off_t>(size)) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) < size) {
    SetLastError(ERROR_INVALID_HANDLE);  // not a mutex that this back end made
    return nullptr;
  }
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapped == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  object->state = static_cast<SharedState*>(mapped);
  if (created) {
    const bool ok = InitialiseState(object->state, true);
    // From exclusive to shared in one step: a process waiting to open it goes on now.
    if (!ok || !LockFirstByte(fd, F_RDLCK, false)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  } else if (std::memcmp(object->state->magic, kMagic, sizeof kMagic) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

// Takes the lock of `object` for the calling thread, which does not own it yet.
DWORD Acquire(const std::shared_ptr<MutexObject>& object, DWORD milliseconds) {
  SharedState* state = object->state;
  const auto start = std::chrono::steady_clock::now();
  const bool forever = milliseconds == INFINITE;
  const auto deadline = start + std::chrono::milliseconds(forever ? 0 : milliseconds);

  // Hand a mutex this thread has just released to one of its waiters first.
  if (milliseconds != 0 && state->waiters.load() > 0 && state->last_releaser.load() == ThreadId()) {
    const std::uint64_t seen = state->acquisitions.load();
    auto until = start + kHandOverTime;
    if (!forever && deadline < until) until = deadline;
    while (state->acquisitions.load() == seen && state->waiters.load() > 0 &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  }

  int result = 0;
  if (milliseconds == 0) {
    result = pthread_mutex_trylock(&state->lock);
  } else {
    state->waiters.fetch_add(1);
    if (forever) {
      result = pthread_mutex_lock(&state->lock);
    } else {
      timespec until{};
      clock_gettime(CLOCK_MONOTONIC, &until);
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
          deadline - std::chrono::steady_clock::now());
      const long long nanoseconds = left.count() > 0 ? left.count() : 0;
      until.tv_sec += static_cast<time_t>(nanoseconds / 1000000000);
      until.tv_nsec += static_cast<long>(nanoseconds % 1000000000);
      if (until.tv_nsec >= 1000000000) {
        until.tv_nsec -= 1000000000;
        ++until.tv_sec;
      }
      result = pthread_mutex_clocklock(&state->lock, CLOCK_MONOTONIC, &until);
    }
    state->waiters.fetch_sub(1);
  }

  bool abandoned = false;
  if (result == EOWNERDEAD) {
    // Its owner's process died holding it.
    pthread_mutex_consistent(&state->lock);
    abandoned = true;
  } else if (result == EBUSY || result == ETIMEDOUT) {
    return WAIT_TIMEOUT;
  } else if (result != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (state->abandoned.exchange(0) != 0) abandoned = true;
  state->acquisitions.fetch_add(1);
  Ownership::Owned& owned = ThreadOwnership().owned[object.get()];
  owned.object = object;
  owned.depth = 1;
  return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

}  // namespace

namespace backend::internal {

bool CloseMutexHandle(HANDLE handle) {
  std::shared_ptr<MutexObject> object;
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mutex);
  auto it = tables.handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == tables.handles.end()) return false;
  object = std::move(it->second);
  tables.handles.erase(it);
  if (!object->name.empty() && object.use_count() == 1) tables.named.erase(object->name);
  // A mutex the thread still owns stays mapped through its ownership until released.
  return true;
}

}  // namespace backend::internal

extern "C" {

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName) {
  (void)lpMutexAttributes;
  const std::string name = lpName != nullptr ? lpName : "";
  if (name.size() >= MAX_PATH) {
    SetLastError(206);  // ERROR_FILENAME_EXCED_RANGE
    return nullptr;
  }
  Tables& tables = TheTables();
  std::shared_ptr<MutexObject> object;
  bool created = true;
  {
    std::lock_guard<std::mutex> lock(tables.mutex);
    if (!name.empty()) {
      auto it = tables.named.find(name);
      if (it != tables.named.end()) object = it->second.lock();
    }
    if (object != nullptr) {
      created = false;
    } else if (name.empty()) {
      object = std::make_shared<MutexObject>();
      object->state = new SharedState;
      if (!InitialiseState(object->state, false)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
      }
    } else {
      object = OpenNamed(name, created);
      if (object == nullptr) return nullptr;
      tables.named[name] = object;
    }
  }
  if (created && bInitialOwner) Acquire(object, INFINITE);
  HANDLE handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(tables.mutex);
    handle = NewHandleLocked(tables, object);
  }
  SetLastError(created ? 0 : static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::shared_ptr<MutexObject> object = Lookup(hHandle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  Ownership& ownership = ThreadOwnership();
  auto it = ownership.owned.find(object.get());
  if (it != ownership.owned.end()) {
    ++it->second.depth;
    return WAIT_OBJECT_0;
  }
  return Acquire(object, dwMilliseconds);
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  std::shared_ptr<MutexObject> object = Lookup(hMutex);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Ownership& ownership = ThreadOwnership();
  auto it = ownership.owned.find(object.get());
  if (it == ownership.owned.end()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--it->second.depth == 0) {
    ownership.owned.erase(it);
    object->state->last_releaser.store(ThreadId());
    pthread_mutex_unlock(&object->state->lock);
  }
  return TRUE;
}

}  // extern "C"
