// The registry of the Linux back end: keys and typed values with their exact bytes, kept
// in one file below the root folder and shared by every process that uses the root.
//
// The file is text, one record a line, so a damaged part loses only its own lines:
//
//   tarnivo-registry 1 <stamp>
//   key <id> "<path>"
//   value "<path>" "<name>" <type> <length> x<hex bytes>
//   end <number of key and value lines>
//
// Paths and names are quoted with every byte outside printable ASCII, '%' and '"'
// written as %HH. The stamp changes on every write; the id of a key tells a key from
// another created later at the same path, so a handle to a deleted key stays deleted.
//
// Every change takes an exclusive flock on "registry.lock", reads the file again, applies
// itself, writes "registry.tmp", syncs it and renames it over the file. Readers take a
// shared lock. A file that does not read cleanly is copied aside before it is rewritten.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LONG kErrorBadPathname = 161;
constexpr LONG kErrorNoAccess = 998;
constexpr LONG kErrorRegistryIoFailed = 1016;
constexpr REGSAM kGenericRead = 0x80000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kMaximumAllowed = 0x02000000u;
constexpr const char kMagic[] = "tarnivo-registry";
constexpr const char kVersion[] = "1";

// ---------------------------------------------------------------------------------------
// The tree.

struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

struct Key {
  std::string path;  // as first created, e.g. "HKLM\Software\Tarnivo"
  std::uint64_t id = 0;
  std::map<std::string, Value> values;  // by lower-case name
};

// Keys by lower-case full path. The four roots always exist; they are stored only when
// they hold values of their own.
using Tree = std::map<std::string, Key>;

using backend::internal::LowerCase;

const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU"};

// The root of a predefined handle, or nullptr.
const char* RootName(HKEY key) {
  std::uintptr_t value = reinterpret_cast<std::uintptr_t>(key);
  if (value >= 0x80000000u && value <= 0x80000003u) return kRoots[value - 0x80000000u];
  return nullptr;
}

bool IsRootPath(const std::string& lower) {
  for (const char* root : kRoots) {
    if (lower == LowerCase(root)) return true;
  }
  return false;
}

std::string Join(const std::string& base, const std::string& part) { return base + "\\" + part; }

