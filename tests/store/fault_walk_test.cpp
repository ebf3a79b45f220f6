// Every fault point of the store's file and registry operations: each operation runs once
// with the calls counted, then once per call with that call failing (and once per WriteFile
// with it stopping short), and what is stored afterwards must be the old or the new content,
// never something in between, with the operation's designed answer.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "list_file_support.h"
#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "support/fault_seam.h"

namespace tarnivo {
namespace {

using namespace std::string_literals;
using backend::FaultPoint;
using ::testing_support::FailCall;
using ::testing_support::FailNth;
using ::testing_support::ScopedFaults;
using ::testing_support::ShortWrite;
using Strings = std::vector<std::string>;

constexpr DWORD kDiskFull = 112;
const char kAbsent[] = "<absent>";

std::string FileOrAbsent(const std::string& path) {
  std::string bytes;
  return testing_support::ReadBytes(path, bytes) ? bytes : kAbsent;
}

std::string Stored(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return kAbsent;
  }
  RegVariant value;
  const LONG result = ModReg::QueryValueEx(key, name, value);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? VariantText(value) : kAbsent;
}

// One operation of the table: `setup` puts the old state in place, `run` does the operation
// (with faults armed), `state` reads what is stored (faults disarmed), `outcomes` are the
// states allowed after a run (the old and the new one), and `check` checks the operation's
// other effects (its answer, the lists in memory) after any run.
struct Operation {
  std::string name;
  std::function<void()> setup;
  std::function<void()> run;
  std::function<std::string()> state;
  std::set<std::string> outcomes;
  std::string unfaulted;  // the state after a run without faults
  std::function<void()> check = [] {};
};

// What a walk saw: the calls of one run, and how many runs of each kind were made.
struct WalkCounts {
  std::uint64_t calls = 0;
  std::uint64_t writes = 0;
  int runs = 0;
};

void RunWith(const Operation& op, const backend::FaultPlan& plan, const std::string& what) {
  SCOPED_TRACE(op.name + ": " + what);
  op.setup();
  {
    ScopedFaults faults(plan);
    op.run();
  }
  const std::string after = op.state();
  EXPECT_EQ(op.outcomes.count(after), 1u) << "stored afterwards: " << backend::EscapeBytes(after);
  op.check();
}

// Runs `op` once counting its calls, then once per call with that call failing (alone, and
// with every call after it), then once per WriteFile and kind of short write.
WalkCounts Walk(const Operation& op) {
  WalkCounts counts;
  std::vector<FaultPoint> order;
  op.setup();
  {
    ScopedFaults faults;
    op.run();
    counts.calls = faults.Calls();
    counts.writes = faults.Calls(FaultPoint::kWriteFile);
    order = backend::FaultCallOrder();
  }
  EXPECT_EQ(op.state(), op.unfaulted) << op.name;
  op.check();
  for (std::uint64_t n = 1; n <= counts.calls; ++n) {
    const std::string call =
        "call " + std::to_string(n) + " (" + backend::FaultPointName(order[n - 1]) + ")";
    RunWith(op, FailNth(n, ERROR_ACCESS_DENIED), call + " fails");
    RunWith(op, FailNth(n, kDiskFull, true), call + " and every later one fail");
    counts.runs += 2;
  }
  for (std::uint64_t w = 1; w <= counts.writes; ++w) {
    for (DWORD part : {0u, 1u, 9u, 1u << 20}) {
      for (bool succeed : {false, true}) {
        RunWith(op, ShortWrite(w, part, succeed),
                "WriteFile " + std::to_string(w) + " keeps " + std::to_string(part) +
                    (succeed ? " bytes and succeeds" : " bytes and fails"));
        ++counts.runs;
      }
    }
  }
  return counts;
}

class FaultWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir(backend::SystemDirectory().c_str(), 0755);
    Clean();
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    backend::DisarmFaults();
    DeleteFileA(SiteListFile().c_str());
    DeleteFileA((SiteListFile() + ".new").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    ResetShared();
  }
  static void Report(const std::string& name, const WalkCounts& counts) {
    std::printf("[ walk     ] %s: %llu calls, %llu writes, %d faulted runs\n", name.c_str(),
                static_cast<unsigned long long>(counts.calls),
                static_cast<unsigned long long>(counts.writes), counts.runs);
  }
};

std::string Join(const Strings& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : ",") + text;
  return joined;
}

// The list file, and whether a save left its temporary file behind.
std::string ListFileState() {
  return FileOrAbsent(SiteListFile()) +
         (testing_support::FileExists(SiteListFile() + ".new") ? " +leftover" : "");
}

