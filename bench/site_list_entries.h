// Entries for the list editor's benchmarks, shared by the Linux benchmark and the program
// that measures the real DLL under Wine: distinct host names of a given length range, made
// from a fixed seed so that every run edits the same list, and the list file that holds them.
#pragma once

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace sitebench {

// `count` distinct host names of `min_length` to `max_length` characters (at least 8): lower
// case letters and digits in dot-separated labels, ending in a top-level domain.
inline std::vector<std::string> HostNames(int count, int min_length, int max_length,
                                          std::uint32_t seed = 20260105u) {
  static const char* const kEndings[] = {".com", ".org", ".net", ".co.uk", ".de", ".com.br"};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> length(min_length, max_length);
  std::uniform_int_distribution<int> ending(0, 5);
  std::uniform_int_distribution<int> letter(0, 35);
  std::uniform_int_distribution<int> label(3, 12);
  std::set<std::string> seen;
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  while (static_cast<int>(names.size()) < count) {
    const std::string end = kEndings[ending(random)];
    const int wanted = length(random);
    std::string name;
    int until_dot = label(random);
    while (static_cast<int>(name.size() + end.size()) < wanted) {
      if (until_dot-- == 0 && !name.empty() && name.back() != '.' &&
          static_cast<int>(name.size() + end.size()) + 2 < wanted) {
        name += '.';
        until_dot = label(random);
      } else {
        name += kLetters[letter(random)];
      }
    }
    if (name.empty() || name.back() == '.') name += 'x';
    name += end;
    if (seen.insert(name).second) names.push_back(name);
  }
  return names;
}

// The list file holding `entries` as allowed sites: one quoted entry a line, CR LF.
inline std::string ListFileBytes(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const std::string& entry : entries) bytes += "\"" + entry + "\"\r\n";
  return bytes;
}

}  // namespace sitebench
