// Text helpers shared by the engine's steps (engine/ only).
#pragma once

#include <string>

namespace tarnivo {

// ASCII letters in upper case; every other byte as it is.
inline std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace tarnivo
