// The words of one command after its command word(s), with the checks every handler needs:
// how many plain words, which options, and the value forms of the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "lexer.h"
#include "status.h"

namespace scenario {

class Args {
 public:
  // `what` names the command in messages ("reg set", "expect popup").
  Args(std::string what, std::vector<Word> words);

  const std::string& What() const { return what_; }
  // The plain words, in order, and the options.
  std::size_t Count() const { return plain_.size(); }
  const Word& operator[](std::size_t i) const { return plain_[i]; }
  const std::string& Text(std::size_t i) const { return plain_[i].text; }
  // True when plain word i is the unquoted keyword `keyword`.
  bool Is(std::size_t i, const char* keyword) const;
  // The option `name`, or null.
  const Word* Option(const std::string& name) const;

  // Error unless there are between `min` and `max` plain words and no option outside
  // `options`.
  Status Check(std::size_t min, std::size_t max,
               std::initializer_list<const char*> options = {}) const;

  // The same words with the first `n` plain words taken off, named `what`.
  Args Rest(std::size_t n, std::string what) const;

  // An error about this command: "WHAT: message".
  Status Error(const std::string& message) const;

 private:
  std::string what_;
  std::vector<Word> plain_;
  std::vector<Word> options_;
};

// Decimal numbers as the format writes them: an optional '-' and digits only.
bool ParseInt32(const std::string& text, std::int32_t* out);
bool ParseCount(const std::string& text, int* out);  // 0 or more
// A REG_DWORD: 0 to 4294967295, or a negative 32-bit number for its two's complement.
bool ParseDword(const std::string& text, std::uint32_t* out);

}  // namespace scenario
