// The scenario lexer on any line. When a line splits into words:
//  - the words written back (options as name=value, quoted texts through Quote) split into
//    the same words;
//  - a line without quotes is its words joined by single spaces, blanks at the ends and
//    runs of blanks aside;
//  - a line with no word is blank, and a line whose first word starts with '#' is a comment.
// A line that does not split gives a message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "lexer.h"

namespace {

bool operator==(const scenario::Word& a, const scenario::Word& b) {
  return a.name == b.name && a.text == b.text && a.quoted == b.quoted;
}

bool Same(const std::vector<scenario::Word>& a, const std::vector<scenario::Word>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The line with every run of blanks made one space, and none at the ends.
std::string Collapsed(const std::string& line) {
  std::string out;
  bool blank = false;
  for (char c : line) {
    if (IsBlank(c)) {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::vector<scenario::Word> words;
  std::string error;
  if (!scenario::SplitLine(line, &words, &error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }

  std::string rewritten;
  std::string joined;
  for (const scenario::Word& word : words) {
    if (!rewritten.empty()) {
      rewritten += ' ';
      joined += ' ';
    }
    const std::string head = word.IsOption() ? word.name + "=" : "";
    rewritten += head + (word.quoted ? scenario::Quote(word.text) : word.text);
    joined += head + word.text;
  }
  std::vector<scenario::Word> again;
  FUZZ_CHECK(scenario::SplitLine(rewritten, &again, &error));
  FUZZ_CHECK(Same(words, again));

  if (line.find('"') == std::string::npos) FUZZ_CHECK(joined == Collapsed(line));
  FUZZ_CHECK(
      scenario::IsBlankOrComment(line) ==
      (words.empty() || (!words[0].IsOption() && !words[0].quoted && words[0].text[0] == '#')));
  return 0;
}
