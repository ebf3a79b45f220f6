// The list file: the bytes a save writes, what a load makes of a file (the field-reading
// rule), appending, and a save that cannot finish leaving the old file whole.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "list_file_support.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "support/fault_seam.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;
using backend::FaultPoint;
using ::testing_support::FailCall;
using testing_support::FileExists;
using testing_support::ReadBytes;
using ::testing_support::ScopedFaults;
using ::testing_support::ShortWrite;
using testing_support::WriteBytes;
using Strings = std::vector<std::string>;

class SiteListFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir(backend::SystemDirectory().c_str(), 0755);
    RemoveFiles();
    AllowedSites().Clear();
    BlockedActiveX().Clear();
  }
  void TearDown() override {
    RemoveFiles();
    AllowedSites().Clear();
    BlockedActiveX().Clear();
  }

  static void RemoveFiles() {
    DeleteFileA(SiteListFile().c_str());
    DeleteFileA((SiteListFile() + ".new").c_str());
  }

  static std::string FileBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadBytes(SiteListFile(), bytes));
    return bytes;
  }

  static void LoadFrom(const std::string& content) {
    ASSERT_TRUE(WriteBytes(SiteListFile(), content));
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    LoadSiteLists();
  }
};

TEST_F(SiteListFileTest, PathIsTheSystemDirectoryAndTheFileName) {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(SystemDirectory(), std::string(buffer, length) + "\\");
  EXPECT_EQ(SiteListFile(), std::string(buffer, length) + "\\tarnivo.dll");
}

TEST_F(SiteListFileTest, StartUpWithoutAFileCreatesAnEmptyOne) {
  EXPECT_FALSE(SiteListExists(SiteListFile()));
  SaveSiteLists();
  EXPECT_TRUE(SiteListExists(SiteListFile()));
  EXPECT_EQ(FileBytes(), "");
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Count(), 0);
  EXPECT_EQ(BlockedActiveX().Count(), 0);
  EXPECT_FALSE(FileExists(SiteListFile() + ".new"));
}

TEST_F(SiteListFileTest, ExistsIsFalseForWhatCannotBeOpenedForReading) {
  EXPECT_FALSE(SiteListExists(SystemDirectory() + "missing.dll"));
  ASSERT_TRUE(WriteBytes(SiteListFile(), "\"kept\"\r\n"));
  ScopedFaults faults(FailCall(FaultPoint::kCreateFile, 1, 32 /* ERROR_SHARING_VIOLATION */));
  EXPECT_FALSE(SiteListExists(SiteListFile()));
  EXPECT_TRUE(SiteListExists(SiteListFile())) << "the next open works again";
}

TEST_F(SiteListFileTest, SaveWritesStoredSitesThenMarkedActiveXEntries) {
  AllowedSites().Add("*.news.example");
  AllowedSites().Add("example.com");
  AllowedSites().Add("temp.example", TemporarySiteMark);
  BlockedActiveX().Add("games");
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), "\"*.news.example\"\r\n\"example.com\"\r\n\"games#AX\"\r\n");
  EXPECT_FALSE(FileExists(SiteListFile() + ".new"));

  // Written unescaped: an entry with a quote or a comma stands as it is.
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  AllowedSites().Add("say \"hi\"");
  AllowedSites().Add("a,b");
  BlockedActiveX().Add("");
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), "\"a,b\"\r\n\"say \"hi\"\"\r\n\"#AX\"\r\n");
}

TEST_F(SiteListFileTest, LoadClassifiesEachLine) {
  const struct {
    const char* name;
    std::string content;
    Strings allowed;
    Strings blocked;
  } cases[] = {
      {"as saved",
       "\"*.news.example\"\r\n\"example.com\"\r\n\"games#AX\"\r\n",
       {"*.news.example", "example.com"},
       {"games"}},
      {"markers removed everywhere", "\"x#AXy#AX\"\r\n", {}, {"xy"}},
      {"marker with small letters", "\"site#ax\"\r\n", {"site#ax"}, {}},
      {"marker not at the end", "\"#AXsite\"\r\n", {"#AXsite"}, {}},
      {"marker alone", "\"#AX\"\r\n", {}, {""}},
      {"order carries no meaning",
       "\"b#AX\"\r\n\"b.example\"\r\n\"a#AX\"\r\n\"A.example\"\r\n",
       {"A.example", "b.example"},
       {"a", "b"}},
      {"quote ends the field", "\"say \"hi\"\"\r\n\"next\"\r\n", {"next", "say "}, {}},
      {"unquoted fields split at commas",
       "a.example,b.example\r\n",
       {"a.example", "b.example"},
       {}},
      {"unquoted field trimmed", "   c.example   ,  d#AX  \r\n", {"c.example"}, {"d"}},
      {"last line without CR LF", "\"one\"\r\n\"two\"", {"one", "two"}, {}},
      {"empty file", "", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoadFrom(c.content);
    EXPECT_EQ(AllowedSites().Texts(), c.allowed);
    EXPECT_EQ(BlockedActiveX().Texts(), c.blocked);
    for (int i = 0; i < AllowedSites().Count(); ++i) EXPECT_EQ(AllowedSites().Tag(i), 0);
  }
}

TEST_F(SiteListFileTest, AllowedEntryEndingInTheMarkerComesBackAsActiveX) {
  AllowedSites().Add("odd#AX");
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), "\"odd#AX\"\r\n");
  AllowedSites().Clear();
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Count(), 0);
  EXPECT_EQ(BlockedActiveX().Texts(), Strings{"odd"});
}

