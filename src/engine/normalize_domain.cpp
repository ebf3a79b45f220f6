#include "engine/normalize_domain.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace tarnivo {

namespace {

// The www-style prefixes, tried once each in this order, each on the result of the last.
constexpr const char* kPrefixes[] = {
    "www.", "www1.", "www2.", "www3.", "www4.", "www5.", "www6.", "www7.", "www8.", "www9.",
    "ww1.", "ww2.",  "ww3.",  "ww4.",  "ww5.",  "ww6.",  "ww7.",  "ww8.",  "ww9.",
};

}  // namespace

std::string NormalizeDomain(const std::string& host) {
  std::size_t start = 0;  // what is removed from the front so far
  for (const char* prefix : kPrefixes) {
    const std::size_t length = std::char_traits<char>::length(prefix);
    if (host.compare(start, length, prefix) == 0) start += length;
  }
  if (start < host.size() && host[start] == '.') ++start;
  if (start >= host.size()) return std::string();

  // The labels lie between the dots; empty labels count.
  const std::size_t labels =
      1 + static_cast<std::size_t>(
              std::count(host.begin() + static_cast<std::ptrdiff_t>(start), host.end(), '.'));
  const std::size_t first_dot = host.find('.', start);
  if (labels == 3) {
    // A two-character last label is a country code (example.co.uk): all three stay.
    const std::size_t last_length = host.size() - host.rfind('.') - 1;
    if (last_length != 2) start = first_dot + 1;
  } else if (labels == 4) {
    start = first_dot + 1;
  }
  return host.substr(start);
}

}  // namespace tarnivo
