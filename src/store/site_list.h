// A sorted list of texts with a 32-bit tag each, as the list controls of the site dialogs
// hold them: ascending without regard to case, at most 32,767 entries, searched by prefix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnivo {

// Tag of a temporary allowed site: never saved, gone at the next reload.
inline constexpr std::int32_t TemporarySiteMark = 100;

// What shows a list to the user (a dialog's list box) and follows each change of it.
class SiteListView {
 public:
  virtual ~SiteListView() = default;
  // Entry `index` was added; the entries from there down moved one place.
  virtual void ListInserted(int index) = 0;
  // Entry `index` was removed.
  virtual void ListRemoved(int index) = 0;
  // The whole list changed (cleared, or many entries added at once).
  virtual void ListReset() = 0;

 protected:
  SiteListView() = default;
  SiteListView(const SiteListView&) = default;
  SiteListView& operator=(const SiteListView&) = default;
};

class SiteList {
 public:
  static constexpr int kMaxEntries = 32767;
  static constexpr int kError = -1;       // LB_ERR
  static constexpr int kErrorSpace = -2;  // LB_ERRSPACE

  // Adds an entry at its sorted place (after entries that compare equal) and returns its
  // index, or kErrorSpace when the list is full.
  int Add(const std::string& text, std::int32_t tag = 0);
  // Adds many entries with tag 0, with the same result as adding them one by one in order.
  void AddAll(const std::vector<std::string>& texts);
  // The same, taking the texts over.
  void AddAll(std::vector<std::string>&& texts);
  // Removes entry `index`; false when there is none.
  bool Remove(int index);
  void Clear();

  int Count() const;
  // Text and tag of entry `index`; "" and 0 for an index outside the list.
  const std::string& Text(int index) const;
  std::int32_t Tag(int index) const;
  bool SetTag(int index, std::int32_t tag);

  // Index of the first entry, from the top, that begins with `prefix`, letter case ignored;
  // kError when none does. A search in the sorted order, not a scan.
  int FindString(const std::string& prefix) const;

  // All texts in list order.
  std::vector<std::string> Texts() const;

  // The view that follows the list's changes from now on (null: none), told nothing of what
  // came before. The list holds no reference to it.
  void SetView(SiteListView* view) { view_ = view; }
  SiteListView* View() const { return view_; }

 private:
  struct Entry {
    std::string text;
    std::string key;     // text with letter case folded, the sort key
    std::uint64_t head;  // the key's first eight bytes, big-endian: most comparisons end here
    std::int32_t tag;
  };
  static Entry MakeEntry(std::string text, std::int32_t tag);
  static bool Less(const Entry& a, const Entry& b);
  void Merge(std::vector<Entry>&& fresh);
  std::vector<Entry> entries_;
  SiteListView* view_ = nullptr;
};

// Letter case folded for comparison: ASCII and the letters of the Western ANSI code page.
std::string FoldCase(const std::string& text);

// The two lists of this user-interface thread.
SiteList& AllowedSites();
SiteList& BlockedActiveX();

}  // namespace tarnivo