TEST_F(SiteListFileTest, LoadAddsToWhatTheListsHold) {
  LoadSiteLists();  // no file: nothing added, nothing created
  EXPECT_FALSE(FileExists(SiteListFile()));
  AllowedSites().Add("temp.example", TemporarySiteMark);
  BlockedActiveX().Add("games");
  ASSERT_TRUE(WriteBytes(SiteListFile(), "\"games#AX\"\r\n\"temp.example\"\r\n"));
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Texts(), (Strings{"temp.example", "temp.example"}));
  EXPECT_EQ(AllowedSites().Tag(0), TemporarySiteMark);  // the older equal entry stays first
  EXPECT_EQ(AllowedSites().Tag(1), 0);
  EXPECT_EQ(BlockedActiveX().Texts(), (Strings{"games", "games"}));
}

TEST_F(SiteListFileTest, AppendStoresTheEntryWithoutWwwAndAddsIt) {
  const struct {
    std::string entry;
    std::string line;
    Strings allowed;
    Strings blocked;
  } cases[] = {
      {"www.example.com", "\"example.com\"\r\n", {"example.com"}, {}},
      {"mywww.site", "\"mysite\"\r\n", {"mysite"}, {}},
      {"WWW.Example.com", "\"WWW.Example.com\"\r\n", {"WWW.Example.com"}, {}},
      {"www.www.example", "\"example\"\r\n", {"example"}, {}},
      {"*.example.com", "\"*.example.com\"\r\n", {"*.example.com"}, {}},
      {"games#AX", "\"games#AX\"\r\n", {}, {"games"}},
      {"www.ads#AX", "\"ads#AX\"\r\n", {}, {"ads"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    ASSERT_TRUE(WriteBytes(SiteListFile(), "\"old.example\"\r\n"));
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    AppendSiteEntry(c.entry);
    EXPECT_EQ(FileBytes(), "\"old.example\"\r\n" + c.line);
    EXPECT_EQ(AllowedSites().Texts(), c.allowed);
    EXPECT_EQ(BlockedActiveX().Texts(), c.blocked);
  }
}

TEST_F(SiteListFileTest, AppendCreatesAMissingFileAndClosesAnOpenLastLine) {
  AppendSiteEntry("first.example");
  EXPECT_EQ(FileBytes(), "\"first.example\"\r\n");
  AppendSiteEntry("second.example");
  EXPECT_EQ(FileBytes(), "\"first.example\"\r\n\"second.example\"\r\n");

  // A hand-made last line without its line end.
  ASSERT_TRUE(WriteBytes(SiteListFile(), "hand.example"));
  AppendSiteEntry("new.example");
  EXPECT_EQ(FileBytes(), "hand.example\r\n\"new.example\"\r\n");
  AllowedSites().Clear();
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Texts(), (Strings{"hand.example", "new.example"}));
}

TEST_F(SiteListFileTest, AppendThatCannotOpenTheFileStillAddsTheEntry) {
  {
    ScopedFaults faults(FailCall(FaultPoint::kCreateFile, 1, ERROR_ACCESS_DENIED));
    AppendSiteEntry("www.example.com");
  }
  EXPECT_FALSE(FileExists(SiteListFile()));
  EXPECT_EQ(AllowedSites().Texts(), Strings{"example.com"});
}

TEST_F(SiteListFileTest, AppendThatStopsPartWayLeavesNoTornLine) {
  const std::string old = "\"keep.example\"\r\n";
  ASSERT_TRUE(WriteBytes(SiteListFile(), old));
  for (bool succeed : {false, true}) {
    SCOPED_TRACE(succeed ? "a short write that reports success" : "a write that fails");
    {
      // "a-rathe: the first 8 bytes of the line, then a full disk.
      backend::FaultPlan plan = ShortWrite(1, 8, succeed);
      plan.and_after = true;
      ScopedFaults faults(plan);
      AppendSiteEntry("a-rather-long.example");
    }
    EXPECT_EQ(FileBytes(), old) << "cut back to its old length";
  }
  // The next append stands on a line of its own, and both entries load.
  AppendSiteEntry("next.example");
  EXPECT_EQ(FileBytes(), old + "\"next.example\"\r\n");
  AllowedSites().Clear();
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Texts(), (Strings{"keep.example", "next.example"}));
}

