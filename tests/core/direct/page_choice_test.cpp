#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "core/direct/direct_pages.h"

namespace vel {
namespace {

TEST(PageChoice, EachModelGetsItsPage) {
  struct Expected {
    int model;
    std::string_view className;
    int templateId;
    std::size_t keyCount;  // plain and dialog keys
  };
  const Expected expected[] = {
      {0, "CPage1_20", 140, 15}, {1, "CPage1_23", 142, 13}, {2, "CPage1_23", 142, 13},
      {3, "CPage1_23", 142, 13}, {4, "CPage1_23", 142, 13}, {5, "CPage1", 129, 16},
      {6, "CPage1_35", 144, 18}, {7, "CPage1_40", 145, 20}, {8, "CPage1_40", 145, 20},
      {9, "CPage1_80", 141, 12},
  };
  for (const Expected& e : expected) {
    const DirectPage& page = DirectPageForModel(e.model);
    EXPECT_EQ(page.className, e.className) << e.model;
    EXPECT_EQ(page.dialog.id, e.templateId) << e.model;
    EXPECT_EQ(KeyFlagCount(page), e.keyCount) << e.model;
  }
}

TEST(PageChoice, ModelsOutsideTheListGetTheQv3000Page) {
  for (int model : {10, -1, 11, 1000, -1000}) {
    EXPECT_EQ(&DirectPageForModel(model), &DirectPageForModel(5)) << model;
  }
  EXPECT_EQ(DirectPageForModel(-1).className, "CPage1");
  EXPECT_EQ(DirectPageForModel(10).dialog.id, 129);
}

TEST(PageChoice, TheQv2300FamilySharesOnePageObject) {
  for (int model : {2, 3, 4}) EXPECT_EQ(&DirectPageForModel(model), &DirectPageForModel(1));
  EXPECT_EQ(&DirectPageForModel(8), &DirectPageForModel(7));
}

TEST(PageChoice, EveryPageIsReachableAndNamedOnce) {
  std::set<const DirectPage*> reached;
  for (int model = -1; model <= 10; ++model) reached.insert(&DirectPageForModel(model));
  EXPECT_EQ(reached.size(), DirectPages().size());
  std::set<std::string_view> names;
  std::set<int> templates;
  for (const DirectPage& page : DirectPages()) {
    names.insert(page.className);
    templates.insert(page.dialog.id);
  }
  EXPECT_EQ(names.size(), 6u);
  EXPECT_EQ(templates.size(), 6u);
}

}  // namespace
}  // namespace vel
