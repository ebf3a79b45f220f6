// The window the `cursor` command puts the mouse cursor over, by its class.
#pragma once

#include <string>

#include "args.h"
#include "status.h"

namespace scenario {

// `cursor page|menu|control|other` or `cursor class="NAME"`: the class of the window under
// the cursor (the browser's page window, a menu, an embedded control, the taskbar, or the
// class named), or an Error for words the format does not allow.
Status CursorClass(const Args& args, std::string* window_class);

}  // namespace scenario
