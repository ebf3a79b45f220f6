// The ActiveX screen.
#include "engine/activex_screen.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "store/settings.h"
#include "store/site_list_file.h"

namespace tarnivo {

namespace {

const char* const kBuiltInPatterns[] = {".cab",      "legal", "roings", "xxxtoolbar",
                                        "slotchbar", "skoo",  "media"};

// A text property of one page object, with its lower-case copy if wanted, read when first needed
// and again after every write. Nothing but the scan itself changes the page while a scan step runs
// (the scan lets no messages through), so the value read stands for every pattern, and each object
// is asked once instead of once per pattern.
class Property {
 public:
  // `folded`: the lower-case copy is wanted.
  Property(host::Object& object, const char* name, bool folded)
      : object_(object), name_(name), fold_(folded) {}

  // The text; false when it cannot be read.
  bool Read() {
    if (!read_) {
      readable_ = host::GetTextProperty(object_, name_, &value_);
      if (readable_ && fold_) folded_ = FoldCase(value_);
      read_ = true;
    }
    return readable_;
  }
  const std::string& Value() const { return value_; }
  const std::string& Folded() const { return folded_; }
  bool Put(const std::string& value) {
    read_ = false;
    return object_.Put(name_, host::Value::Of(value));
  }

 private:
  host::Object& object_;
  const char* name_;
  bool fold_;
  std::string value_;
  std::string folded_;
  bool read_ = false;
  bool readable_ = false;
};

// One run of ScanActiveX over a document and its frames.
class Scan {
 public:
  explicit Scan(const ActiveXScreenInputs& inputs) : inputs_(inputs) {}
  void Document(const host::ObjectPtr& document, int depth);

 private:
  // True once the page has been found complete: the scan ends there, at every level.
  bool Ended() {
    if (!ended_ && inputs_.pageComplete) ended_ = true;
    return ended_;
  }
  // Pattern `index` as the list is now; false when the list has no such entry.
  bool Pattern(std::size_t index, std::string* pattern) const;

  // Calls `visit` with each item of `collection`, index 0 to length - 1 (at most
  // kScanMaxItems), skipping an item that cannot be had; stops when the scan ends.
  template <typename Visit>
  void ForEachItem(host::Object& collection, Visit visit);

  void Scripts(host::Object& document);
  void Frames(host::Object& document, int depth);
  void FrameElements(host::Object& frameDocument);
  void CutFromText(Property& text, const std::string& pattern);
  void ClearSource(Property& src, const std::string& pattern);
  void Neutralise(host::Object& element, Property& codeBase, const std::string& pattern);

