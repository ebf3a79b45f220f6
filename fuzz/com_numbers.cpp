// The COM adapter's conversion of browser values, the part that builds on Linux. VARIANT,
// BSTR and the wide-character conversions (WideCharToMultiByte, SysAllocStringLen) exist
// only in the Windows build (server/com/ includes oleauto and mshtml headers), so what is
// fuzzed here is what that conversion stands on: a VT_R4/VT_R8 becomes a host number through
// RoundToInt32, and a text is compared as a number through TextAsNumber.
//  - RoundToInt32 gives the whole number nearest the value, halves to even, or none outside
//    32 bits and for a NaN;
//  - TextAsNumber reads every short decimal text, ignoring the blanks around it and stored
//    NULs after it, and what it reads is what strtod reads, within rounding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "store/text_number.h"

namespace {

void CheckRound(double value) {
  const std::optional<std::int32_t> whole = tarnivo::RoundToInt32(value);
  if (std::isnan(value)) {
    FUZZ_CHECK(!whole);
    return;
  }
  const double low = std::numeric_limits<std::int32_t>::min();
  const double high = std::numeric_limits<std::int32_t>::max();
  if (value < low - 0.5 || value > high + 0.5) {
    FUZZ_CHECK(!whole);
    return;
  }
  if (value > low - 0.5 && value < high + 0.5) FUZZ_CHECK(whole.has_value());
  if (!whole) return;
  const double distance = std::fabs(value - static_cast<double>(*whole));
  FUZZ_CHECK(distance <= 0.5);
  if (distance == 0.5) FUZZ_CHECK(*whole % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  CheckRound(input.ConsumeFloatingPoint<double>());
  CheckRound(static_cast<double>(input.ConsumeFloatingPoint<float>()));
  CheckRound(input.ConsumeFloatingPointInRange<double>(-3e9, 3e9));

  const std::string text = input.ConsumeRemainingBytesAsString();
  const std::optional<double> number = tarnivo::TextAsNumber(text);
  if (fuzzing::ShortDecimal(text)) {
    FUZZ_CHECK(number.has_value());
    FUZZ_CHECK(tarnivo::TextAsNumber(" \t" + text + std::string("\t \0\0", 4)) == number);
  }
  if (number && text.size() <= 300) {
    char* end = nullptr;
    const std::string up_to_nul = text.c_str();
    const double exact = std::strtod(up_to_nul.c_str(), &end);
    FUZZ_CHECK(end != up_to_nul.c_str());
    FUZZ_CHECK(*number == exact ||
               std::fabs(*number - exact) <= 1e-9 * std::fmax(1.0, std::fabs(exact)));
  }
  return 0;
}