std::string ParentPath(const std::string& path) {
  std::string::size_type slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool HasSubkeys(const Tree& tree, const std::string& lower) {
  std::string prefix = lower + "\\";
  auto it = tree.lower_bound(prefix);
  return it != tree.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

// The components of a subkey path; empty ones ("a\\b", a trailing "\") are skipped.
std::vector<std::string> Components(LPCSTR sub) {
  std::vector<std::string> parts;
  if (sub == nullptr) return parts;
  std::string current;
  for (const char* p = sub; *p != '\0'; ++p) {
    if (*p == '\\') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

using backend::FaultPoint;

// The result an armed fault gives this call of `point`, or ERROR_SUCCESS.
LONG Injected(FaultPoint point) {
  backend::internal::Fault fault;
  if (!backend::internal::FaultHit(point, &fault)) return ERROR_SUCCESS;
  return fault.error != 0 ? static_cast<LONG>(fault.error) : ERROR_ACCESS_DENIED;
}

// ---------------------------------------------------------------------------------------
// Random ids and stamps, different in every process even after fork().

std::uint64_t RandomNumber() {
  static std::mt19937_64 generator;
  static pid_t seeded_for = 0;
  pid_t pid = getpid();
  if (pid != seeded_for) {
    std::random_device device;
    std::uint64_t seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    seed ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= static_cast<std::uint64_t>(pid) << 17;
    generator.seed(seed);
    seeded_for = pid;
  }
  std::uint64_t number = 0;
  while (number == 0) number = generator();
  return number;
}

// An id for a key found without its own record: the same in every process that reads
// the same damaged file.
std::uint64_t DerivedId(const std::string& lower) {
  std::uint64_t hash = 1469598103934665603ull;
  for (char c : lower) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash | 1;
}

// ---------------------------------------------------------------------------------------
// The file format.

const char kHexDigits[] = "0123456789abcdef";

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '%' || c == '"') {
      out += '%';
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unquote(const std::string& token, std::string& out) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i + 1 < token.size(); ++i) {
    char c = token[i];
    if (c == '%') {
      if (i + 2 >= token.size() - 1) return false;  // needs two digits before the quote
      int high = HexDigit(token[i + 1]);
      int low = HexDigit(token[i + 2]);
      if (high < 0 || low < 0) return false;
      out += static_cast<char>((high << 4) | low);
      i += 2;
    } else if (c == '"' || static_cast<unsigned char>(c) <= 0x20 ||
               static_cast<unsigned char>(c) >= 0x7F) {
      return false;
    } else {
      out += c;
    }
  }
  return true;
}

bool ParseNumber(const std::string& token, int base, std::uint64_t limit, std::uint64_t& out) {
  if (token.empty() || token.size() > 20) return false;
  std::uint64_t value = 0;
  for (char c : token) {
    int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return false;
    if (value > (limit - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
      return false;
    }
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  out = value;
  return true;
}

std::string HexNumber(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::vector<std::string> SplitSpaces(const std::string& line) {
  std::vector<std::string> tokens;
  std::string::size_type start = 0;
  while (true) {
    std::string::size_type space = line.find(' ', start);
    tokens.push_back(line.substr(start, space - start));
    if (space == std::string::npos) break;
    start = space + 1;
  }
  return tokens;
}

// A full key path from the file, checked: a known root and no empty component.
bool CheckedPath(const std::string& path, std::string& canonical) {
  std::string::size_type slash = path.find('\\');
  std::string root = LowerCase(path.substr(0, slash));
  const char* known = nullptr;
  for (const char* name : kRoots) {
    if (root == LowerCase(name)) known = name;
  }
  if (known == nullptr) return false;
  canonical = known;
  if (slash == std::string::npos) return true;
  std::string rest = path.substr(slash);
  if (rest.size() < 2 || rest.back() == '\\' || rest.find("\\\\") != std::string::npos) {
    return false;
  }
  canonical += rest;
  return true;
}

// Adds a key and any missing parents; parents found this way get derived ids.
Key& EnsureKey(Tree& tree, const std::string& path, std::uint64_t id) {
  std::string parent = ParentPath(path);
  if (!parent.empty() && !IsRootPath(LowerCase(parent)) && tree.count(LowerCase(parent)) == 0) {
    EnsureKey(tree, parent, DerivedId(LowerCase(parent)));
  }
  Key& key = tree[LowerCase(path)];
  if (key.id == 0) {
    key.path = path;
    key.id = id;
  }
  return key;
}

struct Parsed {
  Tree tree;
  bool clean = true;
  std::string stamp;
};

// Reads what can be read; anything that does not parse is left out and marks the file
// as not clean.
Parsed Parse(const std::string& text) {
  Parsed parsed;
  std::size_t position = 0;
  std::size_t line_number = 0;
  std::uint64_t records = 0;
  bool ended = false;
  std::vector<std::pair<std::string, Value>> values;
  std::set<std::string> recorded;
  while (position < text.size()) {
    std::size_t newline = text.find('\n', position);
    if (newline == std::string::npos) {
      parsed.clean = false;  // a last line without its end: cut short
      break;
    }
    std::string line = text.substr(position, newline - position);
    position = newline + 1;
    ++line_number;
    std::vector<std::string> tokens = SplitSpaces(line);
    if (line_number == 1) {
      if (tokens.size() == 3 && tokens[0] == kMagic && tokens[1] == kVersion) {
        parsed.stamp = tokens[2];
        continue;
      }
      parsed.clean = false;
    }
    if (ended) {
      parsed.clean = false;
      continue;
    }
    std::string path;
    std::string canonical;
    std::uint64_t number = 0;
    if (tokens.size() == 3 && tokens[0] == "key" && tokens[1].size() == 16 &&
        ParseNumber(tokens[1], 16, UINT64_MAX, number) && number != 0 && Unquote(tokens[2], path) &&
        CheckedPath(path, canonical)) {
      // A key recorded twice is damage: the first record stands.
      if (!recorded.insert(LowerCase(canonical)).second) {
        parsed.clean = false;
        continue;
      }
      Key& key = EnsureKey(parsed.tree, canonical, number);
      key.id = number;
      key.path = canonical;
      ++records;
      continue;
    }
    Value value;
    std::uint64_t type = 0;
    std::uint64_t length = 0;
    if (tokens.size() == 6 && tokens[0] == "value" && Unquote(tokens[1], path) &&
        CheckedPath(path, canonical) && Unquote(tokens[2], value.name) &&
        ParseNumber(tokens[3], 10, 0xFFFFFFFFu, type) &&
        ParseNumber(tokens[4], 10, 0xFFFFFFFFu, length) && !tokens[5].empty() &&
        tokens[5][0] == 'x' && tokens[5].size() == 1 + 2 * length) {
      bool good = true;
      value.data.reserve(length);
      for (std::size_t i = 1; i + 1 < tokens[5].size(); i += 2) {
        int high = HexDigit(tokens[5][i]);
        int low = HexDigit(tokens[5][i + 1]);
        if (high < 0 || low < 0) {
          good = false;
          break;
        }
        value.data += static_cast<char>((high << 4) | low);
      }
      if (good) {
        value.type = static_cast<DWORD>(type);
        values.emplace_back(canonical, std::move(value));
        ++records;
        continue;
      }
    }
    if (tokens.size() == 2 && tokens[0] == "end" &&
        ParseNumber(tokens[1], 10, UINT64_MAX, number)) {
      if (number != records) parsed.clean = false;
      ended = true;
      continue;
    }
    parsed.clean = false;
  }
  if (!ended) parsed.clean = false;
  // Values last, so that a value read before its key's record keeps the key's own id.
  for (auto& entry : values) {
    Tree::iterator found = parsed.tree.find(LowerCase(entry.first));
    if (found == parsed.tree.end()) {
      parsed.clean = false;
      EnsureKey(parsed.tree, entry.first, DerivedId(LowerCase(entry.first)));
      found = parsed.tree.find(LowerCase(entry.first));
    }
    // A value recorded twice (its name again, in any case) is damage: the first stands, and
    // the file is copied aside before a write drops the other.
    if (!found->second.values.emplace(LowerCase(entry.second.name), std::move(entry.second))
             .second) {
      parsed.clean = false;
    }
  }
  return parsed;
}

std::string Serialize(const Tree& tree, const std::string& stamp) {
  std::string out;
  out += kMagic;
  out += ' ';
  out += kVersion;
  out += ' ';
  out += stamp;
  out += '\n';
  std::uint64_t records = 0;
  for (const auto& entry : tree) {
    const Key& key = entry.second;
    if (IsRootPath(entry.first) && key.values.empty()) continue;
    out += "key " + HexNumber(key.id) + " " + Quote(key.path) + "\n";
    ++records;
    for (const auto& named : key.values) {
      const Value& value = named.second;
      out += "value " + Quote(key.path) + " " + Quote(value.name) + " " +
             std::to_string(value.type) + " " + std::to_string(value.data.size()) + " x";
      for (char c : value.data) {
        unsigned char b = static_cast<unsigned char>(c);
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0xF];
      }
      out += '\n';
      ++records;
    }
  }
  out += "end " + std::to_string(records) + "\n";
  return out;
}

// ---------------------------------------------------------------------------------------
// The file on disk.

bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buffer[65536];
  while (true) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    out.append(buffer, static_cast<std::size_t>(got));
  }
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// Writes `text` to `path` through a temporary file, synced and renamed into place. Unless
// `replace`, a file already at `path` stays and the write fails with `*taken` set.
bool ReplaceFile(const std::string& path, const std::string& text, bool replace = true,
                 bool* taken = nullptr) {
  std::string temporary = path + ".tmp";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // An injected fault stops the write half-way, as a full disk would.
  backend::internal::Fault fault;
  bool good = backend::internal::FaultHit(FaultPoint::kRegistryFileWrite, &fault)
                  ? (WriteAll(fd, text.substr(0, text.size() / 2)), false)
                  : WriteAll(fd, text) && fsync(fd) == 0;
  good = close(fd) == 0 && good;
  if (good) {
    good = (replace ? rename(temporary.c_str(), path.c_str())
                    : renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(),
                                RENAME_NOREPLACE)) == 0;
    if (!good && taken != nullptr) *taken = errno == EEXIST;
  }
  if (!good) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolder(backend::Root());
  return true;
}

// Keeps `raw`, a damaged registry file, in a copy beside it: ".corrupt", then ".corrupt.2",
// ".corrupt.3", ... the first name not taken. An older copy is never overwritten. The name
// used goes to `copy`; false when no copy could be written.
bool KeepDamagedCopy(const std::string& file, const std::string& raw, std::string& copy) {
  struct stat info {};
  for (std::uint64_t n = 1; n != 0; ++n) {
    copy = n == 1 ? file + ".corrupt" : file + ".corrupt." + std::to_string(n);
    if (lstat(copy.c_str(), &info) == 0) continue;
    bool taken = false;
    if (ReplaceFile(copy, raw, false, &taken)) return true;
    if (!taken) return false;  // another process took the name meanwhile: the next one
  }
  return false;
}

// What a version of the registry file looked like: its identity on disk and the stamp
// of its first line. Our own writes always make a new file with a new stamp; the times
// catch a file edited in place by someone else.
struct FileIdentity {
  std::string file;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  std::string stamp;

  bool operator==(const FileIdentity& other) const {
    return file == other.file && device == other.device && inode == other.inode &&
           size == other.size && modified_ns == other.modified_ns &&
           changed_ns == other.changed_ns && stamp == other.stamp;
  }
};

FileIdentity IdentityOf(const std::string& file, const struct stat& info, std::string stamp) {
  FileIdentity identity;
  identity.file = file;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modified_ns =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  identity.changed_ns =
      static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  identity.stamp = std::move(stamp);
  return identity;
}

// The registry as last read or written by this process, shared read-only by queries.
struct Cache {
  bool valid = false;
  FileIdentity identity;
  std::shared_ptr<const Parsed> parsed;
};

// The whole state of this process: open handles and the cache. One mutex guards it and
// serialises this process's use of the file; the flock guards it between processes.
struct Handle {
  std::string path;  // full path, as created
  std::uint64_t id = 0;
  REGSAM access = 0;
};

std::mutex g_mutex;
std::map<std::uintptr_t, Handle> g_handles;
std::uintptr_t g_next_handle = 0x1000;
Cache g_cache;

// Reads the registry file, from the cache when the file has not changed; nullptr when the
// file exists but cannot be read. A missing file is an empty registry. When `raw` is
// given and the file does not read cleanly, it receives the file's bytes. Caller holds
// g_mutex and a lock on the file.
std::shared_ptr<const Parsed> Load(std::string* raw) {
  if (raw != nullptr) raw->clear();
  std::string file = backend::RegistryFile();
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::make_shared<const Parsed>();
    return nullptr;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    close(fd);
    return nullptr;
  }
  // The stamp in the first line tells one version of the file from the next.
  char head[64];
  ssize_t got = pread(fd, head, sizeof head, 0);
  std::string stamp;
  if (got > 0) {
    std::string first(head, static_cast<std::size_t>(got));
    std::string prefix = std::string(kMagic) + " " + kVersion + " ";
    std::size_t newline = first.find('\n');
    if (first.compare(0, prefix.size(), prefix) == 0 && newline != std::string::npos) {
      stamp = first.substr(prefix.size(), newline - prefix.size());
    }
  }
  FileIdentity identity = IdentityOf(file, info, stamp);
  if (g_cache.valid && !stamp.empty() && g_cache.identity == identity &&
      (raw == nullptr || g_cache.parsed->clean)) {
    close(fd);
    return g_cache.parsed;
  }
  std::string text;
  bool read_ok = ReadAll(fd, text);
  close(fd);
  if (!read_ok) return nullptr;
  auto parsed = std::make_shared<const Parsed>(Parse(text));
  if (raw != nullptr && !parsed->clean) *raw = std::move(text);
  if (!parsed->stamp.empty() && parsed->stamp == stamp) {
    g_cache.valid = true;
    g_cache.identity = std::move(identity);
    g_cache.parsed = parsed;
  }
  return parsed;
}

// An flock on the lock file beside the registry, released when it goes out of scope.
class FileLock {
 public:
  FileLock(bool exclusive, bool create) {
    std::string path = backend::RegistryFile() + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    if (fd_ < 0 && !create) fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    int result = 0;
    do {
      result = flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
    } while (result != 0 && errno == EINTR);
    locked_ = result == 0;
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);  // closing the last descriptor releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

// Reads the registry for a query: never null. Caller holds g_mutex. Without a lock file
// (a folder nobody has written to) the file is read as it is: writers replace it whole.
std::shared_ptr<const Parsed> ReadRegistry() {
  FileLock lock(false, false);
  std::shared_ptr<const Parsed> parsed = Load(nullptr);
  return parsed != nullptr ? parsed : std::make_shared<const Parsed>();
}

// Applies one change to the registry file under the exclusive lock. `change` edits the
// tree and says whether it changed anything; its result is the call's result. Caller
// holds g_mutex. Lines for the observer are added to `reports`.
LONG Change(const std::function<LONG(Tree&, bool&)>& change, std::vector<std::string>& reports) {
  if (!backend::internal::MakeFolders(backend::Root())) return ERROR_ACCESS_DENIED;
  FileLock lock(true, true);
  if (!lock.locked()) return ERROR_ACCESS_DENIED;
  std::string raw;
  std::shared_ptr<const Parsed> loaded = Load(&raw);
  // A file that exists but cannot be read is never replaced.
  if (loaded == nullptr) return ERROR_ACCESS_DENIED;
  auto parsed = std::make_shared<Parsed>(*loaded);
  bool changed = false;
  LONG result = change(parsed->tree, changed);
  if (result != ERROR_SUCCESS || !changed) return result;
  std::string file = backend::RegistryFile();
  if (!raw.empty()) {
    // Keep what could not be read: the rewrite below holds only the readable part.
    std::string copy;
    if (!KeepDamagedCopy(file, raw, copy)) return kErrorRegistryIoFailed;
    reports.push_back("registry file damaged; its readable part is kept, the original is " + copy);
  }
  parsed->stamp = HexNumber(RandomNumber());
  parsed->clean = true;
  if (!ReplaceFile(file, Serialize(parsed->tree, parsed->stamp))) return kErrorRegistryIoFailed;
  struct stat info {};
  g_cache.valid = false;
  if (stat(file.c_str(), &info) == 0) {
    g_cache.valid = true;
    g_cache.identity = IdentityOf(file, info, parsed->stamp);
    g_cache.parsed = std::move(parsed);
  }
  return ERROR_SUCCESS;
}

void ReportAll(const std::vector<std::string>& reports) {
  for (const std::string& line : reports) backend::internal::Report(line);
}

// ---------------------------------------------------------------------------------------
// Handles.

REGSAM EffectiveAccess(REGSAM wanted) {
  REGSAM access = wanted;
  if (wanted & (kGenericAll | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
  if (wanted & kGenericRead) access |= KEY_READ;
  if (wanted & kGenericWrite) access |= KEY_WRITE;
  return access;
}

// What a handle names. Caller holds g_mutex.
struct Target {
  std::string path;
  std::uint64_t id = 0;  // 0 for a root
  REGSAM access = 0;
};

LONG Resolve(HKEY key, Target& target) {
  if (const char* root = RootName(key)) {
    target.path = root;
    target.id = 0;
    target.access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  auto it = g_handles.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == g_handles.end()) return ERROR_INVALID_HANDLE;
  target.path = it->second.path;
  target.id = it->second.id;
  target.access = it->second.access;
  return ERROR_SUCCESS;
}

// The key a target names, or nullptr when it was deleted (or replaced by another key of
// the same path). A root always exists; it gets an entry in the tree when it is asked for.
Key* Live(Tree& tree, const Target& target) {
  if (target.id == 0) {
    Key& root = tree[LowerCase(target.path)];
    if (root.id == 0) {
      root.path = target.path;
      root.id = DerivedId(LowerCase(target.path));
    }
    return &root;
  }
  Tree::iterator found = tree.find(LowerCase(target.path));
  if (found == tree.end() || found->second.id != target.id) return nullptr;
  return &found->second;
}

// The same for reading: a root without values of its own reads as an empty key.
const Key* Find(const Tree& tree, const Target& target) {
  static const Key kEmptyRoot;
  Tree::const_iterator found = tree.find(LowerCase(target.path));
  if (target.id == 0) return found == tree.end() ? &kEmptyRoot : &found->second;
  if (found == tree.end() || found->second.id != target.id) return nullptr;
  return &found->second;
}

// Follows `parts` down from `parent`: how many were found, and the path (in the case it
// was created with) and id of the last key found.
std::size_t Follow(const Tree& tree, const Target& parent, const std::vector<std::string>& parts,
                   std::string& path, std::uint64_t& id) {
  path = parent.path;
  id = parent.id;
  std::size_t found_parts = 0;
  for (const std::string& part : parts) {
    Tree::const_iterator found = tree.find(LowerCase(Join(path, part)));
    if (found == tree.end()) break;
    path = found->second.path;
    id = found->second.id;
    ++found_parts;
  }
  return found_parts;
}

HKEY NewHandle(const std::string& path, std::uint64_t id, REGSAM access) {
  std::uintptr_t value = g_next_handle;
  g_next_handle += 4;
  g_handles[value] = Handle{path, id, EffectiveAccess(access)};
  return reinterpret_cast<HKEY>(value);
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return "type " + std::to_string(type);
  }
}

std::string ReadableData(DWORD type, const std::string& data) {
  if (type == REG_DWORD && data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    }
    return std::to_string(number);
  }
  return "\"" + backend::EscapeBytes(data) + "\"";
}

bool IsString(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

extern "C" {

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
  (void)Reserved;
  (void)lpClass;
  (void)dwOptions;
  (void)lpSecurityAttributes;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (LONG fault = Injected(FaultPoint::kRegCreateKey)) return fault;
  std::vector<std::string> reports;
  LONG result = ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Target parent;
    result = Resolve(hKey, parent);
    if (result != ERROR_SUCCESS) return result;
    if (lpSubKey != nullptr && *lpSubKey == '\\') return kErrorBadPathname;
    std::vector<std::string> parts = Components(lpSubKey);
    std::string path;
    std::uint64_t id = parent.id;
    bool created = false;
    auto walk = [&](Tree& tree, bool& changed) -> LONG {
      if (Live(tree, parent) == nullptr) return ERROR_KEY_DELETED;
      path = parent.path;
      id = parent.id;
      created = false;
      for (const std::string& part : parts) {
        std::string next = Join(path, part);
        Tree::iterator found = tree.find(LowerCase(next));
        if (found == tree.end()) {
          Key& key = tree[LowerCase(next)];
          key.path = next;
          key.id = RandomNumber();
          created = true;
          changed = true;
          found = tree.find(LowerCase(next));
        }
        path = found->second.path;
        id = found->second.id;
      }
      return ERROR_SUCCESS;
    };
    // Opening an existing key needs no write; only a missing one takes the write lock.
    std::shared_ptr<const Parsed> current = ReadRegistry();
    if (Find(current->tree, parent) == nullptr) {
      result = ERROR_KEY_DELETED;
    } else if (Follow(current->tree, parent, parts, path, id) < parts.size()) {
      result = Change(walk, reports);
    }
    if (result != ERROR_SUCCESS) {
      ReportAll(reports);
      return result;
    }
    if (created) reports.push_back("registry create " + backend::internal::LogToken(path));
    *phkResult = NewHandle(path, id, samDesired);
    if (lpdwDisposition != nullptr) {
      *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
  }
  ReportAll(reports);
  return result;
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
  (void)ulOptions;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (LONG fault = Injected(FaultPoint::kRegOpenKey)) return fault;
  std::lock_guard<std::mutex> lock(g_mutex);
  Target parent;
  LONG result = Resolve(hKey, parent);
  if (result != ERROR_SUCCESS) return result;
  // A subkey path starts below the key; only HKEY_CLASSES_ROOT forgives one leading "\".
  if (lpSubKey != nullptr && *lpSubKey == '\\') {
    if (hKey != HKEY_CLASSES_ROOT) return kErrorBadPathname;
    ++lpSubKey;
    if (*lpSubKey == '\\') return kErrorBadPathname;
  }
  std::shared_ptr<const Parsed> current = ReadRegistry();
  if (Find(current->tree, parent) == nullptr) return ERROR_KEY_DELETED;
  std::vector<std::string> parts = Components(lpSubKey);
  std::string path;
  std::uint64_t id = 0;
  if (Follow(current->tree, parent, parts, path, id) < parts.size()) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(path, id, samDesired);
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData) {
  (void)Reserved;
  if (LONG fault = Injected(FaultPoint::kRegSetValue)) return fault;
  std::vector<std::string> reports;
  LONG result = ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Target target;
    result = Resolve(hKey, target);
    if (result != ERROR_SUCCESS) return result;
    if ((target.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (lpData == nullptr && cbData > 0) return kErrorNoAccess;
    Value value;
    value.name = lpValueName == nullptr ? "" : lpValueName;
    value.type = dwType;
    if (cbData > 0) value.data.assign(reinterpret_cast<const char*>(lpData), cbData);
    result = Change(
        [&](Tree& tree, bool& changed) -> LONG {
          Key* key = Live(tree, target);
          if (key == nullptr) return ERROR_KEY_DELETED;
          // A value keeps the case of the name it was first written with, as on Windows.
          auto found = key->values.find(LowerCase(value.name));
          if (found == key->values.end()) {
            key->values[LowerCase(value.name)] = value;
            changed = true;
          } else if (found->second.type != value.type || found->second.data != value.data) {
            found->second.type = value.type;
            found->second.data = value.data;
            changed = true;
          }
          return ERROR_SUCCESS;
        },
        reports);
    if (result == ERROR_SUCCESS) {
      reports.push_back("registry set " + backend::internal::LogToken(target.path) + " " +
                        backend::internal::LogToken(value.name.empty() ? "(default)" : value.name) +
                        " " + TypeName(dwType) + " " + ReadableData(dwType, value.data));
    }
  }
  ReportAll(reports);
  return result;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
  if (LONG fault = Injected(FaultPoint::kRegQueryValue)) return fault;
  if ((lpData != nullptr && lpcbData == nullptr) || lpReserved != nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  Target target;
  LONG result = Resolve(hKey, target);
  if (result != ERROR_SUCCESS) return result;
  if ((target.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const Parsed> current = ReadRegistry();
  const Key* key = Find(current->tree, target);
  if (key == nullptr) return ERROR_KEY_DELETED;
  auto found = key->values.find(LowerCase(lpValueName == nullptr ? "" : lpValueName));
  if (found == key->values.end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  DWORD size = static_cast<DWORD>(value.data.size());
  if (lpData != nullptr) {
    if (size > *lpcbData) {
      result = ERROR_MORE_DATA;
    } else {
      if (size > 0) std::memcpy(lpData, value.data.data(), size);
      // Windows ends a string that has room after it and no NUL of its own, without
      // counting the NUL in the size.
      if (IsString(value.type) && size > 0 && size < *lpcbData && value.data.back() != '\0') {
        lpData[size] = 0;
      }
    }
  }
  if (lpType != nullptr) *lpType = value.type;
  if (lpcbData != nullptr) *lpcbData = size;
  return result;
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  if (LONG fault = Injected(FaultPoint::kRegDeleteValue)) return fault;
  std::vector<std::string> reports;
  LONG result = ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Target target;
    result = Resolve(hKey, target);
    if (result != ERROR_SUCCESS) return result;
    if ((target.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::string name = lpValueName == nullptr ? "" : lpValueName;
    result = Change(
        [&](Tree& tree, bool& changed) -> LONG {
          Key* key = Live(tree, target);
          if (key == nullptr) return ERROR_KEY_DELETED;
          if (key->values.erase(LowerCase(name)) == 0) return ERROR_FILE_NOT_FOUND;
          changed = true;
          return ERROR_SUCCESS;
        },
        reports);
    if (result == ERROR_SUCCESS) {
      reports.push_back("registry delete value " + backend::internal::LogToken(target.path) + " " +
                        backend::internal::LogToken(name.empty() ? "(default)" : name));
    }
  }
  ReportAll(reports);
  return result;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (LONG fault = Injected(FaultPoint::kRegDeleteKey)) return fault;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> reports;
  LONG result = ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Target parent;
    result = Resolve(hKey, parent);
    if (result != ERROR_SUCCESS) return result;
    if (*lpSubKey == '\\') return kErrorBadPathname;
    std::vector<std::string> parts = Components(lpSubKey);
    if (parent.id == 0 && parts.empty()) return ERROR_ACCESS_DENIED;  // a root stays
    std::string deleted;
    result = Change(
        [&](Tree& tree, bool& changed) -> LONG {
          if (Live(tree, parent) == nullptr) return ERROR_KEY_DELETED;
          std::string path = parent.path;
          for (const std::string& part : parts) path = Join(path, part);
          Tree::iterator found = tree.find(LowerCase(path));
          if (found == tree.end()) return ERROR_FILE_NOT_FOUND;
          if (HasSubkeys(tree, found->first)) return ERROR_ACCESS_DENIED;
          deleted = found->second.path;
          tree.erase(found);
          changed = true;
          return ERROR_SUCCESS;
        },
        reports);
    if (result == ERROR_SUCCESS) {
      reports.push_back("registry delete key " + backend::internal::LogToken(deleted));
    }
  }
  ReportAll(reports);
  return result;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  if (LONG fault = Injected(FaultPoint::kRegCloseKey)) return fault;
  if (RootName(hKey) != nullptr) return ERROR_SUCCESS;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_handles.erase(reinterpret_cast<std::uintptr_t>(hKey)) == 0) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

}  // extern "C"
