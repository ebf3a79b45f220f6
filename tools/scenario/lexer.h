// The lexical rules of scenario files: one command per line, words separated by blanks,
// quoted words with escapes, and name=value options.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// One word of a line. A plain word has an empty name; an option (name=value) has its name
// and its value as text. `quoted` tells whether the text (or the option's value) was written
// in double quotes, so that `-` and `"-"` can mean different things.
struct Word {
  std::string name;
  std::string text;
  bool quoted = false;

  bool IsOption() const { return !name.empty(); }
};

// True for a line with nothing to run: blank, or a comment (first non-blank character '#').
bool IsBlankOrComment(const std::string& line);

// Splits one line into words. False, with a message in `error`, for an unterminated quote,
// an unknown escape, a quote in the middle of a word or text glued to a closing quote.
bool SplitLine(const std::string& line, std::vector<Word>* words, std::string* error);

// A text in double quotes with the escapes of the format, so that every byte can be read
// back: NUL as \0, controls as \r \n \t or \xHH, quote and backslash escaped.
std::string Quote(const std::string& bytes);

// The line without leading and trailing blanks.
std::string Trim(const std::string& line);

}  // namespace scenario
