// modUtils: the list file that stores AllowedSites and BlockedActiveX, one quoted entry
// a line, in the system directory under the name "tarnivo.dll".
#pragma once

#include <string>
#include <vector>

namespace tarnivo {

inline constexpr const char* kSiteListFileName = "tarnivo.dll";
// Marker at the end of a blocked-ActiveX entry in the file.
inline constexpr const char* kActiveXMarker = "#AX";

// The system directory with a trailing backslash.
std::string SystemDirectory();
// SystemDirectory() followed by the list file's name.
std::string SiteListFile();
// True when the file at `path` can be opened for reading.
bool SiteListExists(const std::string& path);
// Rewrites the list file from both lists (temporary entries left out). The new content is
// written beside the file and then replaces it, so a failed save leaves the old file whole.
void SaveSiteLists();
// Adds every entry of the list file to its list (what the lists hold stays).
void LoadSiteLists();
// Removes every "www." from `entry`, appends it to the list file (closing a hand-made last
// line that lacks its line end first) and adds it to its list, even when the file cannot be
// opened. The file gets the whole line or stays as it was: nothing is written when its last
// byte cannot be read, and a write that stops part-way is cut back to the old length.
void AppendSiteEntry(const std::string& entry);

// Removes every occurrence of `what` from `text` (exact comparison), including one that a
// removal brings together: the result holds none.
std::string RemoveAll(const std::string& text, const std::string& what);
// The fields of a list file's content, by the file's reading rule. CR LF, a lone CR and a
// lone LF all end a line; a quoted field runs to the next quote (an unterminated one to the
// end of the content). A field whose text is empty (an empty or blank line, "", or nothing
// between two commas) gives no entry.
std::vector<std::string> ReadSiteListFields(const std::string& content);

}  // namespace tarnivo
