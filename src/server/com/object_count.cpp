#include "server/com/object_count.h"

#include <atomic>

namespace tarnivo::com {

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void AddModuleReference() { ++g_objects; }

void ReleaseModuleReference() { --g_objects; }

void LockModule() { ++g_locks; }

void UnlockModule() {
  long locks = g_locks.load();
  while (locks > 0 && !g_locks.compare_exchange_weak(locks, locks - 1)) {
  }
}

long ModuleReferences() { return g_objects.load() + g_locks.load(); }

}  // namespace tarnivo::com
