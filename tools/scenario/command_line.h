// The command line both runners take: [-v] FILE...
#pragma once

#include <string>
#include <vector>

namespace scenario {

// Reads `-v`, `--` and the file names; on a wrong command line prints the reason and the
// usage of `program` to standard error and returns false.
bool ParseCommandLine(const std::string& program, int argc, char** argv, bool* verbose,
                      std::vector<std::string>* files);

}  // namespace scenario
