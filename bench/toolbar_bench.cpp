// One tick of the mouse watch: the window under the cursor and the button's state.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "store/mod_reg.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

void BM_Timer1Tick(benchmark::State& state) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  ResetShared();
  backend::ResetInput();
  auto band = std::make_unique<CToolbar>();
  auto browser = std::make_shared<sim::SimBrowser>();
  band->SetSite(std::make_shared<sim::SimSite>(browser));

  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Internet Explorer_Server";
  RegisterClassA(&wc);
  HWND page = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                              nullptr, nullptr, wc.hInstance, nullptr);
  backend::MoveCursorOver(page);

  frmToolbar* form = frmToolbar::Loaded();
  for (auto _ : state) form->Timer1_Timer();  // the button is up: the usual tick

  band->CloseDW();
  band->SetSite(nullptr);
  DestroyWindow(page);
}
BENCHMARK(BM_Timer1Tick);

}  // namespace
}  // namespace tarnivo
