#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/event_list.h"

namespace gildex {
namespace {

// The list a dialog gets: 25 distinct suffixes, in the order users know them.
TEST(EventList, FillsTheListInOrder) {
  std::vector<std::string> list;
  BuildEventList([&](const std::string& item) { list.push_back(item); });
  ASSERT_EQ(list.size(), 25u);
  EXPECT_EQ(list.front(), "_Activate");
  EXPECT_EQ(list[14], "_OLECompleteDrag");
  EXPECT_EQ(list.back(), "_Unload");
  EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), 25u);
}

}  // namespace
}  // namespace gildex
