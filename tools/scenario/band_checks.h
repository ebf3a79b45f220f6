// What both runners read and check at the band's toolbar, written once: the words of
// `bandinfo`, `button`, `dropdown` and `bandkey`, the menus, message boxes and images the
// band shows, and the expectations on them. The Win32 calls here (menus) go to the real API
// on Windows and to the Linux back end on Linux.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "popups_seen.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "status.h"

namespace scenario {

// --- band info ---

// The band's size wishes, as the band answers them and the host reads them from
// DESKBANDINFO.
using BandInfo = tarnivo::CToolbar::BandInfo;

// "min=W,H max=W,H integral=W,H actual=W,H modeflags=N", as `expect bandinfo` writes it.
std::string DescribeBandInfo(const BandInfo& info);

// The MASK of `bandinfo MASK` (plain word 0): a decimal number, or hexadecimal after 0x.
Status ReadBandMask(const Args& args, std::uint32_t* mask);

// `expect bandinfo min=W,H max=W,H integral=W,H actual=W,H modeflags=N`: the five fields
// read, then checked against the band info the host last asked for.
Status ReadBandInfoCheck(const Args& args, BandInfo* want);
Status CompareBandInfo(const BandInfo& want, const std::optional<BandInfo>& last);

// --- buttons and keys ---

// The command id of `button N` and `dropdown N` (plain word 0).
Status ReadCommandId(const Args& args, std::int32_t* id);

// `bandkey down|up|char|sysdown|sysup CODE`: the key message the browser forwards, with
// the lParam bits a real key message of that kind carries.
struct KeyMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
Status ReadBandKey(const Args& args, KeyMessage* key);

// --- menus ---

// The command id of the first entry captioned exactly `caption` that is neither a
// separator nor a submenu (whether it can be chosen or not); nothing when there is none.
std::optional<UINT> FindMenuCommand(HMENU menu, const std::string& caption);

// The entry `choose=` names in a menu that drops: by its caption (`choose="CAPTION"`), or the
// K-th entry from the top, separators counted, from 1 (`choose=#K`).
struct MenuChoice {
  bool by_position = false;
  std::string caption;
  int position = 0;
};
// The `choose` option of `dropdown` and `bandkey`; nothing when it is not given.
Status ReadMenuChoice(const Args& args, std::optional<MenuChoice>* choice);
// "\"CAPTION\"" or "#K", for messages.
std::string DescribeChoice(const MenuChoice& choice);
// The command id of the entry `choice` names in `menu`; nothing when the menu has no such
// entry, or the entry is a separator or a submenu.
std::optional<UINT> ChooseMenuEntry(HMENU menu, const MenuChoice& choice);

// Captions as messages write them: `-` alone, others quoted.
std::string CaptionsText(const std::vector<std::string>& captions);

// The failure of a command with `choose=` when nothing was chosen: no menu dropped, or the
// menu that dropped (`last`) has no such entry.
Status ChoiceMissed(const std::string& what, const MenuChoice& choice, bool menu_dropped,
                    const std::vector<std::string>& last);

// `expect menu "CAPTION" ...`: the captions read, then checked against the last menu that
// dropped (`shown` menus so far).
Status ReadMenuCheck(const Args& args, std::vector<std::string>* captions);
Status CompareMenu(const std::vector<std::string>& want, int shown,
                   const std::vector<std::string>& last);

// --- message boxes ---

// `expect msgbox "TEXT" [title="T"] [icon=exclamation]`, read, then checked against the last
// of `count` boxes.
struct MessageBoxCheck {
  std::string text;
  std::optional<std::string> title;
  bool exclamation = false;
};
Status ReadMsgBoxCheck(const Args& args, MessageBoxCheck* check);
Status CompareMsgBox(const MessageBoxCheck& check, int count, const tarnivo::MessageBoxSeen& last);

// --- the shell ---

// `expect shell VERB "FILE" [dir="DIR"] [show=N]` and `expect shell VERB prefix="TEXT" ...`:
// the verb ("-" for the default one), the file or its beginning, and where given the folder
// and the show command.
struct ShellCheck {
  std::string verb;
  std::string file;
  bool prefix = false;
  std::optional<std::string> directory;
  std::optional<int> show;
};
Status ReadShellCheck(const Args& args, ShellCheck* check);
Status CompareShell(const ShellCheck& check, int count, const tarnivo::ShellSeen& last);

// --- counts, images, the stored count ---

// The N of `expect beeps N`, `expect msgboxes N`, `expect redraws N` (one plain word), and the
// check of what was counted (`what`: "beeps") against it.
Status ReadCountWord(const Args& args, int* want);
Status CompareNumber(const std::string& what, const std::string& written, int want, int got);

// "icons 103 101", "an empty image list" or "no toolbar", for messages.
std::string DescribeIcons(const std::optional<std::vector<int>>& icons);

// `expect images N N`: the icon resource ids written (none: an empty image list), then
// checked against those of the toolbar's image list (nothing: the band has no toolbar).
Status ReadImages(const Args& args, std::vector<int>* want);
Status CompareImages(const std::vector<int>& want, const std::optional<std::vector<int>>& got);

// `expect count N`: the N read, then the stored processNC read as a number by the system's
// own rule and checked against it.
Status ReadStoredCount(const Args& args, std::int32_t* want);
Status CompareStoredCount(std::int32_t want, const std::string& written);

}  // namespace scenario
