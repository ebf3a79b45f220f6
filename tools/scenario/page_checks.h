// The page's expectations both runners share: `expect script N text|src "T"` and
// `expect object N codebase "T" [disabled=true|false]`, read from their words first and then
// compared with what the runner reads of the document's elements.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "status.h"

namespace scenario {

struct ElementCheck {
  std::size_t index = 0;
  std::string number;            // the index as the file wrote it
  std::string field;             // a script's "text" or "src"; an object's "codebase"
  std::string want;              // the text expected
  std::optional<bool> disabled;  // objects: the state expected, when given
  std::string expected;          // the expectation as messages name it
};

Status ReadScriptCheck(const Args& args, ElementCheck* check);
Status ReadObjectCheck(const Args& args, ElementCheck* check);

// `texts`: the checked field of each script of the document, in order; `within`: " in frame
// 0 ..." after a leading `in frame`, else empty.
Status CompareScript(const ElementCheck& check, const std::string& within,
                     const std::vector<std::string>& texts);

struct ObjectSeen {
  std::string code_base;
  bool disabled = false;
};
Status CompareObject(const ElementCheck& check, const std::string& within,
                     const std::vector<ObjectSeen>& objects);

}  // namespace scenario
