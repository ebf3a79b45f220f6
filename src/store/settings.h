// The in-memory copies of the stored settings, once per user-interface thread, and the
// reading and updating of the stored values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnivo {

// Values shared by every band object and form on one user-interface thread.
struct ThreadShared {
  std::string EnabledSetting;     // copy of processNR kept by the settings timer
  std::string BlockLevel;         // copy of processNL; numeric value 1 is "Block All"
  std::string ActiveXFlag;        // copy of processAX
  std::int32_t BlockedCount = 0;  // copy of processNC
  bool UserActionFlag = false;    // the user has just pressed the left button over the page

  // Page state.
  bool PageComplete = false;         // the current page has finished loading
  std::int32_t NavigationStart = 0;  // seconds since midnight of the last navigation start
  std::int32_t ScanTicks = 0;        // page-scan ticks since the page was last found complete
  std::vector<std::string> ActiveXPatterns;  // the patterns of the ActiveX screen
  std::vector<std::string> ActiveXTags;      // the tags whose elements the screen checks
};

// This thread's shared values.
ThreadShared& Shared();
// Puts this thread's shared values back to their start (tests and the scenario runner).
void ResetShared();

// The numeric value of a stored text: blanks skipped, an optional sign, the leading decimal
// number (a fraction is rounded half to even), stopping at the first other character (the
// stored NUL included); no digits gives 0. Values outside 32 bits are held at the nearest
// 32-bit limit.
std::int32_t StoredNumber(const std::string& text);

// The settings read when a band object is created. `enabled` is the band's copy of
// processNR. When the key or processNR is missing, the first-run values are stored and
// `enabled` becomes "1" (CreateFirstRunSettings).
void ReadSettingsAtCreation(std::string& enabled);

// The first-run values: the key is created, "0" stored in processNR, processNL, processNC and
// processAX, and the copies set to "1" (`enabled`, BlockLevel, ActiveXFlag).
void CreateFirstRunSettings(std::string& enabled);

// Re-reads processNC into BlockedCount and returns it.
std::int32_t ReadBlockedCount();

// Re-reads processNC, adds one (held at 2147483647), stores the new decimal text and keeps
// it in BlockedCount, all under the machine-wide mutex "Tarnivo.BlockedCount" (waited for up
// to 2 s; without it the count still goes up, unlocked), so that processes blocking at once
// lose no increment.
void IncrementBlockedCount();

}  // namespace tarnivo
