// The system's shared values and lists by the names the format gives them, for `set`,
// `list`, `expect state`, `expect list` and `expect tag`.
#pragma once

#include <string>

#include "args.h"
#include "session.h"
#include "status.h"
#include "store/site_list.h"

namespace scenario {

// How a value is written in a scenario.
enum class ValueForm {
  Text,     // a quoted text, compared byte for byte
  Number,   // a 32-bit signed decimal number
  Boolean,  // true | false
  Bit,      // 0 | 1
  Binding,  // bound | none
};

struct StateEntry {
  const char* name;
  ValueForm form;
  // Reads the value in its written form (a text's bytes, "42", "true", "1", "bound").
  Status (*get)(Session& session, std::string* value);
  // Stores a value given in its written form; null for a value that can only be expected.
  Status (*set)(Session& session, const std::string& value);
};

// The entry of the state name that is `args`' first word; an error saying whether the name
// is unknown or belongs to the format but not yet to this build.
Status FindState(const Args& args, const StateEntry** found);

// The written form of `word` for `entry`, or an error naming `args`.
Status ParseStateValue(const StateEntry& entry, const Word& word, const Args& args,
                       std::string* value);
// A value for messages: texts quoted with escapes, other forms as they are.
std::string ShowStateValue(const StateEntry& entry, const std::string& value);

// The list named `name` (AllowedSites, BlockedActiveX), or an error.
Status FindList(const Args& args, const std::string& name, tarnivo::SiteList** list);

}  // namespace scenario
