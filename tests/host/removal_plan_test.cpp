#include "cleanup/removal_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/package.h"

namespace {

// Every target's base, suffix and names, in order: five targets, eighteen names, the four Windows
// targets before the System one.
TEST(RemovalPlan, IsThePackagesFilesInOrder) {
  ASSERT_EQ(RemovalPlan.size(), package::Folders.size());
  std::size_t names = 0;
  for (std::size_t i = 0; i < RemovalPlan.size(); ++i) {
    SCOPED_TRACE("target " + std::to_string(i + 1));
    const CleanupTarget& target = RemovalPlan[i];
    const package::Folder& expected = package::Folders[i];
    EXPECT_EQ(target.base, expected.fromSystem ? BaseDirectory::System : BaseDirectory::Windows);
    EXPECT_EQ(std::string(target.suffix), expected.suffix);
    EXPECT_EQ(std::vector<std::string>(target.files.begin(), target.files.end()), expected.files);
    names += target.files.size();
  }
  EXPECT_EQ(names, 18U);
}

}  // namespace
