#include "engine/normalize_domain.h"

#include <cstddef>
#include <vector>

namespace tarnivo {

namespace {

// The www-style prefixes, tried once each in this order, each on the result of the last.
constexpr const char* kPrefixes[] = {
    "www.",  "www1.", "www2.", "www3.", "www4.", "www5.", "www6.", "www7.", "www8.", "www9.",
    "ww1.",  "ww2.",  "ww3.",  "ww4.",  "ww5.",  "ww6.",  "ww7.",  "ww8.",  "ww9.",
};

}  // namespace

std::string NormalizeDomain(const std::string& host) {
  std::string name = host;
  for (const char* prefix : kPrefixes) {
    const std::string p(prefix);
    if (name.compare(0, p.size(), p) == 0) {
      name.erase(0, p.size());
    }
  }
  if (!name.empty() && name[0] == '.') name.erase(0, 1);
  if (name.empty()) return name;

  // Labels split at every dot; empty labels count.
  std::vector<std::string> labels;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = name.find('.', start);
    if (dot == std::string::npos) {
      labels.push_back(name.substr(start));
      break;
    }
    labels.push_back(name.substr(start, dot - start));
    start = dot + 1;
  }

  std::size_t first = 0;
  if (labels.size() == 3) {
    // A two-character last label is a country code (example.co.uk): all three stay.
    if (labels[2].size() != 2) first = 1;
  } else if (labels.size() == 4) {
    first = 1;
  }

  std::string result;
  for (std::size_t i = first; i < labels.size(); ++i) {
    if (i > first) result += '.';
    result += labels[i];
  }
  return result;
}

}  // namespace tarnivo
