// The reading rule of the list file, on any bytes: every field is a non-empty piece of the
// content; fields written back as a save writes them ("field" and CR LF) read back the
// same; an entry appended as AppendSiteEntry appends it reads back after the others.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "store/site_list_file.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\"\r\n"; }

bool HasQuote(const std::string& text) { return text.find('"') != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The last line of the input, after its last NUL, is the entry to append.
  const std::size_t split = bytes.rfind('\0');
  const std::string content = split == std::string::npos ? bytes : bytes.substr(0, split);
  const std::string entry = split == std::string::npos ? "" : bytes.substr(split + 1);

  const std::vector<std::string> fields = tarnivo::ReadSiteListFields(content);
  bool quotes = false;
  for (const std::string& field : fields) {
    FUZZ_CHECK(!field.empty());
    FUZZ_CHECK(content.find(field) != std::string::npos);
    quotes = quotes || HasQuote(field);
  }

  // A quote cannot stand inside a saved entry; every other field survives a rewrite.
  if (!quotes) {
    std::string rewritten;
    for (const std::string& field : fields) rewritten += Quoted(field);
    FUZZ_CHECK(tarnivo::ReadSiteListFields(rewritten) == fields);
  }

  // An append closes a last line without its line end, then adds the quoted entry. Where
  // the content leaves no quote open (a quoted line added after it would read as itself),
  // the entry comes last.
  const bool open_line = !content.empty() && content.back() != '\r' && content.back() != '\n';
  const std::string closed = content + (open_line ? "\r\n" : "");
  std::vector<std::string> with_probe = fields;
  with_probe.push_back("probe");
  if (!entry.empty() && !HasQuote(entry) &&
      tarnivo::ReadSiteListFields(closed + Quoted("probe")) == with_probe) {
    std::vector<std::string> expected = fields;
    expected.push_back(entry);
    FUZZ_CHECK(tarnivo::ReadSiteListFields(closed + Quoted(entry)) == expected);
  }
  return 0;
}