TEST_F(FaultWalkTest, ListFileOperations) {
  const std::string old = "\"keep.example\"\r\n\"x#AX\"\r\n";
  const std::string saved = "\"new.example\"\r\n\"ads#AX\"\r\n";
  auto put_file = [](const std::string& bytes) {
    DeleteFileA(SiteListFile().c_str());
    DeleteFileA((SiteListFile() + ".new").c_str());
    if (bytes != kAbsent) {
      ASSERT_TRUE(testing_support::WriteBytes(SiteListFile(), bytes));
    }
  };
  auto save_lists = [] {
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    AllowedSites().Add("new.example");
    AllowedSites().Add("temporary.example", TemporarySiteMark);
    BlockedActiveX().Add("ads");
  };
  auto lists_unchanged = [] {
    EXPECT_EQ(AllowedSites().Texts(), (Strings{"new.example", "temporary.example"}));
    EXPECT_EQ(BlockedActiveX().Texts(), Strings{"ads"});
  };
  auto appended = [] {
    EXPECT_EQ(AllowedSites().Texts(), Strings{"new.example"});
    EXPECT_TRUE(BlockedActiveX().Texts().empty());
  };
  const std::string hand = "\"keep.example\"\r\nhand.example";
  const std::string load_file = "\"a.example\"\r\n\"b#AX\"\r\nhand.example";
  const std::string loaded = load_file + "|a.example,hand.example|b";

  std::vector<Operation> table;
  for (const std::string& before : {old, std::string(kAbsent)}) {
    table.push_back({"SaveSiteLists over " + backend::EscapeBytes(before),
                     [=] {
                       put_file(before);
                       save_lists();
                     },
                     [] { SaveSiteLists(); },
                     ListFileState,
                     {before, saved, before + " +leftover"},
                     saved,
                     lists_unchanged});
  }
  table.push_back({"LoadSiteLists",
                   [=] {
                     put_file(load_file);
                     AllowedSites().Clear();
                     BlockedActiveX().Clear();
                   },
                   [] { LoadSiteLists(); },
                   [] {
                     return FileOrAbsent(SiteListFile()) + "|" + Join(AllowedSites().Texts()) +
                            "|" + Join(BlockedActiveX().Texts());
                   },
                   {load_file + "||", loaded},
                   loaded});
  const struct {
    std::string before;
    std::string after;
  } appends[] = {
      {old, old + "\"new.example\"\r\n"},
      {hand, hand + "\r\n\"new.example\"\r\n"},
      {kAbsent, "\"new.example\"\r\n"},
      {"", "\"new.example\"\r\n"},
  };
  for (const auto& append : appends) {
    const std::string before = append.before;
    table.push_back({"AppendSiteEntry to " + backend::EscapeBytes(before),
                     [=] {
                       put_file(before);
                       AllowedSites().Clear();
                       BlockedActiveX().Clear();
                     },
                     [] { AppendSiteEntry("www.new.example"); },
                     ListFileState,
                     // A missing file may be made empty before the write fails.
                     {before, append.after, before == kAbsent ? "" : before},
                     append.after,
                     appended});
  }
  for (const Operation& op : table) Report(op.name, Walk(op));
}

// The registry: the settings key, and whether a write left its temporary file behind or
// found the registry damaged.
std::string RegistryState(std::initializer_list<const char*> names) {
  std::string state;
  for (const char* name : names) state += std::string(name) + "=" + Stored(name) + ";";
  if (testing_support::FileExists(backend::RegistryFile() + ".tmp")) state += " +tmp";
  if (testing_support::FileExists(backend::RegistryFile() + ".corrupt")) state += " +corrupt";
  return state;
}

TEST_F(FaultWalkTest, SettingsWrites) {
  auto store = [](const char* name, const std::string& text) {
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    ModReg::SetKeyValue(kSettingsKey, name, text, REG_SZ);
  };
  std::vector<Operation> table;
  table.push_back({"ModReg::SetKeyValue",
                   [=] {
                     RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
                     store("Lang", "old");
                   },
                   [] { ModReg::SetKeyValue(kSettingsKey, "Lang", "new"s, REG_SZ); },
                   [] { return RegistryState({"Lang"}); },
                   {"Lang=old\0;"s, "Lang=new\0;"s},
                   "Lang=new\0;"s});
  // The first run makes the key and its four values one write at a time: each write is
  // whole or not made.
  const char* const names[] = {"processNR", "processNL", "processNC", "processAX"};
  std::set<std::string> first_run;
  for (int mask = 0; mask < 16; ++mask) {
    std::string state;
    for (int i = 0; i < 4; ++i) {
      state += std::string(names[i]) + "=" + ((mask >> i) & 1 ? "0\0"s : kAbsent) + ";";
    }
    first_run.insert(state);
  }
  std::string all_zeros;
  for (const char* name : names) all_zeros += std::string(name) + "=0\0;"s;
  table.push_back({"CriaChave (the first-run settings)",
                   [] {
                     RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
                     ResetShared();
                   },
                   [] {
                     std::string enabled;
                     CreateFirstRunSettings(enabled);
                     EXPECT_EQ(enabled, "1");
                   },
                   [] {
                     return RegistryState({"processNR", "processNL", "processNC", "processAX"});
                   },
                   first_run, all_zeros});
  for (const Operation& op : table) Report(op.name, Walk(op));
}

// The count update reads the stored count and writes it plus one. A read that fails (the key
// cannot be opened, the value cannot be read) keeps the stored count: never a count from zero.
TEST_F(FaultWalkTest, CountUpdate) {
  auto store = [](const char* name, const std::string& text) {
    ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
    ModReg::SetKeyValue(kSettingsKey, name, text, REG_SZ);
  };
  std::vector<Operation> table;
  table.push_back({"IncrementBlockedCount",
                   [=] {
                     RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
                     store("processNC", "41");
                     ResetShared();
                   },
                   [] { IncrementBlockedCount(); },
                   [] { return RegistryState({"processNC"}); },
                   {"processNC=41\0;"s, "processNC=42\0;"s},
                   "processNC=42\0;"s});
  for (const Operation& op : table) Report(op.name, Walk(op));
}

TEST_F(FaultWalkTest, ProfileReader) {
  const std::string path = SystemDirectory() + "walk.tnk";
  const std::string bytes = "[menu]\r\nabout=Acerca de\r\n";
  std::string answer;
  Operation op{"ReadIniValue",
               [&] {
                 ASSERT_TRUE(testing_support::WriteBytes(path, bytes));
                 answer = "?";
               },
               [&] { answer = ReadIniValue(path, "menu", "about"); },
               [&] { return FileOrAbsent(path) + "|" + answer; },
               // A file that cannot be read gives "" (the English text is used instead).
               {bytes + "|Acerca de", bytes + "|"},
               bytes + "|Acerca de"};
  Report(op.name, Walk(op));
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace tarnivo
