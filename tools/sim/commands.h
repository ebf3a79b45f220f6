// The command table: each command word of the scenario format that this build runs, with
// its handler. Handlers check their words, act on the session and answer a Status.
#pragma once

#include <memory>
#include <string>

#include "args.h"
#include "simulated_browser.h"
#include "server/toolbar.h"
#include "session.h"
#include "status.h"

namespace scenario {

using Handler = Status (*)(Session&, const Args&);

struct CommandEntry {
  Handler run;
  // The bench itself changes or reads the machine (registry, keys, lists, the page's
  // content, expectations): the back end's reports are left out of the transcript, which
  // shows the system's answers.
  bool bench;
};

// The entry of a command word, or null when this build does not run it.
const CommandEntry* FindCommand(const std::string& word);

// True for a word of the format that this build does not run yet.
bool IsLaterCommand(const std::string& word);

// The handlers behind `expect`, `call` and `set`, each with its own table.
Status RunExpect(Session& session, const Args& args);
Status RunCall(Session& session, const Args& args);
Status RunSet(Session& session, const Args& args);

// The browser, the page and time (page.cpp).
Status RunNavigate(Session& session, const Args& args);
Status RunComplete(Session& session, const Args& args);
Status RunStateChange(Session& session, const Args& args);
Status RunClosing(Session& session, const Args& args);
Status RunScript(Session& session, const Args& args);
Status RunFrame(Session& session, const Args& args);
Status RunObject(Session& session, const Args& args);
Status RunIn(Session& session, const Args& args);
Status RunContextMenu(Session& session, const Args& args);
Status RunFocusOut(Session& session, const Args& args);
Status RunPageKey(Session& session, const Args& args);
Status RunPageClick(Session& session, const Args& args);
Status RunClock(Session& session, const Args& args);
Status RunWait(Session& session, const Args& args);
Status RunTimer(Session& session, const Args& args);

// The band's toolbar (band.cpp).
Status RunShow(Session& session, const Args& args);
Status RunBandInfo(Session& session, const Args& args);
Status RunButton(Session& session, const Args& args);
Status RunDropDown(Session& session, const Args& args);
Status RunBandKey(Session& session, const Args& args);

// The document a page command or a page expectation works on: the one a leading
// `in frame N ...` named, else the current window's browser's current document.
Status TargetDocument(Session& session, const Args& args,
                      std::shared_ptr<tarnivo::sim::SimDocument>* document);

// The number (1 to 3) of a watch timer of the toolbar form by its name; an error for
// SettingsPoll (not known to this build yet) and for other names.
Status TimerNumber(const Args& args, const std::string& name, int* number);

}  // namespace scenario
