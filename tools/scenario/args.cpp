#include "args.h"

#include <limits>
#include <utility>

namespace scenario {

Args::Args(std::string what, std::vector<Word> words) : what_(std::move(what)) {
  for (Word& word : words) (word.IsOption() ? options_ : plain_).push_back(std::move(word));
}

bool Args::Is(std::size_t i, const char* keyword) const {
  return i < plain_.size() && !plain_[i].quoted && plain_[i].text == keyword;
}

const Word* Args::Option(const std::string& name) const {
  for (const Word& option : options_)
    if (option.name == name) return &option;
  return nullptr;
}

Status Args::Check(std::size_t min, std::size_t max,
                   std::initializer_list<const char*> options) const {
  for (const Word& option : options_) {
    bool known = false;
    for (const char* name : options) known = known || option.name == name;
    if (!known) return Error("unknown option \"" + option.name + "=\"");
  }
  if (plain_.size() < min) return Error("missing words (needs " + std::to_string(min) + ")");
  if (plain_.size() > max) return Error("unexpected word " + Quote(plain_[max].text));
  return Status::Ok();
}

Args Args::Rest(std::size_t n, std::string what) const {
  Args rest(std::move(what), {});
  for (std::size_t i = n; i < plain_.size(); ++i) rest.plain_.push_back(plain_[i]);
  rest.options_ = options_;
  return rest;
}

Status Args::Error(const std::string& message) const {
  return Status::Error(what_ + ": " + message);
}

namespace {

// Digits only, with an optional leading '-': the magnitude and the sign.
bool ParseDecimal(const std::string& text, bool* negative, std::uint64_t* magnitude) {
  std::size_t i = 0;
  *negative = !text.empty() && text[0] == '-';
  if (*negative) i = 1;
  if (i >= text.size() || text.size() - i > 12) return false;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  *magnitude = value;
  return true;
}

}  // namespace

bool ParseInt32(const std::string& text, std::int32_t* out) {
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (!ParseDecimal(text, &negative, &magnitude)) return false;
  const std::int64_t value =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return false;
  *out = static_cast<std::int32_t>(value);
  return true;
}

bool ParseCount(const std::string& text, int* out) {
  std::int32_t value = 0;
  if (!ParseInt32(text, &value) || value < 0) return false;
  *out = value;
  return true;
}

bool ParseDword(const std::string& text, std::uint32_t* out) {
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (!ParseDecimal(text, &negative, &magnitude)) return false;
  if (negative) {
    std::int32_t value = 0;
    if (!ParseInt32(text, &value)) return false;
    *out = static_cast<std::uint32_t>(value);
    return true;
  }
  if (magnitude > std::numeric_limits<std::uint32_t>::max()) return false;
  *out = static_cast<std::uint32_t>(magnitude);
  return true;
}

}  // namespace scenario