  const ActiveXScreenInputs& inputs_;
  bool ended_ = false;
  // The documents being scanned, from the top one down to the current one.
  std::vector<const void*> open_;
};

bool Scan::Pattern(std::size_t index, std::string* pattern) const {
  const std::vector<std::string>& patterns = inputs_.patterns;
  if (index >= patterns.size()) return false;
  // A copy: the page's objects are called while the pattern is in use.
  *pattern = patterns[index];
  return true;
}

template <typename Visit>
void Scan::ForEachItem(host::Object& collection, Visit visit) {
  host::Value length;
  if (!collection.Get("length", &length) || length.kind != host::Value::Kind::Int) return;
  const std::int32_t count = std::min(length.number, kScanMaxItems);
  for (std::int32_t i = 0; i < count; ++i) {
    if (Ended()) return;
    try {
      host::Value item;
      if (!collection.Call("item", {host::Value::Of(i)}, &item)) continue;
      if (item.kind != host::Value::Kind::Object || !item.object) continue;
      visit(*item.object);
    } catch (...) {
      // A failing item is skipped.
    }
  }
}

void Scan::Document(const host::ObjectPtr& document, int depth) {
  if (!document || Ended()) return;
  const void* identity = document->Identity();
  if (std::find(open_.begin(), open_.end(), identity) != open_.end()) return;
  open_.push_back(identity);
  try {
    Scripts(*document);
  } catch (...) {
  }
  try {
    if (!Ended() && depth < kScanMaxFrameDepth) Frames(*document, depth);
  } catch (...) {
  }
  open_.pop_back();
}

void Scan::Scripts(host::Object& document) {
  host::ObjectPtr scripts = host::GetObjectProperty(document, "scripts");
  if (!scripts) return;
  ForEachItem(*scripts, [&](host::Object& script) {
    Property text(script, "Text", true);
    Property src(script, "src", true);
    std::string pattern;
    for (std::size_t p = 0; Pattern(p, &pattern); ++p) {
      if (pattern.empty()) continue;  // an empty pattern marks nothing
      if (Ended()) return;
      try {
        CutFromText(text, pattern);
      } catch (...) {
      }
      if (Ended()) return;
      try {
        ClearSource(src, pattern);
      } catch (...) {
      }
    }
  });
}

void Scan::CutFromText(Property& text, const std::string& pattern) {
  if (!text.Read() || text.Folded().find(pattern) == std::string::npos) return;
  // Cut from the text as it is: a pattern found only in the lower-case copy stays, and
  // a text with nothing cut is not written back.
  std::string cut = RemoveAll(text.Value(), pattern);
  if (cut != text.Value()) text.Put(cut);
}

void Scan::ClearSource(Property& src, const std::string& pattern) {
  if (!src.Read() || src.Folded().find(pattern) == std::string::npos) return;
  if (src.Put("")) MessageBeep(MB_OK);
}

void Scan::Frames(host::Object& document, int depth) {
  host::ObjectPtr frames = host::GetObjectProperty(document, "frames");
  if (!frames) return;
  ForEachItem(*frames, [&](host::Object& frame) {
    // Another site's document cannot be read: the frame is skipped.
    host::ObjectPtr frameDocument = host::GetObjectProperty(frame, "Document");
    if (!frameDocument) return;
    if (std::find(open_.begin(), open_.end(), frameDocument->Identity()) != open_.end()) return;
    try {
      FrameElements(*frameDocument);
    } catch (...) {
    }
    Document(frameDocument, depth + 1);
  });
}

void Scan::FrameElements(host::Object& frameDocument) {
  host::ObjectPtr all = host::GetObjectProperty(frameDocument, "All");
  if (!all) return;
  for (std::size_t t = 0; t < inputs_.tags.size(); ++t) {
    if (Ended()) return;
    try {
      const std::string tag = inputs_.tags[t];
      host::Value tagged;
      if (!all->Call("tags", {host::Value::Of(tag)}, &tagged)) continue;
      if (tagged.kind != host::Value::Kind::Object || !tagged.object) continue;
      ForEachItem(*tagged.object, [&](host::Object& element) {
        Property codeBase(element, "codeBase", false);
        std::string pattern;
        for (std::size_t p = 0; Pattern(p, &pattern); ++p) {
          if (pattern.empty()) continue;
          if (Ended()) return;
          try {
            Neutralise(element, codeBase, pattern);
          } catch (...) {
          }
        }
      });
    } catch (...) {
    }
  }
}

void Scan::Neutralise(host::Object& element, Property& codeBase, const std::string& pattern) {
  // Compared with its case, on the address as it is.
  if (!codeBase.Read() || codeBase.Value().find(pattern) == std::string::npos) return;
  // Each half is tried on its own; the beep tells that the element was hit.
  const bool disabled = element.Put("disabled", host::Value::Of(true));
  const bool cleared = codeBase.Put("");
  if (disabled || cleared) MessageBeep(MB_OK);
}

}  // namespace

ActiveXLists BuildActiveXPatterns(const SiteList& blocked) {
  ActiveXLists lists;
  lists.patterns.assign(std::begin(kBuiltInPatterns), std::end(kBuiltInPatterns));
  for (int i = 0; i < blocked.Count(); ++i) lists.patterns.push_back(blocked.Text(i));
  lists.tags = {"object"};
  return lists;
}

void ScanActiveX(const host::ObjectPtr& document, const ActiveXScreenInputs& inputs) {
  try {
    if (!document || inputs.pageComplete) return;
    Scan scan(inputs);
    scan.Document(document, 0);
  } catch (...) {
    // The timer tick that runs the scan never sees a failure of it.
  }
}

void BuildActiveXPatterns() {
  ActiveXLists lists = BuildActiveXPatterns(BlockedActiveX());
  ThreadShared& shared = Shared();
  shared.ActiveXPatterns = std::move(lists.patterns);
  shared.ActiveXTags = std::move(lists.tags);
}

void ScanActiveX(const host::ObjectPtr& document) {
  const ThreadShared& shared = Shared();
  ScanActiveX(document, {shared.ActiveXPatterns, shared.ActiveXTags, shared.PageComplete});
}

}  // namespace tarnivo
