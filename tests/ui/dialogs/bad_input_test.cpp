// Bad input in the list editor (frmSite) and the allow-domain dialog (frmLib): list files of
// random bytes, a full list of long entries, bytes above 127, a huge typed entry, and page
// domains that are huge or hold odd bytes. Each gives the designed or a harmless result: the
// dialog shows what the list holds, OK writes it back loadable, and the list file is never
// torn or emptied. The same tests run against Wine and the Linux back end.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/normalize_domain.h"
#include "platform/win32.h"
#include "server/host.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/dialogs/frm_lib.h"
#include "ui/dialogs/frm_site.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

using Strings = std::vector<std::string>;

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

// The file's bytes; nothing when it cannot be opened.
bool ReadBytes(const std::string& path, std::string* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  std::vector<char> buffer(1 << 16);
  DWORD read = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0)
    bytes->append(buffer.data(), read);
  CloseHandle(file);
  return true;
}

std::string FileBytes() {
  std::string bytes;
  ReadBytes(SiteListFile(), &bytes);
  return bytes;
}

std::string Quoted(const Strings& entries) {
  std::string bytes;
  for (const std::string& entry : entries) bytes += "\"" + entry + "\"\r\n";
  return bytes;
}

void Reload() {
  AllowedSites().Clear();
  BlockedActiveX().Clear();
  LoadSiteLists();
}

bool Contains(const Strings& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The list file of the machine is kept aside and put back: under Wine it is the prefix's.
class ListFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string folder = SystemDirectory();
    folder.pop_back();
    CreateDirectoryA(folder.c_str(), nullptr);
    had_file_ = ReadBytes(SiteListFile(), &saved_file_);
    AllowedSites().Clear();
    BlockedActiveX().Clear();
  }
  void TearDown() override {
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    if (had_file_)
      WriteBytes(SiteListFile(), saved_file_);
    else
      DeleteFileA(SiteListFile().c_str());
  }

 private:
  bool had_file_ = false;
  std::string saved_file_;
};

class FrmSiteBadInputTest : public ListFileTest {
 protected:
  void SetUp() override {
    ListFileTest::SetUp();
    frmSite::Instance() = std::make_shared<frmSite>();
  }
  void TearDown() override {
    frmSite::Instance()->Unload();
    frmSite::Instance().reset();
    ListFileTest::TearDown();
  }

  static frmSite& Editor() { return *frmSite::Instance(); }

  // The dialog on screen, as the toolbar opens it after reading the file.
  static void Open() {
    Reload();
    Editor().Show(false);
  }

  static Strings Shown() {
    Strings shown;
    for (int i = 0; i < Editor().ListCount("lstSite"); ++i)
      shown.push_back(Editor().ListText("lstSite", i));
    return shown;
  }

  // The entry row's ADD, `text` in its text box and its OK.
  static void AddThroughEntryRow(const std::string& text) {
    Editor().cmdAdi_Click();
    Editor().SetText("txtSite", text);
    Editor().cmdOKsite_Click();
  }
};

// Random bytes, weighted towards quotes, commas, line ends, the ActiveX marker, NUL and high
// bytes.
std::string RandomBytes(std::mt19937& random, std::size_t length) {
  static const char kSpecial[] = {'"', ',', ' ', '\r', '\n', '#', 'A', 'X', '\0', '\xE9', '\xFF'};
  std::uniform_int_distribution<int> kind(0, 2);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> special(0, sizeof kSpecial - 1);
  std::string bytes;
  while (bytes.size() < length) {
    const int k = kind(random);
    if (k == 0)
      bytes += static_cast<char>(byte(random));
    else if (k == 1)
      bytes += kSpecial[special(random)];
    else
      bytes += static_cast<char>('a' + byte(random) % 26);
  }
  return bytes;
}

