// The site name under which a page's host is stored and looked up.
#pragma once

#include <string>

namespace tarnivo {

// Removes the www-style prefixes, a leading dot and, for three or four labels, the
// leftmost label. Pure; letter case is kept.
std::string NormalizeDomain(const std::string& host);

}  // namespace tarnivo
