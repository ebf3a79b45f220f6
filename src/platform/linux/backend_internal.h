// Pieces shared by the files of the Linux back end. Not for the system's code or tests.
#pragma once

#include <string>

namespace backend::internal {

// Sends one line to the observer, if one is set. Never call it while holding a lock of
// the back end: an observer may call back into the API.
void Report(const std::string& line);

// Creates a folder and its parents. True when the folder exists afterwards.
bool MakeFolders(const std::string& path);

// Bytes made readable for a log line: printable ASCII as it stands; NUL, CR, LF, tab,
// quote and backslash as \0 \r \n \t \" and a doubled backslash; anything else as \xHH.
// No enclosing quotes.

// A token for a log line: as it stands when it is non-empty and holds only printable
// characters other than blanks and quotes, else quoted and escaped.
std::string LogToken(const std::string& text);

}  // namespace backend::internal
