// DllRegisterServer and DllUnregisterServer: what they write, that COM then creates the band
// by its ProgID, and that unregistering leaves the registry as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "fakes.h"
#include "server.h"

namespace comtest {
namespace {

// A key of HKEY_CLASSES_ROOT with its values and subkeys, as text; "" when it is not there.
std::string Dump(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  std::string out = "[" + path + "]\n";
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    BYTE data[1024];
    DWORD size = sizeof data;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    out += std::string(name, nameLength) + "=" + std::to_string(type) + ":" +
           std::string(reinterpret_cast<char*>(data), size) + "\n";
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    out += Dump(key, std::string(name, nameLength));
  }
  RegCloseKey(key);
  return out;
}

std::string Registration() {
  return Dump(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsidText) +
         Dump(HKEY_CLASSES_ROOT, "tarnivo.CToolbar") +
         Dump(HKEY_CLASSES_ROOT, std::string("TypeLib\\") + kLibidText) +
         Dump(HKEY_CLASSES_ROOT, std::string("Interface\\") + kIidICToolbarText) +
         Dump(HKEY_CLASSES_ROOT, std::string("Interface\\") + kIidISubclassText);
}

// A text value of HKCR (name null: the default value); "<missing>" when there is none.
std::string RegText(const std::string& path, const char* name) {
  char data[1024];
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return "<missing>";
  }
  return std::string(data);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

class RegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(TheServer().Register, nullptr);
    before_ = Registration();
    if (!before_.empty()) {
      GTEST_SKIP() << "the band is registered on this machine; these tests would change that";
    }
    owned_ = true;
  }
  void TearDown() override {
    if (!owned_) return;
    TheServer().Unregister();
    EXPECT_EQ(Registration(), before_);
  }
  std::string before_;
  bool owned_ = false;
};

TEST_F(RegistrationTest, WritesTheClassItsProgIdAndTheTypeLibrary) {
  ASSERT_EQ(TheServer().Register(), S_OK);
  const std::string classKey = std::string("CLSID\\") + kClsidText;
  EXPECT_EQ(RegText(classKey, nullptr), "CToolbar");
  EXPECT_EQ(Lower(RegText(classKey + "\\InprocServer32", nullptr)), Lower(TheServer().path));
  EXPECT_EQ(RegText(classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(RegText(classKey + "\\ProgID", nullptr), "tarnivo.CToolbar");
  EXPECT_EQ(RegText("tarnivo.CToolbar\\CLSID", nullptr), kClsidText);

  Ref<ITypeLib> library;
  EXPECT_EQ(LoadRegTypeLib(kLibid, 1, 0, LOCALE_NEUTRAL, library.out()), S_OK);
}

TEST_F(RegistrationTest, ComCreatesTheBandByItsProgId) {
  ASSERT_EQ(TheServer().Register(), S_OK);
  CLSID clsid = {};
  ASSERT_EQ(CLSIDFromProgID(L"tarnivo.CToolbar", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, kClsidCToolbar));

  Ref<IDeskBand> band;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDeskBand, band.void_out()),
            S_OK);
  Ref<IPersist> persist;
  ASSERT_EQ(band->QueryInterface(IID_IPersist, persist.void_out()), S_OK);
  CLSID own = {};
  EXPECT_EQ(persist->GetClassID(&own), S_OK);
  EXPECT_TRUE(IsEqualCLSID(own, kClsidCToolbar));
}

TEST_F(RegistrationTest, RoundTripsLeaveTheRegistryAsItWas) {
  // Registering twice is registering once; unregistering twice is unregistering once.
  ASSERT_EQ(TheServer().Register(), S_OK);
  const std::string once = Registration();
  EXPECT_NE(once, before_);
  ASSERT_EQ(TheServer().Register(), S_OK);
  EXPECT_EQ(Registration(), once);
  EXPECT_EQ(TheServer().Unregister(), S_OK);
  EXPECT_EQ(Registration(), before_);
  EXPECT_EQ(TheServer().Unregister(), S_OK);
  EXPECT_EQ(Registration(), before_);

  CLSID clsid = {};
  EXPECT_NE(CLSIDFromProgID(L"tarnivo.CToolbar", &clsid), S_OK);
}

}  // namespace
}  // namespace comtest
