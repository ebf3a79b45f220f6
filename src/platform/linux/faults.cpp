// The fault seam of the file and registry functions: counts calls while a plan is armed and
// makes the chosen one fail.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"

namespace backend {

namespace internal {
std::atomic<bool> g_faults_armed{false};
}  // namespace internal

namespace {

std::mutex g_fault_mutex;
FaultPlan g_plan;
std::array<std::uint64_t, kFaultPoints> g_calls{};
std::uint64_t g_all_calls = 0;
std::uint64_t g_fired = 0;
std::vector<FaultPoint> g_order;
constexpr std::size_t kOrderKept = 10000;

}  // namespace

const char* FaultPointName(FaultPoint point) {
  switch (point) {
    case FaultPoint::kCreateFile:
      return "CreateFileA";
    case FaultPoint::kReadFile:
      return "ReadFile";
    case FaultPoint::kWriteFile:
      return "WriteFile";
    case FaultPoint::kSetFilePointer:
      return "SetFilePointer";
    case FaultPoint::kFlushFileBuffers:
      return "FlushFileBuffers";
    case FaultPoint::kCloseHandle:
      return "CloseHandle";
    case FaultPoint::kMoveFile:
      return "MoveFileExA";
    case FaultPoint::kDeleteFile:
      return "DeleteFileA";
    case FaultPoint::kGetFileAttributes:
      return "GetFileAttributesA";
    case FaultPoint::kSetFileAttributes:
      return "SetFileAttributesA";
    case FaultPoint::kSetEndOfFile:
      return "SetEndOfFile";
    case FaultPoint::kFindFirstFile:
      return "FindFirstFileA";
    case FaultPoint::kProfileRead:
      return "GetPrivateProfileStringA";
    case FaultPoint::kRegCreateKey:
      return "RegCreateKeyExA";
    case FaultPoint::kRegOpenKey:
      return "RegOpenKeyExA";
    case FaultPoint::kRegSetValue:
      return "RegSetValueExA";
    case FaultPoint::kRegQueryValue:
      return "RegQueryValueExA";
    case FaultPoint::kRegDeleteValue:
      return "RegDeleteValueA";
    case FaultPoint::kRegDeleteKey:
      return "RegDeleteKeyA";
    case FaultPoint::kRegCloseKey:
      return "RegCloseKey";
    case FaultPoint::kRegistryFileWrite:
      return "registry file write";
    case FaultPoint::kAny:
      break;
  }
  return "any";
}

void ArmFaults(const FaultPlan& plan) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  g_plan = plan;
  g_calls.fill(0);
  g_all_calls = 0;
  g_fired = 0;
  g_order.clear();
  internal::g_faults_armed.store(true, std::memory_order_relaxed);
}

void DisarmFaults() {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  internal::g_faults_armed.store(false, std::memory_order_relaxed);
  g_plan = FaultPlan();
}

std::uint64_t FaultCalls(FaultPoint point) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  if (point == FaultPoint::kAny) return g_all_calls;
  return g_calls[static_cast<std::size_t>(point)];
}

std::vector<FaultPoint> FaultCallOrder() {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  return g_order;
}

std::uint64_t FaultsFired() {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  return g_fired;
}

bool internal::FaultHitSlow(FaultPoint point, Fault* fault) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  if (!g_faults_armed.load(std::memory_order_relaxed) || point == FaultPoint::kAny) return false;
  const std::uint64_t own = ++g_calls[static_cast<std::size_t>(point)];
  const std::uint64_t all = ++g_all_calls;
  if (g_order.size() < kOrderKept) g_order.push_back(point);
  if (g_plan.point != FaultPoint::kAny && g_plan.point != point) return false;
  const std::uint64_t counted = g_plan.point == FaultPoint::kAny ? all : own;
  if (g_plan.nth == 0 || counted < g_plan.nth || (counted > g_plan.nth && !g_plan.and_after)) {
    return false;
  }
  ++g_fired;
  *fault = Fault();
  fault->error = g_plan.error;
  fault->short_write = g_plan.kind != FaultKind::kFail;
  fault->report_success = g_plan.kind == FaultKind::kWritePartAndSucceed;
  fault->part = g_plan.part;
  return true;
}

}  // namespace backend