TEST_F(FrmSiteBadInputTest, ListFileOfRandomBytesIsShownAsLoadedAndOkWritesItBackLoadable) {
  std::mt19937 random(77001);
  for (std::size_t length : {0u, 1u, 17u, 300u, 4000u, 20000u}) {
    const std::string bytes = RandomBytes(random, length);
    SCOPED_TRACE(testing::Message() << "random file of " << length << " bytes");
    ASSERT_TRUE(WriteBytes(SiteListFile(), bytes));
    Open();
    const Strings allowed = AllowedSites().Texts();
    const Strings blocked = BlockedActiveX().Texts();
    // The list box shows each entry up to a NUL byte in it, as a window text ends there.
    Strings expected;
    for (const std::string& entry : allowed) expected.push_back(entry.substr(0, entry.find('\0')));
    EXPECT_EQ(Shown(), expected);

    Editor().cmdOK_Click();
    EXPECT_FALSE(IsWindowVisible(Editor().hWnd()));
    // The file OK wrote reads back as what the lists held. A quote ends a quoted line's field,
    // so an entry holding one (from a hand-made unquoted line) comes back cut short, or in the
    // other list when the cut takes the ActiveX marker; nothing is added.
    EXPECT_EQ(FileBytes().empty(), allowed.empty() && blocked.empty());
    Reload();
    const auto has_quote = [](const std::string& s) { return s.find('"') != std::string::npos; };
    if (std::none_of(allowed.begin(), allowed.end(), has_quote) &&
        std::none_of(blocked.begin(), blocked.end(), has_quote)) {
      EXPECT_EQ(AllowedSites().Texts(), allowed);
      EXPECT_EQ(BlockedActiveX().Texts(), blocked);
    } else {
      EXPECT_LE(AllowedSites().Count() + BlockedActiveX().Count(),
                static_cast<int>(allowed.size() + blocked.size()));
    }
    // From then on the lists and the file stay as they are.
    Open();
    Editor().cmdOK_Click();
    Open();
    const Strings settled = AllowedSites().Texts();
    Editor().cmdOK_Click();
    Reload();
    EXPECT_EQ(AllowedSites().Texts(), settled);
  }
}

TEST_F(FrmSiteBadInputTest, FullListOfLongEntriesOpensRefusesOneMoreAndRoundTrips) {
  // 32,767 distinct entries of 250 characters, in the list's order, so that a save that
  // changes nothing writes the same bytes.
  Strings entries;
  for (int i = 0; i < SiteList::kMaxEntries; ++i) {
    const std::string number = std::to_string(100000 + i);
    entries.push_back(number + std::string(250 - number.size() - 4, 'x') + ".com");
  }
  const std::string bytes = Quoted(entries);
  ASSERT_TRUE(WriteBytes(SiteListFile(), bytes));
  Open();
  ASSERT_EQ(Editor().ListCount("lstSite"), SiteList::kMaxEntries);
  EXPECT_EQ(Editor().ListText("lstSite", 12345), entries[12345]);

  AddThroughEntryRow("one-more.example.com");
  EXPECT_EQ(AllowedSites().Count(), SiteList::kMaxEntries);
  EXPECT_EQ(Editor().ListCount("lstSite"), SiteList::kMaxEntries);
  EXPECT_EQ(AllowedSites().FindString("one-more"), SiteList::kError);
  EXPECT_FALSE(Editor().Visible("frameSite"));

  Editor().cmdOK_Click();
  EXPECT_FALSE(IsWindowVisible(Editor().hWnd()));
  EXPECT_EQ(FileBytes(), bytes);
  EXPECT_EQ(AllowedSites().Texts(), entries);
}

TEST_F(FrmSiteBadInputTest, BytesAbove127AreShownAndStoredAsTheyAre) {
  // Windows-1252: e acute, u and U diaeresis, sharp s, the euro sign, S caron, y diaeresis.
  const Strings stored = {"caf\xE9.fr",
                          "M\xDCNCHEN.de",
                          "stra\xDF"
                          "e.de",
                          "\x80uro.example",
                          "\x8Akoda.cz",
                          "\xFFork.example"};
  ASSERT_TRUE(WriteBytes(SiteListFile(), Quoted(stored)));
  Open();
  const Strings shown = Shown();
  ASSERT_EQ(shown.size(), stored.size());
  for (const std::string& entry : stored) EXPECT_TRUE(Contains(shown, entry)) << entry;

  const std::string typed = "m\xFCnchen.example";
  AddThroughEntryRow(typed);
  EXPECT_TRUE(Contains(Shown(), typed));
  EXPECT_EQ(Shown(), AllowedSites().Texts());

  Editor().cmdOK_Click();
  const std::string file = FileBytes();
  for (const std::string& entry : stored)
    EXPECT_NE(file.find("\"" + entry + "\"\r\n"), std::string::npos) << entry;
  EXPECT_NE(file.find("\"" + typed + "\"\r\n"), std::string::npos);
  Reload();
  EXPECT_EQ(AllowedSites().Count(), static_cast<int>(stored.size()) + 1);
}

TEST_F(FrmSiteBadInputTest, HugeTypedEntryIsAddedAsTheTextBoxHoldsItAndRoundTrips) {
  ASSERT_TRUE(WriteBytes(SiteListFile(), Quoted({"kept.example.com"})));
  Open();
  std::string huge;
  while (huge.size() < 100000) huge += "abcdefghi.";
  Editor().cmdAdi_Click();
  Editor().SetText("txtSite", huge);
  const std::string held = Editor().Text("txtSite");
  ASSERT_FALSE(held.empty());
  EXPECT_EQ(huge.compare(0, held.size(), held), 0);
  Editor().cmdOKsite_Click();
  EXPECT_EQ(AllowedSites().Count(), 2);
  EXPECT_TRUE(Contains(AllowedSites().Texts(), held));
  EXPECT_EQ(Shown(), AllowedSites().Texts());

  Editor().cmdOK_Click();
  Reload();
  EXPECT_EQ(AllowedSites().Texts(), Shown());
  EXPECT_TRUE(Contains(AllowedSites().Texts(), held));
  EXPECT_TRUE(Contains(AllowedSites().Texts(), "kept.example.com"));
}

