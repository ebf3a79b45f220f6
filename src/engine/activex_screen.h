// The ActiveX screen: while a page loads, its scripts and the embedded objects of its frames
// are checked against a list of patterns, and whatever carries one is cut out or disabled.
#pragma once

#include <cstdint>

#include "server/host.h"

namespace tarnivo {

// Bounds that keep a hostile page from holding the browser's thread: a collection is walked
// no further than its first kScanMaxItems items, whatever length it reports, and frames are
// followed no deeper than kScanMaxFrameDepth levels below the scanned document. A frame
// whose document is the document itself or one of the documents around it is not followed.
inline constexpr std::int32_t kScanMaxItems = 100000;
inline constexpr int kScanMaxFrameDepth = 64;

// Builds this thread's ActiveXPatterns afresh (the seven built-in patterns, then every
// BlockedActiveX entry in list order) and ActiveXTags (the one tag "object").
void BuildActiveXPatterns();

// Scans `document` and, to any depth, the documents of its frames: a script whose text
// (in lower case) contains a pattern loses every occurrence of it; a script whose address
// (in lower case) contains one gets an empty address and a beep; an element of an
// ActiveXTags tag in a frame whose codeBase contains one (letter case kept) is disabled, its
// codeBase emptied, with a beep. Does nothing for a null document or a complete page, and
// ends as soon as the page is found complete. A step that fails is skipped; nothing done is
// undone. Empty patterns mark nothing.
void ScanActiveX(const host::ObjectPtr& document);

}  // namespace tarnivo
