#include "lexer.h"

#include <cstddef>

#include "platform/escape_bytes.h"

namespace scenario {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsNameChar(char c, bool first) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
  return !first && ((c >= '0' && c <= '9') || c == '-');
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text starting at the opening quote `line[*pos]`. On success `*pos` is just
// past the closing quote, which must be followed by a blank or the end of the line.
bool ReadQuoted(const std::string& line, std::size_t* pos, std::string* out, std::string* error) {
  const std::size_t open = *pos;
  std::size_t i = open + 1;
  out->clear();
  while (i < line.size()) {
    const char c = line[i];
    if (c == '"') {
      ++i;
      if (i < line.size() && !IsBlank(line[i])) {
        *error = "text after a closing quote (column " + std::to_string(i + 1) + ")";
        return false;
      }
      *pos = i;
      return true;
    }
    if (c != '\\') {
      out->push_back(c);
      ++i;
      continue;
    }
    if (i + 1 >= line.size()) break;
    const char e = line[i + 1];
    switch (e) {
      case '"':
        out->push_back('"');
        break;
      case '\\':
        out->push_back('\\');
        break;
      case '0':
        out->push_back('\0');
        break;
      case 'r':
        out->push_back('\r');
        break;
      case 'n':
        out->push_back('\n');
        break;
      case 't':
        out->push_back('\t');
        break;
      case 'x': {
        const int hi = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
        const int lo = i + 3 < line.size() ? HexDigit(line[i + 3]) : -1;
        if (hi < 0 || lo < 0) {
          *error = "\\x needs two hex digits (column " + std::to_string(i + 1) + ")";
          return false;
        }
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        break;
      }
      default:
        *error = std::string("unknown escape \\") + e + " (column " + std::to_string(i + 1) + ")";
        return false;
    }
    i += 2;
  }
  *error = "unterminated quote (column " + std::to_string(open + 1) + ")";
  return false;
}

// Reads a plain (unquoted) run of characters up to the next blank; a quote inside it is an
// error.
bool ReadPlain(const std::string& line, std::size_t* pos, std::string* out, std::string* error) {
  std::size_t i = *pos;
  while (i < line.size() && !IsBlank(line[i])) {
    if (line[i] == '"') {
      *error = "a quote in the middle of a word (column " + std::to_string(i + 1) + ")";
      return false;
    }
    ++i;
  }
  *out = line.substr(*pos, i - *pos);
  *pos = i;
  return true;
}

// Length of a leading option name followed by '=' at `pos`, or 0 when there is none.
std::size_t OptionNameLength(const std::string& line, std::size_t pos) {
  std::size_t i = pos;
  while (i < line.size() && IsNameChar(line[i], i == pos)) ++i;
  if (i == pos || i >= line.size() || line[i] != '=') return 0;
  return i - pos;
}

}  // namespace

bool IsBlankOrComment(const std::string& line) {
  for (char c : line) {
    if (IsBlank(c)) continue;
    return c == '#';
  }
  return true;
}

bool SplitLine(const std::string& line, std::vector<Word>* words, std::string* error) {
  words->clear();
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return true;
    Word word;
    if (line[pos] == '"') {
      word.quoted = true;
      if (!ReadQuoted(line, &pos, &word.text, error)) return false;
    } else if (const std::size_t name = OptionNameLength(line, pos); name > 0) {
      word.name = line.substr(pos, name);
      pos += name + 1;
      if (pos < line.size() && line[pos] == '"') {
        word.quoted = true;
        if (!ReadQuoted(line, &pos, &word.text, error)) return false;
      } else if (!ReadPlain(line, &pos, &word.text, error)) {
        return false;
      }
    } else if (!ReadPlain(line, &pos, &word.text, error)) {
      return false;
    }
    words->push_back(std::move(word));
  }
}

std::string Quote(const std::string& bytes) {
  return "\"" + tarnivo::EscapeBytes(bytes, true) + "\"";
}

std::string Trim(const std::string& line) {
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  std::size_t last = line.size();
  while (last > first && IsBlank(line[last - 1])) --last;
  return line.substr(first, last - first);
}

}  // namespace scenario
