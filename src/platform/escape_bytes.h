// Bytes written the way a scenario file writes them inside quotes: used by the Linux back
// end's reports and by the scenario runners' messages.
#pragma once

#include <string>

namespace tarnivo {

// \0 \r \n \t \" \\ for those bytes, \xHH for the other control bytes and DEL; bytes from
// 0x80 up are kept as they are when `keepHighBytes`, else written as \xHH too.
inline std::string EscapeBytes(const std::string& bytes, bool keepHighBytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    switch (b) {
      case '\0':
        out += "\\0";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (b < 0x20 || b == 0x7F || (b > 0x7F && !keepHighBytes)) {
          out += "\\x";
          out += kHex[b >> 4];
          out += kHex[b & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace tarnivo
