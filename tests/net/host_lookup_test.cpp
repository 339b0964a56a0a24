#include "net/host_lookup.h"
#include "net/platform_resolver.h"
#include "registry/operations.h"
#include "support/text.h"

#include <gtest/gtest.h>
#include <map>

namespace kelvaro::net {
namespace {

using testing::U16;
using testing::U8;

// Answers from a table and remembers every name it was asked, so that no test reaches a network.
class FakeResolver : public HostResolver {
public:
  explicit FakeResolver(std::map<std::string, std::vector<Ipv4Address>> answers)
      : m_answers(std::move(answers)) {}

  std::vector<Ipv4Address> ResolveIpv4(const std::string& asciiName) const override {
    m_asked.push_back(asciiName);
    const auto it = m_answers.find(asciiName);
    return it == m_answers.end() ? std::vector<Ipv4Address>{} : it->second;
  }

  const std::vector<std::string>& asked() const { return m_asked; }

private:
  std::map<std::string, std::vector<Ipv4Address>> m_answers;
  mutable std::vector<std::string> m_asked;
};

const FakeResolver& Fake() {
  static const FakeResolver resolver({
      {"several.test", {{192, 0, 2, 7}, {192, 0, 2, 1}, {198, 51, 100, 3}}},
      {"zeros.test", {{10, 0, 0, 255}}},
      {"line.test", {{203, 0, 113, 9}}},
      {"blanks.test", {{203, 0, 113, 10}}},
      {"xn--fsqu00a.xn--0zwm56d", {{198, 51, 100, 66}}},
      {"xn--bcher-kva.example", {{198, 51, 100, 77}}},
  });
  return resolver;
}

struct LookupCase {
  std::u16string_view name;
  std::u16string_view line;
};

constexpr LookupCase kLookups[] = {
    {u"several.test", u"several.test的IP地址是：192.0.2.7"}, // the first address only
    {u"zeros.test", u"zeros.test的IP地址是：10.0.0.255"},
    // Blanks and line breaks around the name are no part of it (echo name | kelvaro-cli ...).
    {u"line.test\r\n", u"line.test的IP地址是：203.0.113.9"},
    {u" \tblanks.test \n", u"blanks.test的IP地址是：203.0.113.10"},
    {u"例子.测试", u"例子.测试的IP地址是：198.51.100.66"},
    {u"bücher.example", u"bücher.example的IP地址是：198.51.100.77"},
    {u"BÜCHER.Example", u"BÜCHER.Example的IP地址是：198.51.100.77"},
};

// host-to-ip as the registry runs it, with a resolver of the test's own.
Outcome HostToIp(std::u16string_view name, const HostResolver& resolver) {
  return RunOperation(*FindOperation("host-to-ip"), name, {.resolver = &resolver});
}

TEST(HostToIp, WritesTheNameAndTheFirstAddress) {
  for (const auto& c : kLookups) {
    SCOPED_TRACE(U8(c.name));
    const Outcome outcome = HostToIp(c.name, Fake());
    ASSERT_FALSE(outcome.refused());
    EXPECT_EQ(*outcome.text, c.line);
    EXPECT_FALSE(outcome.message.has_value());
  }
}

TEST(HostToIp, AsksTheResolverWithoutTheLineBreakAroundTheName) {
  const FakeResolver resolver({});
  EXPECT_TRUE(HostToIp(u"\thost.test \r\n", resolver).refused());
  EXPECT_EQ(resolver.asked(), std::vector<std::string>{"host.test"});
  EXPECT_EQ(HostToAddress(u"\thost.test", resolver).error().code, ErrorCode::HostNotFound);
}

TEST(HostToIp, RefusesWithTheMessageWhenNothingResolves) {
  const FakeResolver resolver({{"ok.test", {{127, 0, 0, 1}}}});
  const std::u16string_view names[] = {
      u"unknown.test",
      u"",
      std::u16string_view(u"ok.test\0x", 9), // would reach the system call as ok.test
      u"a\u200Db.例子",                      // a joiner outside its allowed context
      u"xn--a.例子",                         // a label that is not valid Punycode
      u"\xD800.例子",                        // a lone surrogate
  };

  for (const auto name : names) {
    SCOPED_TRACE(U8(name));
    const Outcome outcome = HostToIp(name, resolver);
    EXPECT_TRUE(outcome.refused());
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->text, u"Kein Host gefunden.");
    EXPECT_EQ(outcome.message->style, MessageStyle::Plain);
    EXPECT_TRUE(outcome.message->title.empty());
  }
  // Only the unknown name was worth asking about.
  EXPECT_EQ(resolver.asked(), std::vector<std::string>{"unknown.test"});
}

// Punycode grows with the square of a label's length: a pasted megabyte of Chinese took seconds
// before names longer than any resolver answers were refused up front.
TEST(HostToIp, RefusesAPastedMegabyteWithoutConvertingIt) {
  const FakeResolver resolver({});
  EXPECT_TRUE(HostToIp(std::u16string(1 << 20, u'例'), resolver).refused());
  EXPECT_TRUE(HostToIp(std::u16string(1025, u'a'), resolver).refused());
  EXPECT_TRUE(resolver.asked().empty());
  // 1024 units still reach the resolver.
  EXPECT_TRUE(HostToIp(std::u16string(1024, u'a'), resolver).refused());
  EXPECT_EQ(resolver.asked().size(), 1u);
}

struct AsciiCase {
  std::u16string_view name;
  std::string_view ascii;
};

constexpr AsciiCase kAsciiForms[] = {
    {u"例子.测试", "xn--fsqu00a.xn--0zwm56d"},
    {u"bücher.example", "xn--bcher-kva.example"},
    {u"Bücher.Example", "xn--bcher-kva.example"},
    {u"straße.example", "xn--strae-oqa.example"}, // nontransitional: ß is kept
    {u"中文。测试", "xn--fiq228c.xn--0zwm56d"},   // the ideographic full stop separates labels
    {u"Example.COM", "Example.COM"},              // ASCII names are left alone
    {u" localhost\r\n", " localhost\r\n"},
};

TEST(HostNameToAscii, ConvertsNonAsciiNamesThroughIdna) {
  for (const auto& c : kAsciiForms) {
    SCOPED_TRACE(U8(c.name));
    const std::optional<std::string> ascii = HostNameToAscii(c.name);
    ASSERT_TRUE(ascii.has_value());
    EXPECT_EQ(*ascii, c.ascii);
  }
  EXPECT_FALSE(HostNameToAscii(u"a\u200Db.例子").has_value());
  EXPECT_FALSE(HostNameToAscii(u"xn--a.例子").has_value());
}

// The system's resolver, for names that the hosts file or the address syntax answer: no query
// leaves the machine.
TEST(HostToIp, ResolvesLocalhostAndLiteralAddressesThroughThePlatform) {
  const PlatformResolver platform;
  const Outcome localhost = HostToIp(u"localhost", platform);
  ASSERT_FALSE(localhost.refused());
  EXPECT_EQ(*localhost.text, U16("localhost的IP地址是：127.0.0.1"));
  const Outcome literal = HostToIp(u"127.0.0.1", platform);
  ASSERT_FALSE(literal.refused());
  EXPECT_EQ(*literal.text, U16("127.0.0.1的IP地址是：127.0.0.1"));
}

TEST(PlatformResolver, AnswersReservedInvalidNamesWithoutAQuery) {
  const PlatformResolver resolver;
  for (const std::string name : {"nothing.invalid", "NOTHING.INVALID.", "invalid", ""}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(resolver.ResolveIpv4(name).empty());
  }
  EXPECT_TRUE(resolver.ResolveIpv4(std::string("localhost\0.x", 12)).empty());
  const std::vector<Ipv4Address> loopback = {{127, 0, 0, 1}};
  EXPECT_EQ(resolver.ResolveIpv4("127.0.0.1"), loopback);
}

} // namespace
} // namespace kelvaro::net
