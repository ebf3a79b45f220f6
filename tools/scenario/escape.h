// Bytes written the way a scenario file writes them inside quotes.
#pragma once

#include <string>

namespace scenario {

// \0 \r \n \t \" \\ for those bytes, \xHH for the other control bytes and DEL; bytes from
// 0x80 up are kept as they are when `keepHighBytes`, else written as \xHH too.
std::string EscapeBytes(const std::string& bytes, bool keepHighBytes);

}  // namespace scenario
