// Benchmarks of the blocking engine's hot paths. The back end works in a private root
// folder, removed at the end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "platform/linux/backend.h"

int main(int argc, char** argv) {
  std::string pattern = "/tmp/tarnivo-bench-XXXXXX";
  if (char* made = mkdtemp(pattern.data())) backend::SetRoot(made);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string cleanup = "rm -rf '" + backend::Root() + "'";
  if (backend::Root().rfind("/tmp/tarnivo-bench-", 0) == 0) {
    int ignored = std::system(cleanup.c_str());
    (void)ignored;
  }
  return 0;
}
