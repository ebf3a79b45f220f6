// The ActiveX screen: while a page loads, its scripts and the embedded objects of its frames
// are checked against a list of patterns, and whatever carries one is cut out or disabled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/host.h"
#include "store/site_list.h"

namespace tarnivo {

// Bounds that keep a hostile page from holding the browser's thread: a collection is walked
// no further than its first kScanMaxItems items, whatever length it reports, and frames are
// followed no deeper than kScanMaxFrameDepth levels below the scanned document. A frame
// whose document is the document itself or one of the documents around it is not followed.
inline constexpr std::int32_t kScanMaxItems = 100000;
inline constexpr int kScanMaxFrameDepth = 64;

// The patterns and tags the screen checks against.
struct ActiveXLists {
  std::vector<std::string> patterns;
  std::vector<std::string> tags;
};

// The lists built from the blocked-ActiveX list `blocked`: the seven built-in patterns, then
// every entry of `blocked` in list order; the one tag "object".
ActiveXLists BuildActiveXPatterns(const SiteList& blocked);

// What one scan reads. All three are looked at again at each step, as they are then: the scan
// ends as soon as `pageComplete` is true.
struct ActiveXScreenInputs {
  const std::vector<std::string>& patterns;
  const std::vector<std::string>& tags;
  const bool& pageComplete;
};

// Scans `document` and, to any depth, the documents of its frames: a script whose text
// (in lower case) contains a pattern loses every occurrence of it; a script whose address
// (in lower case) contains one gets an empty address and a beep; an element of one of the
// tags in a frame whose codeBase contains one (letter case kept) is disabled, its codeBase
// emptied, with a beep. Does nothing for a null document or a complete page, and ends as
// soon as the page is found complete. A step that fails is skipped; nothing done is undone.
// Empty patterns mark nothing.
void ScanActiveX(const host::ObjectPtr& document, const ActiveXScreenInputs& inputs);

// This thread's lists: ActiveXPatterns and ActiveXTags built afresh from BlockedActiveX().
void BuildActiveXPatterns();

// ScanActiveX with this thread's ActiveXPatterns, ActiveXTags and PageComplete.
void ScanActiveX(const host::ObjectPtr& document);

}  // namespace tarnivo
