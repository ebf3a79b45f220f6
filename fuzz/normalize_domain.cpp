// NormalizeDomain on any host: the result is a tail of the host; it matches the rule written
// with labels (prefixes off in their order, a leading dot off, then the leftmost label of a
// three-label name without a two-letter last label, or of a four-label name); and a result
// of at most two labels without a prefix or a leading dot is its own normal form.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/normalize_domain.h"
#include "fuzz_support.h"

namespace {

const char* const kPrefixes[] = {
    "www.", "www1.", "www2.", "www3.", "www4.", "www5.", "www6.", "www7.", "www8.", "www9.",
    "ww1.", "ww2.",  "ww3.",  "ww4.",  "ww5.",  "ww6.",  "ww7.",  "ww8.",  "ww9.",
};

bool StartsWith(const std::string& text, const std::string& head) {
  return text.size() >= head.size() && text.compare(0, head.size(), head) == 0;
}

std::vector<std::string> Labels(const std::string& text) {
  std::vector<std::string> labels(1);
  for (char c : text) {
    if (c == '.') {
      labels.emplace_back();
    } else {
      labels.back() += c;
    }
  }
  return labels;
}

std::string Join(const std::vector<std::string>& labels, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < labels.size(); ++i) out += (i > from ? "." : "") + labels[i];
  return out;
}

std::string ByLabels(std::string host) {
  for (const char* prefix : kPrefixes) {
    if (StartsWith(host, prefix)) host.erase(0, std::string(prefix).size());
  }
  if (StartsWith(host, ".")) host.erase(0, 1);
  if (host.empty()) return host;
  const std::vector<std::string> labels = Labels(host);
  if (labels.size() == 3 && labels[2].size() != 2) return Join(labels, 1);
  if (labels.size() == 4) return Join(labels, 1);
  return host;
}

bool Plain(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  for (const char* prefix : kPrefixes) {
    if (StartsWith(name, prefix)) return false;
  }
  return Labels(name).size() <= 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string host(reinterpret_cast<const char*>(data), size);
  const std::string result = tarnivo::NormalizeDomain(host);
  FUZZ_CHECK(result.size() <= host.size());
  FUZZ_CHECK(host.compare(host.size() - result.size(), result.size(), result) == 0);
  FUZZ_CHECK(result == ByLabels(host));
  if (Plain(result)) FUZZ_CHECK(tarnivo::NormalizeDomain(result) == result);
  return 0;
}
