// Random list files: a load never fails, the lists stay sorted and within their limit, and
// a save followed by a load gives the lists back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "list_file_support.h"
#include "store/site_list.h"
#include "store/site_list_file.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;
using testing_support::ReadBytes;
using testing_support::WriteBytes;
using Strings = std::vector<std::string>;

// Bytes weighted towards the ones the reading rule cares about.
std::string RandomContent(std::mt19937& rng) {
  static const std::string special = "\"\",, \r\n\r\n#AXax\0\t.wW\xC9\xE9\xFF"s;
  std::uniform_int_distribution<int> length(0, 200);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<std::size_t> pick(0, special.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string content;
  for (int n = length(rng); n > 0; --n) {
    switch (kind(rng)) {
      case 0:
        content += static_cast<char>(byte(rng));
        break;
      case 1:
        content += "#AX";
        break;
      default:
        content += special[pick(rng)];
    }
  }
  return content;
}

bool Sorted(const SiteList& list) {
  for (int i = 1; i < list.Count(); ++i) {
    if (FoldCase(list.Text(i)) < FoldCase(list.Text(i - 1))) return false;
  }
  return true;
}

bool AnyQuote(const SiteList& list) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Text(i).find('"') != std::string::npos) return true;
  }
  return false;
}

void Reload() {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  LoadSiteLists();
}

TEST(SiteListFuzzTest, RandomFilesLoadSortedAndRoundTrip) {
  mkdir(backend::SystemDirectory().c_str(), 0755);
  std::mt19937 rng(1234567);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const std::string content = RandomContent(rng);
    SCOPED_TRACE(::testing::Message() << "iteration " << iteration);
    ASSERT_TRUE(WriteBytes(SiteListFile(), content));
    Reload();
    ASSERT_TRUE(Sorted(AllowedSites()));
    ASSERT_TRUE(Sorted(BlockedActiveX()));
    for (int i = 0; i < AllowedSites().Count(); ++i) {
      ASSERT_FALSE(AllowedSites().Text(i).empty());
      ASSERT_EQ(AllowedSites().Tag(i), 0);
    }
    for (int i = 0; i < BlockedActiveX().Count(); ++i) {
      ASSERT_EQ(BlockedActiveX().Text(i).find("#AX"), std::string::npos);
    }
    // A save syncs the file to disk: the round trip runs on every fifth file only.
    if (iteration % 5 != 0) continue;
    const Strings loaded_allowed = AllowedSites().Texts();
    const Strings loaded_blocked = BlockedActiveX().Texts();
    const bool quotes = AnyQuote(AllowedSites()) || AnyQuote(BlockedActiveX());

    SaveSiteLists();
    std::string first_save;
    ASSERT_TRUE(ReadBytes(SiteListFile(), first_save));
    Reload();
    if (!quotes) {
      // Entries without a quote come back exactly.
      ASSERT_EQ(AllowedSites().Texts(), loaded_allowed);
      ASSERT_EQ(BlockedActiveX().Texts(), loaded_blocked);
    }
    // A quote ends a quoted field, so an entry holding one (from a hand-made unquoted line)
    // loses its tail once; from then on the lists and file stay as they are.
    const Strings second_allowed = AllowedSites().Texts();
    const Strings second_blocked = BlockedActiveX().Texts();
    SaveSiteLists();
    std::string second_save;
    ASSERT_TRUE(ReadBytes(SiteListFile(), second_save));
    Reload();
    ASSERT_EQ(AllowedSites().Texts(), second_allowed);
    ASSERT_EQ(BlockedActiveX().Texts(), second_blocked);
    if (!quotes) {
      ASSERT_EQ(second_save, first_save);
    }
  }
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  DeleteFileA(SiteListFile().c_str());
}

}  // namespace
}  // namespace tarnivo
