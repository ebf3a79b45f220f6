// A whole text read as a number, as the settings' switches and level are compared.
#pragma once

#include <optional>
#include <string>

namespace tarnivo {

// The number that the whole text spells: blanks around it, an optional sign, digits with an
// optional fraction; trailing NUL characters (a stored terminator) are ignored. Anything
// else, or no digits at all, is not a number.
std::optional<double> TextAsNumber(const std::string& text);

}  // namespace tarnivo
