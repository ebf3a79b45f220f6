#include "store/site_list.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// The first eight bytes of a sort key, big-endian, padded with zero bytes. Keys compare
// bytewise; when the heads of two keys differ they order the keys the same way, so most
// comparisons end without reaching the strings themselves.
std::uint64_t Head(const std::string& key) {
  std::uint64_t head = 0;
  const std::size_t n = std::min<std::size_t>(key.size(), 8);
  for (std::size_t i = 0; i < 8; ++i) {
    head <<= 8;
    if (i < n) head |= static_cast<unsigned char>(key[i]);
  }
  return head;
}

}  // namespace

std::string FoldCase(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return folded;
}

SiteList::Entry SiteList::MakeEntry(std::string text, std::int32_t tag) {
  std::string key = FoldCase(text);
  const std::uint64_t head = Head(key);
  return Entry{std::move(text), std::move(key), head, tag};
}

bool SiteList::Less(const Entry& a, const Entry& b) {
  if (a.head != b.head) return a.head < b.head;
  return a.key < b.key;  // std::string compares its characters as unsigned bytes
}

int SiteList::Add(const std::string& text, std::int32_t tag) {
  if (Count() >= kMaxEntries) return kErrorSpace;
  Entry entry = MakeEntry(text, tag);
  // After every entry that compares equal, as a sorted list box places it.
  const auto place = std::upper_bound(entries_.begin(), entries_.end(), entry, Less);
  const auto inserted = entries_.insert(place, std::move(entry));
  const int index = static_cast<int>(inserted - entries_.begin());
  if (view_ != nullptr) view_->ListInserted(index);
  return index;
}

void SiteList::AddAll(const std::vector<std::string>& texts) {
  const std::size_t room = static_cast<std::size_t>(kMaxEntries) - entries_.size();
  const auto end = texts.begin() + static_cast<std::ptrdiff_t>(std::min(room, texts.size()));
  AddAll(std::vector<std::string>(texts.begin(), end));
}

void SiteList::AddAll(std::vector<std::string>&& texts) {
  // Only the first entries of the batch fit, as adding them one by one would find.
  const std::size_t room = static_cast<std::size_t>(kMaxEntries) - entries_.size();
  const std::size_t taken = std::min(room, texts.size());
  if (taken == 0) return;
  std::vector<Entry> fresh;
  fresh.reserve(taken);
  for (std::size_t i = 0; i < taken; ++i) fresh.push_back(MakeEntry(std::move(texts[i]), 0));
  Merge(std::move(fresh));
}

void SiteList::Merge(std::vector<Entry>&& fresh) {
  // The batch is sorted through a small array of heads and positions; equal keys keep their
  // batch order (the position decides last), as adding them one by one would leave them.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> order;
  order.reserve(fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    order.emplace_back(fresh[i].head, static_cast<std::uint32_t>(i));
  }
  std::sort(order.begin(), order.end(), [&fresh](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    const int c = fresh[a.second].key.compare(fresh[b.second].key);
    return c != 0 ? c < 0 : a.second < b.second;
  });

  // Merged with the list: an old entry goes before a new one that compares equal to it.
  std::vector<Entry> merged;
  merged.reserve(entries_.size() + fresh.size());
  std::size_t old = 0;
  for (const auto& item : order) {
    Entry& next = fresh[item.second];
    while (old < entries_.size() && !Less(next, entries_[old])) {
      merged.push_back(std::move(entries_[old++]));
    }
    merged.push_back(std::move(next));
  }
  while (old < entries_.size()) merged.push_back(std::move(entries_[old++]));
  entries_ = std::move(merged);
  if (view_ != nullptr) view_->ListReset();
}

bool SiteList::Remove(int index) {
  if (index < 0 || index >= Count()) return false;
  entries_.erase(entries_.begin() + index);
  if (view_ != nullptr) view_->ListRemoved(index);
  return true;
}

void SiteList::Clear() {
  entries_.clear();
  if (view_ != nullptr) view_->ListReset();
}

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
  Entry wanted{std::string(), FoldCase(prefix), 0, 0};
  wanted.head = Head(wanted.key);
  const std::string& key = wanted.key;
  const auto first = std::lower_bound(entries_.begin(), entries_.end(), wanted, Less);
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