TEST_F(SiteListFileTest, AppendThatCannotReadTheLastByteWritesNothing) {
  const std::string hand = "\"keep.example\"\r\nhand.example";
  // The seek to the end, the seek to the last byte, the read of it.
  const struct {
    FaultPoint point;
    int nth;
  } faults[] = {{FaultPoint::kSetFilePointer, 1},
                {FaultPoint::kSetFilePointer, 2},
                {FaultPoint::kReadFile, 1}};
  for (const auto& fault : faults) {
    SCOPED_TRACE(std::string(backend::FaultPointName(fault.point)) + " " +
                 std::to_string(fault.nth));
    ASSERT_TRUE(WriteBytes(SiteListFile(), hand));
    AllowedSites().Clear();
    {
      ScopedFaults armed(FailCall(fault.point, fault.nth, ERROR_ACCESS_DENIED));
      AppendSiteEntry("new.example");
      EXPECT_EQ(armed.Fired(), 1u);
    }
    EXPECT_EQ(FileBytes(), hand);
    EXPECT_EQ(AllowedSites().Texts(), Strings{"new.example"});
  }
}

TEST_F(SiteListFileTest, SaveThatCannotWriteLeavesTheOldFileWhole) {
  const std::string old = "\"keep.example\"\r\n\"x#AX\"\r\n";
  const FaultPoint points[] = {FaultPoint::kCreateFile, FaultPoint::kWriteFile,
                               FaultPoint::kFlushFileBuffers, FaultPoint::kCloseHandle,
                               FaultPoint::kMoveFile};
  for (FaultPoint point : points) {
    SCOPED_TRACE(backend::FaultPointName(point));
    ASSERT_TRUE(WriteBytes(SiteListFile(), old));
    AllowedSites().Clear();
    AllowedSites().Add("new.example");
    {
      ScopedFaults faults(FailCall(point, 1, ERROR_ACCESS_DENIED));
      SaveSiteLists();
    }
    EXPECT_EQ(FileBytes(), old);
    EXPECT_FALSE(FileExists(SiteListFile() + ".new")) << "nothing left behind";
    EXPECT_EQ(AllowedSites().Texts(), Strings{"new.example"});  // the lists stay as they are
  }
}

TEST_F(SiteListFileTest, SaveKeepsAReadOnlyListFile) {
  const std::string old = "\"keep.example\"\r\n";
  ASSERT_TRUE(WriteBytes(SiteListFile(), old));
  ASSERT_TRUE(SetFileAttributesA(SiteListFile().c_str(), FILE_ATTRIBUTE_READONLY));
  AllowedSites().Add("new.example");
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), old);
  EXPECT_FALSE(FileExists(SiteListFile() + ".new"));
  ASSERT_TRUE(SetFileAttributesA(SiteListFile().c_str(), FILE_ATTRIBUTE_NORMAL));
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), "\"new.example\"\r\n");
}

TEST_F(SiteListFileTest, SaveReplacesALeftoverTemporaryFile) {
  ASSERT_TRUE(WriteBytes(SiteListFile() + ".new", "\"stale\"\r\n\"more stale\"\r\n"));
  ASSERT_TRUE(WriteBytes(SiteListFile(), "\"old\"\r\n"));
  AllowedSites().Add("fresh");
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), "\"fresh\"\r\n");
  EXPECT_FALSE(FileExists(SiteListFile() + ".new"));
}

TEST_F(SiteListFileTest, FullListsRoundTrip) {
  Strings allowed;
  Strings blocked;
  for (int i = SiteList::kMaxEntries; i > 0; --i) {
    allowed.push_back((i % 3 ? "site" : "SITE") + std::to_string(i % 1000) + ".example");
    blocked.push_back("control" + std::to_string(i));
  }
  AllowedSites().AddAll(allowed);
  BlockedActiveX().AddAll(blocked);
  const Strings saved_allowed = AllowedSites().Texts();
  const Strings saved_blocked = BlockedActiveX().Texts();
  SaveSiteLists();
  const std::string bytes = FileBytes();
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  LoadSiteLists();
  EXPECT_EQ(AllowedSites().Texts(), saved_allowed);
  EXPECT_EQ(BlockedActiveX().Texts(), saved_blocked);
  SaveSiteLists();
  EXPECT_EQ(FileBytes(), bytes);
}

