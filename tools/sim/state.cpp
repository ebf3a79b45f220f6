#include "state.h"

#include <cstdint>

#include "commands.h"
#include "server/toolbar.h"
#include "store/settings.h"

namespace scenario {
namespace {

using tarnivo::CToolbar;
using tarnivo::Shared;

std::string BoolText(bool value) { return value ? "true" : "false"; }

// Runs `act` on the current band, or answers that there is none.
template <typename Act>
Status OnBand(Session& session, const char* name, Act act) {
  CToolbar* band = nullptr;
  if (Status need = session.NeedBand(name, &band); !need.ok()) return need;
  act(*band);
  return Status::Ok();
}

std::int32_t NumberOf(const std::string& value) {
  std::int32_t number = 0;
  ParseInt32(value, &number);
  return number;
}

Status GetEnabled(Session& session, std::string* value) {
  return OnBand(session, "Enabled", [value](CToolbar& band) { *value = band.Enabled; });
}
Status SetEnabled(Session& session, const std::string& value) {
  return OnBand(session, "Enabled", [&value](CToolbar& band) { band.Enabled = value; });
}
Status GetIcone(Session& session, std::string* value) {
  return OnBand(session, "Icone",
                [value](CToolbar& band) { *value = std::to_string(band.Icone()); });
}
Status SetIcone(Session& session, const std::string& value) {
  return OnBand(session, "Icone", [&value](CToolbar& band) { band.SetIcone(NumberOf(value)); });
}
Status GetAllowNextPopup(Session& session, std::string* value) {
  return OnBand(session, "AllowNextPopup",
                [value](CToolbar& band) { *value = BoolText(band.AllowNextPopup); });
}
Status SetAllowNextPopup(Session& session, const std::string& value) {
  return OnBand(session, "AllowNextPopup",
                [&value](CToolbar& band) { band.AllowNextPopup = value == "true"; });
}
Status GetScriptNavigationSeen(Session& session, std::string* value) {
  return OnBand(session, "ScriptNavigationSeen",
                [value](CToolbar& band) { *value = std::to_string(band.ScriptNavigationSeen); });
}
Status SetScriptNavigationSeen(Session& session, const std::string& value) {
  return OnBand(session, "ScriptNavigationSeen",
                [&value](CToolbar& band) { band.ScriptNavigationSeen = value == "1" ? 1 : 0; });
}
Status GetBinding(Session& session, std::string* value) {
  return OnBand(session, "m_oIE",
                [value](CToolbar& band) { *value = band.m_oIE() ? "bound" : "none"; });
}

Status GetEnabledSetting(Session&, std::string* value) {
  *value = Shared().EnabledSetting;
  return Status::Ok();
}
Status SetEnabledSetting(Session&, const std::string& value) {
  Shared().EnabledSetting = value;
  return Status::Ok();
}
Status GetBlockLevel(Session&, std::string* value) {
  *value = Shared().BlockLevel;
  return Status::Ok();
}
Status SetBlockLevel(Session&, const std::string& value) {
  Shared().BlockLevel = value;
  return Status::Ok();
}
Status GetActiveXFlag(Session&, std::string* value) {
  *value = Shared().ActiveXFlag;
  return Status::Ok();
}
Status SetActiveXFlag(Session&, const std::string& value) {
  Shared().ActiveXFlag = value;
  return Status::Ok();
}
Status GetBlockedCount(Session&, std::string* value) {
  *value = std::to_string(Shared().BlockedCount);
  return Status::Ok();
}
Status SetBlockedCount(Session&, const std::string& value) {
  Shared().BlockedCount = NumberOf(value);
  return Status::Ok();
}
Status GetUserActionFlag(Session&, std::string* value) {
  *value = BoolText(Shared().UserActionFlag);
  return Status::Ok();
}
Status SetUserActionFlag(Session&, const std::string& value) {
  Shared().UserActionFlag = value == "true";
  return Status::Ok();
}

Status GetPageComplete(Session&, std::string* value) {
  *value = BoolText(Shared().PageComplete);
  return Status::Ok();
}
Status SetPageComplete(Session&, const std::string& value) {
  Shared().PageComplete = value == "true";
  return Status::Ok();
}
Status GetNavigationStart(Session&, std::string* value) {
  *value = std::to_string(Shared().NavigationStart);
  return Status::Ok();
}
Status SetNavigationStart(Session&, const std::string& value) {
  Shared().NavigationStart = NumberOf(value);
  return Status::Ok();
}
Status GetScanTicks(Session&, std::string* value) {
  *value = std::to_string(Shared().ScanTicks);
  return Status::Ok();
}
Status SetScanTicks(Session&, const std::string& value) {
  Shared().ScanTicks = NumberOf(value);
  return Status::Ok();
}
Status GetPageBinding(Session& session, std::string* value) {
  return OnBand(session, "IEdoc",
                [value](CToolbar& band) { *value = band.IEdoc() ? "bound" : "none"; });
}

const StateEntry kStates[] = {
    {"Enabled", ValueForm::Text, GetEnabled, SetEnabled},
    {"EnabledSetting", ValueForm::Text, GetEnabledSetting, SetEnabledSetting},
    {"BlockLevel", ValueForm::Text, GetBlockLevel, SetBlockLevel},
    {"ActiveXFlag", ValueForm::Text, GetActiveXFlag, SetActiveXFlag},
    {"BlockedCount", ValueForm::Number, GetBlockedCount, SetBlockedCount},
    {"Icone", ValueForm::Number, GetIcone, SetIcone},
    {"UserActionFlag", ValueForm::Boolean, GetUserActionFlag, SetUserActionFlag},
    {"AllowNextPopup", ValueForm::Boolean, GetAllowNextPopup, SetAllowNextPopup},
    {"ScriptNavigationSeen", ValueForm::Bit, GetScriptNavigationSeen, SetScriptNavigationSeen},
    {"PageComplete", ValueForm::Boolean, GetPageComplete, SetPageComplete},
    {"NavigationStart", ValueForm::Number, GetNavigationStart, SetNavigationStart},
    {"ScanTicks", ValueForm::Number, GetScanTicks, SetScanTicks},
    {"m_oIE", ValueForm::Binding, GetBinding, nullptr},
    {"IEdoc", ValueForm::Binding, GetPageBinding, nullptr},
};

// Names of the format whose values this build does not reach yet.
const char* const kLaterStates[] = {"CurrentLanguage", "LanguageFolder"};

}  // namespace

Status FindState(const Args& args, const StateEntry** found) {
  const std::string& name = args.Text(0);
  for (const StateEntry& entry : kStates) {
    if (name == entry.name) {
      *found = &entry;
      return Status::Ok();
    }
  }
  for (const char* known : kLaterStates) {
    if (name == known) return args.Error("the value " + name + " is not known to this build yet");
  }
  return args.Error("unknown value " + Quote(name));
}

Status ParseStateValue(const StateEntry& entry, const Word& word, const Args& args,
                       std::string* value) {
  const std::string& text = word.text;
  switch (entry.form) {
    case ValueForm::Text:
      *value = text;
      return Status::Ok();
    case ValueForm::Number: {
      std::int32_t number = 0;
      if (!ParseInt32(text, &number))
        return args.Error(std::string(entry.name) + " takes a 32-bit number, not " + Quote(text));
      *value = std::to_string(number);
      return Status::Ok();
    }
    case ValueForm::Boolean:
      if (text == "true" || text == "false") break;
      return args.Error(std::string(entry.name) + " takes true or false, not " + Quote(text));
    case ValueForm::Bit:
      if (text == "0" || text == "1") break;
      return args.Error(std::string(entry.name) + " takes 0 or 1, not " + Quote(text));
    case ValueForm::Binding:
      if (text == "bound" || text == "none") break;
      return args.Error(std::string(entry.name) + " takes bound or none, not " + Quote(text));
  }
  *value = text;
  return Status::Ok();
}

std::string ShowStateValue(const StateEntry& entry, const std::string& value) {
  return entry.form == ValueForm::Text ? Quote(value) : value;
}

Status FindList(const Args& args, const std::string& name, tarnivo::SiteList** list) {
  if (name == "AllowedSites") {
    *list = &tarnivo::AllowedSites();
    return Status::Ok();
  }
  if (name == "BlockedActiveX") {
    *list = &tarnivo::BlockedActiveX();
    return Status::Ok();
  }
  if (name == "ActiveXPatterns" || name == "ActiveXTags")
    return args.Error(name +
                      " is built by the system (call BuildActiveXPatterns); only "
                      "expect list reads it");
  return args.Error("unknown list " + Quote(name) + " (AllowedSites or BlockedActiveX)");
}

Status RunSet(Session& session, const Args& args) {
  if (Status check = args.Check(2, 2); !check.ok()) return check;
  const StateEntry* entry = nullptr;
  if (Status found = FindState(args, &entry); !found.ok()) return found;
  if (entry->set == nullptr)
    return args.Error(args.Text(0) +
                      " cannot be set: the band binds it itself (expect it instead)");
  std::string value;
  if (Status parsed = ParseStateValue(*entry, args[1], args, &value); !parsed.ok()) return parsed;
  return entry->set(session, value);
}

}  // namespace scenario
