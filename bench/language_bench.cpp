// The language files and the settings timer: one read of a language file's value, the toolbar
// form's load with a language file, one tick of the settings timer, and the cost of an idle
// loaded toolbar (the 20 ms watch and the 200 ms settings timer) per second of clock time.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "simulated_browser.h"
#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

// A language file of every key, as the shipped ones are, in C:\Tarnivo\languages; the settings
// name it.
void StoreLanguage() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  for (const char* name : {"processNR", "processAX"})
    ModReg::SetKeyValue(kSettingsKey, name, std::string("1"), REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "processNL", std::string("0"), REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "processNC", std::string("0"), REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "path", std::string("C:\\Tarnivo"), REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "Lang", std::string("Deutsch"), REG_SZ);
  CreateDirectoryA("C:\\Tarnivo", nullptr);
  CreateDirectoryA("C:\\Tarnivo\\languages", nullptr);
  std::string bytes;
  std::string section;
  for (int i = 0; i < kTextKeyCount; ++i) {
    if (section != kTextKeys[i].section) {
      section = kTextKeys[i].section;
      bytes += "\r\n[" + section + "]\r\n";
    }
    bytes += std::string(kTextKeys[i].key) + "=" + kTextKeys[i].english + " (de)\r\n";
  }
  HANDLE file = CreateFileA("C:\\Tarnivo\\languages\\Deutsch.tnk", GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// A browser window with its band, its toolbar form loaded.
struct OpenWindow {
  OpenWindow() : band(std::make_unique<CToolbar>()), browser(std::make_shared<sim::SimBrowser>()) {
    band->SetSite(std::make_shared<sim::SimSite>(browser));
  }
  ~OpenWindow() {
    band->CloseDW();
    band->SetSite(nullptr);
  }
  std::unique_ptr<CToolbar> band;
  std::shared_ptr<sim::SimBrowser> browser;
};

void BM_ReadIniValue(benchmark::State& state) {
  StoreLanguage();
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadIniValue("C:\\Tarnivo\\languages\\Deutsch.tnk", "Slide", "close"));
}
BENCHMARK(BM_ReadIniValue);

void BM_ToolbarLoadWithLanguage(benchmark::State& state) {
  StoreLanguage();
  for (auto _ : state) {
    OpenWindow window;
    benchmark::DoNotOptimize(frmToolbar::Loaded());
  }
}
BENCHMARK(BM_ToolbarLoadWithLanguage)->Unit(benchmark::kMicrosecond);

void BM_SettingsPollTick(benchmark::State& state) {
  StoreLanguage();
  OpenWindow window;
  frmToolbar* form = frmToolbar::Loaded();
  for (auto _ : state) form->SettingsTick();  // nothing changed: the usual tick
}
BENCHMARK(BM_SettingsPollTick);

// Each iteration is one second of the clock with a loaded, idle toolbar: 50 looks of the
// watch and 5 ticks of the settings timer. The time per iteration is the processor time one
// second of an idle toolbar costs; "share" is it as a fraction of that second.
void BM_IdleToolbarSecond(benchmark::State& state) {
  StoreLanguage();
  backend::ResetInput();
  OpenWindow window;
  for (auto _ : state) backend::RunFor(1000);
  state.counters["share"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IdleToolbarSecond)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnivo
