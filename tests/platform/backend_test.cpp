// Tests of the Linux back end's own side: the controls tests and the scenario runner use,
// the lines it reports, and its registry file when it is damaged or shared by processes.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/win32.h"

namespace {

const char kKey[] = "Software\\TarnivoBackend";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// Runs `body` in a child process and returns its exit status (0 is success).
template <typename Body>
pid_t Spawn(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

LONG SetString(HKEY key, const char* name, const std::string& data) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

// The bytes of a value under HKLM\<kKey>, or "<absent>".
std::string Lookup(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<absent>";
  DWORD size = 0;
  std::string result = "<absent>";
  if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> buffer(size + 1);
    DWORD room = size;
    if (RegQueryValueExA(key, name, nullptr, nullptr, buffer.data(), &room) == ERROR_SUCCESS) {
      result.assign(reinterpret_cast<const char*>(buffer.data()), room);
    }
  }
  RegCloseKey(key);
  return result;
}

HKEY CreateKey() {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  return key;
}

// Each test gets a root folder of its own, so it can damage the registry file freely.
class BackendTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_root_ = backend::Root();
    std::string pattern = saved_root_ + "/case-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    backend::SetRoot(pattern);
    backend::ResetInput();
  }
  void TearDown() override {
    backend::SetObserver({});
    backend::ResetInput();
    backend::SetRoot(saved_root_);
  }

  std::string saved_root_;
};

TEST_F(BackendTest, FoldersFollowTheRoot) {
  std::string root = backend::Root();
  EXPECT_EQ(backend::RegistryFile(), root + "/registry");
  EXPECT_EQ(backend::SystemDirectory(), root + "/system32");
  EXPECT_FALSE(FileExists(backend::SystemDirectory()));
  char buffer[MAX_PATH];
  UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, length), backend::SystemDirectory());
  EXPECT_TRUE(FileExists(backend::SystemDirectory())) << "made on demand";

  // The registry file is made by the first write, with the folders it needs.
  backend::SetRoot(root + "/deeper/still");
  HKEY key = CreateKey();
  RegCloseKey(key);
  std::string text = ReadBytes(backend::RegistryFile());
  EXPECT_EQ(text.rfind("tarnivo-registry 1 ", 0), 0u) << text;
}

TEST_F(BackendTest, InputControls) {
  backend::PressKey(VK_SHIFT);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetAsyncKeyState(0xA0), 0) << "the left shift key";
  EXPECT_EQ(static_cast<USHORT>(GetAsyncKeyState(VK_SHIFT)), 0x8000u);
  backend::ReleaseKey(VK_SHIFT);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);

  // Both control keys: the generic key is down while either is.
  backend::PressKey(0xA2);
  backend::PressKey(0xA3);
  backend::ReleaseKey(0xA2);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  backend::ReleaseKey(0xA3);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);

  backend::SetScrollLock(true);
  EXPECT_EQ(GetKeyState(VK_SCROLL), 1);
  backend::SetScrollLock(false);
  EXPECT_EQ(GetKeyState(VK_SCROLL), 0);

  // Pressed and released between two queries: the press is remembered once.
  backend::PressKey(VK_LBUTTON);
  backend::ReleaseKey(VK_LBUTTON);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);

  // Out-of-range keys read as up.
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetAsyncKeyState(0x100), 0);
}

TEST_F(BackendTest, ResetInputClearsTheMachineState) {
  backend::PressKey(VK_CONTROL);
  backend::PressKey(VK_F2);
  backend::ReleaseKey(VK_F2);
  backend::SetScrollLock(true);
  MessageBeep(MB_OK);
  MessageBeep(MB_ICONHAND);
  EXPECT_EQ(backend::BeepCount(), 2);
  backend::ResetInput();
  EXPECT_EQ(backend::BeepCount(), 0);
  for (int vk : {VK_CONTROL, 0xA2, VK_F2, VK_SCROLL}) {
    EXPECT_EQ(GetKeyState(vk), 0) << vk;
    EXPECT_EQ(GetAsyncKeyState(vk), 0) << vk;
  }
}

TEST_F(BackendTest, SleepAdvancesTheTickCount) {
  DWORD before = GetTickCount();
  Sleep(250);
  EXPECT_EQ(GetTickCount() - before, 250u);
  Sleep(0);
  EXPECT_EQ(GetTickCount() - before, 250u);
}

TEST_F(BackendTest, ObserverSeesWritesKeysAndBeeps) {
  std::vector<std::string> lines;
  backend::SetObserver([&lines](const std::string& line) { lines.push_back(line); });

  HKEY key = CreateKey();
  HKEY again = CreateKey();  // exists: nothing to report
  RegCloseKey(again);
  ASSERT_EQ(SetString(key, "processNC", std::string("3\0", 2)), ERROR_SUCCESS);
  DWORD seven = 7;
  ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), 4),
            ERROR_SUCCESS);
  std::string odd("\r\n\t\"\\\x01\xff", 7);
  ASSERT_EQ(
      RegSetValueExA(key, "odd name", 0, REG_BINARY, reinterpret_cast<const BYTE*>(odd.data()),
                     static_cast<DWORD>(odd.size())),
      ERROR_SUCCESS);
  ASSERT_EQ(SetString(key, nullptr, std::string("d\0", 2)), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(key, "processNC"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "processNC"), ERROR_FILE_NOT_FOUND);  // failed: not reported
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key, "late", std::string("x\0", 2)), ERROR_KEY_DELETED);
  RegCloseKey(key);

  keybd_event(VK_SCROLL, 0, 0, 0);
  keybd_event(VK_SCROLL, 0, KEYEVENTF_KEYUP, 0);
  keybd_event('A', 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  MessageBeep(MB_OK);

  const std::vector<std::string> expected = {
      "registry create HKLM\\Software\\TarnivoBackend",
      "registry set HKLM\\Software\\TarnivoBackend processNC REG_SZ \"3\\0\"",
      "registry set HKLM\\Software\\TarnivoBackend Count REG_DWORD 7",
      "registry set HKLM\\Software\\TarnivoBackend \"odd name\" REG_BINARY "
      "\"\\r\\n\\t\\\"\\\\\\x01\\xFF\"",
      "registry set HKLM\\Software\\TarnivoBackend (default) REG_SZ \"d\\0\"",
      "registry delete value HKLM\\Software\\TarnivoBackend processNC",
      "registry delete key HKLM\\Software\\TarnivoBackend",
      "key event VK_SCROLL down",
      "key event VK_SCROLL up",
      "key event 0x41 down",
      "key event VK_LBUTTON down",
      "key event VK_LBUTTON up",
      "beep",
  };
  EXPECT_EQ(lines, expected);

  // An empty function stops the reports.
  backend::SetObserver({});
  MessageBeep(MB_OK);
  EXPECT_EQ(lines.size(), expected.size());
}

TEST_F(BackendTest, GarbageRegistryFileReadsAsEmptyAndIsKeptAside) {
  std::mt19937 random(12345);
  for (std::size_t size : {1u, 7u, 100u, 5000u}) {
    SCOPED_TRACE(size);
    std::string garbage;
    for (std::size_t i = 0; i < size; ++i) garbage += static_cast<char>(random() & 0xFF);
    if (size == 100) garbage.replace(0, 19, "tarnivo-registry 1 ");  // a good first line only
    WriteBytes(backend::RegistryFile(), garbage);
    std::remove((backend::RegistryFile() + ".corrupt").c_str());

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Lookup("processNC"), "<absent>");
    DWORD size_out = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "x", nullptr, nullptr, nullptr, &size_out),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadBytes(backend::RegistryFile()), garbage) << "reading changes nothing";

    // The first write keeps the damaged file aside before it replaces it.
    key = CreateKey();
    ASSERT_EQ(SetString(key, "processNC", std::string("3\0", 2)), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadBytes(backend::RegistryFile() + ".corrupt"), garbage);
    EXPECT_EQ(Lookup("processNC"), std::string("3\0", 2));
  }
}

// Fills the registry with values whose bytes the tests know.
std::vector<std::pair<std::string, std::string>> WriteKnownValues() {
  std::vector<std::pair<std::string, std::string>> values = {
      {"processNC", std::string("3\0", 2)},
      {"Domains", std::string("a.example\0b.example\0\0", 21)},
      {"Odd \"name\"%", std::string("\r\n\x7f\x80\xff", 5)},
      {"Empty", ""},
      {"Last", std::string("end\0", 4)},
  };
  HKEY key = CreateKey();
  for (const auto& value : values) {
    EXPECT_EQ(SetString(key, value.first.c_str(), value.second), ERROR_SUCCESS);
  }
  RegCloseKey(key);
  return values;
}

TEST_F(BackendTest, TruncatedRegistryFileLosesOnlyItsTail) {
  auto values = WriteKnownValues();
  const std::string whole = ReadBytes(backend::RegistryFile());
  const std::size_t end_line = whole.rfind('\n', whole.size() - 2) + 1;
  ASSERT_EQ(whole.compare(end_line, 4, "end "), 0);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    WriteBytes(backend::RegistryFile(), whole.substr(0, cut));
    std::size_t present = 0;
    for (const auto& value : values) {
      std::string found = Lookup(value.first.c_str());
      if (found == "<absent>") continue;
      ++present;
      ASSERT_EQ(found, value.second) << "cut at " << cut << ": " << value.first;
    }
    // Only the end marker cut: every value is still there.
    if (cut >= end_line) {
      ASSERT_EQ(present, values.size()) << "cut at " << cut;
    }
  }
}

TEST_F(BackendTest, DamagedLineDoesNotCostTheOthers) {
  auto values = WriteKnownValues();
  std::string text = ReadBytes(backend::RegistryFile());
  // Spoil the "Domains" line: its length no longer matches its bytes.
  std::string::size_type line = text.find("\"Domains\"");
  ASSERT_NE(line, std::string::npos);
  text.insert(text.find('\n', line), "zz");
  WriteBytes(backend::RegistryFile(), text);

  for (const auto& value : values) {
    std::string expected = value.first == "Domains" ? "<absent>" : value.second;
    EXPECT_EQ(Lookup(value.first.c_str()), expected) << value.first;
  }
  // A write keeps the readable values and a copy of the damaged file.
  HKEY key = CreateKey();
  ASSERT_EQ(SetString(key, "New", std::string("n\0", 2)), ERROR_SUCCESS);
  EXPECT_EQ(ReadBytes(backend::RegistryFile() + ".corrupt"), text);
  for (const auto& value : values) {
    std::string expected = value.first == "Domains" ? "<absent>" : value.second;
    EXPECT_EQ(Lookup(value.first.c_str()), expected) << value.first;
  }
  // The rewritten file is whole again: the next write keeps no further copy.
  ASSERT_EQ(SetString(key, "Newer", std::string("m\0", 2)), ERROR_SUCCESS);
  EXPECT_FALSE(FileExists(backend::RegistryFile() + ".corrupt.2"));
  // A second damage keeps the first copy and adds another.
  WriteBytes(backend::RegistryFile(), ReadBytes(backend::RegistryFile()) + "junk");
  ASSERT_EQ(SetString(key, "Newest", std::string("k\0", 2)), ERROR_SUCCESS);
  EXPECT_EQ(ReadBytes(backend::RegistryFile() + ".corrupt"), text);
  EXPECT_TRUE(FileExists(backend::RegistryFile() + ".corrupt.2"));
  EXPECT_EQ(Lookup("Newer"), std::string("m\0", 2));
  RegCloseKey(key);
}

TEST_F(BackendTest, ValueOrKeyRecordedTwiceIsDamage) {
  WriteKnownValues();
  const std::string whole = ReadBytes(backend::RegistryFile());
  const std::string::size_type line = whole.find("value ");
  const std::string first = whole.substr(line, whole.find('\n', line) + 1 - line);
  const std::string::size_type key_line = whole.find("key ");
  const std::string key = whole.substr(key_line, whole.find('\n', key_line) + 1 - key_line);
  std::string upper = first;  // the same name in other letters, other bytes
  for (std::string::size_type i = upper.find("\" ", 6) + 3; upper[i] != '"'; ++i) {
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[i])));
  }
  upper.replace(upper.find(" x") + 2, 2, "ff");
  const struct {
    const char* what;
    std::string extra;
  } cases[] = {
      {"the same value twice", first}, {"a name differing in case", upper}, {"a key twice", key}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // Added before the end line, which counts the extra record so only the repeat is wrong.
    std::string text = whole;
    const std::string::size_type end = text.rfind("end ");
    const std::uint64_t records = std::stoull(text.substr(end + 4));
    text = text.substr(0, end) + c.extra + "end " + std::to_string(records + 1) + "\n";
    WriteBytes(backend::RegistryFile(), text);
    std::remove((backend::RegistryFile() + ".corrupt").c_str());
    const std::string before = Lookup("Domains");
    EXPECT_EQ(before, std::string("a.example\0b.example\0\0", 21)) << "the first record stands";

    HKEY handle = CreateKey();
    ASSERT_EQ(SetString(handle, "Another", std::string("a\0", 2)), ERROR_SUCCESS);
    RegCloseKey(handle);
    EXPECT_EQ(ReadBytes(backend::RegistryFile() + ".corrupt"), text) << "kept aside";
    EXPECT_EQ(Lookup("Domains"), before);
    const std::string rewritten = ReadBytes(backend::RegistryFile());
    EXPECT_EQ(rewritten.find(c.extra), rewritten.rfind(c.extra)) << "written once";
    // Put back for the next case.
    WriteBytes(backend::RegistryFile(), whole);
  }
}

TEST_F(BackendTest, DamagedCopiesNeverOverwriteOlderOnes) {
  const std::string file = backend::RegistryFile();
  // A thousand copies already there: .corrupt, .corrupt.2 ... .corrupt.1000.
  WriteBytes(file + ".corrupt", "copy 1");
  for (int n = 2; n <= 1000; ++n) WriteBytes(file + ".corrupt." + std::to_string(n), "copy");
  for (const char* damage : {"damaged once", "damaged twice"}) {
    WriteBytes(file, damage);
    HKEY key = CreateKey();
    ASSERT_NE(key, nullptr);
    RegCloseKey(key);
  }
  EXPECT_EQ(ReadBytes(file + ".corrupt"), "copy 1");
  EXPECT_EQ(ReadBytes(file + ".corrupt.1000"), "copy");
  EXPECT_EQ(ReadBytes(file + ".corrupt.1001"), "damaged once");
  EXPECT_EQ(ReadBytes(file + ".corrupt.1002"), "damaged twice");
}

TEST_F(BackendTest, MutatedRegistryFilesNeverCrash) {
  WriteKnownValues();
  const std::string whole = ReadBytes(backend::RegistryFile());
  std::mt19937 random(777);
  for (int round = 0; round < 300; ++round) {
    std::string text = whole;
    int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      std::size_t at = random() % text.size();
      switch (random() % 3) {
        case 0:
          text[at] = static_cast<char>(random() & 0xFF);
          break;
        case 1:
          text.erase(at, 1 + random() % 8);
          break;
        default:
          text.insert(at, 1, "\n \"%x0\\"[random() % 7]);
          break;
      }
      if (text.empty()) text = "x";
    }
    WriteBytes(backend::RegistryFile(), text);
    for (const char* name : {"processNC", "Domains", "Empty", "Last"}) Lookup(name);
  }
  // Whatever was left, a write works and reads back.
  HKEY key = CreateKey();
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(SetString(key, "After", std::string("ok\0", 3)), ERROR_SUCCESS);
  EXPECT_EQ(Lookup("After"), std::string("ok\0", 3));
  RegCloseKey(key);
}

TEST_F(BackendTest, WritesOfOtherProcessesAreSeen) {
  HKEY key = CreateKey();
  ASSERT_EQ(SetString(key, "Shared", std::string("1\0", 2)), ERROR_SUCCESS);
  EXPECT_EQ(Lookup("Shared"), std::string("1\0", 2));

  // Same length, so only the content tells the versions apart.
  pid_t child = Spawn([] {
    HKEY own = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &own) != ERROR_SUCCESS) return 1;
    return SetString(own, "Shared", std::string("2\0", 2)) == ERROR_SUCCESS ? 0 : 2;
  });
  ASSERT_EQ(Wait(child), 0);
  EXPECT_EQ(Lookup("Shared"), std::string("2\0", 2));

  // A key deleted by another process is deleted for this process's handle too.
  child = Spawn([] { return RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey) == ERROR_SUCCESS ? 0 : 1; });
  ASSERT_EQ(Wait(child), 0);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Shared", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  RegCloseKey(key);
}

TEST_F(BackendTest, ConcurrentWritersLoseNothing) {
  HKEY key = CreateKey();
  RegCloseKey(key);
  const int kPerWriter = 200;
  auto writer = [](char tag) {
    return [tag] {
      HKEY own = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &own) != ERROR_SUCCESS) {
        return 1;
      }
      for (int i = 0; i < kPerWriter; ++i) {
        std::string name = std::string(1, tag) + std::to_string(i);
        std::string data = name + '\0';
        if (SetString(own, name.c_str(), data) != ERROR_SUCCESS) return 2;
      }
      RegCloseKey(own);
      return 0;
    };
  };
  pid_t first = Spawn(writer('a'));
  pid_t second = Spawn(writer('b'));
  ASSERT_EQ(Wait(first), 0);
  ASSERT_EQ(Wait(second), 0);
  int found = 0;
  for (char tag : {'a', 'b'}) {
    for (int i = 0; i < kPerWriter; ++i) {
      std::string name = std::string(1, tag) + std::to_string(i);
      if (Lookup(name.c_str()) == name + '\0') ++found;
    }
  }
  EXPECT_EQ(found, 2 * kPerWriter);
  EXPECT_FALSE(FileExists(backend::RegistryFile() + ".corrupt"));
}

// A named mutex is a file of the root's "mutexes" folder. Any name stays inside that folder,
// and a file left damaged by a process that is gone does not stop the next process that
// makes the mutex.
TEST_F(BackendTest, MutexFilesStayInTheirFolderAndStartAfresh) {
  const std::string folder = backend::Root() + "/mutexes";
  const std::vector<std::string> names = {"a/../b", "..", "a\\b", "Tarnivo.BlockedCount",
                                          std::string(250, 'x')};
  std::vector<HANDLE> handles;
  for (const std::string& name : names) {
    SetLastError(1234);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(mutex, nullptr) << name;
    EXPECT_EQ(GetLastError(), 0u) << name << ": each name is its own new mutex";
    handles.push_back(mutex);
  }
  for (HANDLE mutex : handles) {
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
  }
  EXPECT_TRUE(FileExists(folder + "/a%2f..%2fb"));
  EXPECT_TRUE(FileExists(folder + "/a%5cb"));
  EXPECT_FALSE(FileExists(backend::Root() + "/b"));

  WriteBytes(folder + "/Tarnivo.BlockedCount", std::string(5000, '\xff'));
  SetLastError(1234);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Tarnivo.BlockedCount");
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
}

}  // namespace

#endif  // _WIN32
