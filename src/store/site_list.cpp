#include "store/site_list.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

namespace tarnivo {

namespace {

// Lower case of one byte of the Western ANSI code page.
unsigned char FoldByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:  // S caron
    case 0x8C:  // OE
    case 0x8E:  // Z caron
      return static_cast<unsigned char>(c + 0x10);
    case 0x9F:  // Y diaeresis
      return 0xFF;
    default:
      return c;
  }
}

// Sort keys compare bytewise (std::string compares its characters as unsigned bytes).
bool KeyLess(const std::string& a, const std::string& b) { return a < b; }

}  // namespace

std::string FoldCase(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return folded;
}

int SiteList::Add(const std::string& text, std::int32_t tag) {
  if (Count() >= kMaxEntries) return kErrorSpace;
  Entry entry{text, FoldCase(text), tag};
  // After every entry that compares equal, as a sorted list box places it.
  const auto place = std::upper_bound(
      entries_.begin(), entries_.end(), entry.key,
      [](const std::string& key, const Entry& e) { return KeyLess(key, e.key); });
  const auto inserted = entries_.insert(place, std::move(entry));
  return static_cast<int>(inserted - entries_.begin());
}

void SiteList::AddAll(const std::vector<std::string>& texts) {
  // Only the first entries of the batch fit, as adding them one by one would find.
  const std::size_t room = static_cast<std::size_t>(kMaxEntries) - entries_.size();
  const std::size_t taken = std::min(room, texts.size());
  if (taken == 0) return;

  const std::size_t old_count = entries_.size();
  entries_.reserve(old_count + taken);
  for (std::size_t i = 0; i < taken; ++i) entries_.push_back(Entry{texts[i], FoldCase(texts[i]), 0});

  // The new entries keep their batch order among equals (stable sort), and follow the old
  // entries that compare equal to them (stable merge, old range first).
  const auto less = [](const Entry& a, const Entry& b) { return KeyLess(a.key, b.key); };
  const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(old_count);
  std::stable_sort(middle, entries_.end(), less);
  std::inplace_merge(entries_.begin(), middle, entries_.end(), less);
}

bool SiteList::Remove(int index) {
  if (index < 0 || index >= Count()) return false;
  entries_.erase(entries_.begin() + index);
  return true;
}

void SiteList::Clear() { entries_.clear(); }

int SiteList::Count() const { return static_cast<int>(entries_.size()); }

const std::string& SiteList::Text(int index) const {
  static const std::string empty;
  if (index < 0 || index >= Count()) return empty;
  return entries_[static_cast<std::size_t>(index)].text;
}

std::int32_t SiteList::Tag(int index) const {
  if (index < 0 || index >= Count()) return 0;
  return entries_[static_cast<std::size_t>(index)].tag;
}

bool SiteList::SetTag(int index, std::int32_t tag) {
  if (index < 0 || index >= Count()) return false;
  entries_[static_cast<std::size_t>(index)].tag = tag;
  return true;
}

int SiteList::FindString(const std::string& prefix) const {
  // Every key that begins with the folded prefix sorts at or after it, and before any key
  // that does not begin with it but sorts after it: the first candidate decides.
  const std::string key = FoldCase(prefix);
  const auto first = std::lower_bound(
      entries_.begin(), entries_.end(), key,
      [](const Entry& e, const std::string& k) { return KeyLess(e.key, k); });
  if (first == entries_.end() || first->key.compare(0, key.size(), key) != 0) return kError;
  return static_cast<int>(first - entries_.begin());
}

std::vector<std::string> SiteList::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(entries_.size());
  for (const Entry& e : entries_) texts.push_back(e.text);
  return texts;
}

SiteList& AllowedSites() {
  thread_local SiteList list;
  return list;
}

SiteList& BlockedActiveX() {
  thread_local SiteList list;
  return list;
}

}  // namespace tarnivo
