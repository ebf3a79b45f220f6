// The Linux back end's list box at its largest (32,767 entries, as the allowed-sites list can
// grow): filling it in order, one entry inserted in the middle, and the searches the engine
// makes (LB_FINDSTRING from the top, for a site that is there and one that is not), on an
// unsorted list as the product keeps it and on a sorted one.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr int kEntries = 32767;

std::vector<std::string> Sites() {
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> sites;
  sites.reserve(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    std::string name = i % 2 == 0 ? "*." : "";
    for (int n = 0; n < 12; ++n) name += static_cast<char>(letter(random));
    name += i % 3 == 0 ? ".co.uk" : ".com";
    sites.push_back(name);
  }
  return sites;
}

const std::vector<std::string>& TheSites() {
  static const std::vector<std::string> sites = Sites();
  return sites;
}

HWND MakeList(DWORD style) {
  return CreateWindowExA(
      0, "LISTBOX", "",
      WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | style, 0, 0, 300, 277,
      nullptr, nullptr, nullptr, nullptr);
}

void Fill(HWND list) {
  for (const std::string& site : TheSites())
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(site.c_str()));
}

void BM_ListFill(benchmark::State& state) {
  const DWORD style = state.range(0) != 0 ? LBS_SORT : 0;
  HWND list = MakeList(style);
  for (auto _ : state) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, kEntries, 0);
    Fill(list);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  DestroyWindow(list);
}
BENCHMARK(BM_ListFill)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ListInsertInTheMiddle(benchmark::State& state) {
  HWND list = MakeList(0);
  Fill(list);
  for (auto _ : state) {
    SendMessageA(list, LB_INSERTSTRING, kEntries / 2,
                 reinterpret_cast<LPARAM>("middle.example.com"));
    SendMessageA(list, LB_DELETESTRING, kEntries / 2, 0);
  }
  DestroyWindow(list);
}
BENCHMARK(BM_ListInsertInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_ListFindString(benchmark::State& state) {
  HWND list = MakeList(state.range(1) != 0 ? LBS_SORT : 0);
  Fill(list);
  // The last site added, or one that no entry begins with: both walk the whole list.
  const std::string probe = state.range(0) != 0 ? TheSites().back() : "no-such-site.example";
  for (auto _ : state) {
    benchmark::DoNotOptimize(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(probe.c_str())));
  }
  DestroyWindow(list);
}
BENCHMARK(BM_ListFindString)
    ->ArgNames({"found", "sorted"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_ListFindStringExact(benchmark::State& state) {
  HWND list = MakeList(0);
  Fill(list);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>("no-such-site.example")));
  }
  DestroyWindow(list);
}
BENCHMARK(BM_ListFindStringExact)->Unit(benchmark::kMicrosecond);

}  // namespace
