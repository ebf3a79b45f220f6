// The ActiveX screen over a large page on which nothing matches, so that every iteration
// scans the same page.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/activex_screen.h"
#include "platform/linux/backend.h"
#include "simulated_browser.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace tarnivo {
namespace {

// A page of `scripts` scripts and `frames` frames of `objects` embedded objects each.
std::shared_ptr<sim::SimDocument> MakePage(int scripts, int frames, int objects) {
  auto page = std::make_shared<sim::SimDocument>();
  for (int i = 0; i < scripts; ++i) {
    const std::string n = std::to_string(i);
    page->AddScript("var counter" + n + " = 0; function tick" + n + "() { return ++counter" + n +
                        "; } window.setTimeout(tick" + n + ", 100);",
                    "http://static.example.com/js/app" + n + ".js");
  }
  for (int f = 0; f < frames; ++f) {
    auto frame = page->AddFrame();
    for (int o = 0; o < objects; ++o) {
      frame->AddObject("http://controls.example.com/widgets/widget" + std::to_string(f) + "_" +
                       std::to_string(o) + ".ocx#version=1,0,0," + std::to_string(o));
    }
  }
  return page;
}

void BM_ScanActiveXNothingMatches(benchmark::State& state) {
  ResetShared();
  backend::ResetInput();
  BlockedActiveX().Clear();
  BlockedActiveX().Add("ActiveX.Example");
  BlockedActiveX().Add("tracker.example.net");
  BuildActiveXPatterns();
  auto page = MakePage(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                       static_cast<int>(state.range(2)));
  const host::ObjectPtr document = page;
  for (auto _ : state) {
    ScanActiveX(document);
  }
  if (backend::BeepCount() != 0) state.SkipWithError("something matched");
  state.counters["patterns"] = static_cast<double>(Shared().ActiveXPatterns.size());
  BlockedActiveX().Clear();
}
BENCHMARK(BM_ScanActiveXNothingMatches)->Args({1000, 100, 10})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnivo
