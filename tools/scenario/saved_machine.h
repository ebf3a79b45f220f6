// The settings key and the list file of a real machine, as they were before a program that
// changes them ran (the host runner, the idle bench), and put back afterwards. Windows only:
// the machine's registry is enumerated value by value.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine.h"

namespace scenario {

struct SavedMachine {
  bool key = false;  // the settings key was there
  std::vector<std::pair<std::string, RawValue>> values;
  std::optional<std::string> list_file;
};

SavedMachine SaveMachine();
// The key with exactly the saved values (or no key), and the list file as it was (or none).
void RestoreMachine(const SavedMachine& saved);

}  // namespace scenario
