// tarnivo-sim [-v] FILE...: runs scenario files on the Linux build, each in a fresh
// machine state, and ends with "N passed, M failed".
// Exit status: 0 when every file passed, 1 when an expectation failed, 2 when a line could
// not be run (a parse error, an unknown command) or the arguments are wrong.
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "play.h"
#include "sim_runner.h"

int main(int argc, char** argv) {
  bool verbose = false;
  std::vector<std::string> files;
  if (!scenario::ParseCommandLine("tarnivo-sim", argc, argv, &verbose, &files)) return 2;

  int passed = 0;
  int failed = 0;
  bool error = false;
  for (const std::string& file : files) {
    scenario::SimRunner runner(verbose, std::cout);
    const scenario::FileOutcome outcome =
        scenario::RunFile(runner, file, verbose, std::cout, std::cerr);
    if (outcome.result == scenario::FileOutcome::Result::Passed) {
      ++passed;
    } else {
      ++failed;
      error = error || outcome.result == scenario::FileOutcome::Result::Error;
    }
  }
  std::cout << passed << " passed, " << failed << " failed" << std::endl;
  if (failed == 0) return 0;
  return error ? 2 : 1;
}
