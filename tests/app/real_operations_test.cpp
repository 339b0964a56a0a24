// The window over the real registry: what a user sees when a conversion refuses its input or
// shows a message, and the GB-BIG5 button alternating over the real code tables.

#include "app/form1.h"
#include "app/text_boxes.h"
#include "net/resolver.h"

#include <QAbstractButton>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace kelvaro::app {
namespace {

class ListResolver : public net::HostResolver {
public:
  explicit ListResolver(std::vector<net::Ipv4Address> addresses)
      : m_addresses(std::move(addresses)) {}
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string&) const override {
    return m_addresses;
  }

private:
  std::vector<net::Ipv4Address> m_addresses;
};

class RealWindow : public ::testing::Test {
protected:
  void Open(const net::HostResolver* resolver = nullptr) {
    m_window = std::make_unique<Form1>(Operations(), OperationOptions{.resolver = resolver});
    m_window->setShowMessage([this](const Message& message) { m_messages.push_back(message); });
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }
  QWidget* Control(const char* name) { return m_window->findChild<QWidget*>(name); }
  void Click(const char* button) {
    QTest::mouseClick(static_cast<QAbstractButton*>(Control(button)), Qt::LeftButton);
    // A host lookup runs off the window's thread.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_window->isWorking(); }, 60'000));
  }
  std::u16string Read(const char* box) { return ReadBox(Control(box)); }
  void Set(const char* box, std::u16string_view text) { WriteBox(Control(box), text); }

  std::unique_ptr<Form1> m_window;
  std::vector<Message> m_messages;
};

TEST_F(RealWindow, UnknownHostShowsTheMessageAndKeepsTheResultBox) {
  const ListResolver nothing({});
  Open(&nothing);
  Set("Text1", u"no-such-host.example");
  Set("Text2", u"earlier result");
  Click("ERJINZHIBIG5");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, u"Kein Host gefunden.");
  EXPECT_EQ(m_messages[0].title, u""); // the window's own caption
  EXPECT_EQ(Read("Text2"), u"earlier result");
}

TEST_F(RealWindow, HostLineTakesTheFirstAddress) {
  const ListResolver two({{192, 0, 2, 7}, {127, 0, 0, 1}});
  Open(&two);
  Set("Text1", u"example.test");
  Click("ERJINZHIBIG5");
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(Read("Text2"), u"example.test的IP地址是：192.0.2.7");
}

TEST_F(RealWindow, RefusedAmountShowsItsMessageAndEmptiesTheResultBox) {
  Open();
  for (const std::u16string_view input : {u"abc", u"10000000000000000"}) {
    m_messages.clear();
    Set("Text1", input);
    Set("Text2", u"earlier result");
    Click("CMDJIANTITOFANTI");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, u"系统");
    EXPECT_EQ(m_messages[0].style, MessageStyle::Error);
    EXPECT_EQ(Read("Text2"), u"");
  }
  EXPECT_EQ(m_messages[0].text, u"错误：金额超出范围，整数部分最多十六位！");
}

TEST_F(RealWindow, GbBig5AlternatesFromGbFirst) {
  Open();
  Set("Text1", u"A中1");
  Click("CMDGBBIG5");
  EXPECT_EQ(Read("Text2"), u"Aい1");
  Set("Text1", u"Aい1");
  Click("CMDGBBIG5");
  EXPECT_EQ(Read("Text2"), u"A中1");
  Click("CMDGBBIG5"); // GB to BIG5 again, whatever the input: い has no BIG5 code, two spaces
  EXPECT_EQ(Read("Text2"), u"A  1");
}

TEST_F(RealWindow, Md5FollowsTheUpperCaseBox) {
  Open();
  Set("Text1", u"abc");
  Click("CMD5_32");
  EXPECT_EQ(Read("Text2"), u"900150983cd24fb0d6963f7d28e17f72");
  Click("Check1");
  Click("CMD5_16");
  EXPECT_EQ(Read("Text2"), u"3CD24FB0D6963F7D");
}

} // namespace
} // namespace kelvaro::app
