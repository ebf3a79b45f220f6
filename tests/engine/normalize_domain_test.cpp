// The site name of a host: prefixes, the leading dot and the label rule.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/normalize_domain.h"

namespace tarnivo {
namespace {

TEST(NormalizeDomainTest, Cases) {
  const struct {
    std::string host;
    std::string site;
  } cases[] = {
      {"www.example.com", "example.com"},
      {"popup.example.com", "example.com"},
      {"example.com", "example.com"},
      {"www.example.co.uk", "example.co.uk"},
      {"news.example.co.uk", "example.co.uk"},
      {"example.co.uk", "example.co.uk"},
      {"www.example.com.br", "example.com.br"},
      {"shop.example.com.br", "example.com.br"},
      {"www3.example.com", "example.com"},
      {"ww3.example.com", "example.com"},
      {"ww10.example.com", "example.com"},
      {"www10.example.com", "example.com"},
      {"ww.example.com", "example.com"},
      {"WWW.Example.com", "Example.com"},
      {"Www.Example.COM", "Example.COM"},
      {"www.", ""},
      {"www", "www"},
      {"", ""},
      {".", ""},
      {"..", "."},
      {".example.com", "example.com"},
      {"www..example.com", "example.com"},
      {"a.b.c.d.e", "a.b.c.d.e"},
      {"192.168.0.1", "168.0.1"},
      {"10.0.0.1", "0.0.1"},
      {"example.com.", "com."},
      {"a..b", ".b"},
      {"a..bc", "a..bc"},
      {"localhost", "localhost"},
      {"www.localhost", "localhost"},
      {"www.www1.example.com", "example.com"},
      {"www1.www.example.com", "example.com"},  // www. was tried before www1.
      {"www.www.a.b.c.d", "www.a.b.c.d"},       // each prefix once
      {"www9.ww9.example.com", "example.com"},
      {"ww1.www.a.b.c.d", "www.a.b.c.d"},
      {"www.www.example.com", "example.com"},  // the label rule drops the second www
      {"www.example", "example"},
      {"www1.", ""},
      {"ww9.", ""},
      {"www0.example.com", "example.com"},
      {"sub.example.io", "sub.example.io"},  // a two-character last label keeps all three
      {"sub.example.i", "example.i"},
      {"x.y.", "y."},
      {"a.b.c.", "b.c."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    EXPECT_EQ(NormalizeDomain(c.host), c.site);
  }
}

TEST(NormalizeDomainTest, AllNineteenPrefixesAreRemoved) {
  for (const char* prefix :
       {"www.", "www1.", "www2.", "www3.", "www4.", "www5.", "www6.", "www7.", "www8.", "www9.",
        "ww1.", "ww2.", "ww3.", "ww4.", "ww5.", "ww6.", "ww7.", "ww8.", "ww9."}) {
    // Two labels after the prefix: only the prefix decides.
    EXPECT_EQ(NormalizeDomain(std::string(prefix) + "example.com"), "example.com") << prefix;
  }
}

TEST(NormalizeDomainTest, RandomHostsNeverGrowAndNeverFail) {
  std::mt19937 rng(987654321);
  static const char* pieces[] = {"www", "ww", "w",  ".",  ".",  "1",    "9", "10",
                                 "a",   "B",  "co", "uk", "\0", "\xFF", "-", "WWW"};
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 5000; ++i) {
    std::string host;
    for (int n = length(rng); n > 0; --n) {
      if (n % 5 == 0) {
        host += static_cast<char>(byte(rng));
      } else {
        host += pieces[pick(rng)];
      }
    }
    const std::string site = NormalizeDomain(host);
    ASSERT_LE(site.size(), host.size()) << host;
    // What remains is a tail of the host: only leading parts are ever removed.
    ASSERT_EQ(host.compare(host.size() - site.size(), site.size(), site), 0) << host;
  }
}

}  // namespace
}  // namespace tarnivo
