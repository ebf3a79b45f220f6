// Conformance of the registry functions: the same tests run against Wine's advapi32 and
// against the Linux back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

const char kTestKey[] = "Software\\TarnivoConformance";

// Deletes the test key and the subkeys the tests create, deepest first.
void DeleteTestKeys(HKEY root) {
  static const char* const kKeys[] = {"Software\\TarnivoConformance\\A\\B\\C",
                                      "Software\\TarnivoConformance\\A\\B",
                                      "Software\\TarnivoConformance\\A",
                                      "Software\\TarnivoConformance\\Gone\\Child",
                                      "Software\\TarnivoConformance\\Gone",
                                      "Software\\TarnivoConformance\\Case Key",
                                      "Software\\TarnivoConformance\\Parent\\Child",
                                      "Software\\TarnivoConformance\\Parent",
                                      "Software\\TarnivoConformance"};
  for (const char* key : kKeys) RegDeleteKeyA(root, key);
}

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    DeleteTestKeys(HKEY_LOCAL_MACHINE);
    DeleteTestKeys(HKEY_CURRENT_USER);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    if (key_ != nullptr) RegCloseKey(key_);
    DeleteTestKeys(HKEY_LOCAL_MACHINE);
    DeleteTestKeys(HKEY_CURRENT_USER);
  }

  LONG Set(HKEY key, const char* name, DWORD type, const std::string& data) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
  }

  // Reads a value with a buffer of exactly its size; the type is returned through `type`.
  LONG Get(HKEY key, const char* name, DWORD& type, std::string& data) {
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    std::vector<BYTE> buffer(size + 1, 0xEE);
    DWORD room = size;
    result = RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &room);
    EXPECT_EQ(room, size);
    EXPECT_EQ(buffer[size], 0xEE) << "wrote past the buffer it was given";
    data.assign(reinterpret_cast<const char*>(buffer.data()), room);
    return result;
  }

  HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytes) {
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
  };
  const Case cases[] = {
      {"processNC", REG_SZ, Bytes("3\0", 2)},
      {"EmptyString", REG_SZ, Bytes("\0", 1)},
      {"Punctuation", REG_SZ, Bytes("a b\t\"c\"\\d%e\r\nf\0", 15)},
      {"Domains", REG_MULTI_SZ, Bytes("one\0two\0\0", 9)},
      {"Count", REG_DWORD, Bytes("\x78\x56\x34\x12", 4)},
      {"Zero", REG_DWORD, Bytes("\0\0\0\0", 4)},
      {"ShortDword", REG_DWORD, Bytes("\x01\x02", 2)},
      {"LongDword", REG_DWORD, Bytes("\x01\x02\x03\x04\x05\x06", 6)},
      {"AllBytes", REG_BINARY, all_bytes},
      {"Nothing", REG_BINARY, ""},
      {"Spaced name = x", REG_SZ, Bytes("v\0", 2)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Set(key_, c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
  }
  for (const Case& c : cases) {
    DWORD type = 0;
    std::string data;
    ASSERT_EQ(Get(key_, c.name, type, data), ERROR_SUCCESS) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  // A value written again takes the new type and bytes.
  ASSERT_EQ(Set(key_, "Count", REG_SZ, Bytes("12\0", 3)), ERROR_SUCCESS);
  DWORD type = 0;
  std::string data;
  ASSERT_EQ(Get(key_, "Count", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(data, Bytes("12\0", 3));
}

TEST_F(RegistryTest, DwordReadsBackAsANumber) {
  DWORD written = 0xCAFE0042u;
  ASSERT_EQ(RegSetValueExA(key_, "BlockLevel", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&written), sizeof written),
            ERROR_SUCCESS);
  DWORD read = 0;
  DWORD size = sizeof read;
  DWORD type = REG_NONE;
  ASSERT_EQ(
      RegQueryValueExA(key_, "BlockLevel", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(read, written);
}

TEST_F(RegistryTest, DefaultValueIsNamedByNullOrEmpty) {
  ASSERT_EQ(Set(key_, nullptr, REG_SZ, Bytes("dflt\0", 5)), ERROR_SUCCESS);
  DWORD type = 0;
  std::string data;
  ASSERT_EQ(Get(key_, "", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("dflt\0", 5));
  ASSERT_EQ(RegDeleteValueA(key_, ""), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SizeQueriesAndShortBuffers) {
  ASSERT_EQ(Set(key_, "Text", REG_SZ, Bytes("hello\0", 6)), ERROR_SUCCESS);

  // No buffer: success and the size, with or without the type.
  DWORD size = 0;
  DWORD type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(key_, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, REG_SZ);
  size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  // Existence only.
  EXPECT_EQ(RegQueryValueExA(key_, "Text", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

  // A buffer one byte short: ERROR_MORE_DATA and the size needed, whatever the type.
  char buffer[16] = {};
  for (DWORD too_small : {0u, 1u, 5u}) {
    size = too_small;
    type = REG_NONE;
    EXPECT_EQ(
        RegQueryValueExA(key_, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_MORE_DATA)
        << too_small;
    EXPECT_EQ(size, 6u);
  }
  ASSERT_EQ(Set(key_, "Number", REG_DWORD, Bytes("\1\0\0\0", 4)), ERROR_SUCCESS);
  size = 3;
  EXPECT_EQ(
      RegQueryValueExA(key_, "Number", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);

  // A buffer with data but no size is refused.
  EXPECT_EQ(
      RegQueryValueExA(key_, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
      ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, StringWithoutNulIsEndedWhenThereIsRoom) {
  // "abc" stored without its NUL (the byte after it in memory is not NUL either).
  const char source[] = "abcX";
  ASSERT_EQ(RegSetValueExA(key_, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(source), 3),
            ERROR_SUCCESS);

  // Room for more: a NUL follows the bytes, the size stays the stored one.
  char buffer[8];
  std::fill(buffer, buffer + sizeof buffer, '#');
  DWORD size = sizeof buffer;
  ASSERT_EQ(
      RegQueryValueExA(key_, "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(buffer, 5), Bytes("abc\0#", 5));

  // Room for the bytes only: nothing is written after them.
  std::fill(buffer, buffer + sizeof buffer, '#');
  size = 3;
  ASSERT_EQ(
      RegQueryValueExA(key_, "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(buffer, 4), "abc#");

  // Binary data gets no NUL.
  ASSERT_EQ(RegSetValueExA(key_, "Raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>(source), 3),
            ERROR_SUCCESS);
  std::fill(buffer, buffer + sizeof buffer, '#');
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key_, "Raw", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(buffer, 4), "abc#");
}

TEST_F(RegistryTest, NamesIgnoreCase) {
  HKEY mixed = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(key_, "Case Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mixed,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(Set(mixed, "ProcessNR", REG_SZ, Bytes("1\0", 2)), ERROR_SUCCESS);
  RegCloseKey(mixed);

  HKEY upper = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TARNIVOCONFORMANCE\\CASE KEY", 0, KEY_READ,
                          &upper),
            ERROR_SUCCESS);
  DWORD type = 0;
  std::string data;
  EXPECT_EQ(Get(upper, "processnr", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("1\0", 2));
  RegCloseKey(upper);

  // Creating it again under another case opens the same key.
  HKEY again = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\tarnivoconformance\\case key", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  // Writing under another case replaces the one value.
  ASSERT_EQ(Set(again, "PROCESSNR", REG_SZ, Bytes("2\0", 2)), ERROR_SUCCESS);
  EXPECT_EQ(Get(again, "ProcessNR", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("2\0", 2));
  RegCloseKey(again);
}

TEST_F(RegistryTest, CreateMakesIntermediateKeysAndReportsDisposition) {
  HKEY deep = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TarnivoConformance\\A\\B\\C", 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &deep, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(deep);
  for (const char* middle : {"A", "A\\B", "A\\B\\C"}) {
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key_, middle, 0, KEY_READ, &opened), ERROR_SUCCESS) << middle;
    if (opened != nullptr) RegCloseKey(opened);
  }
  ASSERT_EQ(
      RegCreateKeyExA(key_, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &deep, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(deep);
  // The disposition is optional.
  ASSERT_EQ(RegCreateKeyExA(key_, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &deep, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(deep);
}

TEST_F(RegistryTest, EmptyOrNullSubkeyOpensTheSameKey) {
  for (const char* sub : {static_cast<const char*>(nullptr), ""}) {
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key_, sub, 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
    ASSERT_EQ(Set(same, "Through", REG_SZ, Bytes("x\0", 2)), ERROR_SUCCESS);
    RegCloseKey(same);
    DWORD type = 0;
    std::string data;
    EXPECT_EQ(Get(key_, "Through", type, data), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(key_, "Through"), ERROR_SUCCESS);

    // The disposition is not asserted: Wine answers REG_CREATED_NEW_KEY for the key that
    // exists, Windows REG_OPENED_EXISTING_KEY.
    ASSERT_EQ(RegCreateKeyExA(key_, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &same, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(Set(same, "Through", REG_SZ, Bytes("y\0", 2)), ERROR_SUCCESS);
    RegCloseKey(same);
    EXPECT_EQ(Get(key_, "Through", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes("y\0", 2));
    ASSERT_EQ(RegDeleteValueA(key_, "Through"), ERROR_SUCCESS);
  }
}

TEST_F(RegistryTest, MissingKeysAndValues) {
  HKEY opened = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(RegOpenKeyExA(key_, "NoSuchKey", 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opened, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TarnivoConformance\\No\\Such", 0, KEY_READ,
                          &opened),
            ERROR_FILE_NOT_FOUND);

  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "NoSuchValue", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  char buffer[8];
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key_, "NoSuchValue", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                             &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key_, "NoSuchValue"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(key_, "NoSuchKey"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SubkeyPathSyntax) {
  const LONG kBadPathname = 161;
  HKEY out = nullptr;
  // A path never starts with a separator.
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &out), kBadPathname);
  EXPECT_EQ(RegCreateKeyExA(key_, "\\A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
            kBadPathname);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "\\Software\\TarnivoConformance"), kBadPathname);
  // A doubled or trailing separator is taken as one.
  ASSERT_EQ(
      RegCreateKeyExA(key_, "A\\\\B\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
      ERROR_SUCCESS);
  RegCloseKey(out);
  ASSERT_EQ(RegOpenKeyExA(key_, "A\\B", 0, KEY_READ, &out), ERROR_SUCCESS);
  RegCloseKey(out);
  // The test key is still there.
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &out), ERROR_SUCCESS);
  RegCloseKey(out);
}

TEST_F(RegistryTest, BadHandles) {
  HKEY closed = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_ALL_ACCESS, &closed), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);

  for (HKEY bad : {static_cast<HKEY>(nullptr), closed}) {
    HKEY out = nullptr;
    DWORD size = 0;
    EXPECT_EQ(RegOpenKeyExA(bad, "x", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyExA(bad, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(bad, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Set(bad, "x", REG_SZ, Bytes("1\0", 2)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValueA(bad, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(bad, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
  }
  // The predefined roots need no closing, and closing them does no harm.
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  HKEY again = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &again), ERROR_SUCCESS);
  RegCloseKey(again);
}

TEST_F(RegistryTest, HandleAccessIsChecked) {
  ASSERT_EQ(Set(key_, "Setting", REG_SZ, Bytes("1\0", 2)), ERROR_SUCCESS);
  HKEY reader = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &reader), ERROR_SUCCESS);
  EXPECT_EQ(Set(reader, "Setting", REG_SZ, Bytes("2\0", 2)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(reader, "Setting"), ERROR_ACCESS_DENIED);
  DWORD type = 0;
  std::string data;
  EXPECT_EQ(Get(reader, "Setting", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("1\0", 2));
  RegCloseKey(reader);

  HKEY writer = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_WRITE, &writer), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writer, "Setting", nullptr, nullptr, nullptr, &size),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(Set(writer, "Setting", REG_SZ, Bytes("3\0", 2)), ERROR_SUCCESS);
  RegCloseKey(writer);
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
  ASSERT_EQ(Set(key_, "One", REG_SZ, Bytes("1\0", 2)), ERROR_SUCCESS);
  ASSERT_EQ(Set(key_, "Two", REG_SZ, Bytes("2\0", 2)), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(key_, "ONE"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "One", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key_, "Two", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key_, "One"), ERROR_FILE_NOT_FOUND);

  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExA(key_, "Parent\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(child);
  // A key with a subkey stays; its leaf goes first.
  EXPECT_EQ(RegDeleteKeyA(key_, "Parent"), ERROR_ACCESS_DENIED);
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key_, "Parent\\Child", 0, KEY_READ, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
  EXPECT_EQ(RegDeleteKeyA(key_, "parent\\CHILD"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key_, "Parent\\Child"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(key_, "Parent"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(key_, "Parent", 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
  // The values of the test key itself are untouched.
  EXPECT_EQ(RegQueryValueExA(key_, "Two", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
}

TEST_F(RegistryTest, HandleToADeletedKey) {
  HKEY gone = nullptr;
  ASSERT_EQ(RegCreateKeyExA(key_, "Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(Set(gone, "Value", REG_SZ, Bytes("v\0", 2)), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\TarnivoConformance\\Gone"), ERROR_SUCCESS);

  DWORD size = 0;
  HKEY out = nullptr;
  EXPECT_EQ(RegQueryValueExA(gone, "Value", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(Set(gone, "Value", REG_SZ, Bytes("w\0", 2)), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueA(gone, "Value"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyExA(gone, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyExA(gone, "Child", 0, KEY_READ, &out), ERROR_KEY_DELETED);

  // A new key at the same path is another key: the old handle stays dead.
  HKEY fresh = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExA(key_, "Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &fresh, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(RegQueryValueExA(fresh, "Value", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Set(gone, "Value", REG_SZ, Bytes("w\0", 2)), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(gone), ERROR_SUCCESS);
  RegCloseKey(fresh);
}

TEST_F(RegistryTest, DeleteKeyThroughItsOwnHandle) {
  HKEY gone = nullptr;
  ASSERT_EQ(RegCreateKeyExA(key_, "Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(gone, ""), ERROR_SUCCESS);
  HKEY out = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key_, "Gone", 0, KEY_READ, &out), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(gone, ""), ERROR_KEY_DELETED);
  RegCloseKey(gone);
}

TEST_F(RegistryTest, RootsAreSeparateTrees) {
  ASSERT_EQ(Set(key_, "Where", REG_SZ, Bytes("machine\0", 8)), ERROR_SUCCESS);
  HKEY user = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &user, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(user, "Where", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(user, "Where", REG_SZ, Bytes("user\0", 5)), ERROR_SUCCESS);
  DWORD type = 0;
  std::string data;
  EXPECT_EQ(Get(key_, "Where", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("machine\0", 8));
  RegCloseKey(user);
}

}  // namespace
