// A whole text read as a number, as the settings' switches and level are compared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnivo {

// The number that the whole text spells: blanks around it, an optional sign, digits with an
// optional fraction; trailing NUL characters (a stored terminator) are ignored. Anything
// else, or no digits at all, is not a number.
std::optional<double> TextAsNumber(const std::string& text);

// A number rounded to a whole number, halves to even, as conversions to a whole number
// round; none when the result does not fit in 32 bits or the value is not a number.
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace tarnivo
