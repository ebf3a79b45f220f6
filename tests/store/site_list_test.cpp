// The sorted lists: order without regard to case, the prefix search, the limit, and the
// batch add that must match adding one by one.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/site_list.h"

namespace tarnivo {
namespace {

using Strings = std::vector<std::string>;

TEST(FoldCaseTest, AsciiAndWesternLetters) {
  const struct {
    std::string text;
    std::string folded;
  } cases[] = {
      {"", ""},
      {"ABCXYZ abcxyz @[`{", "abcxyz abcxyz @[`{"},
      {"WWW.Example.COM", "www.example.com"},
      {"\xC0\xC9\xD6\xDE", "\xE0\xE9\xF6\xFE"},  // A grave, E acute, O diaeresis, thorn
      {"\xD7\xDF\xF7", "\xD7\xDF\xF7"},          // multiplication sign, sharp s, division sign
      {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},  // S caron, OE, Z caron, Y diaeresis
      {"\x9A\xE0\xFF", "\x9A\xE0\xFF"},          // already lower case
      {std::string("A\0B", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FoldCase(c.text), c.folded);
  }
}

TEST(SiteListTest, AddKeepsSortedOrderWithoutRegardToCase) {
  SiteList list;
  EXPECT_EQ(list.Add("example.com"), 0);
  EXPECT_EQ(list.Add("Zeta.example"), 1);
  EXPECT_EQ(list.Add("*.news.example"), 0);
  EXPECT_EQ(list.Add("alpha.example", 7), 1);
  EXPECT_EQ(list.Add("EXAMPLE.COM"), 3);  // after the equal entry
  EXPECT_EQ(list.Add("Example.com", 100), 4);
  EXPECT_EQ(list.Texts(), (Strings{"*.news.example", "alpha.example", "example.com", "EXAMPLE.COM",
                                   "Example.com", "Zeta.example"}));
  EXPECT_EQ(list.Tag(1), 7);
  EXPECT_EQ(list.Tag(4), 100);
  EXPECT_EQ(list.Tag(2), 0);
}

TEST(SiteListTest, IndexAccessOutsideTheList) {
  SiteList list;
  list.Add("a");
  EXPECT_EQ(list.Text(-1), "");
  EXPECT_EQ(list.Text(1), "");
  EXPECT_EQ(list.Tag(5), 0);
  EXPECT_FALSE(list.SetTag(1, 100));
  EXPECT_TRUE(list.SetTag(0, 100));
  EXPECT_EQ(list.Tag(0), 100);
  EXPECT_FALSE(list.Remove(1));
  EXPECT_FALSE(list.Remove(-1));
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.Count(), 0);
}

TEST(SiteListTest, RemoveAndClear) {
  SiteList list;
  for (const char* s : {"c", "a", "b"}) list.Add(s);
  EXPECT_TRUE(list.Remove(1));
  EXPECT_EQ(list.Texts(), (Strings{"a", "c"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add("z"), 0);
}

TEST(SiteListTest, FindStringIsAPrefixSearchFromTheTop) {
  SiteList list;
  for (const char* s : {"example.com.br", "Example.com", "*.example.org", "example.net",
                        "\xC9t\xE9.example", "b.example"}) {
    list.Add(s);
  }
  // *.example.org, b.example, example.com, example.com.br, example.net, Ete.example
  const struct {
    std::string prefix;
    int index;
  } cases[] = {
      {"example.com", 2},
      {"EXAMPLE.COM.BR", 3},
      {"example.com.", 3},
      {"example.n", 4},
      {"example", 2},
      {"*.", 0},
      {"*.example.org", 0},
      {"*.example.org.", SiteList::kError},
      {"b", 1},
      {"a", SiteList::kError},
      {"example.co.uk", SiteList::kError},
      {"zz", SiteList::kError},
      {"\xE9T\xC9", 5},
      {"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    EXPECT_EQ(list.FindString(c.prefix), c.index);
  }
  EXPECT_EQ(SiteList().FindString(""), SiteList::kError);
}

TEST(SiteListTest, FindStringGivesTheFirstOfEqualEntries) {
  SiteList list;
  list.Add("site.example", 100);
  list.Add("SITE.example", 0);
  list.Add("site.example.com", 0);
  EXPECT_EQ(list.FindString("Site.Example"), 0);
  EXPECT_EQ(list.Tag(list.FindString("site.example")), 100);
}

TEST(SiteListTest, HoldsAtMost32767Entries) {
  SiteList list;
  Strings texts;
  for (int i = 0; i < SiteList::kMaxEntries; ++i) texts.push_back("e" + std::to_string(i));
  list.AddAll(texts);
  ASSERT_EQ(list.Count(), SiteList::kMaxEntries);
  EXPECT_EQ(list.Add("another"), SiteList::kErrorSpace);
  list.AddAll({"more"});
  EXPECT_EQ(list.Count(), SiteList::kMaxEntries);
  EXPECT_EQ(list.FindString("another"), SiteList::kError);
  EXPECT_EQ(list.FindString("more"), SiteList::kError);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_GE(list.Add("another"), 0);
}

TEST(SiteListTest, AddAllTakesTheFirstEntriesOfABatchThatDoesNotFit) {
  SiteList list;
  Strings first;
  for (int i = 0; i < SiteList::kMaxEntries - 2; ++i) first.push_back("m" + std::to_string(i));
  list.AddAll(first);
  list.AddAll({"z1", "a1", "z2", "a2"});
  EXPECT_EQ(list.Count(), SiteList::kMaxEntries);
  EXPECT_EQ(list.FindString("z1"), SiteList::kMaxEntries - 1);
  EXPECT_EQ(list.FindString("a1"), 0);
  EXPECT_EQ(list.FindString("z2"), SiteList::kError);
  EXPECT_EQ(list.FindString("a2"), SiteList::kError);
}

// Texts with many near-equal keys: case variants, Western letters, shared prefixes.
std::string RandomText(std::mt19937& rng) {
  static const char* pieces[] = {"a",    "A",    "b",    "B",    ".",    "*",    "\xC9",
                                 "\xE9", "\x8A", "\x9A", "\x9F", "\xFF", "\xD7", "\xDF",
                                 "ex",   "EX",   "",     "#AX",  "\x01"};
  std::uniform_int_distribution<int> length(0, 4);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::string text;
  for (int n = length(rng); n > 0; --n) text += pieces[pick(rng)];
  return text;
}

TEST(SiteListTest, AddAllMatchesAddingOneByOne) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 200; ++round) {
    SiteList batch;
    SiteList single;
    std::uniform_int_distribution<int> count(0, 60);
    for (int i = count(rng); i > 0; --i) {
      const std::string text = RandomText(rng);
      batch.Add(text, 100);
      single.Add(text, 100);
    }
    Strings texts;
    for (int i = count(rng); i > 0; --i) texts.push_back(RandomText(rng));
    batch.AddAll(texts);
    for (const std::string& t : texts) single.Add(t);
    ASSERT_EQ(batch.Count(), single.Count());
    for (int i = 0; i < single.Count(); ++i) {
      ASSERT_EQ(batch.Text(i), single.Text(i)) << "round " << round << " index " << i;
      ASSERT_EQ(batch.Tag(i), single.Tag(i)) << "round " << round << " index " << i;
    }
    // The search agrees with a scan from the top.
    for (int probe = 0; probe < 10; ++probe) {
      const std::string prefix = RandomText(rng);
      int scanned = SiteList::kError;
      for (int i = 0; i < single.Count(); ++i) {
        if (FoldCase(single.Text(i)).compare(0, prefix.size(), FoldCase(prefix)) == 0) {
          scanned = i;
          break;
        }
      }
      ASSERT_EQ(single.FindString(prefix), scanned) << prefix;
    }
  }
}

TEST(SiteListTest, EachThreadHasItsOwnLists) {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  AllowedSites().Add("example.com");
  BlockedActiveX().Add("games");
  int other_allowed = -1;
  int other_blocked = -1;
  std::thread([&] {
    other_allowed = AllowedSites().Count();
    other_blocked = BlockedActiveX().Count();
    AllowedSites().Add("other.example");
  }).join();
  EXPECT_EQ(other_allowed, 0);
  EXPECT_EQ(other_blocked, 0);
  EXPECT_EQ(AllowedSites().Texts(), Strings{"example.com"});
  AllowedSites().Clear();
  BlockedActiveX().Clear();
}

}  // namespace
}  // namespace tarnivo
