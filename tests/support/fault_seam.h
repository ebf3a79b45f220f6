// Arms the Linux back end's fault seam for one scope: the file and registry calls fail as a
// plan says while the object lives, and the seam is disarmed when it goes.
#pragma once

#ifndef _WIN32

#include <cstdint>

#include "platform/linux/backend.h"

namespace testing_support {

class ScopedFaults {
 public:
  // Counts calls only; nothing fails.
  ScopedFaults() { backend::ArmFaults(backend::FaultPlan()); }
  explicit ScopedFaults(const backend::FaultPlan& plan) { backend::ArmFaults(plan); }
  ~ScopedFaults() { backend::DisarmFaults(); }
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;

  std::uint64_t Calls(backend::FaultPoint point = backend::FaultPoint::kAny) const {
    return backend::FaultCalls(point);
  }
  std::uint64_t Fired() const { return backend::FaultsFired(); }
};

// The n-th call over all the file and registry functions fails with `error`.
inline backend::FaultPlan FailNth(std::uint64_t nth, DWORD error, bool and_after = false) {
  backend::FaultPlan plan;
  plan.nth = nth;
  plan.error = error;
  plan.and_after = and_after;
  return plan;
}

// The n-th call of `point` fails with `error`.
inline backend::FaultPlan FailCall(backend::FaultPoint point, std::uint64_t nth, DWORD error,
                                   bool and_after = false) {
  backend::FaultPlan plan = FailNth(nth, error, and_after);
  plan.point = point;
  return plan;
}

// The n-th WriteFile keeps `part` bytes and then fails or, for `succeed`, reports success.
inline backend::FaultPlan ShortWrite(std::uint64_t nth, DWORD part, bool succeed) {
  backend::FaultPlan plan = FailCall(backend::FaultPoint::kWriteFile, nth, 112 /* disk full */);
  plan.kind =
      succeed ? backend::FaultKind::kWritePartAndSucceed : backend::FaultKind::kWritePartThenFail;
  plan.part = part;
  return plan;
}

}  // namespace testing_support

#endif  // _WIN32
