// Page state kept from the browser's navigation events.
#pragma once

#include <cstdint>

namespace tarnivo {

// Seconds since midnight of the system clock, with the milliseconds as a fraction.
double SecondsSinceMidnight();
// The same, rounded to the nearest whole second (halves to even).
std::int32_t WholeSecondsSinceMidnight();
// Seconds from `start` (whole seconds since midnight) to now, across midnight too.
double SecondsSince(std::int32_t start);

}  // namespace tarnivo
