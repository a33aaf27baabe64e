#include "framework/core/TaggedPages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using fw::TaggedPages;

// Fills a sequence with n texts "0", "1", ... tagged 1000 + i.
void Fill(TaggedPages<std::string>& pages, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    pages.push_back(std::to_string(i), static_cast<std::uint32_t>(1000 + i));
}

TEST(TaggedPages, ElementsKeepTheirAddressesWhileTheSequenceGrows) {
  TaggedPages<std::string> pages;
  std::vector<const std::string*> addresses;
  for (std::size_t i = 0; i < 5000; ++i) {  // many pages of doubling size
    pages.push_back(std::to_string(i), static_cast<std::uint32_t>(i));
    addresses.push_back(&pages[i]);
  }
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    ASSERT_EQ(addresses[i], &pages[i]) << i;
    ASSERT_EQ(pages[i], std::to_string(i)) << i;
  }
}

TEST(TaggedPages, TagsStayWithTheirElementsAndCanBeRewritten) {
  TaggedPages<std::string> pages;
  Fill(pages, 100);
  for (std::size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(pages.Tag(i), 1000 + i);
  pages.Tag(40) = 7;
  EXPECT_EQ(pages.Tag(40), 7u);
  EXPECT_EQ(pages.Tag(39), 1039u);
  EXPECT_EQ(pages.Tag(41), 1041u);
}

TEST(TaggedPages, ShrinkingReleasesElementsAndReusesTheirPlaces) {
  TaggedPages<std::shared_ptr<int>> pages;
  auto shared = std::make_shared<int>(1);
  for (int i = 0; i < 40; ++i) pages.push_back(std::shared_ptr<int>(shared), 0);
  EXPECT_EQ(shared.use_count(), 41);
  const std::shared_ptr<int>* tenth = &pages[10];
  pages.pop_back();
  pages.truncate(10);
  EXPECT_EQ(pages.size(), 10u);
  EXPECT_EQ(shared.use_count(), 11);  // every removed element was destroyed
  pages.push_back(std::make_shared<int>(2), 5);
  EXPECT_EQ(&pages[10], tenth);  // the freed place is used again
  EXPECT_EQ(*pages[10], 2);
  pages.clear();
  EXPECT_TRUE(pages.empty());
  EXPECT_EQ(shared.use_count(), 1);
}

TEST(TaggedPages, CopyAndSwapKeepElementsAndTags) {
  TaggedPages<std::string> a;
  Fill(a, 20);
  TaggedPages<std::string> copy(a);
  copy[3] = "changed";  // the copy owns its elements
  EXPECT_EQ(a[3], "3");
  ASSERT_EQ(copy.size(), 20u);
  EXPECT_EQ(copy[19], "19");
  EXPECT_EQ(copy.Tag(19), 1019u);

  TaggedPages<std::string> b;
  const std::string* first = &a[0];
  b.swap(a);
  EXPECT_TRUE(a.empty());
  ASSERT_EQ(b.size(), 20u);
  EXPECT_EQ(&b[0], first);  // the storage itself changed hands
  EXPECT_EQ(b.Tag(5), 1005u);
}

}  // namespace
