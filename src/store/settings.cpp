#include "store/settings.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "store/mod_reg.h"

namespace tarnivo {

namespace {

thread_local ThreadShared shared;

constexpr const char* kProcessNR = "processNR";
constexpr const char* kProcessNL = "processNL";
constexpr const char* kProcessNC = "processNC";
constexpr const char* kProcessAX = "processAX";

// The machine-wide mutex that orders the updates of processNC, and how long an update waits
// for it before it counts without it.
constexpr const char* kBlockedCountMutex = "Tarnivo.BlockedCount";
constexpr DWORD kBlockedCountWaitMs = 2000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Cuts a copy read from the store to its first character ("" stays "").
void KeepFirstCharacter(std::string& text) {
  if (text.size() > 1) text.resize(1);
}

}  // namespace

ThreadShared& Shared() { return shared; }

void ResetShared() { shared = ThreadShared(); }

std::int32_t StoredNumber(const std::string& text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
  // Large enough to stand for any magnitude beyond 32 bits, small enough never to overflow.
  constexpr std::uint64_t kBeyond = kMax + 2;

  std::size_t i = 0;
  const std::size_t end = text.size();
  while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  std::uint64_t magnitude = 0;
  bool digits = false;
  for (; i < end && IsDigit(text[i]); ++i) {
    digits = true;
    if (magnitude < kBeyond) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
      if (magnitude > kBeyond) magnitude = kBeyond;
    }
  }

  // The fraction rounds the number half to even: only its first digit and whether anything
  // but zeros follows it matter.
  int first_fraction = -1;
  bool rest_nonzero = false;
  if (i < end && text[i] == '.') {
    for (++i; i < end && IsDigit(text[i]); ++i) {
      digits = true;
      if (first_fraction < 0) {
        first_fraction = text[i] - '0';
      } else if (text[i] != '0') {
        rest_nonzero = true;
      }
    }
  }
  if (!digits) return 0;

  if (first_fraction > 5 || (first_fraction == 5 && (rest_nonzero || magnitude % 2 == 1))) {
    if (magnitude < kBeyond) ++magnitude;
  }

  if (negative) {
    if (magnitude > kMax) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(magnitude);
}

void ReadSettingsAtCreation(std::string& enabled) {
  enabled = ModReg::QueryValue(kSettingsKey, kProcessNR);
  shared.BlockLevel = ModReg::QueryValue(kSettingsKey, kProcessNL);
  shared.ActiveXFlag = ModReg::QueryValue(kSettingsKey, kProcessAX);
  shared.BlockedCount = StoredNumber(ModReg::QueryValue(kSettingsKey, kProcessNC));
  if (!enabled.empty()) {
    KeepFirstCharacter(enabled);
    KeepFirstCharacter(shared.BlockLevel);
    KeepFirstCharacter(shared.ActiveXFlag);
  } else {
    CreateFirstRunSettings(enabled);
  }
}

void CreateFirstRunSettings(std::string& enabled) {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  for (const char* name : {kProcessNR, kProcessNL, kProcessNC, kProcessAX}) {
    ModReg::SetKeyValue(kSettingsKey, name, std::string("0"), REG_SZ);
  }
  // The copies start at "1"; the settings timer brings them to the stored "0"s.
  enabled = "1";
  shared.BlockLevel = "1";
  shared.ActiveXFlag = "1";
}

std::int32_t ReadBlockedCount() {
  shared.BlockedCount = StoredNumber(ModReg::QueryValue(kSettingsKey, kProcessNC));
  return shared.BlockedCount;
}

void IncrementBlockedCount() {
  // The re-read, the increment and the store run under a mutex shared by every process of
  // the machine, so that bands of several browsers blocking at once lose no increment. A
  // mutex that cannot be had in time (or made at all) still lets the count go up, unlocked.
  // One handle serves every thread of the process; it stays open while the process lives.
  static const HANDLE count_mutex = CreateMutexA(nullptr, FALSE, kBlockedCountMutex);
  bool locked = false;
  if (count_mutex != nullptr) {
    const DWORD wait = WaitForSingleObject(count_mutex, kBlockedCountWaitMs);
    // An owner that ended without releasing it leaves the count as it last stored it.
    locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  // Re-read just before the update, so every band on every thread adds to one total.
  std::string stored;
  const LONG read = ModReg::QueryValueResult(kSettingsKey, kProcessNC, stored);
  // A missing value, one of another type and one of an odd size (ERROR_MORE_DATA) all read
  // as "", from which the count starts again, as designed; any other failure is a store that
  // could not be read.
  if (read == ERROR_SUCCESS || read == ERROR_FILE_NOT_FOUND || read == ERROR_MORE_DATA ||
      read == -1) {
    std::int32_t count = StoredNumber(stored);
    if (count < std::numeric_limits<std::int32_t>::max()) ++count;
    ModReg::SetKeyValue(kSettingsKey, kProcessNC, std::to_string(count), REG_SZ);
    shared.BlockedCount = count;
  } else if (shared.BlockedCount < std::numeric_limits<std::int32_t>::max()) {
    // The stored total could not be read: it is kept rather than overwritten by a count
    // from zero, and only this band's copy goes up.
    ++shared.BlockedCount;
  }
  if (locked) ReleaseMutex(count_mutex);
}

}  // namespace tarnivo
