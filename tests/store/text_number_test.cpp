// Rounding numbers to the whole numbers that forms and automation values take.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "store/text_number.h"

namespace tarnivo {
namespace {

TEST(RoundToInt32, RoundsHalvesToEvenWithinThirtyTwoBits) {
  struct Case {
    double value;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {-2.5, -2},
      {4477.5, 4478},
      {2.4999, 2},
      {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},
      {2147483647.5, std::nullopt},  // rounds to 2147483648
      {-2147483648.0, -2147483647 - 1},
      {-2147483648.6, std::nullopt},
      {3e9, std::nullopt},
      {std::nan(""), std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundToInt32(c.value), c.expected);
  }
}

}  // namespace
}  // namespace tarnivo
