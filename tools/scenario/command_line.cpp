#include "command_line.h"

#include <iostream>

namespace scenario {

bool ParseCommandLine(const std::string& program, int argc, char** argv, bool* verbose,
                      std::vector<std::string>* files) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "-v") {
      *verbose = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      std::cerr << program << ": unknown option " << arg << "\n";
      std::cerr << "usage: " << program << " [-v] FILE...\n";
      return false;
    } else {
      files->push_back(arg);
    }
  }
  if (files->empty()) {
    std::cerr << "usage: " << program << " [-v] FILE...\n";
    return false;
  }
  return true;
}

}  // namespace scenario