TEST_F(SiteListFileTest, FileOverTheLimitLoadsTheFirstEntriesOfEachList) {
  std::string content;
  for (int i = 0; i < SiteList::kMaxEntries + 100; ++i) {
    content += "\"s" + std::to_string(i) + "\"\r\n";
  }
  content += "\"late#AX\"\r\n";
  LoadFrom(content);
  EXPECT_EQ(AllowedSites().Count(), SiteList::kMaxEntries);
  EXPECT_GE(AllowedSites().FindString("s32766"), 0);
  EXPECT_EQ(AllowedSites().FindString("s32767"), SiteList::kError);
  EXPECT_EQ(BlockedActiveX().Texts(), Strings{"late"});
}

TEST(RemoveAllTest, RemovesEveryOccurrence) {
  const struct {
    std::string text;
    std::string what;
    std::string result;
  } cases[] = {
      {"x#AXy#AX", "#AX", "xy"},
      {"#AX", "#AX", ""},
      {"#ax#AX", "#AX", "#ax"},
      {"#A#AXX", "#AX", ""},  // a removal that brings an occurrence together removes it too
      {"www.example.com", "www.", "example.com"},
      {"mywww.site", "www.", "mysite"},
      {"WWW.site", "www.", "WWW.site"},
      {"wwww..", "www.", "w."},
      {"abc", "", "abc"},
      {"", "#AX", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RemoveAll(c.text, c.what), c.result);
  }
}

TEST(ReadSiteListFieldsTest, FieldReadingRule) {
  const struct {
    const char* name;
    std::string content;
    Strings fields;
  } cases[] = {
      {"quoted lines", "\"a\"\r\n\"b c\"\r\n", {"a", "b c"}},
      {"leading spaces skipped", "   \"a\"\r\n  b\r\n", {"a", "b"}},
      {"spaces inside quotes kept", "\" a \"\r\n", {" a "}},
      {"rest of a quoted line passed over", "\"a\" tail, more\r\n\"b\"x\r\n", {"a", "b"}},
      {"quote inside the text", "\"say \"hi\"\"\r\n", {"say "}},
      {"comma inside quotes", "\"a,b\"\r\n", {"a,b"}},
      {"unquoted fields", "a, b ,c\r\n", {"a", "b", "c"}},
      {"quote inside an unquoted field", "ab\"c\"\r\n", {"ab\"c\""}},
      {"quoted after a comma", "a,\"b,c\" d\r\ne\r\n", {"a", "b,c", "e"}},
      {"tab is not a blank", "\tx\t\r\n", {"\tx\t"}},
      {"no line end at the end", "\"a\"\r\n\"b\"", {"a", "b"}},
      {"unquoted without line end", "a\r\nb", {"a", "b"}},
      {"empty lines", "\r\n\r\n\"a\"\r\n\r\n", {"a"}},
      {"blank lines", "   \r\n \"a\"\r\n   ", {"a"}},
      {"empty quotes", "\"\"\r\n\"\"", {}},
      {"empty fields between commas", ",,a,,\r\n", {"a"}},
      {"lone LF and lone CR end lines",
       "a\nb\rc\r\n\"d\"\n\"e\"\rf",
       {"a", "b", "c", "d", "e", "f"}},
      {"LF CR is two line ends", "a\n\rb", {"a", "b"}},
      {"unterminated quote at the end", "\"a\"\r\n\"open", {"a", "open"}},
      {"quoted text spans line ends", "\"one\r\ntwo\"\r\n\"three\"", {"one\r\ntwo", "three"}},
      {"only quotes", "\"\"\"\"\"", {}},
      {"one quote", "\"", {}},
      {"NUL bytes kept", "\"a\0b\"\r\nc\0d\r\n"s, {"a\0b"s, "c\0d"s}},
      {"nothing", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadSiteListFields(c.content), c.fields);
  }
}

TEST(ReadSiteListFieldsTest, VeryLongLines) {
  const std::string long_text(1 << 20, 'x');
  EXPECT_EQ(ReadSiteListFields("\"" + long_text + "\"\r\n" + long_text + "  "),
            (Strings{long_text, long_text}));
  const std::string spaces(1 << 20, ' ');
  EXPECT_EQ(ReadSiteListFields(spaces), Strings{});
  const std::string commas(1 << 20, ',');
  EXPECT_EQ(ReadSiteListFields(commas), Strings{});
}

}  // namespace
}  // namespace tarnivo