// --- frmLib ---

// A page's document whose domain is whatever the test says.
class FakeDocument : public host::Object {
 public:
  explicit FakeDocument(std::string domain) : domain_(std::move(domain)) {}
  bool Get(const std::string& name, host::Value* out) override {
    if (name != "domain") return false;
    *out = host::Value::Of(domain_);
    return true;
  }
  bool Put(const std::string&, const host::Value&) override { return false; }
  bool Call(const std::string&, const std::vector<host::Value>&, host::Value*) override {
    return false;
  }
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents*) override {
    return nullptr;
  }

 private:
  std::string domain_;
};

class FakeBrowser : public host::Browser {
 public:
  explicit FakeBrowser(std::string domain)
      : document_(std::make_shared<FakeDocument>(std::move(domain))) {}
  bool Busy(bool* out) override {
    *out = false;
    return true;
  }
  host::ObjectPtr Document() override { return document_; }
  host::ObjectPtr AsObject() override { return nullptr; }
  std::unique_ptr<host::Connection> ConnectEvents(host::BrowserEvents*) override { return nullptr; }

 private:
  host::ObjectPtr document_;
};

// What each button adds: the domain with every "www." taken out, left to right; "*." and the
// normalised domain ("" when that is empty).
std::string WithoutWww(const std::string& domain) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = domain.find("www.", from)) != std::string::npos; from = at + 4)
    out.append(domain, from, at - from);
  return out.append(domain, from, std::string::npos);
}
std::string WildcardEntry(const std::string& domain) {
  const std::string normalized = NormalizeDomain(domain);
  return normalized.empty() ? normalized : "*." + normalized;
}

class FrmLibBadInputTest : public ListFileTest {
 protected:
  void TearDown() override {
    frmLib::Instance()->Unload();
    frmLib::Instance().reset();
    frmToolbar::Instance().m_IE = nullptr;
    ListFileTest::TearDown();
  }
};

TEST_F(FrmLibBadInputTest, HugeAndOddDomainsCaptionTheButtonsAndAppendWithoutHarm) {
  std::string huge;
  while (huge.size() < 10000 - 12) huge += "abcdefgh.";
  huge += "example.com";
  huge.resize(10000, 'x');
  struct Case {
    const char* name;
    std::string domain;
  };
  const Case cases[] = {
      {"10,000 characters", huge},
      {"control characters", "ex\x01\x02\tam\x7Fple.com\r\nnext"},
      {"quotes and commas", "\"quoted\",www.odd'.example.com"},
      {"high bytes", "www.\xE9t\xE9\x80\xFF.example.fr"},
      {"dots only", "...."},
  };
  const Strings kept = {"first.example.com", "second.example.org"};
  for (const Case& c : cases) {
    for (const bool whole_domain : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (whole_domain ? ", whole domain" : ", only"));
      ASSERT_TRUE(WriteBytes(SiteListFile(), Quoted(kept)));
      Reload();
      frmToolbar::Instance().m_IE = std::make_shared<FakeBrowser>(c.domain);
      frmLib& dialog = *frmLib::Instance();
      dialog.Show(false);
      ASSERT_TRUE(dialog.Domain().has_value());
      EXPECT_EQ(*dialog.Domain(), c.domain);
      EXPECT_FALSE(dialog.Text("cmdSub").empty());
      EXPECT_NE(dialog.Text("cmdTod").find("*."), std::string::npos);

      if (whole_domain)
        dialog.cmdTod_Click();
      else
        dialog.cmdSub_Click();
      EXPECT_FALSE(IsWindowVisible(dialog.hWnd()));
      // What the dialog added is in the list; the file still holds the entries it had, and
      // reads back at least as many entries as before.
      EXPECT_GE(AllowedSites().Count(), 2);
      Reload();
      const Strings loaded = AllowedSites().Texts();
      for (const std::string& entry : kept) EXPECT_TRUE(Contains(loaded, entry)) << entry;
      EXPECT_GE(loaded.size(), kept.size());
      // An entry without a quote comes back whole, line ends and all.
      const std::string added = whole_domain ? WildcardEntry(c.domain) : WithoutWww(c.domain);
      if (!added.empty() && added.find('"') == std::string::npos) {
        EXPECT_TRUE(Contains(loaded, added)) << added.substr(0, 80);
      }
      EXPECT_EQ(FileBytes().compare(0, Quoted(kept).size(), Quoted(kept)), 0);
    }
  }
}

}  // namespace
}  // namespace tarnivo
