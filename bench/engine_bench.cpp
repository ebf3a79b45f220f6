// The new-window decision, the list file and domain normalisation.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/new_window.h"
#include "engine/normalize_domain.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"

namespace tarnivo {
namespace {

// Site names in a random order, as a list grown by hand over the years would hold them.
std::vector<std::string> MakeSites(int count) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> sites;
  sites.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::string name = "*.";
    for (int n = 0; n < 10; ++n) name += static_cast<char>(letter(random));
    name += (i % 3 == 0) ? ".co.uk" : ".com";
    sites.push_back(name);
  }
  return sites;
}

struct Window {
  std::unique_ptr<CToolbar> band;
  std::shared_ptr<sim::SimBrowser> browser;
};

// A browser window with blocking on at the level "Normal" and `sites` allowed sites,
// showing a page of `domain`.
Window OpenWindow(int sites, const std::string& domain) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  for (const char* name : {"processNR", "processNL", "processNC", "processAX"}) {
    ModReg::SetKeyValue(kSettingsKey, name,
                        std::string(std::string(name) == "processNR" ? "1" : "0"), REG_SZ);
  }
  AllowedSites().Clear();
  AllowedSites().AddAll(MakeSites(sites));
  Window window;
  window.band = std::make_unique<CToolbar>();
  window.browser = std::make_shared<sim::SimBrowser>();
  window.band->SetSite(std::make_shared<sim::SimSite>(window.browser));
  auto document = std::make_shared<sim::SimDocument>();
  document->SetDomain(domain);
  window.browser->SetDocument(document);
  return window;
}

// A popup from a site that is not listed, with Ctrl held: both lookups miss, and the
// decision ends without touching the stored count.
void BM_DecisionUnlistedSite(benchmark::State& state) {
  Window window = OpenWindow(static_cast<int>(state.range(0)), "www.ads.unlisted-site.net");
  backend::ResetInput();
  backend::PressKey(VK_CONTROL);
  for (auto _ : state) {
    benchmark::DoNotOptimize(window.browser->RaiseNewWindow2());
  }
  backend::ReleaseKey(VK_CONTROL);
  window.band->SetSite(nullptr);
}
BENCHMARK(BM_DecisionUnlistedSite)->Arg(0)->Arg(1000)->Arg(32767);

// A popup from a listed site, found by the first lookup.
void BM_DecisionAllowedSite(benchmark::State& state) {
  // The list holds range(0) entries, the page's site among them.
  Window window = OpenWindow(static_cast<int>(state.range(0)) - 1, "www.zzzzlisted.com");
  AllowedSites().Add("*.zzzzlisted.com");
  for (auto _ : state) {
    benchmark::DoNotOptimize(window.browser->RaiseNewWindow2());
  }
  window.band->SetSite(nullptr);
}
BENCHMARK(BM_DecisionAllowedSite)->Arg(1000)->Arg(32767);

// A blocked popup, with the count read back and stored in the registry file.
void BM_DecisionBlockAndCount(benchmark::State& state) {
  Window window = OpenWindow(1000, "www.ads.unlisted-site.net");
  backend::ResetInput();
  for (auto _ : state) {
    benchmark::DoNotOptimize(window.browser->RaiseNewWindow2());
  }
  window.band->SetSite(nullptr);
}
BENCHMARK(BM_DecisionBlockAndCount);

// The decision's questions with fixed answers: the page of `domain`, Ctrl held.
class CtrlHeldOn : public NewWindowQuestions {
 public:
  explicit CtrlHeldOn(std::string domain) : domain_(std::move(domain)) {}
  std::optional<std::string> PageDomain() override { return domain_; }
  bool CtrlIsDown() override { return true; }
  std::optional<std::string> FocusedTag() override { return std::string("A"); }
  bool LeftButtonPressed() override { return false; }

 private:
  std::string domain_;
};

// The decision alone, without the band, the browser or the back end: a popup from a page of
// `domain` among range(0) allowed sites, at the level "Normal" with Ctrl held.
void DecideAlone(benchmark::State& state, const std::string& domain, const std::string& listed) {
  SiteList allowed;
  allowed.AddAll(MakeSites(static_cast<int>(state.range(0)) - (listed.empty() ? 0 : 1)));
  if (!listed.empty()) allowed.Add(listed);
  const std::string enabled = "1";
  const std::string level = "0";
  const NewWindowInputs inputs{false, enabled, level, allowed, false, false, 103};
  CtrlHeldOn ask(domain);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecideNewWindow(inputs, ask));
  }
}

void BM_DecisionAloneUnlistedSite(benchmark::State& state) {
  DecideAlone(state, "www.ads.unlisted-site.net", "");
}
BENCHMARK(BM_DecisionAloneUnlistedSite)->Arg(1000)->Arg(32767);

void BM_DecisionAloneAllowedSite(benchmark::State& state) {
  DecideAlone(state, "www.zzzzlisted.com", "*.zzzzlisted.com");
}
BENCHMARK(BM_DecisionAloneAllowedSite)->Arg(1000)->Arg(32767);

void WriteListFile(int count) {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  std::vector<std::string> sites = MakeSites(count);
  AllowedSites().AddAll(sites);
  SaveSiteLists();
  // Put the file in a random order, as appends over time leave it.
  std::string content;
  for (const std::string& site : sites) content += "\"" + site + "\"\r\n";
  HANDLE file = CreateFileA(SiteListFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

void BM_LoadSiteLists(benchmark::State& state) {
  WriteListFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    LoadSiteLists();
    benchmark::DoNotOptimize(AllowedSites().Count());
  }
  state.counters["entries"] = AllowedSites().Count();
}
BENCHMARK(BM_LoadSiteLists)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_SaveSiteLists(benchmark::State& state) {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  AllowedSites().AddAll(MakeSites(static_cast<int>(state.range(0))));
  for (auto _ : state) SaveSiteLists();
}
BENCHMARK(BM_SaveSiteLists)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_NormalizeDomain(benchmark::State& state) {
  const std::vector<std::string> hosts = {"www.example.com", "popup.ads.example.co.uk",
                                          "ww3.shop.example.com.br", "192.168.0.1", "example.org"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NormalizeDomain(hosts[i++ % hosts.size()]));
  }
}
BENCHMARK(BM_NormalizeDomain);

}  // namespace
}  // namespace tarnivo
