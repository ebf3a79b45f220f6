// `call NAME ["ARG" ...]`: the system's operations run directly, by name.
#include <cstddef>
#include <map>

#include "commands.h"
#include "engine/activex_screen.h"
#include "engine/normalize_domain.h"
#include "store/site_list.h"
#include "store/site_list_file.h"

namespace scenario {
namespace {

struct CallEntry {
  std::size_t arguments;
  Status (*run)(Session& session, const Args& args);
};

std::string EntriesText(int count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// After a call that changes the lists, the transcript shows how many entries they hold.
void SayLists(Session& session) {
  session.Say("AllowedSites " + EntriesText(tarnivo::AllowedSites().Count()) + ", BlockedActiveX " +
              EntriesText(tarnivo::BlockedActiveX().Count()));
}

Status NormalizeDomain(Session& session, const Args& args) {
  session.last_result = tarnivo::NormalizeDomain(args.Text(0));
  return Status::Ok();
}

Status SaveSiteLists(Session&, const Args&) {
  tarnivo::SaveSiteLists();
  return Status::Ok();
}

Status LoadSiteLists(Session& session, const Args&) {
  tarnivo::LoadSiteLists();
  SayLists(session);
  return Status::Ok();
}

Status AppendSiteEntry(Session& session, const Args& args) {
  tarnivo::AppendSiteEntry(args.Text(0));
  SayLists(session);
  return Status::Ok();
}

Status CriaChave(Session& session, const Args& args) {
  tarnivo::CToolbar* band = nullptr;
  if (Status need = session.NeedBand(args.What(), &band); !need.ok()) return need;
  band->CriaChave();
  return Status::Ok();
}

Status BuildActiveXPatterns(Session&, const Args&) {
  tarnivo::BuildActiveXPatterns();
  return Status::Ok();
}

// The scan of the current window's browser's current document (none: nothing to scan).
Status ScanActiveX(Session& session, const Args& args) {
  tarnivo::sim::SimBrowser* browser = nullptr;
  if (Status need = session.NeedBrowser(args.What(), &browser); !need.ok()) return need;
  tarnivo::ScanActiveX(browser->Document());
  return Status::Ok();
}

const std::map<std::string, CallEntry>& Table() {
  static const std::map<std::string, CallEntry> table = {
      {"NormalizeDomain", {1, NormalizeDomain}},
      {"SaveSiteLists", {0, SaveSiteLists}},
      {"LoadSiteLists", {0, LoadSiteLists}},
      {"AppendSiteEntry", {1, AppendSiteEntry}},
      {"CriaChave", {0, CriaChave}},
      {"BuildActiveXPatterns", {0, BuildActiveXPatterns}},
      {"ScanActiveX", {0, ScanActiveX}},
  };
  return table;
}

const char* const kLaterCalls[] = {"ResetDefaults", "SettingsPoll", "ReadIniValue"};

}  // namespace

Status RunCall(Session& session, const Args& args) {
  if (Status check = args.Check(1, 16); !check.ok()) return check;
  const std::string& name = args.Text(0);
  const auto found = Table().find(name);
  if (found == Table().end()) {
    for (const char* later : kLaterCalls)
      if (name == later)
        return args.Error("the operation " + name + " is not known to this build yet");
    return args.Error("unknown operation " + Quote(name));
  }
  const Args call = args.Rest(1, "call " + name);
  const std::size_t count = found->second.arguments;
  if (Status check = call.Check(count, count); !check.ok()) return check;
  session.last_result.reset();
  Status status = found->second.run(session, call);
  if (status.ok() && session.last_result) session.Say("result " + Quote(*session.last_result));
  return status;
}

}  // namespace scenario
