#include "registry/operations.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace kelvaro {
namespace {

TEST(Registry, HasEveryOperationOnceWithItsButton) {
  const auto operations = Operations();
  EXPECT_EQ(operations.size(), 24u);
  std::set<std::string_view> names;
  for (const Operation& op : operations) {
    EXPECT_TRUE(names.insert(op.cliName).second) << op.cliName;
    EXPECT_FALSE(op.button.empty()) << op.cliName;
    EXPECT_FALSE(op.caption.empty()) << op.cliName;
    EXPECT_FALSE(op.description.empty()) << op.cliName;
    EXPECT_EQ(FindOperation(op.cliName), &op);
    if (!op.inverseOf.empty()) {
      EXPECT_NE(FindOperation(op.inverseOf), nullptr) << op.cliName;
    }
  }
  EXPECT_EQ(FindOperation("nothing"), nullptr);
}

TEST(Registry, ASharedButtonCyclesThroughItsRowsByTag) {
  std::map<std::string_view, std::vector<const Operation*>> byButton;
  for (const Operation& op : Operations())
    byButton[op.button].push_back(&op);
  for (const auto& [button, rows] : byButton) {
    SCOPED_TRACE(std::string(button));
    if (rows.size() == 1) {
      EXPECT_TRUE(rows[0]->tag.empty());
      continue;
    }
    std::set<std::string_view> tags, next;
    for (const Operation* row : rows) {
      EXPECT_FALSE(row->tag.empty());
      tags.insert(row->tag);
      next.insert(row->nextTag);
    }
    EXPECT_EQ(tags.size(), rows.size());
    EXPECT_EQ(tags, next); // every Tag a click leaves behind selects a row
  }
  EXPECT_EQ(FindOperation("gb-to-big5")->tag, "1"); // the window's load sets "1": GB first
}

TEST(Registry, AnOperationThatThrowsIsRefusedNotPropagated) {
  const Operation throwing{"t",
                           "B",
                           "b",
                           Box::Text1,
                           Box::Text2,
                           false,
                           "",
                           "",
                           "",
                           "d",
                           [](std::u16string_view, const OperationOptions&) -> Outcome {
                             throw std::runtime_error("boom");
                           }};
  const Outcome outcome = RunOperation(throwing, u"x");
  EXPECT_TRUE(outcome.refused());
  ASSERT_TRUE(outcome.message);
  EXPECT_EQ(outcome.message->style, kMessageStyleCritical);
}

} // namespace
} // namespace kelvaro
