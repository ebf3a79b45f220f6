// The settings store reading stored values of any type and size. The four settings are
// stored raw (any type, any bytes, or missing); then:
//  - ModReg::QueryValue gives a REG_SZ's exact bytes, a REG_DWORD's decimal text (a short
//    one padded with zero bytes, a long one nothing) and nothing for any other type;
//  - ReadSettingsAtCreation keeps the first character of each text, reads the count with
//    StoredNumber, and stores the first-run values when processNR reads empty;
//  - IncrementBlockedCount stores the count plus one (held at the 32-bit limit) as text.
// And StoredNumber itself: it reads back the decimal text of any 32-bit number, ignores
// what follows a NUL, and agrees with strtod rounded half to even for short numbers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz_root.h"
#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/settings.h"

namespace {

const char* const kNames[] = {"processNR", "processNL", "processNC", "processAX"};

std::string FirstCharacter(const std::string& text) { return text.substr(0, 1); }

// What QueryValue gives for a stored value.
std::string ExpectedText(DWORD type, const std::string& bytes) {
  if (type == REG_SZ) return bytes;
  if (type == REG_DWORD) {
    if (bytes.size() > 4) return "";
    unsigned char four[4] = {};
    std::memcpy(four, bytes.data(), bytes.size());
    std::int32_t number = 0;
    std::memcpy(&number, four, sizeof number);
    return std::to_string(number);
  }
  return "";
}

void CheckStoredNumber(FuzzedDataProvider& input) {
  const std::int32_t number = input.ConsumeIntegral<std::int32_t>();
  FUZZ_CHECK(tarnivo::StoredNumber(std::to_string(number)) == number);
  const std::string text = input.ConsumeRandomLengthString(40);
  const std::string rest = input.ConsumeRandomLengthString(40);
  const std::int32_t read = tarnivo::StoredNumber(text);
  FUZZ_CHECK(tarnivo::StoredNumber(text + '\0' + rest) == read);
  FUZZ_CHECK(tarnivo::StoredNumber(" \t" + text) == read);
  if (fuzzing::ShortDecimal(text)) {
    const double exact = std::strtod(text.c_str(), nullptr);
    const double rounded = std::nearbyint(exact);
    const double limit_low = std::numeric_limits<std::int32_t>::min();
    const double limit_high = std::numeric_limits<std::int32_t>::max();
    const double held = rounded < limit_low    ? limit_low
                        : rounded > limit_high ? limit_high
                                               : rounded;
    FUZZ_CHECK(static_cast<double>(read) == held);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string root = fuzzing::PrivateRoot();
  fuzzing::RemoveTree(root, false);
  FuzzedDataProvider input(data, size);

  HKEY key = nullptr;
  FUZZ_CHECK(RegCreateKeyExA(HKEY_LOCAL_MACHINE, tarnivo::kSettingsKey, 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS);
  std::string expected[4];
  for (int i = 0; i < 4; ++i) {
    if (!input.ConsumeBool()) continue;
    const DWORD type = input.ConsumeBool()
                           ? input.ConsumeIntegral<DWORD>()
                           : input.PickValueInArray<DWORD>(
                                 {REG_SZ, REG_DWORD, REG_BINARY, REG_NONE, REG_EXPAND_SZ});
    const std::string bytes = input.ConsumeRandomLengthString(64);
    FUZZ_CHECK(RegSetValueExA(key, kNames[i], 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS);
    expected[i] = ExpectedText(type, bytes);
  }
  RegCloseKey(key);

  for (int i = 0; i < 4; ++i) {
    FUZZ_CHECK(tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, kNames[i]) == expected[i]);
  }

  tarnivo::ResetShared();
  std::string enabled;
  tarnivo::ReadSettingsAtCreation(enabled);
  const tarnivo::ThreadShared& shared = tarnivo::Shared();
  FUZZ_CHECK(shared.BlockedCount == tarnivo::StoredNumber(expected[2]));
  if (expected[0].empty()) {
    FUZZ_CHECK(enabled == "1" && shared.BlockLevel == "1" && shared.ActiveXFlag == "1");
    for (const char* name : kNames) {
      FUZZ_CHECK(tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, name) == std::string("0\0", 2));
    }
  } else {
    FUZZ_CHECK(enabled == FirstCharacter(expected[0]));
    FUZZ_CHECK(shared.BlockLevel == FirstCharacter(expected[1]));
    FUZZ_CHECK(shared.ActiveXFlag == FirstCharacter(expected[3]));
  }

  const std::int32_t count =
      tarnivo::StoredNumber(tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "processNC"));
  tarnivo::IncrementBlockedCount();
  const std::int32_t next = count == std::numeric_limits<std::int32_t>::max() ? count : count + 1;
  FUZZ_CHECK(tarnivo::Shared().BlockedCount == next);
  FUZZ_CHECK(tarnivo::ModReg::QueryValue(tarnivo::kSettingsKey, "processNC") ==
             std::to_string(next) + '\0');

  CheckStoredNumber(input);
  return 0;
}
