// Names and texts of the A functions on the Linux back end: the system's ANSI code page is
// Windows-1252, the names on disk are UTF-8, and drive paths name folders below the root laid
// out as a Wine prefix is (C:\ is drive_c/). Converted as Wine converts them.
#include <cstdint>
#include <string>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"

namespace {

// The characters of Windows-1252's bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined stand for the control characters of the same value, as in Wine's table.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CharacterOf(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

// The Windows-1252 byte of a character, or '?' for one the code page does not have.
char ByteOf(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
    return static_cast<char>(character);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == character) return static_cast<char>(0x80 + i);
  return '?';
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The character at `text[*at]` in UTF-8, moving `*at` past it; a byte that starts no valid
// sequence stands for itself (as Latin-1), so that no name is lost.
char32_t NextUtf8(const std::string& text, std::size_t* at) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  int length = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 0;
  if (length <= 1 || *at + static_cast<std::size_t>(length) > text.size()) {
    ++*at;
    return lead;
  }
  char32_t c = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[*at + static_cast<std::size_t>(i)]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return lead;
    }
    c = (c << 6) | (next & 0x3F);
  }
  *at += static_cast<std::size_t>(length);
  return c;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

}  // namespace

namespace backend::internal {

char32_t CharacterOfAnsi(unsigned char byte) { return CharacterOf(byte); }

char AnsiOfCharacter(char32_t character) { return ByteOf(character); }

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string text) {
  for (char& c : text) c = LowerLetter(c);
  return text;
}

std::string Utf8FromAnsi(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char byte : ansi) AppendUtf8(CharacterOf(static_cast<unsigned char>(byte)), &out);
  return out;
}

std::string AnsiFromUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) out.push_back(ByteOf(NextUtf8(utf8, &at)));
  return out;
}

std::string DiskPath(const char* name) {
  std::string path = Utf8FromAnsi(name);
  for (char& c : path)
    if (c == '\\') c = '/';
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (!drive) return path;
  const char letter = static_cast<char>(path[0] | 0x20);
  std::string rest = path.substr(2);
  if (!rest.empty() && rest[0] != '/') rest = "/" + rest;
  // Z: is the whole Linux tree, as in a Wine prefix; every other drive a folder of the root.
  if (letter == 'z') return rest.empty() ? "/" : rest;
  // The drive itself always exists, as in a prefix.
  const std::string folder = backend::Root() + "/drive_" + letter;
  MakeFolders(folder);
  return folder + rest;
}

std::string WindowsPath(const std::string& disk) {
  const std::string drive_c = backend::Root() + "/drive_c";
  std::string path;
  if (disk == drive_c || StartsWith(disk, drive_c + "/")) {
    path = "C:" + disk.substr(drive_c.size());
    if (path.size() == 2) path += "/";
  } else {
    path = "Z:" + disk;
  }
  for (char& c : path)
    if (c == '/') c = '\\';
  return AnsiFromUtf8(path);
}

}  // namespace backend::internal
