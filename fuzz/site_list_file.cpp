// The list file on disk. The first byte chooses what the rest is:
//  - the bytes of a list file: LoadSiteLists keeps both lists sorted and within their limit,
//    and when every loaded entry can be written back (no quote), SaveSiteLists and a new
//    load give the same lists, and AppendSiteEntry adds its entry to them;
//  - entries for the two lists, some of them temporary: a save and a load give back what
//    was saved, temporary entries left out.
// No save leaves its temporary file behind.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_root.h"
#include "platform/win32.h"
#include "store/site_list.h"
#include "store/site_list_file.h"

namespace {

using Strings = std::vector<std::string>;
using tarnivo::AllowedSites;
using tarnivo::BlockedActiveX;
using tarnivo::SiteList;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(file != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  FUZZ_CHECK(bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                           &written, nullptr) &&
                               written == bytes.size()));
  CloseHandle(file);
}

void ClearLists() {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
}

bool Sorted(const SiteList& list) {
  for (int i = 1; i < list.Count(); ++i) {
    if (tarnivo::FoldCase(list.Text(i)) < tarnivo::FoldCase(list.Text(i - 1))) return false;
  }
  return true;
}

bool HasQuote(const Strings& texts) {
  for (const std::string& text : texts) {
    if (text.find('"') != std::string::npos) return true;
  }
  return false;
}

// Saves the lists, then loads them into empty lists: what the load gives.
void SaveAndReload(Strings& allowed, Strings& blocked) {
  tarnivo::SaveSiteLists();
  FUZZ_CHECK(!Exists(tarnivo::SiteListFile() + ".new"));
  ClearLists();
  tarnivo::LoadSiteLists();
  allowed = AllowedSites().Texts();
  blocked = BlockedActiveX().Texts();
}

bool EndsWithMarker(const std::string& text) {
  return text.size() >= 3 && text.compare(text.size() - 3, 3, tarnivo::kActiveXMarker) == 0;
}

void FromFile(const std::string& content, const std::string& entry) {
  const std::string path = tarnivo::SiteListFile();
  WriteFile(path, content);
  ClearLists();
  tarnivo::LoadSiteLists();
  FUZZ_CHECK(AllowedSites().Count() <= SiteList::kMaxEntries);
  FUZZ_CHECK(BlockedActiveX().Count() <= SiteList::kMaxEntries);
  FUZZ_CHECK(Sorted(AllowedSites()) && Sorted(BlockedActiveX()));
  const Strings allowed = AllowedSites().Texts();
  const Strings blocked = BlockedActiveX().Texts();
  for (const std::string& text : blocked) {
    FUZZ_CHECK(text.find(tarnivo::kActiveXMarker) == std::string::npos);
  }
  if (HasQuote(allowed) || HasQuote(blocked)) return;

  Strings saved_allowed;
  Strings saved_blocked;
  SaveAndReload(saved_allowed, saved_blocked);
  FUZZ_CHECK(saved_allowed == allowed);
  FUZZ_CHECK(saved_blocked == blocked);

  // The saved file ends with a line end: an appended entry comes on a line of its own.
  const std::string text = tarnivo::RemoveAll(entry, "www.");
  if (text.empty() || text.find('"') != std::string::npos) return;
  tarnivo::AppendSiteEntry(text);
  const Strings in_memory_allowed = AllowedSites().Texts();
  const Strings in_memory_blocked = BlockedActiveX().Texts();
  ClearLists();
  tarnivo::LoadSiteLists();
  if (EndsWithMarker(text)) {
    FUZZ_CHECK(AllowedSites().Texts() == allowed);
    FUZZ_CHECK(BlockedActiveX().Count() == static_cast<int>(blocked.size()) + 1);
  } else {
    FUZZ_CHECK(AllowedSites().Count() == static_cast<int>(allowed.size()) + 1);
    FUZZ_CHECK(BlockedActiveX().Texts() == blocked);
  }
  // What the append added in memory is what the file gives.
  FUZZ_CHECK(AllowedSites().Texts() == in_memory_allowed);
  FUZZ_CHECK(BlockedActiveX().Texts() == in_memory_blocked);
}

void FromLists(FuzzedDataProvider& input) {
  ClearLists();
  Strings allowed;
  Strings blocked;
  while (input.remaining_bytes() > 0) {
    const bool to_blocked = input.ConsumeBool();
    const bool temporary = input.ConsumeBool();
    std::string text = input.ConsumeRandomLengthString(64);
    // What the file cannot hold: a quote; an allowed entry that ends with the ActiveX marker
    // or is empty; a blocked entry with the marker in it.
    if (text.find('"') != std::string::npos) continue;
    if (to_blocked) {
      if (text.find(tarnivo::kActiveXMarker) != std::string::npos) continue;
      BlockedActiveX().Add(text, 0);
    } else {
      if (text.empty() || EndsWithMarker(text)) continue;
      AllowedSites().Add(text, temporary ? tarnivo::TemporarySiteMark : 0);
    }
  }
  Strings expected_allowed;
  for (int i = 0; i < AllowedSites().Count(); ++i) {
    if (AllowedSites().Tag(i) != tarnivo::TemporarySiteMark) {
      expected_allowed.push_back(AllowedSites().Text(i));
    }
  }
  const Strings expected_blocked = BlockedActiveX().Texts();
  SaveAndReload(allowed, blocked);
  FUZZ_CHECK(allowed == expected_allowed);
  FUZZ_CHECK(blocked == expected_blocked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::PrivateRoot();
  if (size == 0) return 0;
  if (data[0] & 1) {
    FuzzedDataProvider input(data + 1, size - 1);
    FromLists(input);
  } else {
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = rest.rfind('\0');
    FromFile(split == std::string::npos ? rest : rest.substr(0, split),
             split == std::string::npos ? std::string() : rest.substr(split + 1));
  }
  return 0;
}
