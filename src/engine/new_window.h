// The new-window decision's lookups.
#pragma once

#include <string>

namespace tarnivo {

// Index of the first allowed site, from the top, that begins with `probe` (letter case
// ignored); -1 when there is none.
int FindAllowedSite(const std::string& probe);

}  // namespace tarnivo
