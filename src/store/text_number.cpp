#include "store/text_number.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace tarnivo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> TextAsNumber(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == '\0') --end;
  while (end > 0 && IsBlank(text[end - 1])) --end;
  std::size_t i = 0;
  while (i < end && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double value = 0;
  bool digits = false;
  for (; i < end && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    digits = true;
  }
  if (i < end && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < end && IsDigit(text[i]); ++i) {
      value += (text[i] - '0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits || i != end) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace tarnivo
